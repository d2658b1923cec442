#include "WorkspaceFixture.h"

using namespace declaration;

namespace {

class TotalsTest : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        StartDeclaration();
    }
};

TEST_F(TotalsTest, EachBoxSumsItsOwnField)
{
    ASSERT_TRUE(Store({{AFM, "090000045"},
                       {TypeInc, "10"},
                       {AkaInc, "1000"},
                       {Kratiseis, "100"},
                       {Kathares, "900"},
                       {ForosParakr, "50"},
                       {Xartosimo, "3"},
                       {OGAXart, "4"},
                       {ForosAnal, "60"},
                       {OGAForouParakr, "7"},
                       {OGAForouAnal, "8"}}));
    ASSERT_TRUE(
        Store({{AFM, "123456783"}, {TypeInc, "10"}, {AkaInc, "0,1"}, {Kratiseis, "0"}, {Kathares, "0,1"}}));
    ASSERT_TRUE(
        Store({{AFM, "000000050"}, {TypeInc, "11"}, {AkaInc, "0,2"}, {Kratiseis, "0"}, {Kathares, "0,2"}}));
    // Edit1..Edit9: gross, deductions, net, withheld, stamp, stamp levy, due, withheld levy, due levy.
    const std::array<std::string, 9> expected = {"1000,3", "100", "900,3", "50", "3", "4", "60", "7", "8"};
    const Totals& totals = ws->CurrentTotals();
    EXPECT_EQ(totals.Edits(), expected);
    EXPECT_EQ(totals.Label32(), "3 Εγγραφές-3 μοναδικοί ΑΦΜ");
    // Each box read by name is the field it sums.
    EXPECT_EQ((std::array{totals.GrossPay(), totals.Deductions(), totals.NetPay(), totals.TaxWithheld(),
                          totals.StampDuty(), totals.StampDutyLevy(), totals.TaxDue(),
                          totals.TaxLevyWithheld(), totals.TaxLevyDue()}),
              expected);
    // Changing the boxes from outside goes through the workspace, which has them shown.
    ui.Forget();
    ws->ReplaceTotals(Totals({"1"}, "x"));
    EXPECT_EQ(ws->CurrentTotals(), Totals({"1", "", "", "", "", "", "", "", ""}, "x"));
    EXPECT_EQ(ui.refreshes, 1);
}

TEST_F(TotalsTest, SmallSumsShowWithoutBinaryNoise)
{
    ASSERT_TRUE(
        Store({{AFM, "123456783"}, {TypeInc, "10"}, {AkaInc, "0,1"}, {Kratiseis, "0"}, {Kathares, "0,1"}}));
    ASSERT_TRUE(
        Store({{AFM, "000000050"}, {TypeInc, "11"}, {AkaInc, "0,2"}, {Kratiseis, "0"}, {Kathares, "0,2"}}));
    EXPECT_EQ(ws->CurrentTotals().GrossPay(), "0,3");
}

TEST_F(TotalsTest, KindsFifteenAndSixteenCountAsRowsButNotInTotals)
{
    ASSERT_TRUE(Store(GoodRow("090000045", "15")));
    ASSERT_TRUE(Store(GoodRow("090000045", "16")));
    ASSERT_TRUE(
        Store({{AFM, "123456783"}, {TypeInc, "10"}, {AkaInc, "500"}, {Kratiseis, "0"}, {Kathares, "500"}}));
    EXPECT_EQ(ws->CurrentTotals().GrossPay(), "500");
    EXPECT_EQ(ws->CurrentTotals().Deductions(), "0");
    EXPECT_EQ(ws->CurrentTotals().Label32(), "3 Εγγραφές-2 μοναδικοί ΑΦΜ");
}

TEST_F(TotalsTest, DeletingTheOnlyRowLeavesZeros)
{
    ASSERT_TRUE(Store(GoodRow("090000045", "10")));
    ASSERT_TRUE(Store(GoodRow("090000045", "11")));
    EXPECT_EQ(ws->CurrentTotals().Label32(), "2 Εγγραφές-1 μοναδικοί ΑΦΜ");
    Rows().Delete();
    Rows().Delete();
    EXPECT_EQ(ws->CurrentTotals().Label32(), "0 Εγγραφές-0 μοναδικοί ΑΦΜ");
    for (const auto& box : ws->CurrentTotals().Edits())
        EXPECT_EQ(box, "0");
}

TEST_F(TotalsTest, StoredRowIsKeptSafeAtOnceAndTheRowsStayInMemory)
{
    ASSERT_TRUE(Store(GoodRow("090000045", "10")));
    const WorkKeeper::Recovered kept = WorkKeeper::Recover(dir.path().toStdString());
    ASSERT_TRUE(kept.found);
    ASSERT_EQ(kept.rows.size(), 1u);
    EXPECT_EQ(kept.rows.front().Text, Rows().Lines().front().Text);
    EXPECT_EQ(kept.rows.front().Text.substr(0, 10), "3090000045");
    EXPECT_TRUE(Rows().InMemory());
    EXPECT_EQ(Rows().FileName(), "");
    for (const char* gone : {"temp/record2", "temp/record21", "temp/generaldata"})
        EXPECT_EQ(ReadFile(gone), "<missing>") << gone;
}

TEST_F(TotalsTest, AnUnreadableStoredAmountStopsThePassWithItsError)
{
    ASSERT_TRUE(Store(GoodRow("090000045", "10")));
    // A row that never passed the checks, as an opened file can carry.
    Rows().First();
    Rows().Edit();
    Rows().FieldByName("Kratiseis").SetAsString("12a");
    ws->FixedFormatDataSet1.BeforePost = nullptr;
    try {
        Rows().Post();
        FAIL() << "an unreadable amount must stop the totals";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), "'12a' is not a valid floating point value");
    }
    // The boxes are emptied, never left with sums the rows no longer give.
    EXPECT_EQ(ws->CurrentTotals().Label32(), "1 Εγγραφές");
    EXPECT_EQ(ws->CurrentTotals().Deductions(), "");
    EXPECT_EQ(ws->CurrentTotals().GrossPay(), "");
    // Kinds 15 and 16 are never summed, so their amounts are never read.
    Rows().Edit();
    Rows().FieldByName("TypeInc").SetAsString("15");
    Rows().Post();
    EXPECT_EQ(ws->CurrentTotals().Label32(), "1 Εγγραφές-1 μοναδικοί ΑΦΜ");
}

} // namespace
