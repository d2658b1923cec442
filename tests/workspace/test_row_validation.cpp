#include "WorkspaceFixture.h"
#include "text/ConvertError.h"

using namespace declaration;

namespace {

const std::string kMandatory =
    "message: Πρέπει να συμπληρώσετε υποχρεωτικά τα πεδία ΑΦΜ,Ακαθάριστες και Καθαρές "
    "Αποδοχές, Κρατήσεις, Είδος Αποδοχών";
const std::string kKind =
    "message: Έχετε συμπληρώσει μη αποδεκτή τιμή Είδους Αποδοχών στην εγγραφή αναλυτικών αμοιβών";
const std::string kEmployerQuestion =
    "ask: Ο ΑΦΜ: που εισάγατε είναι ίδιος με τον ΑΦΜ υπόχρεου. Είστε σίγουρος "
    "ότι αυτό είναι σωστό; [Ναι|Όχι]";
const std::string kBadAfmQuestion = "ask: Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή αναλυτικών αμοιβών. "
                                    "Είστε σίγουρος ότι αυτό είναι σωστό; [Ναι|Όχι]";
const std::string kDays =
    "message: Οι ημέρες απασχόλησης πρέπει να είναι <= 365. Διορθώστε το για να προχωρήσει η αποθήκευση.";
const std::string kNet =
    "message: Οι Καθαρές αποδοχές δε συμφωνούν με τα υπόλοιπα ποσά που έχετε δηλώσει.Ελέγξτε "
    "τα ποσά των διάφορων κρατήσεων καθώς και τις Ακαθάριστες αποδοχές";
const std::string kDeductions = "message: Οι συνολικές κρατήσεις που έχετε δηλώσει είναι μεγαλύτερες από τις "
                                "Ακαθάριστες αποδοχές. Ελέγξτε τα ποσά των διάφορων κρατήσεων καθώς και τις "
                                "Ακαθάριστες αποδοχές";
const std::string kStamp =
    "message: Το ποσό Χαρτοσήμου που έχετε δηλώσει είναι μεγαλύτερο από τις Ακαθάριστες "
    "αποδοχές. Ελέγξτε το ποσό Χαρτοσήμου καθώς και τις Ακαθάριστες αποδοχές";
const std::string kStampLevy =
    "message: Το ποσό ΟΓΑ Χαρτοσήμου που έχετε δηλώσει είναι μεγαλύτερο από τις "
    "Ακαθάριστες αποδοχές. Ελέγξτε το ποσό ΟΓΑ Χαρτοσήμου καθώς και τις Ακαθάριστες "
    "αποδοχές";
const std::string kWithheldGross = "message: Ο Φόρος που Παρακρατήθηκε είναι μεγαλύτερος από τις Ακαθάριστες "
                                   "αποδοχές. Ελέγξτε το ποσό Φόρου καθώς και τις Ακαθάριστες αποδοχές";
const std::string kDueGross =
    "message: Ο Αναλογούντας Φόρος που έχετε δηλώσει είναι μεγαλύτερος από τις "
    "Ακαθάριστες αποδοχές. Ελέγξτε το ποσό Φόρου καθώς και τις Ακαθάριστες αποδοχές";
const std::string kWithheldDue = "ask: Ο Φόρος που Παρακρατήθηκε είναι μεγαλύτερος από τον Αναλογούντα Φόρο. "
                                 "Είστε βέβαιος ότι θέλετε να συνεχίσετε με την αποθήκευση; [Ναι|Όχι]";
const std::string kWithheldNet =
    "ask: Ο Φόρος που Παρακρατήθηκε είναι μεγαλύτερος του 40% των Καθαρών Αποδοχών. "
    "Είστε βέβαιος ότι θέλετε να συνεχίσετε με την αποθήκευση; [Ναι|Όχι]";
const std::string kDueNet = "ask: Ο Φόρος που Αναλογεί είναι μεγαλύτερος του 40% των Καθαρών Αποδοχών. Είστε "
                            "βέβαιος ότι θέλετε να συνεχίσετε με την αποθήκευση; [Ναι|Όχι]";
const std::string kWithheldLevy =
    "message: Το ποσό \"ΟΓΑ Φόρου που παρ/κε\" που έχετε δηλώσει είναι μεγαλύτερο "
    "από τις Ακαθάριστες αποδοχές. Ελέγξτε το ποσό Φόρου καθώς και τις "
    "Ακαθάριστες αποδοχές";
const std::string kDueLevy =
    "message: Το ποσό \"ΟΓΑ Φόρου που αναλογεί\" που έχετε δηλώσει είναι μεγαλύτερο από "
    "τις Ακαθάριστες αποδοχές. Ελέγξτε το ποσό Φόρου καθώς και τις Ακαθάριστες "
    "αποδοχές";

using Said = std::vector<std::string>;

class RowValidationTest : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        StartDeclaration();
    }

    // Stores `row` as a new row; expects a refusal with exactly `said`,
    // nothing stored and the verdict cleared.
    void ExpectRefused(const RowValues& row, const Said& said)
    {
        ui.Forget();
        const int before = Rows().RecordCount();
        ws->SetRowAccepted(true);
        EXPECT_FALSE(Store(row));
        EXPECT_EQ(ui.Said(), said);
        EXPECT_FALSE(ws->RowAccepted());
        EXPECT_EQ(Rows().RecordCount(), before);
        Rows().Cancel();
        ui.ExpectScriptUsed();
    }
    void ExpectAccepted(const RowValues& row, const Said& said = {})
    {
        ui.Forget();
        const int before = Rows().RecordCount();
        EXPECT_TRUE(Store(row));
        EXPECT_EQ(ui.Said(), said);
        EXPECT_TRUE(ws->RowAccepted());
        EXPECT_EQ(Rows().RecordCount(), before + 1);
        ui.ExpectScriptUsed();
    }
};

TEST_F(RowValidationTest, IdentificationRefusalsAndQuestionsComeInTheirOrder)
{
    // An empty AFM equals an empty employer AFM: that question comes before the mandatory fields.
    ws->Header.AFM = "";
    ui.Yes();
    ExpectRefused(With(GoodRow(), {{AFM, ""}}), {"beep", kEmployerQuestion, "beep", kMandatory});
    ws->Header.AFM = "094014201";

    for (DetailField field : {AFM, AkaInc, Kratiseis, Kathares})
        ExpectRefused(With(GoodRow(), {{field, "  "}}), {"beep", kMandatory});
    // Only the income kind missing: its own message, not the mandatory one.
    ExpectRefused(With(GoodRow(), {{TypeInc, ""}}), {"beep", kKind});
    for (const char* kind : {"17", "26", "1", "99"})
        ExpectRefused(GoodRow("090000045", kind), {"beep", kKind});

    // The employer's own number and a failing check digit are questions; "Όχι" refuses silently.
    ui.No();
    ExpectRefused(GoodRow("094014201"), {"beep", kEmployerQuestion});
    EXPECT_EQ(ui.lastButtons, UserInterface::YesButton | UserInterface::NoButton);
    ui.No();
    ExpectRefused(GoodRow("090000046"), {"beep", kBadAfmQuestion});
    ui.Yes();
    ExpectAccepted(GoodRow("094014201"), {"beep", kEmployerQuestion});
    ui.Yes();
    ExpectAccepted(GoodRow("090000046"), {"beep", kBadAfmQuestion});
}

TEST_F(RowValidationTest, EveryKnownIncomeKindPassesIncludingThirty)
{
    const char* afms[] = {"090000045", "123456783", "000000050", "100000003",
                          "200000006", "121212129", "800000002", "999999993"};
    int n = 0;
    for (const char* kind :
         {"10", "11", "12", "13", "14", "15", "16", "20", "21", "22", "23", "24", "25", "30"})
        ExpectAccepted(GoodRow(afms[n++ % 8], kind));
}

TEST_F(RowValidationTest, WhileImportingOnlyTheTaxNumberQuestionsAreSkipped)
{
    ws->SetImporting(true);
    ExpectAccepted(GoodRow("094014201"));
    ExpectAccepted(GoodRow("090000046"));
    ui.Yes();
    ExpectAccepted(With(GoodRow("123456783"), {{ForosParakr, "300"}, {ForosAnal, "200"}}),
                   {"beep", kWithheldDue});
    ExpectRefused(With(GoodRow("100000003"), {{TypeInc, "17"}}), {"beep", kKind});
}

TEST_F(RowValidationTest, AnAfmThatIsNoNumberIsAnErrorNotARefusal)
{
    Rows().Append();
    ws->SetRowAccepted(true);
    EXPECT_THROW(Post(GoodRow("12345678A")), EConvertError);
    EXPECT_TRUE(ws->RowAccepted());
    EXPECT_EQ(Rows().State(), TDataSetState::dsInsert);
    EXPECT_EQ(Rows().RecordCount(), 0);

    // An import asks no question about the number, but letters in it are
    // still no number: the row is not stored.
    ws->SetImporting(true);
    EXPECT_THROW(Post(GoodRow("12345678A")), EConvertError);
    EXPECT_EQ(Rows().RecordCount(), 0);
}

TEST_F(RowValidationTest, DaysUpTo365PassEmptyBecomesZero)
{
    ExpectAccepted(With(GoodRow("090000045"), {{Hmeres, "365"}}));
    ExpectRefused(With(GoodRow("123456783"), {{Hmeres, "366"}}), {"beep", kDays});
    ExpectAccepted(GoodRow("123456783"));
    EXPECT_EQ(StoredField(1, Hmeres), "0");

    Rows().Append();
    ws->SetRowAccepted(true);
    try {
        Post(With(GoodRow("000000050"), {{Hmeres, "1x"}}));
        FAIL() << "days that are no number must be an error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(std::string(e.what()), "'1x' is not a valid integer value");
    }
    EXPECT_TRUE(ws->RowAccepted());
}

TEST_F(RowValidationTest, StoredRowIsStampedZeroFilledAndNormalised)
{
    ExpectAccepted(With(
        GoodRow(), {{AkaInc, "1000,50"}, {Kratiseis, "0,50"}, {Kathares, "1000"}, {Xartosimo, "12,345"}}));
    ExpectAccepted(With(GoodRow("123456783"), {{Kathares, "800,00"}, {Kratiseis, "200,0"}}));
    const std::string line = Rows().Lines().at(0).Text;
    ASSERT_EQ(line.size(), 170u);
    EXPECT_EQ(line.substr(0, 1), "3");
    EXPECT_EQ(line.substr(10, 1), " ");
    EXPECT_EQ(line.substr(166, 4), "    ");
    EXPECT_EQ(StoredField(0, AkaInc), "1000,5");
    EXPECT_EQ(StoredField(0, Kratiseis), "0,5");
    EXPECT_EQ(StoredField(0, Xartosimo), "12,35");
    for (DetailField field :
         {OGAXart, ForosParakr, ForosAnal, Ypokatastima, Hmeres, OGAForouParakr, OGAForouAnal})
        EXPECT_EQ(StoredField(0, field), "0") << DetailLayout()[field].name;
    EXPECT_EQ(StoredField(1, Kathares), "800");
    EXPECT_EQ(StoredField(1, Kratiseis), "200");
}

TEST_F(RowValidationTest, AmountRelationsRefuseAtTheirBoundaries)
{
    ExpectRefused(With(GoodRow(), {{Kathares, "800,01"}}), {"beep", kNet});
    // Gross and deductions nearly equal: their binary difference is off in the
    // fifteenth digit, yet the net is exact to the cent.
    ExpectAccepted(
        With(GoodRow("123456783"), {{AkaInc, "263411,02"}, {Kratiseis, "263404,91"}, {Kathares, "6,11"}}));
    ExpectRefused(With(GoodRow(), {{AkaInc, "263411,02"}, {Kratiseis, "263404,91"}, {Kathares, "6,12"}}),
                  {"beep", kNet});
    // Net -200 agrees with gross - deductions, so only the deductions check refuses it.
    ExpectRefused(With(GoodRow(), {{Kratiseis, "1200"}, {Kathares, "-200"}}), {"beep", kDeductions});
    ExpectRefused(With(GoodRow(), {{Xartosimo, "1000,01"}}), {"beep", kStamp});
    ExpectRefused(With(GoodRow(), {{OGAXart, "1000,01"}}), {"beep", kStampLevy});
    ExpectRefused(With(GoodRow(), {{ForosParakr, "1000,01"}}), {"beep", kWithheldGross});
    ExpectRefused(With(GoodRow(), {{ForosAnal, "1000,01"}}), {"beep", kDueGross});
    ExpectRefused(With(GoodRow(), {{OGAForouParakr, "1000,01"}}), {"beep", kWithheldLevy});
    ExpectRefused(With(GoodRow(), {{OGAForouAnal, "1000,01"}}), {"beep", kDueLevy});

    ExpectAccepted(
        With(GoodRow("090000045"),
             {{Xartosimo, "1000"}, {OGAXart, "1000"}, {OGAForouParakr, "1000"}, {OGAForouAnal, "1000"}}));
}

TEST_F(RowValidationTest, TaxQuestionsAskOnlyAboveTheirLimits)
{
    // Net 1000: 40 % is 400.
    const RowValues net1000 = {
        {AFM, "090000045"}, {TypeInc, "10"}, {AkaInc, "1000"}, {Kratiseis, "0"}, {Kathares, "1000"}};
    ExpectAccepted(With(net1000, {{ForosParakr, "400"}, {ForosAnal, "400"}}));

    ui.Yes();
    ui.No();
    ExpectRefused(With(net1000, {{AFM, "123456783"}, {ForosParakr, "400,01"}, {ForosAnal, "400,01"}}),
                  {"beep", kWithheldNet, "beep", kDueNet});
    ui.No();
    ExpectRefused(With(net1000, {{AFM, "123456783"}, {ForosParakr, "300"}, {ForosAnal, "200"}}),
                  {"beep", kWithheldDue});
    ui.Yes();
    ui.Yes();
    ExpectAccepted(With(net1000, {{AFM, "123456783"}, {ForosParakr, "400,01"}, {ForosAnal, "400,01"}}),
                   {"beep", kWithheldNet, "beep", kDueNet});
}

TEST_F(RowValidationTest, RefusedRowKeepsWhatTheChecksAlreadyDid)
{
    EXPECT_FALSE(Store(With(GoodRow(), {{AkaInc, "1000,00"}, {Kathares, "700,00"}})));
    EXPECT_EQ(Rows().State(), TDataSetState::dsInsert);
    const std::string& record = Rows().EditRecordText();
    EXPECT_EQ(record.substr(0, 1), "3");
    EXPECT_EQ(record.substr(10, 1), " ");
    EXPECT_EQ(record.substr(166, 4), "    ");
    EXPECT_EQ(Field(AkaInc), "1000");
    EXPECT_EQ(Field(Kathares), "700");
    EXPECT_EQ(Field(ForosParakr), "0");
    EXPECT_EQ(Field(Hmeres), "0");
    // Correcting the row and storing again runs the whole gate once more.
    EXPECT_TRUE(Post({{Kathares, "800"}}));
}

TEST_F(RowValidationTest, NewRowsWithAStoredAfmAndKindAreRefused)
{
    ExpectAccepted(GoodRow("090000045", "10"));
    ExpectAccepted(GoodRow("090000045", "11"));
    const std::string duplicate =
        "message: Ο ΑΦΜ: 090000045 έχει εισαχθεί 2 φορές στις αναλυτικές αμοιβές με τον "
        "ίδιο κωδικό Είδους Αποδοχών";
    ExpectRefused(GoodRow("090000045", "11"), {"beep", duplicate});
    ExpectRefused(GoodRow("090000045", "10"), {"beep", duplicate});
    EXPECT_EQ(ReadFile("temp/record21"), ReadFile("temp/record2"));
    ExpectAccepted(GoodRow("090000045", "12"));

    // An edited row is not checked against the others; the save catches it.
    ExpectAccepted(GoodRow("123456783", "10"));
    ui.Forget();
    EXPECT_TRUE(Change({{AFM, "090000045"}}));
    EXPECT_TRUE(ui.Said().empty());
}

TEST_F(RowValidationTest, DuplicateCheckFollowsEditsDeletesAndSorts)
{
    ExpectAccepted(GoodRow("090000045", "10"));
    ExpectAccepted(GoodRow("123456783", "10"));
    // The first row now carries another number: its old pair is free again.
    Rows().First();
    EXPECT_TRUE(Change({{AFM, "000000050"}}));
    ExpectAccepted(GoodRow("090000045", "10"));
    // Deleting a row frees its pair.
    Rows().First();
    Rows().Delete();
    ExpectAccepted(GoodRow("000000050", "10"));
    // After a sort the stored pairs are still known.
    ws->SortByAfm();
    ExpectRefused(GoodRow("123456783", "10"),
                  {"beep", "message: Ο ΑΦΜ: 123456783 έχει εισαχθεί 2 φορές στις "
                           "αναλυτικές αμοιβές με τον ίδιο κωδικό Είδους Αποδοχών"});
    EXPECT_EQ(ReadFile("temp/record21"), ReadFile("temp/record2"));
}

TEST_F(RowValidationTest, AmountsTooLargeForTheFileAreRefused)
{
    ExpectAccepted(With(GoodRow(), {{AkaInc, "99999999,99"}, {Kratiseis, "0"}, {Kathares, "99999999,99"}}));
    ExpectRefused(
        With(GoodRow("123456783"), {{AkaInc, "100000000"}, {Kratiseis, "0"}, {Kathares, "100000000"}}),
        {"beep", "message: Το ποσό Ακαθάριστες Αποδοχές υπερβαίνει το όριο του πεδίου (έως 99999999,9)."});
    ExpectRefused(
        With(GoodRow("123456783"), {{Xartosimo, "1000000"}, {AkaInc, "2000000"}, {Kathares, "1999800"}}),
        {"beep", "message: Το ποσό Χαρτόσημο υπερβαίνει το όριο του πεδίου (έως 999999,9)."});
    // An exponent could make the normalised text longer than the field itself.
    ws->SetImporting(true);
    ExpectRefused(With(GoodRow("123456783"), {{OGAXart, "1e9"}}),
                  {"beep", "message: Το ποσό ΟΓΑ Χαρτοσήμου υπερβαίνει το όριο του πεδίου (έως 99999,9)."});
}

TEST_F(RowValidationTest, RevalidatingAStoredRowChangesNothing)
{
    ExpectAccepted(GoodRow("090000045", "10"));
    ExpectAccepted(GoodRow("123456783", "10"));
    const std::string record2 = ReadFile("temp/record2");
    const auto lines = Rows().Lines();
    ui.Forget();
    ws->SetRowAccepted(false);
    // As an edit: no duplicate check, even against itself.
    EXPECT_TRUE(ws->RevalidateStoredRow(0));
    ws->Header.AFM = "123456783";
    ui.No();
    EXPECT_FALSE(ws->RevalidateStoredRow(1));
    EXPECT_EQ(ui.Said(), (Said{"beep", kEmployerQuestion}));
    EXPECT_FALSE(ws->RowAccepted());
    EXPECT_EQ(Rows().Lines().size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(Rows().Lines()[i].Text, lines[i].Text);
    EXPECT_EQ(ReadFile("temp/record2"), record2);
    EXPECT_THROW(ws->RevalidateStoredRow(2), std::out_of_range);
}

} // namespace
