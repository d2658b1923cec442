#include "DataSetTestSupport.h"

#include <gtest/gtest.h>

namespace {

class DataSetCursor : public ::testing::Test
{
protected:
    void Open(const std::string& bytes = "a\r\nb\r\nc\r\nd\r\ne\r\n")
    {
        Prepare(dataSet, folder, bytes);
        dataSet.Open();
    }
    std::string Current() { return dataSet.Fields(0).AsString(); }

    TTempFolder folder;
    TFixedFormatDataSet dataSet{"FixedFormatDataSet1"};
    std::vector<std::string> hooks;
};

TEST_F(DataSetCursor, OpenStandsOnTheFirstRecordAtBof)
{
    Open();
    EXPECT_EQ(Current(), "a");
    EXPECT_TRUE(dataSet.Bof());
    EXPECT_FALSE(dataSet.Eof());
    EXPECT_EQ(dataSet.CurrentLine(), 0);
}

TEST_F(DataSetCursor, EmptyStoreIsAtBofAndEof)
{
    Open("");
    EXPECT_TRUE(dataSet.Bof());
    EXPECT_TRUE(dataSet.Eof());
    EXPECT_TRUE(dataSet.IsEmpty());
    EXPECT_EQ(dataSet.RecNo(), -1);
    EXPECT_EQ(dataSet.GetBookmark(), 0);
    dataSet.Next();
    dataSet.Last();
    EXPECT_TRUE(dataSet.IsEmpty());
}

TEST_F(DataSetCursor, NextWalksToTheEndAndStaysOnTheLastRecord)
{
    Open("a\nb\n");
    RecordHooks(dataSet, hooks);
    dataSet.Next();
    EXPECT_EQ(Current(), "b");
    EXPECT_FALSE(dataSet.Bof());
    EXPECT_FALSE(dataSet.Eof());
    dataSet.Next();
    EXPECT_EQ(Current(), "b");
    EXPECT_TRUE(dataSet.Eof());
    dataSet.Next();
    EXPECT_EQ(hooks, (std::vector<std::string>{"BeforeScroll", "AfterScroll", "BeforeScroll", "AfterScroll",
                                               "BeforeScroll"}))
        << "at Eof nothing moves and AfterScroll does not run";
}

TEST_F(DataSetCursor, PriorWalksBackToBof)
{
    Open("a\nb\n");
    dataSet.Last();
    EXPECT_EQ(Current(), "b");
    EXPECT_TRUE(dataSet.Eof());
    EXPECT_FALSE(dataSet.Bof());
    dataSet.Prior();
    EXPECT_EQ(Current(), "a");
    EXPECT_FALSE(dataSet.Eof());
    dataSet.Prior();
    EXPECT_EQ(Current(), "a");
    EXPECT_TRUE(dataSet.Bof());
    RecordHooks(dataSet, hooks);
    dataSet.Prior();
    EXPECT_EQ(hooks, std::vector<std::string>{"BeforeScroll"});
    dataSet.First();
    EXPECT_EQ(hooks, (std::vector<std::string>{"BeforeScroll", "BeforeScroll", "AfterScroll"}));
}

TEST_F(DataSetCursor, RecNoMovesOnlyToAnotherExistingRecord)
{
    Open();
    RecordHooks(dataSet, hooks);
    for (int ignored : {0, 6, 1, -3})
        dataSet.SetRecNo(ignored);
    EXPECT_TRUE(hooks.empty());
    EXPECT_EQ(Current(), "a");
    dataSet.SetRecNo(dataSet.RecordCount());
    EXPECT_EQ(Current(), "e");
    EXPECT_EQ(dataSet.RecNo(), 5);
    EXPECT_EQ(hooks, (std::vector<std::string>{"BeforeScroll", "AfterScroll"}));
}

TEST_F(DataSetCursor, IdsSurviveDeletionsAndNewRecordsTakeTheNextId)
{
    Open();
    dataSet.SetRecNo(2);
    dataSet.Delete();
    EXPECT_EQ(Current(), "c");
    EXPECT_EQ(dataSet.RecNo(), 3);
    dataSet.Append();
    dataSet.Fields(0).SetAsString("f");
    dataSet.Post();
    EXPECT_EQ(dataSet.CurrentLine(), 4);
    EXPECT_EQ(dataSet.RecNo(), 6);
    EXPECT_EQ(dataSet.RecordCount(), 5);
}

TEST_F(DataSetCursor, BookmarksReturnToTheSameRecord)
{
    Open();
    dataSet.SetRecNo(4);
    const int32_t mark = dataSet.GetBookmark();
    dataSet.First();
    dataSet.Delete(); // lines shift; the bookmark does not
    dataSet.GotoBookmark(mark);
    EXPECT_EQ(Current(), "d");
    EXPECT_EQ(dataSet.CurrentLine(), 2);
    EXPECT_EQ(MessageOf([&] { dataSet.GotoBookmark(1); }), "Bookmark not found");
    EXPECT_EQ(Current(), "d");
}

TEST_F(DataSetCursor, ClosedStoreRefusesNavigation)
{
    dataSet.SetFileName(folder.Path("none"));
    EXPECT_EQ(MessageOf([&] { dataSet.Next(); }),
              "FixedFormatDataSet1: Cannot perform this operation on a closed dataset");
    EXPECT_EQ(dataSet.RecNo(), -1);
    EXPECT_TRUE(dataSet.IsEmpty());
}

TEST_F(DataSetCursor, FilterSkipsRejectedRecordsInBothDirections)
{
    Open("a\nB\nc\nD\ne\n");
    dataSet.OnFilterRecord = [](TFixedFormatDataSet& ds, bool& accept) {
        accept = ds.Fields(0).AsString() != "B" && ds.Fields(0).AsString() != "D";
    };
    dataSet.SetFiltered(true);
    std::vector<std::string> seen;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
        seen.push_back(Current());
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "c", "e"}));
    dataSet.Prior();
    EXPECT_EQ(Current(), "c");
    EXPECT_EQ(dataSet.RecordCount(), 5) << "the count holds every line";
    EXPECT_EQ(MessageOf([&] { dataSet.GotoBookmark(2); }), "FixedFormatDataSet1: Record not found");
    EXPECT_EQ(Current(), "c");
}

TEST_F(DataSetCursor, FailingFilterIsReportedAndTheRecordKept)
{
    Open("a\nb\n");
    std::vector<std::string> reported;
    dataSet.ApplicationHandleException = [&](const std::exception& e) { reported.push_back(e.what()); };
    dataSet.OnFilterRecord = [](TFixedFormatDataSet& ds, bool& accept) {
        if (ds.Fields(0).AsString() == "a")
            throw EDatabaseError("broken filter");
        accept = false;
        throw EDatabaseError("rejected then broken");
    };
    dataSet.SetFiltered(true);
    EXPECT_EQ(Current(), "a");
    dataSet.Next();
    EXPECT_TRUE(dataSet.Eof());
    EXPECT_EQ(reported, (std::vector<std::string>{"broken filter", "rejected then broken"}));
}

} // namespace
