#include "WorkspaceFixture.h"

using namespace declaration;

namespace {

using Said = std::vector<std::string>;

class SortFindTest : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        StartDeclaration();
        // Rows here carry made-up numbers; the import mode keeps the number questions away.
        ws->SetImporting(true);
    }
    void StoreAll(const std::vector<RowValues>& rows)
    {
        for (const auto& row : rows)
            ASSERT_TRUE(Store(row));
        ws->SetModified(false);
        ui.Forget();
    }
    std::vector<std::string> Column(DetailField field)
    {
        std::vector<std::string> values;
        for (size_t i = 0; i < Rows().Lines().size(); ++i)
            values.push_back(StoredField(i, field));
        return values;
    }
    using Strings = std::vector<std::string>;
};

TEST_F(SortFindTest, ByAfmOrdersByTheWholeRecord)
{
    StoreAll({GoodRow("200000000"), GoodRow("100000001"), GoodRow("100000000", "10", "ZETA"),
              With(GoodRow("100000000", "11", "ALPHA"), {{Name, "B"}}),
              With(GoodRow("100000000", "12", "ALPHA"), {{Name, "A"}})});
    ws->SortByAfm();
    EXPECT_EQ(Column(AFM), (Strings{"100000000", "100000000", "100000000", "100000001", "200000000"}));
    EXPECT_EQ(Column(SurName), (Strings{"ALPHA", "ALPHA", "ZETA", "PAPAS", "PAPAS"}));
    EXPECT_EQ(Column(Name), (Strings{"A", "B", "", "", ""}));
    EXPECT_TRUE(ws->Modified());
    EXPECT_EQ(Rows().RecNo(), 1);
    // The crash-safe copy holds the new order.
    Strings expected;
    for (const auto& line : Rows().Lines())
        expected.push_back(line.Text);
    Strings kept;
    for (const auto& line : WorkKeeper::Recover(dir.path().toStdString()).rows)
        kept.push_back(line.Text);
    EXPECT_EQ(kept, expected);
    EXPECT_EQ(ui.log.front(), "busy: on");
    EXPECT_EQ(Strings(ui.log.end() - 3, ui.log.end()), (Strings{"grid: on", "wait: off", "busy: off"}));
}

TEST_F(SortFindTest, AlphabeticalOrdersByCodePageBytesFromTheSurnameOn)
{
    StoreAll({GoodRow("1", "10", Cp("ΠΑΠΑΣΤΑΘΗΣ")), GoodRow("2", "10", Cp("ΑΓΓΕΛΟΣ")),
              GoodRow("3", "10", Cp("ΠΑΠΑΣ")), GoodRow("4", "10", Cp("ΆΓΓΕΛΟΣ")),
              GoodRow("5", "10", "ZORBAS")});
    ws->SortAlphabetically();
    EXPECT_EQ(Column(SurName),
              (Strings{"ZORBAS", Cp("ΆΓΓΕΛΟΣ"), Cp("ΑΓΓΕΛΟΣ"), Cp("ΠΑΠΑΣ"), Cp("ΠΑΠΑΣΤΑΘΗΣ")}));
    // The AFM travels with its row.
    EXPECT_EQ(Column(AFM), (Strings{"5", "4", "2", "3", "1"}));
}

TEST_F(SortFindTest, AlphabeticalSwapsRowsWithEqualTails)
{
    StoreAll({GoodRow("1", "10", "B"), GoodRow("2", "10", "B"), GoodRow("3", "10", "A")});
    ws->SortAlphabetically();
    EXPECT_EQ(Column(AFM), (Strings{"3", "2", "1"}));
}

TEST_F(SortFindTest, SortingNothingWritesAnEmptyFile)
{
    ws->SortByAfm();
    EXPECT_EQ(ReadFile("temp/record2"), "<missing>");
    EXPECT_TRUE(Rows().Active());
    EXPECT_EQ(Rows().RecordCount(), 0);
}

TEST_F(SortFindTest, ASortThatCannotKeepItsCrashSafeCopyStillSorts)
{
    StoreAll({GoodRow("2"), GoodRow("1"), GoodRow("3")});
    const FailingKeeperBase failing;
    ui.Forget();
    EXPECT_TRUE(ws->SortByAfm());
    EXPECT_TRUE(Rows().Active());
    EXPECT_EQ(Column(AFM), (Strings{"1", "2", "3"}));
    EXPECT_TRUE(ws->Modified());
    ASSERT_EQ(ui.Said().size(), 1u);
    EXPECT_EQ(ui.Said()[0].rfind("error: Η εργασία δεν φυλάσσεται πια", 0), 0u);
    EXPECT_EQ(Strings(ui.log.end() - 3, ui.log.end()), (Strings{"grid: on", "wait: off", "busy: off"}));
}

TEST_F(SortFindTest, ARefusedPendingRowStopsSortAndFind)
{
    StoreAll({GoodRow("2"), GoodRow("1")});
    const std::string record2 = ReadFile("temp/record2");
    Rows().Append();
    Post(With(GoodRow("3"), {{TypeInc, "99"}}));
    const Said refusal = {"beep", "message: Έχετε συμπληρώσει μη αποδεκτή τιμή Είδους Αποδοχών στην εγγραφή "
                                  "αναλυτικών αμοιβών"};
    for (int button = 1; button <= 2; ++button) {
        ui.Forget();
        button == 1 ? ws->SortByAfm() : ws->SortAlphabetically();
        EXPECT_EQ(ui.Said(), refusal);
        EXPECT_EQ(ui.log.size(), 2u);
        EXPECT_EQ(ReadFile("temp/record2"), record2);
        EXPECT_FALSE(ws->Modified());
        EXPECT_EQ(Rows().State(), TDataSetState::dsInsert);
    }
    ui.Forget();
    EXPECT_EQ(ws->FindRow(true, "1", false), Workspace::FindResult::Refused);
    EXPECT_EQ(ui.Said(), refusal);
}

// A new row nobody typed into (Down on the last row) used to stop sort, find
// and save with the message about the required fields; it is dropped instead.
TEST_F(SortFindTest, AnUntouchedNewRowIsDroppedBeforeSortFindAndSave)
{
    StoreAll({GoodRow("2"), GoodRow("1")});
    const auto untouchedNewRow = [&] {
        Rows().Append();
        ASSERT_EQ(Rows().State(), TDataSetState::dsInsert);
    };
    untouchedNewRow();
    EXPECT_TRUE(ws->SortByAfm());
    EXPECT_EQ(Column(AFM), (Strings{"1", "2"}));
    untouchedNewRow();
    EXPECT_EQ(ws->FindRow(true, "2", false), Workspace::FindResult::Found);
    untouchedNewRow();
    ws->Header.AFM = "094014201";
    ui.saveChoices.push_back(ProgramPath("out.txt"));
    EXPECT_EQ(ws->SaveAs(), Workspace::SaveOutcome::Saved);
    for (const auto& line : ui.log)
        EXPECT_EQ(line.find("Πρέπει να συμπληρώσετε"), std::string::npos) << line;
    EXPECT_EQ(Rows().RecordCount(), 2);
    EXPECT_EQ(Rows().State(), TDataSetState::dsBrowse);

    // One typed character makes it a row to check.
    Rows().Append();
    Rows().FieldByName("Name").SetAsString("A");
    EXPECT_EQ(ws->StorePendingRow(), Workspace::StoreOutcome::Refused);
}

TEST_F(SortFindTest, FindMovesToTheFirstMatchingRow)
{
    StoreAll({GoodRow("111111111", "10", "PAPADOPOULOS"), GoodRow("222222222", "10", "PAPAS"),
              GoodRow("333333333", "10", "NIKOLAOU"), GoodRow("222222222", "11", "PAPAS")});
    const auto current = [&] { return Field(AFM) + "/" + Field(TypeInc); };

    EXPECT_EQ(ws->FindRow(true, "222222222", false), Workspace::FindResult::Found);
    EXPECT_EQ(current(), "222222222/10");
    EXPECT_EQ(ws->FindRow(false, "PAP", true), Workspace::FindResult::Found);
    EXPECT_EQ(current(), "111111111/10");
    EXPECT_EQ(ws->FindRow(false, "NIKOLAOU", false), Workspace::FindResult::Found);
    EXPECT_EQ(current(), "333333333/10");
    EXPECT_TRUE(ui.Said().empty());

    // Not found: a warning, then the first row. Case, the middle of a name and
    // a key longer than the field never match.
    const std::vector<std::pair<bool, std::string>> misses = {
        {false, "papas"}, {false, "DOPOULOS"}, {false, "PAPADOPOULOSXXXXXXX"}, {true, "2222"}};
    for (const auto& [byAfm, key] : misses) {
        Rows().Last();
        ui.Forget();
        EXPECT_EQ(ws->FindRow(byAfm, key, byAfm ? false : true), Workspace::FindResult::NotFound) << key;
        EXPECT_EQ(ui.Said(), Said{byAfm ? "warning: Δεν βρέθηκε ο ΑΦΜ" : "warning: Δεν βρέθηκε το Επώνυμο"});
        EXPECT_EQ(current(), "111111111/10");
    }
}

TEST_F(SortFindTest, FindWithAnEmptyKey)
{
    StoreAll({GoodRow("111111111", "10", "PAPAS"), GoodRow("222222222", "10", ""),
              GoodRow("333333333", "10", "")});
    Rows().Last();
    EXPECT_EQ(ws->FindRow(false, "", false), Workspace::FindResult::Found);
    EXPECT_EQ(Field(AFM), "222222222");
    EXPECT_EQ(ws->FindRow(false, "", true), Workspace::FindResult::Found);
    EXPECT_EQ(Field(AFM), "111111111");
}

} // namespace
