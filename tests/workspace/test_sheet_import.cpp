#include "WorkspaceFixture.h"
#include "declaration/Helpers.h"
#include "workspace/SheetImport.h"

using namespace declaration;
using Outcome = Workspace::ImportOutcome;
using Strings = std::vector<std::string>;

namespace {

const std::string kFailure =
    "message: Υπήρξε πρόβλημα κατά το άνοιγμα του αρχείου. Βεβαιωθείτε ότι έχετε εγκατεστημένο Excel στον "
    "υπολογιστή σας και/ή το αρχείο που προσπαθείτε να ανοίξετε είναι αρχείο Excel.";
const std::string kStopped =
    "message: Παρουσιάστηκαν σφάλματα κατά την εισαγωγή των στοιχείων. Η εισαγωγή διακόπηκε";

std::string Afm(const std::string& first8)
{
    return first8 + AfmCheckDigit(first8);
}

using SheetRow = std::vector<std::string>;

// A row that every check accepts: gross 1000, deductions 200, net 800.
SheetRow GoodSheetRow(const std::string& afm, const std::string& surname = "ΠΑΠΑΣ",
                      const std::string& kind = "10")
{
    return {afm, surname, "ΓΙΩΡΓΟΣ", "ΝΙΚΟΣ", "ΑΘΗΝΑ", "ΟΔΟΣ", "1", "10431", kind, "1000",
            "0", "0",     "200",     "800",   "0",     "0",    "",  "100",   "0",  "0"};
}

SheetRow Set(SheetRow row, int column, const std::string& value)
{
    row.at(static_cast<size_t>(column - 1)) = value;
    return row;
}

// Columns beyond the twentieth are left alone.
SheetRow With21(SheetRow row)
{
    row.push_back("ignored");
    return row;
}

// UTF-8 rows to a sheet, shorter rows padded with empty cells.
workbook::Sheet MakeSheet(const std::vector<SheetRow>& rows)
{
    size_t columns = 0;
    for (const auto& row : rows)
        columns = std::max(columns, row.size());
    workbook::Sheet sheet;
    sheet.SetColumns(static_cast<int>(columns));
    for (const auto& row : rows) {
        for (size_t c = 0; c < columns; ++c)
            sheet.Cells().push_back(c < row.size() ? QString::fromStdString(row[c]) : QString());
    }
    return sheet;
}

class SheetImportTest : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        StartDeclaration();
    }

    Strings Column(DetailField field)
    {
        Strings values;
        for (size_t i = 0; i < Rows().Lines().size(); ++i)
            values.push_back(StoredField(i, field));
        return values;
    }

    // The command as a person runs it, through the open dialog.
    Outcome ImportFile(const std::string& name, const std::string& bytes)
    {
        WriteFile(name, bytes);
        ui.openChoices.push_back(ProgramPath(name));
        return ws->ImportFromWorkbook();
    }
};

TEST_F(SheetImportTest, ImportsEveryRowInReverseAheadOfTheRowsThereAndCountsWrongNumbers)
{
    ASSERT_TRUE(Store(GoodRow(Afm("01000000"))));
    ws->SetModified(false);
    ui.Forget();
    const auto outcome =
        ws->ImportRows(MakeSheet({GoodSheetRow(Afm("11111111"), "ΑΛΦΑ"), GoodSheetRow("123", "ΒΗΤΑ"),
                                  With21(GoodSheetRow("0", "ΓΑΜΜΑ"))}));
    EXPECT_EQ(outcome, Outcome::Imported);
    EXPECT_EQ(Column(SurName), (Strings{Cp("ΓΑΜΜΑ"), Cp("ΒΗΤΑ"), Cp("ΑΛΦΑ"), "PAPAS"}));
    // The wrong numbers follow the closing note, each after its sheet row.
    EXPECT_EQ(ui.Said(),
              (Strings{"message: Η εισαγωγή στοιχείων από Excel ολοκληρώθηκε. Υπάρχουν 2 λανθασμένοι "
                       "ΑΦΜ στα στοιχεία που εισήχθησαν.\nΓραμμή 2: «123»\nΓραμμή 3: «0»"}));
    EXPECT_TRUE(ws->Modified());
    EXPECT_FALSE(ws->Importing());
    // The last row of the sheet is current; the totals count every row.
    EXPECT_EQ(Field(SurName), Cp("ΓΑΜΜΑ"));
    EXPECT_EQ(ws->CurrentTotals().Label32(), "4 Εγγραφές-4 μοναδικοί ΑΦΜ");
}

// The import stores many rows at once; what it leaves must be what storing
// them one by one through the grid's insert-and-store cycle leaves.
// Notes what the person sees behind each question and message.
struct WatchingUi : ScriptedUi
{
    std::function<std::string()> view;
    Strings seen;
    Answer AskWithCaptions(const std::string& message, int buttons,
                           const std::vector<std::string>& captions) override
    {
        if (view)
            seen.push_back(view());
        return ScriptedUi::AskWithCaptions(message, buttons, captions);
    }
    void ShowMessage(const std::string& m) override
    {
        if (view)
            seen.push_back(view());
        ScriptedUi::ShowMessage(m);
    }
};

struct Declaration
{
    QTemporaryDir dir;
    WatchingUi ui;
    std::unique_ptr<Workspace> work;

    explicit Declaration(const std::string& typeList)
    {
        QDir(dir.path()).mkdir(QStringLiteral("Addon"));
        QFile list(dir.path() + QStringLiteral("/Addon/typeofinc.txt"));
        list.open(QIODevice::WriteOnly);
        list.write(typeList.data(), static_cast<qint64>(typeList.size()));
        list.close();
        work = std::make_unique<Workspace>(ui, dir.path().toStdString());
        work->Start();
        ui.Yes();
        work->New();
        work->Header.AFM = "094014201";
        auto& rows = work->FixedFormatDataSet1;
        work->SetImporting(true);
        for (const auto& existing : {GoodRow(Afm("02000000"), "10", "ZETA"), GoodRow(Afm("03000000"))}) {
            rows.Append();
            for (const auto& [field, value] : existing)
                rows.FieldByName(DetailLayout()[field].name).SetAsString(value);
            rows.Post();
        }
        work->SetImporting(false);
        ui.Forget();
        ui.view = [this] {
            return std::to_string(work->FixedFormatDataSet1.Lines().size()) + " " +
                   work->CurrentTotals().Label32() + " " + work->CurrentTotals().GrossPay();
        };
    }
    std::string WorkFile(const char* name) const
    {
        QFile f(dir.path() + QStringLiteral("/temp/") + QString::fromLatin1(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
    }
};

// The rows of `sheet` inserted and stored one at a time, each ahead of the one
// before, stopping at the first refused row.
void StoreRowByRow(Workspace& work, const workbook::Sheet& sheet)
{
    work.SetImporting(true);
    auto& rows = work.FixedFormatDataSet1;
    rows.First();
    for (int r = 0; r < sheet.Rows(); ++r) {
        rows.Insert();
        for (int c = 0; c < SheetImport::Columns; ++c)
            rows.FieldByName(DetailLayout()[c == 0 ? AFM : DetailField(c + 2)].name)
                .SetAsString(Cp(sheet.Cell(r, c).toUtf8().constData()));
        work.SetRowAccepted(true);
        try {
            rows.Post();
        } catch (const EAbort&) {
        }
        if (!work.RowAccepted())
            break;
        work.SetModified(true);
    }
    work.SetImporting(false);
}

void ExpectSameAsRowByRow(const std::vector<SheetRow>& sheetRows,
                          const std::vector<UserInterface::Answer>& answers = {})
{
    const workbook::Sheet sheet = MakeSheet(sheetRows);
    const std::string typeList = "10" + std::string(52, 'x') + "\r\n";
    Declaration imported(typeList), stored(typeList);
    for (auto answer : answers) {
        imported.ui.Reply(answer);
        stored.ui.Reply(answer);
    }
    imported.work->ImportRows(sheet);
    StoreRowByRow(*stored.work, sheet);

    const auto& a = imported.work->FixedFormatDataSet1;
    const auto& b = stored.work->FixedFormatDataSet1;
    ASSERT_EQ(a.Lines().size(), b.Lines().size());
    for (size_t i = 0; i < a.Lines().size(); ++i) {
        EXPECT_EQ(a.Lines()[i].Text, b.Lines()[i].Text) << i;
        EXPECT_EQ(a.Lines()[i].Id, b.Lines()[i].Id) << i;
    }
    EXPECT_EQ(a.State(), b.State());
    EXPECT_EQ(a.EditRecordText(), b.EditRecordText());
    EXPECT_EQ(a.CurrentLine(), b.CurrentLine());
    EXPECT_EQ(imported.work->CurrentTotals().Edits(), stored.work->CurrentTotals().Edits());
    EXPECT_EQ(imported.work->CurrentTotals().Label32(), stored.work->CurrentTotals().Label32());
    EXPECT_EQ(imported.work->NewRecordPending(), stored.work->NewRecordPending());
    EXPECT_EQ(imported.work->Modified(), stored.work->Modified());
    EXPECT_EQ(imported.WorkFile("record2"), stored.WorkFile("record2"));
    EXPECT_EQ(imported.WorkFile("record21"), stored.WorkFile("record21"));
    // The person hears the same, apart from the import's own closing words.
    Strings said = imported.ui.Said();
    Strings seen = imported.ui.seen;
    if (!said.empty() &&
        (said.back().rfind(kStopped, 0) == 0 || said.back().find("ολοκληρώθηκε") != std::string::npos)) {
        said.pop_back();
        seen.pop_back();
    }
    EXPECT_EQ(said, stored.ui.Said());
    EXPECT_EQ(seen, stored.ui.seen);
    imported.ui.ExpectScriptUsed();
    stored.ui.ExpectScriptUsed();
}

TEST(ImportMatchesRowByRow, WhenEveryRowIsStored)
{
    ExpectSameAsRowByRow({GoodSheetRow(Afm("11111111"), "ΑΛΦΑ ΠΟΛΥ ΜΑΚΡΥ ΕΠΩΝΥΜΟ ΠΕΡΑ ΑΠΟ ΤΟ ΠΛΑΤΟΣ"),
                          Set(Set(GoodSheetRow("1234567890"), 10, "1234,5"), 14, "1034,5"),
                          GoodSheetRow("12345678  "),                  // stored as eight digits and a blank
                          Set(GoodSheetRow(Afm("11111111")), 9, "15"), // same number, another kind
                          Set(Set(Set(GoodSheetRow("094014201"), 18, " 12"), 17, "ΥΠ1"), 6, "ΟΔΟΣ–€")});
}

TEST(ImportMatchesRowByRow, WhenARowIsRefusedOrItsQuestionAnsweredNo)
{
    // A repeated number and kind among the imported rows, and one already stored.
    ExpectSameAsRowByRow({GoodSheetRow(Afm("11111111")), GoodSheetRow(Afm("12121212")),
                          GoodSheetRow(Afm("11111111")), GoodSheetRow(Afm("13131313"))});
    ExpectSameAsRowByRow({GoodSheetRow(Afm("44444444")), GoodSheetRow(Afm("02000000"))});
    // The net that does not agree, then days above 365.
    ExpectSameAsRowByRow({GoodSheetRow(Afm("55555555")), Set(GoodSheetRow(Afm("56565656")), 14, "801")});
    ExpectSameAsRowByRow({Set(GoodSheetRow(Afm("57575757")), 18, "366")});
    // Tax withheld above the tax due: "Ναι" goes on, "Όχι" stops.
    ExpectSameAsRowByRow({Set(GoodSheetRow(Afm("66666666")), 15, "10"),
                          Set(GoodSheetRow(Afm("67676767")), 15, "10"), GoodSheetRow(Afm("68686868"))},
                         {UserInterface::Answer::Yes, UserInterface::Answer::No});
    // Two questions answered "Ναι" split the rows shown so far into three runs.
    ExpectSameAsRowByRow({GoodSheetRow(Afm("71717171")), Set(GoodSheetRow(Afm("72727272")), 15, "10"),
                          GoodSheetRow(Afm("73737373")), Set(GoodSheetRow(Afm("74747474")), 15, "10"),
                          GoodSheetRow(Afm("75757575"))},
                         {UserInterface::Answer::Yes, UserInterface::Answer::Yes});
}

TEST_F(SheetImportTest, ARefusedRowStopsTheImportKeepingTheRowsBeforeItAndStaysInInsert)
{
    const auto outcome =
        ws->ImportRows(MakeSheet({GoodSheetRow(Afm("11111111"), "ΑΛΦΑ"), GoodSheetRow("12", "ΒΗΤΑ"),
                                  Set(GoodSheetRow(Afm("13131313"), "ΓΑΜΜΑ"), 14, "1")}));
    EXPECT_EQ(outcome, Outcome::Refused);
    EXPECT_EQ(Column(SurName), (Strings{Cp("ΒΗΤΑ"), Cp("ΑΛΦΑ")}));
    EXPECT_EQ(Rows().State(), TDataSetState::dsInsert);
    EXPECT_EQ(Rows().InsertPosition(), 0);
    EXPECT_EQ(Field(SurName), Cp("ΓΑΜΜΑ"));
    EXPECT_EQ(Field(Kathares), "1");
    // The row checks' message, then the import's; no closing note after a refusal.
    const Strings said = ui.Said();
    ASSERT_EQ(said.size(), 3u);
    EXPECT_EQ(said[0], "beep");
    EXPECT_EQ(said[2], kStopped + "\nΗ εισαγωγή σταμάτησε στη γραμμή 3 του φύλλου. Καταχωρίστηκαν οι "
                                  "γραμμές 1 έως 2.");
    EXPECT_EQ(ws->CurrentTotals().GrossPay(), "2000");
    EXPECT_FALSE(ws->Importing());
}

// A stored row that never passed the checks (as an opened file can carry)
// keeps the totals from being made. The imported rows are in all the same, the
// person is told why the totals did not follow, and a refused row still stays
// in insert with the import's own words after it.
TEST_F(SheetImportTest, TotalsThatCannotBeMadeAreSaidAndTheImportStillEndsAsItWould)
{
    ASSERT_TRUE(Store(GoodRow(Afm("01000000"))));
    Rows().Edit();
    Rows().FieldByName("Kratiseis").SetAsString("12a");
    const auto gate = Rows().BeforePost;
    Rows().BeforePost = nullptr;
    EXPECT_THROW(Rows().Post(), std::exception);
    Rows().BeforePost = gate;
    const std::string unreadable = "error: '12a' is not a valid floating point value";

    ui.Forget();
    EXPECT_EQ(ws->ImportRows(MakeSheet({GoodSheetRow(Afm("11111111"), "ΑΛΦΑ"), GoodSheetRow("1", "ΒΗΤΑ")})),
              Outcome::Failed);
    EXPECT_EQ(Column(SurName), (Strings{Cp("ΒΗΤΑ"), Cp("ΑΛΦΑ"), "PAPAS"}));
    EXPECT_EQ(ui.Said(), (Strings{unreadable, "message: Η εισαγωγή στοιχείων από Excel ολοκληρώθηκε. "
                                              "Υπάρχουν 1 λανθασμένοι ΑΦΜ στα στοιχεία που εισήχθησαν."
                                              "\nΓραμμή 2: «1»"}));
    EXPECT_EQ(ws->CurrentTotals().Label32(), "3 Εγγραφές");
    EXPECT_TRUE(ws->Modified());

    ui.Forget();
    EXPECT_EQ(ws->ImportRows(MakeSheet({GoodSheetRow(Afm("12121212"), "ΓΑΜΜΑ"),
                                        Set(GoodSheetRow(Afm("13131313"), "ΔΕΛΤΑ"), 14, "1")})),
              Outcome::Refused);
    EXPECT_EQ(Column(SurName), (Strings{Cp("ΓΑΜΜΑ"), Cp("ΒΗΤΑ"), Cp("ΑΛΦΑ"), "PAPAS"}));
    EXPECT_EQ(Rows().State(), TDataSetState::dsInsert);
    EXPECT_EQ(Field(SurName), Cp("ΔΕΛΤΑ"));
    const Strings said = ui.Said();
    ASSERT_EQ(said.size(), 4u);
    EXPECT_EQ(said[0], unreadable);
    EXPECT_EQ(said[3],
              kStopped + "\nΗ εισαγωγή σταμάτησε στη γραμμή 2 του φύλλου. Καταχωρίστηκε η γραμμή 1.");
    EXPECT_FALSE(ws->Importing());
}

TEST_F(SheetImportTest, ABadCellStopsBeforeAnyRowIsImported)
{
    const SheetRow good = GoodSheetRow(Afm("11111111"));
    const std::string tail = " Διορθώστε το για να προχωρήσετε στην εισαγωγή.";
    const std::vector<std::pair<SheetRow, std::string>> cases = {
        {Set(good, 9, "Είδος"), "Η στήλη Είδος Αποδοχών (Νο 9) πρέπει να έχει τιμή 10-15,16,20-25."},
        {Set(good, 9, "30"), "Η στήλη Είδος Αποδοχών (Νο 9) πρέπει να έχει τιμή 10-15,16,20-25."},
        {Set(good, 9, " 10"), "Η στήλη Είδος Αποδοχών (Νο 9) πρέπει να έχει τιμή 10-15,16,20-25."},
        {Set(good, 18, ""), "Η στήλη Σύνολο Ημερών Απασχόλησης (Νο 18) πρέπει να έχει ακέραια τιμή <=365."},
        {Set(good, 18, "12,5"),
         "Η στήλη Σύνολο Ημερών Απασχόλησης (Νο 18) πρέπει να έχει ακέραια τιμή <=365."},
        {Set(good, 10, "1000.5"), "Η στήλη Νο 10 πρέπει να είναι αριθμός (η υποδιαστολή είναι το κόμμα)."},
        {Set(good, 16, ""), "Η στήλη Νο 16 πρέπει να είναι αριθμός (η υποδιαστολή είναι το κόμμα)."},
        {Set(good, 20, "x"), "Η στήλη Νο 20 πρέπει να είναι αριθμός (η υποδιαστολή είναι το κόμμα)."},
        // What the record cannot hold as it stands.
        {Set(good, 2, "ΠΑΠΑ😀"), "Η στήλη Νο 2 έχει τον χαρακτήρα «😀», που δεν μπορεί να γραφτεί στο "
                                "αρχείο της δήλωσης."},
        {Set(good, 5, "ŁÓDŹ"),
         "Η στήλη Νο 5 έχει τον χαρακτήρα «Ł», που δεν μπορεί να γραφτεί στο αρχείο της "
         "δήλωσης."},
        {Set(good, 6, "ΟΔΟΣ\nΔΕΥΤΕΡΗ"), "Η στήλη Νο 6 έχει αλλαγή γραμμής μέσα στο κελί."},
        {Set(good, 6, "ΟΔΟΣ\tΔΕΥΤΕΡΗ"), "Η στήλη Νο 6 έχει χαρακτήρα ελέγχου (κωδικός 9), που δεν μπορεί να "
                                        "γραφτεί στο αρχείο της δήλωσης."},
        {Set(good, 3, "ΓΙΩΡΓΟΣ\x7f"), "Η στήλη Νο 3 έχει χαρακτήρα ελέγχου (κωδικός 127), που δεν μπορεί να "
                                      "γραφτεί στο αρχείο της δήλωσης."},
        {Set(good, 18, "1000"), "Η στήλη Νο 18 δεν χωράει στους 3 χαρακτήρες του πεδίου της."},
        {Set(good, 11, "123456789"), "Η στήλη Νο 11 δεν χωράει στους 8 χαρακτήρες του πεδίου της."},
    };
    for (const auto& [bad, what] : cases) {
        SCOPED_TRACE(bad[1] + "|" + bad[8] + "|" + bad[17] + "|" + what);
        ui.Forget();
        EXPECT_EQ(ws->ImportRows(MakeSheet({good, good, bad})), Outcome::Stopped);
        EXPECT_EQ(ui.Said(), (Strings{"message: Λάθος στη γραμμή 3 του αρχείου: " + what + tail}));
        EXPECT_TRUE(Rows().Lines().empty());
        EXPECT_EQ(Rows().State(), TDataSetState::dsBrowse);
        EXPECT_FALSE(ws->Importing());
        EXPECT_FALSE(ws->Modified());
    }
}

TEST_F(SheetImportTest, WhatCannotBeReadEndsWithTheOpeningProblemAndImportsNothing)
{
    SheetRow narrow = GoodSheetRow(Afm("11111111"));
    narrow.pop_back();
    EXPECT_EQ(ws->ImportRows(MakeSheet({narrow})), Outcome::Failed);
    EXPECT_EQ(ws->ImportRows(workbook::Sheet()), Outcome::Failed);
    // The reason first, the general message on a line of its own after it.
    const std::string general = kFailure.substr(std::string("message: ").size());
    EXPECT_EQ(ui.Said(),
              (Strings{"message: Το πρώτο φύλλο έχει στοιχεία μόνο ως τη στήλη S (19 στήλες): κάθε "
                       "γραμμή του φύλλου χρειάζεται 20 στήλες, από την A ως την T.\n" +
                           general,
                       "message: Το πρώτο φύλλο του βιβλίου εργασίας δεν έχει στοιχεία.\n" + general}));

    // A nine-character number that is not all digits, also as the first nine of a longer one;
    // the wrong numbers counted before it are still reported.
    for (const auto& [afm, wrong] : {std::pair{"12345678A", "1\nΓραμμή 1: «1»"},
                                     {"ABCDEFGHIJ", "2\nΓραμμή 1: «1»\nΓραμμή 2: «ABCDEFGHIJ»"}}) {
        ui.Forget();
        EXPECT_EQ(ws->ImportRows(MakeSheet({GoodSheetRow("1"), GoodSheetRow(afm)})), Outcome::Failed);
        EXPECT_EQ(
            ui.Said(),
            (Strings{"message: Γραμμή 2, στήλη A (ΑΦΜ): οι εννέα χαρακτήρες του ΑΦΜ «" + std::string(afm) +
                         "» που γράφονται στη δήλωση δεν είναι όλοι ψηφία.\n" + general,
                     "message: Η εισαγωγή στοιχείων από Excel ολοκληρώθηκε. Υπάρχουν " +
                         std::string(wrong).insert(1, " λανθασμένοι ΑΦΜ στα στοιχεία που εισήχθησαν.")}));
    }
    ui.Forget();
    EXPECT_EQ(ImportFile("notes.csv", std::string("\"open quote;")), Outcome::Unreadable);
    EXPECT_EQ(
        ui.Said(),
        (Strings{"message: Ένα κελί του αρχείου .csv ανοίγει εισαγωγικά που δεν κλείνουν.\n" + general}));
    // A cell a reader refused is named by its sheet row and the column's field.
    EXPECT_EQ(SheetImport::RefusalMessage(workbook::WorkbookRefusal("J12", 11, 9, "έχει σφάλμα (#N/A).")),
              "Γραμμή 12, στήλη J (Ακαθάριστες αποδοχές): έχει σφάλμα (#N/A).\n" + general);
    EXPECT_EQ(SheetImport::CellPlace(0, 19) + "|" + SheetImport::CellPlace(99, 26),
              "Γραμμή 1, στήλη T (ΟΓΑ φόρου που αναλογεί)|Γραμμή 100, στήλη AA");
    EXPECT_TRUE(Rows().Lines().empty());
    EXPECT_FALSE(ws->Importing());
}

// The closing note lists the first ten wrong numbers by their sheet rows (a
// right one among them takes its row) and counts the rest.
TEST_F(SheetImportTest, TheClosingNoteListsTheFirstTenWrongNumbers)
{
    std::vector<SheetRow> rows;
    std::string listed;
    for (int i = 1; i <= 12; ++i) {
        rows.push_back(GoodSheetRow(std::to_string(i)));
        if (i <= 10)
            listed += "\nΓραμμή " + std::to_string(i < 3 ? i : i + 1) + ": «" + std::to_string(i) + "»";
    }
    rows.insert(rows.begin() + 2, GoodSheetRow(Afm("11111111")));
    EXPECT_EQ(ws->ImportRows(MakeSheet(rows)), Outcome::Imported);
    EXPECT_EQ(ui.Said(), (Strings{"message: Η εισαγωγή στοιχείων από Excel ολοκληρώθηκε. Υπάρχουν 12 "
                                  "λανθασμένοι ΑΦΜ στα στοιχεία που εισήχθησαν." +
                                  listed + "\nκαι 2 ακόμη."}));
}

TEST_F(SheetImportTest, TheCommandStoresThePendingRowFirstAndOffersTheWorkbookKinds)
{
    // A refused pending row keeps the dialog shut.
    Rows().Append();
    Rows().FieldByName("AFM").SetAsString("1");
    EXPECT_EQ(ws->ImportFromWorkbook(), Outcome::NotStarted);
    EXPECT_EQ(ui.log.back().rfind("message: ", 0), 0u);
    Rows().Cancel();

    ui.Forget();
    ui.openChoices.push_back(std::nullopt);
    EXPECT_EQ(ws->ImportFromWorkbook(), Outcome::NotStarted);
    EXPECT_EQ(ui.log, (Strings{"open-dialog: " + dir.path().toStdString() + " *.xls;;*.xlsx;;*.ods;;*.csv"}));
    EXPECT_FALSE(ws->Importing());

    // The chosen file is read under the wait window, which stands until its
    // message has been read and goes however the import ends.
    ui.Forget();
    EXPECT_EQ(ImportFile("notes.csv", std::string("\"open quote;")), Outcome::Unreadable);
    Strings shown;
    for (const auto& line : ui.log)
        if (line.rfind("open-dialog", 0) != 0)
            shown.push_back(line.rfind("message: ", 0) == 0 ? "message" : line);
    EXPECT_EQ(shown, (Strings{"busy: on", "grid: off", "wait: on", "message", "grid: on", "wait: off",
                              "busy: off"}));
}

} // namespace
