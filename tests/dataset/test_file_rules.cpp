#include "DataSetTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;

Lines ReadAsLines(const std::string& bytes)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet("FixedFormatDataSet1");
    Prepare(dataSet, folder, bytes);
    dataSet.Open();
    return TextsOf(dataSet);
}

TEST(DataSetFileReading, LineBreaksOfEveryKindCutTheSameLines)
{
    EXPECT_EQ(ReadAsLines("ab\r\ncd\r\n"), (Lines{"ab", "cd"}));
    EXPECT_EQ(ReadAsLines("ab\ncd\n"), (Lines{"ab", "cd"}));
    EXPECT_EQ(ReadAsLines("ab\rcd\r"), (Lines{"ab", "cd"}));
    EXPECT_EQ(ReadAsLines("ab\rcd\nef\r\ngh"), (Lines{"ab", "cd", "ef", "gh"}));
    // LF CR is two breaks, not one.
    EXPECT_EQ(ReadAsLines("ab\n\rcd"), (Lines{"ab", "", "cd"}));
}

TEST(DataSetFileReading, FinalBreaksAndEmptyLines)
{
    EXPECT_EQ(ReadAsLines("ab"), (Lines{"ab"}));
    EXPECT_EQ(ReadAsLines("ab\r\n"), (Lines{"ab"}));
    EXPECT_EQ(ReadAsLines("ab\r\n\r\n"), (Lines{"ab", ""}));
    EXPECT_EQ(ReadAsLines("\r\n"), (Lines{""}));
    EXPECT_EQ(ReadAsLines("ab\n\ncd"), (Lines{"ab", "", "cd"}));
    EXPECT_EQ(ReadAsLines(""), Lines{});
}

TEST(DataSetFileReading, NulByteEndsTheReadableContent)
{
    EXPECT_EQ(ReadAsLines(std::string("ab\r\ncd\0ef\r\ngh\r\n", 14)), (Lines{"ab", "cd"}));
    EXPECT_EQ(ReadAsLines(std::string("\0ab", 3)), Lines{});
}

TEST(DataSetFileReading, BytesAboveAsciiAreKeptAsTheyAre)
{
    const std::string greek = "\xc1\xc2\xc3 \xe1\xe2\xe3\xff";
    EXPECT_EQ(ReadAsLines(greek + "\r\n"), (Lines{greek}));
}

TEST(DataSetFileReading, RecordIdsFollowTheLinePositions)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "a\r\nb\r\nc\r\n");
    dataSet.Open();
    ASSERT_EQ(dataSet.Lines().size(), 3u);
    EXPECT_EQ(dataSet.Lines()[0].Id, 1);
    EXPECT_EQ(dataSet.Lines()[2].Id, 3);
    EXPECT_EQ(dataSet.RecNo(), 1);
}

TEST(DataSetFileReading, MissingFileIsReportedAndTheStoreStaysClosed)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet("FixedFormatDataSet1");
    const std::string path = folder.Path("missing");
    dataSet.SetFileName(path);
    try {
        dataSet.Open();
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Το αρχείο «" + path + "» δεν μπορεί να ανοίξει. Το αρχείο δεν υπάρχει.");
    }
    EXPECT_FALSE(dataSet.Active());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(DataSetFileReading, MissingFileIsCreatedEmptyWhenItNeedNotExist)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    dataSet.SetFileName(folder.Path("new"));
    dataSet.SetFileMustExist(false);
    dataSet.Open();
    EXPECT_TRUE(dataSet.Active());
    EXPECT_EQ(dataSet.RecordCount(), 0);
    EXPECT_TRUE(std::filesystem::exists(folder.Path("new")));
    EXPECT_EQ(std::filesystem::file_size(folder.Path("new")), 0u);
}

TEST(DataSetFileReading, FolderInPlaceOfTheFileIsAnOpenError)
{
    TTempFolder folder;
    std::filesystem::create_directory(folder.Path("dir"));
    TFixedFormatDataSet dataSet;
    dataSet.SetFileName(folder.Path("dir"));
    EXPECT_EQ(MessageOf([&] { dataSet.Open(); }),
              "Το αρχείο «" + folder.Path("dir") + "» δεν μπορεί να ανοίξει. Είναι φάκελος, όχι αρχείο.");
    EXPECT_FALSE(dataSet.Active());
}

TEST(DataSetFileWriting, EveryLineIsWrittenWithCrLf)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "ab\rcd\nef");
    dataSet.Open();
    dataSet.WriteFileAs(folder.Path("out"));
    EXPECT_EQ(ReadBytes(folder.Path("out")), "ab\r\ncd\r\nef\r\n");
}

TEST(DataSetFileWriting, NoLinesGiveAnEmptyFile)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "only\r\n");
    dataSet.Open();
    dataSet.Delete();
    dataSet.Close();
    EXPECT_EQ(ReadBytes(folder.Path("data.txt")), "");
}

TEST(DataSetFileWriting, UnstoredLinesKeepTheirLengthStoredOnesAreCutToTheRecord)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "abcdefgh\r\nabcdefgh\r\nab\r\n", {"A=3", "B=2"});
    dataSet.Open();
    EXPECT_EQ(dataSet.RecordWidth(), 5);
    dataSet.Next();
    dataSet.Edit();
    dataSet.Post();
    dataSet.Close();
    EXPECT_EQ(ReadBytes(folder.Path("data.txt")), "abcdefgh\r\nabcde\r\nab\r\n");
}

TEST(DataSetFileWriting, CloseWritesOnlyWhenSomethingWasStored)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "ab\ncd");
    dataSet.Open();
    dataSet.Next();
    dataSet.Close();
    EXPECT_EQ(ReadBytes(folder.Path("data.txt")), "ab\ncd") << "an unchanged store must not rewrite its file";

    // Posting an unchanged record still counts as a change.
    dataSet.Open();
    dataSet.Edit();
    dataSet.Post();
    EXPECT_TRUE(dataSet.LinesChanged());
    dataSet.Close();
    EXPECT_EQ(ReadBytes(folder.Path("data.txt")), "ab\r\ncd\r\n");
}

TEST(DataSetFileWriting, ReadOnlyStoreRefusesChangesAndNeverWrites)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet("FixedFormatDataSet2");
    Prepare(dataSet, folder, "ab\ncd");
    dataSet.SetReadOnly(true);
    dataSet.Open();
    EXPECT_FALSE(dataSet.CanModify());
    const std::string refusal = "FixedFormatDataSet2: Cannot modify a read-only dataset";
    EXPECT_EQ(MessageOf([&] { dataSet.Edit(); }), refusal);
    EXPECT_EQ(MessageOf([&] { dataSet.Insert(); }), refusal);
    EXPECT_EQ(MessageOf([&] { dataSet.Append(); }), refusal);
    EXPECT_EQ(MessageOf([&] { dataSet.Delete(); }), refusal);
    EXPECT_EQ(MessageOf([&] { dataSet.DropBlankLines(); }), refusal);
    EXPECT_EQ(dataSet.State(), TDataSetState::dsBrowse);
    dataSet.Close();
    EXPECT_EQ(ReadBytes(folder.Path("data.txt")), "ab\ncd");
}

TEST(DataSetFileWriting, WriteFileAsMovesTheFileNameAndClearsTheChangeMark)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "ab\n", {"V=3"});
    dataSet.Open();
    dataSet.Append();
    dataSet.Fields(0).SetAsString("new");
    dataSet.Post();
    dataSet.WriteFileAs(folder.Path("copy"));
    EXPECT_EQ(dataSet.FileName(), folder.Path("copy"));
    EXPECT_FALSE(dataSet.LinesChanged());
    dataSet.WriteFileAs(folder.Path("data.txt"));
    dataSet.Close();
    EXPECT_EQ(ReadBytes(folder.Path("copy")), "ab\r\nnew\r\n");
    EXPECT_EQ(ReadBytes(folder.Path("data.txt")), "ab\r\nnew\r\n");
}

// Written over in place, a file that held more keeps nothing of it, and one
// that was not there is made.
TEST(DataSetFileWriting, WritingInPlaceLeavesExactlyTheLines)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "a\nb\nc\n");
    dataSet.Open();
    dataSet.Last();
    dataSet.Delete();
    dataSet.WriteFileAs(folder.Path("data.txt"), true);
    dataSet.WriteFileAs(folder.Path("new"), true);
    EXPECT_EQ(ReadBytes(folder.Path("data.txt")), "a\r\nb\r\n");
    EXPECT_EQ(ReadBytes(folder.Path("new")), "a\r\nb\r\n");
    EXPECT_FALSE(dataSet.LinesChanged());
}

TEST(DataSetFileWriting, WriteFileAsOnAClosedStoreLeavesTheFileAlone)
{
    TTempFolder folder;
    WriteBytes(folder.Path("keep"), "precious\r\n");
    TFixedFormatDataSet dataSet("FixedFormatDataSet1");
    EXPECT_EQ(MessageOf([&] { dataSet.WriteFileAs(folder.Path("keep")); }),
              "FixedFormatDataSet1: Cannot perform this operation on a closed dataset");
    EXPECT_EQ(ReadBytes(folder.Path("keep")), "precious\r\n");
}

TEST(DataSetFileWriting, ReplacingAFileKeepsItsPermissions)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "ab\n");
    ::chmod(folder.Path("data.txt").c_str(), 0640);
    dataSet.Open();
    dataSet.Edit();
    dataSet.Post();
    dataSet.Close();
    struct stat info;
    ASSERT_EQ(::stat(folder.Path("data.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// A failed write must leave the old file whole, no temporary file behind, and
// the store as it was.
class DataSetFailedWrite : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Prepare(dataSet, folder, "old\r\n");
        dataSet.Open();
        dataSet.Edit();
        dataSet.Fields(0).SetAsString("new");
        dataSet.Post();
    }
    void ExpectOldFileIntact()
    {
        EXPECT_EQ(ReadBytes(folder.Path("data.txt")), "old\r\n");
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"data.txt"});
    }
    static bool RunningAsRoot() { return ::geteuid() == 0; }

    TTempFolder folder;
    TFixedFormatDataSet dataSet{"FixedFormatDataSet1"};
};

TEST_F(DataSetFailedWrite, TargetThatIsAFolderFailsWriteFileAs)
{
    const std::string target = folder.Path("data.txt") + ".d";
    std::filesystem::create_directory(target);
    try {
        dataSet.WriteFileAs(target);
        FAIL() << "no error";
    } catch (const EFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Το αρχείο «" + target + "» δεν μπορεί να γραφτεί. Είναι φάκελος, όχι αρχείο.");
    }
    EXPECT_EQ(dataSet.FileName(), folder.Path("data.txt"));
    EXPECT_TRUE(dataSet.LinesChanged());
    std::filesystem::remove(target);
    ExpectOldFileIntact();
}

TEST_F(DataSetFailedWrite, UnwritableFolderFailsCloseAndKeepsTheStoreOpen)
{
    if (RunningAsRoot())
        GTEST_SKIP() << "permissions do not bind root";
    std::filesystem::permissions(folder.Folder(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_EQ(MessageOf([&] { dataSet.Close(); }),
              "Το αρχείο «" + folder.Path("data.txt") +
                  "» δεν μπορεί να γραφτεί. Δεν έχετε δικαίωμα πρόσβασης στο αρχείο ή στον φάκελό του.");
    std::filesystem::permissions(folder.Folder(), std::filesystem::perms::owner_all);
    ExpectOldFileIntact();
    ASSERT_TRUE(dataSet.Active()) << "closing must not drop rows it could not write";
    EXPECT_EQ(TextsOf(dataSet), std::vector<std::string>{"new"});
    dataSet.Close();
    EXPECT_EQ(ReadBytes(folder.Path("data.txt")), "new\r\n");
}

TEST_F(DataSetFailedWrite, CloseThatCannotWriteKeepsTheStoreOpen)
{
    // A folder where the file was is refused before anything is written, even for root.
    std::filesystem::remove(folder.Path("data.txt"));
    std::filesystem::create_directory(folder.Path("data.txt"));
    EXPECT_EQ(MessageOf([&] { dataSet.Close(); }), "Το αρχείο «" + folder.Path("data.txt") +
                                                       "» δεν μπορεί να γραφτεί. Είναι φάκελος, όχι αρχείο.");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"data.txt"}) << "no temporary file stays behind";
    ASSERT_TRUE(dataSet.Active());
    EXPECT_TRUE(dataSet.LinesChanged());
    std::filesystem::remove(folder.Path("data.txt"));
    dataSet.Close();
    EXPECT_EQ(ReadBytes(folder.Path("data.txt")), "new\r\n");
}

TEST_F(DataSetFailedWrite, CutLinesToWidthChangesNothingWhenItCannotWrite)
{
    dataSet.WriteFileAs(folder.Path("data.txt"));
    dataSet.Close();
    WriteBytes(folder.Path("data.txt"), "longer line\r\n");
    dataSet.SetSchema({"A=4"});
    dataSet.Open();
    std::filesystem::remove(folder.Path("data.txt"));
    std::filesystem::create_directory(folder.Path("data.txt"));
    EXPECT_THROW(dataSet.CutLinesToWidth(), EFileError);
    EXPECT_EQ(TextsOf(dataSet), std::vector<std::string>{"longer line"});
    EXPECT_EQ(dataSet.Fields(0).AsString(), "long");
}

TEST_F(DataSetFailedWrite, MissingFolderFailsWriteFileAs)
{
    const std::string target = folder.Path("gone/data.txt");
    EXPECT_EQ(MessageOf([&] { dataSet.WriteFileAs(target); }),
              "Το αρχείο «" + target + "» δεν μπορεί να γραφτεί. Ο φάκελος του αρχείου δεν υπάρχει.");
    EXPECT_EQ(dataSet.FileName(), folder.Path("data.txt"));
    ExpectOldFileIntact();
}

TEST(DataSetFileWriting, CutLinesToWidthCutsLongLinesAndWrites)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "abcdefgh\nab\n", {"A=3", "B=2"});
    dataSet.Open();
    dataSet.CutLinesToWidth();
    EXPECT_EQ(TextsOf(dataSet), (Lines{"abcde", "ab"}));
    EXPECT_EQ(ReadBytes(folder.Path("data.txt")), "abcde\r\nab\r\n");
}

TEST(DataSetFileWriting, DropBlankLinesRemovesOnlyLinesOfBlanksAndControls)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "a\n   \n\t\nb\n\n c\n");
    dataSet.Open();
    dataSet.SetRecNo(4); // "b"
    dataSet.DropBlankLines();
    EXPECT_EQ(TextsOf(dataSet), (Lines{"a", "b", " c"}));
    EXPECT_TRUE(dataSet.LinesChanged());
    EXPECT_EQ(dataSet.Fields(0).AsString(), "b") << "the current record stays current";
}

TEST(DataSetFileWriting, DroppingTheCurrentBlankLineMakesTheNextCurrent)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "a\n \nb\n\n");
    dataSet.Open();
    dataSet.SetRecNo(2);
    dataSet.DropBlankLines();
    EXPECT_EQ(dataSet.Fields(0).AsString(), "b");
    dataSet.Last();
    dataSet.Append();
    dataSet.Post(); // an untouched new record is stored empty
    dataSet.DropBlankLines();
    EXPECT_EQ(TextsOf(dataSet), (Lines{"a", "b"}));
    EXPECT_EQ(dataSet.Fields(0).AsString(), "b");
}

TEST(DataSetFileWriting, DestroyingAChangedOpenStoreStillWritesItsLines)
{
    TTempFolder folder;
    {
        TFixedFormatDataSet dataSet;
        Prepare(dataSet, folder, "a\n", {"V=1"});
        dataSet.Open();
        dataSet.AfterClose = [](TFixedFormatDataSet&) {
            FAIL() << "no hook may run while the owner goes away";
        };
        dataSet.Append();
        dataSet.Fields(0).SetAsString("b");
        dataSet.Post();
    }
    EXPECT_EQ(ReadBytes(folder.Path("data.txt")), "a\r\nb\r\n");
}

TEST(DataSetProperties, ChangingPropertiesOfAnOpenStoreIsRefused)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet("FixedFormatDataSet3");
    Prepare(dataSet, folder, "ab\n", {"A=1"});
    dataSet.Open();
    const std::string refusal = "FixedFormatDataSet3: Cannot perform this operation on an open dataset";
    EXPECT_EQ(MessageOf([&] { dataSet.SetFileName("other"); }), refusal);
    EXPECT_EQ(MessageOf([&] { dataSet.SetFileMustExist(false); }), refusal);
    EXPECT_EQ(MessageOf([&] { dataSet.SetReadOnly(true); }), refusal);
    EXPECT_EQ(MessageOf([&] { dataSet.SetTrimSpace(false); }), refusal);
    EXPECT_EQ(MessageOf([&] { dataSet.SetSchema({}); }), refusal);
    EXPECT_EQ(dataSet.FileName(), folder.Path("data.txt"));
    EXPECT_TRUE(dataSet.FileMustExist());
    EXPECT_FALSE(dataSet.ReadOnly());
    EXPECT_TRUE(dataSet.TrimSpace());
    EXPECT_EQ(dataSet.Schema(), std::vector<std::string>{"A=1"});
}

TEST(DataSetProperties, CloseEmptiesTheStoreAndReopenRenumbers)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "a\nb\nc\n");
    dataSet.Open();
    dataSet.Delete();
    dataSet.Append();
    dataSet.Fields(0).SetAsString("d");
    dataSet.Post();
    EXPECT_EQ(dataSet.RecNo(), 4);
    dataSet.Close();
    EXPECT_TRUE(dataSet.Lines().empty());
    EXPECT_EQ(dataSet.RecordWidth(), 0);
    EXPECT_EQ(dataSet.FieldCount(), 0);
    EXPECT_TRUE(dataSet.LinesChanged()) << "only the next open clears the change mark";
    dataSet.Open();
    EXPECT_FALSE(dataSet.LinesChanged());
    dataSet.Last();
    EXPECT_EQ(dataSet.RecNo(), 3);
}

} // namespace

namespace {

// A store opened on lines in memory: the ids given are kept (rows reordered
// keep theirs), new rows number on from the highest, and nothing ever
// reaches a file: not on close, not when the store goes away. A file name
// set afterwards makes it a store over that file again.
TEST(DataSetInMemory, LinesGivenKeepTheirIdsAndNeverReachAFile)
{
    TTempFolder folder;
    {
        TFixedFormatDataSet dataSet;
        Prepare(dataSet, folder, "on disk\r\n", {"A=2", "B=3"});
        dataSet.OpenOnLines({{"b1b", 7}, {"a2a", 3}});
        EXPECT_TRUE(dataSet.InMemory());
        EXPECT_EQ(dataSet.FileName(), "");
        EXPECT_EQ(dataSet.FieldByName("B").AsString(), "b");
        EXPECT_EQ(dataSet.GetBookmark(), 7);
        dataSet.Append();
        dataSet.Fields(0).SetAsString("cc");
        dataSet.Post();
        ASSERT_EQ(dataSet.Lines().size(), 3u);
        EXPECT_EQ(dataSet.Lines()[2].Id, 8);
        dataSet.GotoBookmark(3);
        EXPECT_EQ(dataSet.Fields(0).AsString(), "a2");
        dataSet.Close();
        EXPECT_EQ(dataSet.RecordCount(), 0);
        // Opened again without lines, it starts empty rather than reading a file.
        dataSet.Open();
        EXPECT_EQ(dataSet.RecordCount(), 0);
        dataSet.Append();
        dataSet.Fields(0).SetAsString("zz");
        dataSet.Post();
        EXPECT_THROW(dataSet.OpenOnLines({}), EDatabaseError);
    }
    EXPECT_EQ(ReadBytes(folder.Path("data.txt")), "on disk\r\n");

    TFixedFormatDataSet dataSet;
    dataSet.OpenOnLines(TFixedFormatDataSet::NumberedLines({"x", "y"}));
    EXPECT_EQ(dataSet.Lines()[1].Id, 2);
    dataSet.Close();
    dataSet.SetFileName(folder.Path("data.txt"));
    EXPECT_FALSE(dataSet.InMemory());
    dataSet.Open();
    EXPECT_EQ(TextsOf(dataSet), Lines{"on disk"});
}

// Closing can hand the lines over whole instead of dropping them; the close
// hooks still run, and a closed store hands over nothing.
TEST(DataSetInMemory, CloseHandsTheLinesOverWhole)
{
    TFixedFormatDataSet dataSet;
    int closes = 0;
    dataSet.AfterClose = [&closes](TFixedFormatDataSet& closed) {
        closes += closed.Lines().empty() ? 1 : 100;
    };
    dataSet.OpenOnLines({{"b1b", 7}, {"a2a", 3}});
    std::vector<TFixedFormatDataSet::TLine> held = {{"stale", 1}};
    dataSet.Close(held);
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(held[0].Text, "b1b");
    EXPECT_EQ(held[1].Id, 3);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(dataSet.Active());
    dataSet.Close(held);
    EXPECT_EQ(held.size(), 2u);
}

} // namespace
