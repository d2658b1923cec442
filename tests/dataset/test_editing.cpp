#include "DataSetTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::string>;

class DataSetEditing : public ::testing::Test
{
protected:
    void Open(const std::string& bytes = "a\r\nb\r\nc\r\n")
    {
        Prepare(dataSet, folder, bytes, {"V=3"});
        dataSet.Open();
        RecordHooks(dataSet, hooks);
    }
    std::string Value() { return dataSet.Fields(0).AsString(); }
    void Set(const std::string& value) { dataSet.Fields(0).SetAsString(value); }
    // The hooks run since the last call.
    Names Hooks() { return std::exchange(hooks, {}); }

    TTempFolder folder;
    TFixedFormatDataSet dataSet{"FixedFormatDataSet1"};
    Names hooks;
};

TEST_F(DataSetEditing, HookOrderOfOpenAndClose)
{
    Prepare(dataSet, folder, "a\n", {"V=3"});
    RecordHooks(dataSet, hooks);
    dataSet.Open();
    EXPECT_EQ(Hooks(), (Names{"BeforeOpen", "AfterOpen"}));
    dataSet.Close();
    EXPECT_EQ(Hooks(), (Names{"BeforeClose", "AfterClose"}));
}

TEST_F(DataSetEditing, HookOrderOfEditAndPost)
{
    Open();
    dataSet.Edit();
    EXPECT_EQ(dataSet.State(), TDataSetState::dsEdit);
    EXPECT_EQ(Hooks(), (Names{"BeforeEdit", "AfterEdit"}));
    dataSet.Edit();
    EXPECT_TRUE(Hooks().empty()) << "editing again while editing does nothing";
    Set("x");
    dataSet.Post();
    EXPECT_EQ(Hooks(), (Names{"BeforePost", "AfterPost"}));
    EXPECT_EQ(dataSet.Lines()[0].Text, "x  ");
}

TEST_F(DataSetEditing, HookOrderOfInsertPostAndCancel)
{
    Open();
    dataSet.Insert();
    EXPECT_EQ(Hooks(), (Names{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}));
    dataSet.Cancel();
    EXPECT_EQ(Hooks(), (Names{"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"}));
    dataSet.Append();
    EXPECT_EQ(Hooks(), (Names{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}));
    Set("d");
    dataSet.Post();
    EXPECT_EQ(Hooks(), (Names{"BeforePost", "AfterPost"}));
    dataSet.Edit();
    Hooks();
    dataSet.Cancel();
    EXPECT_EQ(Hooks(), (Names{"BeforeCancel", "AfterCancel"}));
}

TEST_F(DataSetEditing, HookOrderOfDelete)
{
    Open();
    dataSet.Delete();
    EXPECT_EQ(Hooks(), (Names{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
    EXPECT_EQ(TextsOf(dataSet), (Names{"b", "c"}));
    EXPECT_EQ(Value(), "b");
}

TEST_F(DataSetEditing, NavigationPostsAModifiedRecordAndCancelsAnUntouchedOne)
{
    Open();
    dataSet.Edit();
    Set("x");
    Hooks();
    dataSet.Next();
    EXPECT_EQ(Hooks(), (Names{"BeforePost", "AfterPost", "BeforeScroll", "AfterScroll"}));
    EXPECT_EQ(dataSet.Lines()[0].Text, "x  ");
    EXPECT_EQ(Value(), "b");

    dataSet.Insert();
    Hooks();
    dataSet.Next();
    EXPECT_EQ(Hooks(), (Names{"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll", "BeforeScroll",
                              "AfterScroll"}));
    EXPECT_EQ(dataSet.RecordCount(), 3) << "a new row nobody typed into is discarded";
    EXPECT_EQ(Value(), "c");
}

TEST_F(DataSetEditing, ObserversHandInPendingEditsBeforeTheBrowseCheck)
{
    struct TPending : TDataSetObserver
    {
        std::string Typed;
        void UpdateData(TFixedFormatDataSet& ds) override
        {
            if (!Typed.empty())
                ds.Fields(0).SetAsString(std::exchange(Typed, {}));
        }
    } grid;
    Open();
    dataSet.AddObserver(&grid);
    dataSet.Append();
    grid.Typed = "new";
    dataSet.First();
    EXPECT_EQ(TextsOf(dataSet), (Names{"a", "b", "c", "new"}));
    dataSet.Edit();
    grid.Typed = "z";
    dataSet.Post();
    EXPECT_EQ(dataSet.Lines()[0].Text, "z  ");
    dataSet.RemoveObserver(&grid);
}

TEST_F(DataSetEditing, RefusalByBeforePostKeepsTheRowAndItsValues)
{
    Open();
    dataSet.BeforePost = [](TFixedFormatDataSet&) { throw EAbort(); };
    dataSet.Append();
    Set("bad");
    EXPECT_THROW(dataSet.Post(), EAbort);
    EXPECT_EQ(dataSet.State(), TDataSetState::dsInsert);
    EXPECT_EQ(Value(), "bad");
    EXPECT_TRUE(dataSet.Modified());
    EXPECT_THROW(dataSet.Next(), EAbort) << "navigation cannot leave a refused row";
    EXPECT_EQ(dataSet.State(), TDataSetState::dsInsert);
    EXPECT_EQ(dataSet.RecordCount(), 3);
    EXPECT_FALSE(dataSet.LinesChanged());
    dataSet.BeforePost = nullptr;
    dataSet.Post();
    EXPECT_EQ(TextsOf(dataSet), (Names{"a", "b", "c", "bad"}));
}

TEST_F(DataSetEditing, InsertGoesBeforeTheCurrentRecordAppendAtTheEnd)
{
    Open();
    dataSet.SetRecNo(3);
    dataSet.Insert();
    EXPECT_EQ(dataSet.InsertPosition(), 2);
    Set("i");
    dataSet.Post();
    EXPECT_EQ(TextsOf(dataSet), (Names{"a", "b", "i  ", "c"}));
    EXPECT_EQ(Value(), "i");
    EXPECT_EQ(dataSet.CurrentLine(), 2);
    dataSet.First();
    dataSet.Append();
    EXPECT_EQ(dataSet.InsertPosition(), 4);
    Set("z");
    dataSet.Post();
    EXPECT_EQ(TextsOf(dataSet).back(), "z  ");
    EXPECT_EQ(dataSet.RecNo(), 5);
}

TEST_F(DataSetEditing, InsertIntoAnEmptyStoreAddsTheFirstLine)
{
    Open("");
    dataSet.Edit(); // on an empty store editing means inserting
    EXPECT_EQ(dataSet.State(), TDataSetState::dsInsert);
    EXPECT_FALSE(dataSet.IsEmpty());
    Set("one");
    dataSet.Post();
    EXPECT_EQ(TextsOf(dataSet), Names{"one"});
    EXPECT_EQ(dataSet.RecNo(), 1);
}

TEST_F(DataSetEditing, CancelReturnsToTheRecordShownBefore)
{
    Open();
    dataSet.SetRecNo(2);
    dataSet.Insert();
    Set("q");
    dataSet.Cancel();
    EXPECT_EQ(Value(), "b");
    dataSet.Append();
    dataSet.Cancel();
    EXPECT_EQ(Value(), "c");
    dataSet.Edit();
    Set("q");
    dataSet.Cancel();
    EXPECT_EQ(Value(), "c");
    EXPECT_EQ(TextsOf(dataSet), (Names{"a", "b", "c"}));
    EXPECT_FALSE(dataSet.LinesChanged());
}

TEST_F(DataSetEditing, NewRecordDefaultsAreNotModifications)
{
    Open();
    dataSet.OnNewRecord = [](TFixedFormatDataSet& ds) { ds.Fields(0).SetAsString("def"); };
    dataSet.Append();
    EXPECT_EQ(Value(), "def");
    EXPECT_FALSE(dataSet.Modified());
    dataSet.First();
    EXPECT_EQ(dataSet.RecordCount(), 3);
}

TEST_F(DataSetEditing, FailingNewRecordUndoesTheInsertion)
{
    Open();
    dataSet.SetRecNo(2);
    dataSet.OnNewRecord = [](TFixedFormatDataSet&) { throw EDatabaseError("no defaults"); };
    EXPECT_EQ(MessageOf([&] { dataSet.Insert(); }), "no defaults");
    EXPECT_EQ(dataSet.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Value(), "b");
    EXPECT_EQ(dataSet.RecordCount(), 3);
}

TEST_F(DataSetEditing, BeforeHooksRefuseSilentlyAndKeepTheState)
{
    Open();
    dataSet.BeforeDelete = [](TFixedFormatDataSet&) { throw EAbort(); };
    dataSet.BeforeEdit = [](TFixedFormatDataSet&) { throw EAbort(); };
    dataSet.BeforeInsert = [](TFixedFormatDataSet&) { throw EAbort(); };
    EXPECT_THROW(dataSet.Delete(), EAbort);
    EXPECT_THROW(dataSet.Edit(), EAbort);
    EXPECT_THROW(dataSet.Insert(), EAbort);
    EXPECT_EQ(dataSet.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(dataSet.RecordCount(), 3);
}

TEST_F(DataSetEditing, DeletingTheLastRecordMakesTheNewLastCurrent)
{
    Open();
    dataSet.Last();
    dataSet.Delete();
    EXPECT_EQ(Value(), "b");
    EXPECT_EQ(dataSet.CurrentLine(), 1);
    EXPECT_TRUE(dataSet.LinesChanged());
}

TEST_F(DataSetEditing, DeleteWhileInsertingCancelsAndEmptyDeleteIsRefused)
{
    Open("a\n");
    dataSet.Append();
    Set("x");
    dataSet.Delete();
    EXPECT_EQ(TextsOf(dataSet), Names{"a"});
    dataSet.Delete();
    EXPECT_EQ(MessageOf([&] { dataSet.Delete(); }),
              "FixedFormatDataSet1: Cannot perform this operation on an empty dataset");
}

TEST_F(DataSetEditing, PostAndCancelOutsideEditing)
{
    Open();
    EXPECT_EQ(MessageOf([&] { dataSet.Post(); }), "FixedFormatDataSet1: Dataset not in edit or insert mode");
    dataSet.Cancel();
    EXPECT_TRUE(Hooks().empty());
}

// Conversions that fail on demand, so the error hooks can be driven.
class TFailingDataSet : public TFixedFormatDataSet
{
public:
    using TFixedFormatDataSet::TFixedFormatDataSet;
    int FailStores = 0;
    int FailReads = 0;

protected:
    std::string RecordToLine(const std::string& record) const override
    {
        if (FailStores > 0) {
            --const_cast<TFailingDataSet*>(this)->FailStores;
            throw EDatabaseError("store failed");
        }
        return TFixedFormatDataSet::RecordToLine(record);
    }
    void LineToRecord(const std::string& line, std::string& record) const override
    {
        if (FailReads > 0) {
            --const_cast<TFailingDataSet*>(this)->FailReads;
            throw EDatabaseError("read failed");
        }
        TFixedFormatDataSet::LineToRecord(line, record);
    }
};

class DataSetErrorHooks : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Prepare(dataSet, folder, "a\nb\n", {"V=3"});
        dataSet.Open();
    }
    TTempFolder folder;
    TFailingDataSet dataSet{"FixedFormatDataSet1"};
    int calls = 0;
    TFixedFormatDataSet::TErrorHook Answer(TDataAction action)
    {
        return [this, action](TFixedFormatDataSet&, const EDatabaseError&, TDataAction& answer) {
            ++calls;
            answer = action;
        };
    }
};

TEST_F(DataSetErrorHooks, FailPassesTheErrorOnAndKeepsTheEdit)
{
    dataSet.OnPostError = Answer(TDataAction::daFail);
    dataSet.Edit();
    dataSet.Fields(0).SetAsString("x");
    dataSet.FailStores = 1;
    EXPECT_EQ(MessageOf([&] { dataSet.Post(); }), "store failed");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(dataSet.State(), TDataSetState::dsEdit);
    EXPECT_EQ(dataSet.Fields(0).AsString(), "x");
    EXPECT_FALSE(dataSet.LinesChanged());
}

TEST_F(DataSetErrorHooks, AbortTurnsTheErrorSilent)
{
    dataSet.OnPostError = Answer(TDataAction::daAbort);
    dataSet.Append();
    dataSet.Fields(0).SetAsString("x");
    dataSet.FailStores = 1;
    EXPECT_THROW(dataSet.Post(), EAbort);
    EXPECT_EQ(dataSet.RecordCount(), 2);
    dataSet.Post();
    EXPECT_EQ(dataSet.RecNo(), 3) << "a failed store uses no id";
}

TEST_F(DataSetErrorHooks, RetryRunsTheOperationAgain)
{
    dataSet.OnPostError = Answer(TDataAction::daRetry);
    dataSet.Append();
    dataSet.Fields(0).SetAsString("x");
    dataSet.FailStores = 2;
    dataSet.Post();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(TextsOf(dataSet), (Names{"a", "b", "x  "}));
}

TEST_F(DataSetErrorHooks, EditErrorsReachOnEditError)
{
    dataSet.OnEditError = Answer(TDataAction::daRetry);
    dataSet.FailReads = 1;
    dataSet.Edit();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(dataSet.State(), TDataSetState::dsEdit);
}

TEST_F(DataSetErrorHooks, OtherErrorsPassStraightOn)
{
    dataSet.OnPostError = Answer(TDataAction::daAbort);
    dataSet.Edit();
    dataSet.BeforePost = [](TFixedFormatDataSet&) { throw std::runtime_error("not ours"); };
    EXPECT_EQ(MessageOf([&] { dataSet.Post(); }), "not ours");
    EXPECT_EQ(calls, 0);
}

TEST_F(DataSetErrorHooks, DeleteNeverRemovesAnotherRecordThanTheOneAsked)
{
    // A hook that deletes the record itself leaves nothing for the outer delete.
    bool nested = false;
    dataSet.BeforeDelete = [&nested](TFixedFormatDataSet& ds) {
        if (!std::exchange(nested, true))
            ds.Delete();
    };
    dataSet.OnDeleteError = Answer(TDataAction::daFail);
    EXPECT_EQ(MessageOf([&] { dataSet.Delete(); }), "FixedFormatDataSet1: Record not found");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(TextsOf(dataSet), Names{"b"});
}

TEST(DataSetObservers, HearOfStateScrollsAndChanges)
{
    struct TLog : TDataSetObserver
    {
        Names Events;
        void DataSetChanged(TFixedFormatDataSet&) override { Events.push_back("changed"); }
        void RecordChanged(TFixedFormatDataSet&, const TField* f) override
        {
            Events.push_back("record " + (f ? f->FieldName() : std::string("-")));
        }
        void StateChanged(TFixedFormatDataSet& ds) override
        {
            Events.push_back("state " + std::to_string(static_cast<int>(ds.State())));
        }
        void Scrolled(TFixedFormatDataSet&) override { Events.push_back("scrolled"); }
    } log;
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "a\nb\n", {"V=1"});
    dataSet.AddObserver(&log);
    dataSet.Open();
    dataSet.Next();
    dataSet.Edit();
    dataSet.Fields(0).SetAsString("x");
    dataSet.Post();
    dataSet.Close();
    EXPECT_EQ(log.Events, (Names{"state 1", "changed", "scrolled", "state 2", "record -", "record V",
                                 "state 1", "changed", "state 0", "changed"}));
}

TEST(DataSetObservers, LocateTellsViewsOnceAtTheEnd)
{
    struct TCount : TDataSetObserver
    {
        int Scrolls = 0;
        int Changes = 0;
        void Scrolled(TFixedFormatDataSet&) override { ++Scrolls; }
        void DataSetChanged(TFixedFormatDataSet&) override { ++Changes; }
    } count;
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "a\nb\nc\n");
    dataSet.Open();
    dataSet.AddObserver(&count);
    EXPECT_TRUE(dataSet.Locate("Line", "c", {}));
    EXPECT_EQ(count.Scrolls, 0);
    EXPECT_EQ(count.Changes, 1);
    EXPECT_FALSE(dataSet.ControlsDisabled());
}

} // namespace
