#include "WorkspaceFixture.h"

using namespace declaration;

namespace {

using Said = std::vector<std::string>;

const std::string kYear = "message: Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία";
const std::string kChanges = "ask: Έχετε κάνει αλλαγές. Θέλετε να αποθηκευτούν σε αρχείο; [Ναι|Όχι|Άκυρο]";
const std::string kCreate = "ask: Δημιουργία νέου αρχείου; [Ναι|Όχι]";
const std::string kOpenProblem = "message: Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου";

std::string Pad(const std::string& text, size_t width, char fill = ' ')
{
    return text + std::string(width > text.size() ? width - text.size() : 0, fill);
}
std::string Cents(const std::string& digits, size_t width)
{
    return std::string(width - digits.size(), '0') + digits;
}

std::string Record0(const std::string& year = "2025")
{
    return Pad("0JL10    20260101" + year, 170);
}
std::string Record1(const std::string& name, const std::string& afm)
{
    return Pad("1" + std::string("2025") + Pad(name, 30) + "0" + afm + Pad("SERVICE", 16) + Pad("ATHENS", 10),
               170);
}
// A detail record in file form: gross, deductions, net in cents, every other amount zero.
std::string Record3(const std::string& afm, const std::string& kind, const std::string& gross,
                    const std::string& deductions, const std::string& net)
{
    std::string r = "3" + afm + " " + Pad("SURNAME", 18) + Pad("NAME", 9) + Pad("", 3) + Pad("", 10) +
                    Pad("", 16) + Pad("", 5) + Pad("", 5) + kind;
    r += Cents(gross, 10) + Cents("0", 8) + Cents("0", 7) + Cents(deductions, 9) + Cents(net, 10) +
         Cents("0", 9) + Cents("0", 9) + Pad("0", 6) + "000" + Cents("0", 8) + Cents("0", 8) + "    ";
    return r;
}
std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

class DeclarationCommandsTest : public WorkspaceTest
{
protected:
    std::string SavePath(const std::string& name = "out.txt") const { return ProgramPath(name); }

    void SaveTo(const std::string& path)
    {
        ui.saveChoices.push_back(path);
        ws->SaveAs();
    }
    void OpenFrom(const std::string& path)
    {
        ui.openChoices.push_back(path);
        ws->Open();
    }
    std::vector<std::string> RowTexts()
    {
        std::vector<std::string> texts;
        for (const auto& line : Rows().Lines())
            texts.push_back(line.Text);
        return texts;
    }
    bool Logged(const std::string& line) const
    {
        return std::find(ui.log.begin(), ui.log.end(), line) != ui.log.end();
    }
};

TEST_F(DeclarationCommandsTest, StartReportsAMissingIncomeListAndRunsOn)
{
    EXPECT_TRUE(QDir(QString::fromStdString(ProgramPath("temp"))).exists());
    EXPECT_TRUE(ws->FixedFormatDataSet2.Active());
    EXPECT_TRUE(ui.Said().empty());

    QTemporaryDir bare;
    ScriptedUi otherUi;
    Workspace other(otherUi, bare.path().toStdString());
    other.Start();
    ASSERT_EQ(otherUi.Said().size(), 1u);
    EXPECT_EQ(otherUi.Said()[0].rfind("error: ", 0), 0u);
    EXPECT_NE(otherUi.Said()[0].find("typeofinc.txt"), std::string::npos);
    EXPECT_FALSE(other.FixedFormatDataSet2.Active());
    EXPECT_TRUE(QDir(bare.path() + QStringLiteral("/temp")).exists());
}

TEST_F(DeclarationCommandsTest, ClosingAsksOnlyAboutUnsavedChanges)
{
    StartDeclaration();
    EXPECT_TRUE(ws->CloseQuery());
    EXPECT_TRUE(ui.Said().empty());

    ws->SetModified(true);
    ui.Cancel();
    EXPECT_FALSE(ws->CloseQuery());
    EXPECT_EQ(ui.lastButtons,
              UserInterface::YesButton | UserInterface::NoButton | UserInterface::CancelButton);
    ui.No();
    EXPECT_TRUE(ws->CloseQuery());
    // "Ναι" with checks that fail keeps the window open.
    ws->Header.YearOfData = "";
    ui.Yes();
    EXPECT_FALSE(ws->CloseQuery());
    EXPECT_EQ(ui.Said().back(), kYear);
    // "Ναι", checks pass, the file dialog cancelled: it stays open with the
    // changes (it used to close and lose them), and closes once saved.
    ws->Header.YearOfData = "2025";
    ui.Yes();
    ui.saveChoices.push_back(std::nullopt);
    EXPECT_FALSE(ws->CloseQuery());
    EXPECT_TRUE(ws->Modified());
    ui.Yes();
    ui.saveChoices.push_back(SavePath());
    EXPECT_TRUE(ws->CloseQuery());
    ui.ExpectScriptUsed();

    ws->Shutdown();
    EXPECT_FALSE(QDir(QString::fromStdString(ProgramPath("temp"))).exists());
    EXPECT_FALSE(Rows().Active());
}

TEST_F(DeclarationCommandsTest, ClosingStaysOpenWhenTheSaveCouldNotBeWritten)
{
    StartDeclaration();
    ws->SetModified(true);
    ws->SaveFileFactory = [](const QString& path) { return std::make_unique<FailingSaveFile>(path, 100); };
    ui.Yes();
    ui.saveChoices.push_back(SavePath());
    EXPECT_FALSE(ws->CloseQuery());
    EXPECT_EQ(ui.Said().back().rfind("error: ", 0), 0u);
}

TEST_F(DeclarationCommandsTest, NewEmptiesTheDeclarationAfterItsQuestion)
{
    StartDeclaration();
    ASSERT_TRUE(Store(GoodRow()));
    ws->SetModified(false);
    ui.Forget();
    ui.No();
    ws->New();
    EXPECT_EQ(ui.Said(), Said{kCreate});
    EXPECT_EQ(Rows().RecordCount(), 1);
    EXPECT_EQ(ws->Header.AFM, "094014201");

    for (int round = 0; round < 2; ++round) {
        ui.Forget();
        ui.Yes();
        ws->New();
        EXPECT_EQ(ui.Said(), Said{kCreate});
        EXPECT_EQ(Rows().RecordCount(), 0);
        EXPECT_TRUE(Rows().Active());
        EXPECT_EQ(ws->Header.AFM, "");
        EXPECT_EQ(ws->Header.YearOfData, "");
        EXPECT_EQ(ws->Header.CompanyName, "");
        EXPECT_EQ(ws->CurrentTotals().Label32(), "0 Εγγραφές");
        for (const auto& box : ws->CurrentTotals().Edits())
            EXPECT_EQ(box, "");
        EXPECT_FALSE(ws->Modified());
        EXPECT_EQ(ReadFile("temp/record2"), "<missing>");
        EXPECT_EQ(ReadFile("temp/generaldata"), "<missing>");
        EXPECT_TRUE(Logged("working-state"));
        EXPECT_EQ(ui.log.back(), "focus: YearOfData");
    }
}

TEST_F(DeclarationCommandsTest, NewAndOpenAskAboutUnsavedChangesFirst)
{
    StartDeclaration();
    ASSERT_TRUE(Store(GoodRow()));
    ws->SetModified(true);
    ui.Forget();
    ui.Cancel();
    ws->New();
    EXPECT_EQ(ui.Said(), Said{kChanges});
    EXPECT_EQ(Rows().RecordCount(), 1);

    ui.Forget();
    ui.Cancel();
    ws->Open();
    EXPECT_EQ(ui.Said(), Said{kChanges});
    EXPECT_FALSE(Logged("open-dialog: " + ws->ProgramFolder() + " *.*"));

    // "Ναι" whose checks fail stops too.
    ui.Forget();
    ws->Header.CompanyName = "";
    ui.Yes();
    ws->New();
    EXPECT_EQ(ui.Said(), (Said{kChanges, "beep", "message: Γράψτε την Επωνυμία της επιχείρησης"}));
    EXPECT_EQ(Rows().RecordCount(), 1);

    ui.Forget();
    ui.No();
    ui.Yes();
    ws->New();
    EXPECT_EQ(ui.Said(), (Said{kChanges, kCreate}));
    EXPECT_EQ(Rows().RecordCount(), 0);
    ui.ExpectScriptUsed();
}

TEST_F(DeclarationCommandsTest, SavedDeclarationOpensAgainAsItWas)
{
    StartDeclaration();
    ws->Header.CompanyName = Cp("ΥΠΟΥΡΓΕΙΟ ΟΙΚΟΝΟΜΙΚΩΝ");
    ws->Header.Town = Cp("ΑΘΗΝΑ");
    ASSERT_TRUE(Store({{AFM, "090000045"},
                       {SurName, Cp("ΠΑΠΑΣ")},
                       {TypeInc, "10"},
                       {AkaInc, "1234,5"},
                       {Kratiseis, "0,5"},
                       {Kathares, "1234"},
                       {Hmeres, "7"}}));
    ASSERT_TRUE(Store(GoodRow("123456783", "15")));
    ws->SetModified(true);
    const auto rows = RowTexts();
    const auto totals = ws->CurrentTotals().Edits();
    const auto header = ws->Header;

    SaveTo(SavePath());
    EXPECT_TRUE(ws->LastSaveOk());
    EXPECT_FALSE(ws->Modified());
    const std::string file = ReadFile("out.txt");
    ASSERT_EQ(file.size(), 5u * 172u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(file.substr(i * 172 + 170, 2), "\r\n");
    EXPECT_EQ(file.substr(0, 21), "0JL10    202606152025");
    EXPECT_EQ(file.substr(172, 1), "1");
    EXPECT_EQ(file.substr(172 * 2, 16), "2000000000123450");
    const std::string detail = file.substr(172 * 3, 170);
    EXPECT_EQ(detail.substr(79, 10), "0000123450");
    EXPECT_EQ(detail.substr(147, 3), "007");

    ui.Yes();
    ws->New();
    ui.Forget();
    OpenFrom(SavePath());
    EXPECT_TRUE(ui.Said().empty());
    EXPECT_EQ(RowTexts(), rows);
    EXPECT_EQ(ws->CurrentTotals().Edits(), totals);
    EXPECT_EQ(ws->CurrentTotals().Label32(), "2 Εγγραφές-2 μοναδικοί ΑΦΜ");
    EXPECT_EQ(ws->Header.CompanyName, header.CompanyName);
    EXPECT_EQ(ws->Header.AFM, header.AFM);
    EXPECT_EQ(ws->Header.YearOfData, header.YearOfData);
    EXPECT_EQ(ws->Header.Town, header.Town);
    EXPECT_FALSE(ws->Modified());
    EXPECT_TRUE(Logged("working-state"));
    EXPECT_EQ(ui.log.back(), "focus: YearOfData");
    EXPECT_EQ(ReadFile("temp/record21"), ReadFile("temp/record2"));
}

TEST_F(DeclarationCommandsTest, RefusedFileLeavesTheOpenDeclarationAlone)
{
    StartDeclaration();
    ASSERT_TRUE(Store(GoodRow("090000045")));
    ASSERT_TRUE(Store(GoodRow("123456783")));
    // Stored rows mark the declaration changed; as after a save, Open asks
    // nothing about them here.
    ws->SetModified(false);
    const auto rows = RowTexts();
    const std::string record2 = ReadFile("temp/record2");
    const std::string label = ws->CurrentTotals().Label32();
    const auto totals = ws->CurrentTotals().Edits();

    WriteFile("bad1.txt", Lines({Pad("0JL1 ", 170), Record1("X", "094014201")}));
    WriteFile("bad2.txt", Lines({Record0(), Record1("X", "094014201"), "4" + std::string(169, ' ')}));
    WriteFile("bad3.txt", Lines({Record0(), Record1("X", "094014201"),
                                 Record3("090000045", "10", "100", "0", "100"), std::string(169, '3')}));
    WriteFile("empty.txt", "");
    // Bytes of every value, zero bytes and line breaks among them.
    std::string noise(1 << 20, '\0');
    for (size_t k = 0; k < noise.size(); ++k)
        noise[k] = static_cast<char>((k * 2654435761u) >> 13);
    noise[0] = 'P';
    WriteFile("random.bin", noise);
    // Ten nines of cents in the 10-wide gross pay read 99999999,99: one
    // character more than the row's field.
    std::string nines = Record3("123456783", "10", "100", "0", "100");
    nines.replace(79, 10, "9999999999");
    WriteFile("nines.txt", Lines({Record0(), Record1("X", "094014201"),
                                  Record3("090000045", "10", "100", "0", "100"), nines}));
    const std::vector<std::pair<std::string, Said>> cases = {
        {"bad1.txt", {"message: Μη έγκυρο αρχείο"}},
        {"empty.txt", {"message: Μη έγκυρο αρχείο"}},
        {"random.bin", {"message: Μη έγκυρο αρχείο"}},
        {"nines.txt",
         {"beep", kOpenProblem + "\nΓραμμή 2 των αναλυτικών αμοιβών (ΑΦΜ 123456783), στήλη «ΑΚΑΘΑΡΙΣΤΕΣ "
                                 "ΑΠΟΔΟΧΕΣ (*)»: το ποσό 99999999,99 δεν χωράει στο πεδίο."}},
        {"bad2.txt", {"beep", kOpenProblem}},
        {"bad3.txt", {"beep", kOpenProblem + ". Το μήκος της γραμμής είναι λανθασμένο"}},
    };
    for (const auto& [name, said] : cases) {
        ui.Forget();
        OpenFrom(ProgramPath(name));
        EXPECT_EQ(ui.Said(), said) << name;
        EXPECT_TRUE(Rows().Active()) << name;
        EXPECT_EQ(RowTexts(), rows) << name;
        EXPECT_EQ(ReadFile("temp/record2"), record2) << name;
        EXPECT_EQ(ws->Header.AFM, "094014201") << name;
        EXPECT_EQ(ws->CurrentTotals().Label32(), label) << name;
        EXPECT_EQ(ws->CurrentTotals().Edits(), totals) << name;
    }

    ui.Forget();
    OpenFrom(ProgramPath("missing.txt"));
    ASSERT_EQ(ui.Said().size(), 1u);
    // The file named, and why in Greek.
    EXPECT_EQ(ui.Said()[0], "error: Το αρχείο «" + ProgramPath("missing.txt") +
                                "» δεν μπορεί να ανοίξει. Το αρχείο δεν υπάρχει.");
    EXPECT_EQ(RowTexts(), rows);
}

TEST_F(DeclarationCommandsTest, AnOpenThatCannotKeepItsCrashSafeCopyStillOpens)
{
    StartDeclaration();
    ASSERT_TRUE(Store(GoodRow("090000045")));
    WriteFile("other.txt", Lines({Record0(), Record1("OTHER", "094014201"),
                                  Record3("123456783", "10", "100", "0", "100")}));
    const FailingKeeperBase failing;
    // The stored row is a change the file does not have: "Όχι" drops it.
    ui.No();
    ui.openChoices.push_back(ProgramPath("other.txt"));
    EXPECT_EQ(ws->Open(), Workspace::OpenOutcome::Opened);
    ASSERT_EQ(Rows().RecordCount(), 1);
    EXPECT_EQ(StoredField(0, AFM), "123456783");
    EXPECT_EQ(ws->Header.CompanyName, "OTHER");
    EXPECT_FALSE(ws->KeptSafe());

    // New goes on as well, and the failure is not said a second time.
    ui.Forget();
    ui.Yes();
    ws->New();
    EXPECT_EQ(Rows().RecordCount(), 0);
    EXPECT_EQ(ws->Header.CompanyName, "");
    EXPECT_EQ(ui.Said(), Said{kCreate});
}

TEST_F(DeclarationCommandsTest, OpeningHandMadeFiles)
{
    // Only record 0: an empty declaration.
    WriteFile("only0.txt", Lines({Record0()}));
    OpenFrom(ProgramPath("only0.txt"));
    EXPECT_TRUE(ui.Said().empty());
    EXPECT_EQ(Rows().RecordCount(), 0);
    EXPECT_EQ(ws->Header.CompanyName, "");
    EXPECT_EQ(ws->CurrentTotals().Label32(), "0 Εγγραφές-0 μοναδικοί ΑΦΜ");
    EXPECT_TRUE(Logged("working-state"));

    // Records in any order, record 2 dropped, record 3 amounts in working form.
    WriteFile("mixed.txt", Lines({Pad("0jl10", 170), Record3("090000045", "10", "123450", "0", "123450"),
                                  Pad("2", 170, '9'), Record1("BODY", "094014201")}));
    ui.Forget();
    OpenFrom(ProgramPath("mixed.txt"));
    EXPECT_TRUE(ui.Said().empty());
    ASSERT_EQ(Rows().RecordCount(), 1);
    EXPECT_EQ(StoredField(0, AkaInc), "1234,5");
    EXPECT_EQ(ws->CurrentTotals().GrossPay(), "1234,5");
    EXPECT_EQ(ws->Header.CompanyName, "BODY");
    EXPECT_EQ(ws->CurrentTotals().Label32(), "1 Εγγραφές-1 μοναδικοί ΑΦΜ");

    // An amount of letters opens, but the totals cannot be made: said, and the declaration is open.
    std::string letters = Record3("090000045", "10", "100", "0", "100");
    letters.replace(104, 9, "ABCDEFGHI");
    WriteFile("letters.txt", Lines({Record0(), letters}));
    ui.Forget();
    OpenFrom(ProgramPath("letters.txt"));
    EXPECT_EQ(ui.Said(), Said{"error: 'ABCDEFGHI' is not a valid floating point value"});
    EXPECT_EQ(ws->CurrentTotals().Label32(), "1 Εγγραφές");
    EXPECT_TRUE(Rows().Active());
    EXPECT_EQ(ui.log.back(), "focus: YearOfData");
}

TEST_F(DeclarationCommandsTest, SaveChecksTheHeaderInOrder)
{
    StartDeclaration();
    const auto tryYear = [&](const std::string& year) {
        ui.Forget();
        ws->Header.YearOfData = year;
        ui.saveChoices.push_back(std::nullopt);
        ws->SaveAs();
        const bool passed = ws->LastSaveOk();
        if (!passed) {
            ui.saveChoices.clear();
            EXPECT_EQ(ui.Said(), (Said{"beep", kYear})) << year;
            EXPECT_EQ(ui.log.back(), "focus: YearOfData");
        }
        return passed;
    };
    EXPECT_FALSE(tryYear("2027"));
    EXPECT_TRUE(tryYear("2026"));
    EXPECT_TRUE(tryYear("1900"));
    EXPECT_FALSE(tryYear("1899"));
    EXPECT_FALSE(tryYear(""));
    EXPECT_FALSE(tryYear("20a6"));

    ws->Header.YearOfData = "2025";
    ws->Header.CompanyName = "";
    ui.Forget();
    ws->SaveAs();
    EXPECT_EQ(ui.Said(), (Said{"beep", "message: Γράψτε την Επωνυμία της επιχείρησης"}));
    EXPECT_EQ(ui.log.back(), "focus: CompanyName");

    ws->Header.CompanyName = "BODY";
    for (const char* afm : {"09401420", "094014202", "09401420A", ""}) {
        ws->Header.AFM = afm;
        ui.Forget();
        ws->SaveAs();
        EXPECT_EQ(ui.Said(), Said{"message: Έχετε δώσει λανθασμένο ΑΦΜ Υπόχρεου"}) << afm;
        EXPECT_EQ(ui.log.back(), "focus: AFM");
        EXPECT_FALSE(ws->LastSaveOk());
    }
}

TEST_F(DeclarationCommandsTest, SaveChecksTheRows)
{
    StartDeclaration();
    // A pending row that the checks refuse stops the save with only its own message.
    Rows().Append();
    Post(With(GoodRow(), {{TypeInc, ""}}));
    ui.Forget();
    ws->SaveAs();
    EXPECT_EQ(ui.Said(),
              (Said{"beep", "message: Έχετε συμπληρώσει μη αποδεκτή τιμή Είδους Αποδοχών στην εγγραφή "
                            "αναλυτικών αμοιβών"}));
    EXPECT_FALSE(ws->LastSaveOk());
    Rows().Cancel();

    // The body's own number in rows 1 and 3: asked once per row, numbered from 1.
    ui.Yes();
    ASSERT_TRUE(Store(GoodRow("094014201", "10")));
    ASSERT_TRUE(Store(GoodRow("090000045", "10")));
    ui.Yes();
    ASSERT_TRUE(Store(GoodRow("094014201", "11")));
    const auto question = [](int row) {
        return "ask: Ο ΑΦΜ: 094014201 που έχει εισαχθεί στη γραμμή " + std::to_string(row) +
               " των αναλυτικών αμοιβών είναι ίδιος με τον ΑΦΜ υπόχρεου. Είστε σίγουρος ότι αυτό είναι "
               "σωστό; "
               "[Ναι|Όχι]";
    };
    ui.Forget();
    ui.Yes();
    ui.No();
    ws->SaveAs();
    EXPECT_EQ(ui.Said(), (Said{"beep", question(1), "beep", question(3)}));
    EXPECT_FALSE(ws->LastSaveOk());

    ui.Forget();
    ui.Yes();
    ui.Yes();
    ui.saveChoices.push_back(std::nullopt);
    ws->SaveAs();
    EXPECT_TRUE(ws->LastSaveOk());
    ui.ExpectScriptUsed();
}

TEST_F(DeclarationCommandsTest, SaveRefusesTheFirstRepeatedPair)
{
    StartDeclaration();
    for (const char* afm : {"090000045", "123456783", "000000050", "100000003"})
        ASSERT_TRUE(Store(GoodRow(afm, "10")));
    // Edits are not checked against other rows: rows become X, Y, Y, X.
    Rows().SetRecNo(3);
    ASSERT_TRUE(Change({{AFM, "123456783"}}));
    Rows().Last();
    ASSERT_TRUE(Change({{AFM, "090000045"}}));
    ui.Forget();
    ws->SaveAs();
    EXPECT_EQ(ui.Said(),
              (Said{"beep", "message: Ο ΑΦΜ: 090000045 έχει εισαχθεί 2 φορές στις αναλυτικές αμοιβές με "
                            "τον ίδιο κωδικό Είδους Αποδοχών"}));
    EXPECT_FALSE(ws->LastSaveOk());
    EXPECT_EQ(ReadFile("temp/record21"), ReadFile("temp/record2"));
}

TEST_F(DeclarationCommandsTest, SaveWithoutRowsWritesThreeRecords)
{
    StartDeclaration();
    ws->Header.CompanyName = Cp("ΥΠΟΥΡΓΕΙΟ");
    ui.Forget();
    SaveTo(SavePath());
    EXPECT_EQ(ui.log.front(), "save-dialog: " + ws->ProgramFolder() + " 094014201-Rozaro ");
    const std::string expected =
        Lines({Pad("0JL10    202606152025", 170), Pad("12025" + Pad(Cp("ΥΠΟΥΡΓΕΙΟ"), 30) + "0094014201", 170),
               "2" + std::string(124, '0') + std::string(45, ' ')});
    EXPECT_EQ(ReadFile("out.txt"), expected);
}

TEST_F(DeclarationCommandsTest, SaveAsksBeforeReplacingAFile)
{
    StartDeclaration();
    ws->SetModified(true);
    WriteFile("out.txt", "OLD");
    ui.No();
    SaveTo(SavePath());
    EXPECT_EQ(ui.Said().back(),
              "ask: Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο out.txt; [Ναι|Όχι]");
    EXPECT_EQ(ReadFile("out.txt"), "OLD");
    EXPECT_TRUE(ws->Modified());
    EXPECT_TRUE(ws->LastSaveOk());

    ui.Yes();
    SaveTo(SavePath());
    EXPECT_EQ(ReadFile("out.txt").size(), 3u * 172u);
    EXPECT_FALSE(ws->Modified());
}

TEST_F(DeclarationCommandsTest, FailedWriteKeepsTheEarlierFileAndRestoresTheWindow)
{
    StartDeclaration();
    for (const char* afm : {"090000045", "123456783", "000000050"})
        ASSERT_TRUE(Store(GoodRow(afm, "10")));
    ws->SetModified(true);
    WriteFile("out.txt", "EARLIER");
    ws->SaveFileFactory = [](const QString& path) { return std::make_unique<FailingSaveFile>(path, 600); };
    ui.Forget();
    ui.Yes();
    SaveTo(SavePath());
    EXPECT_EQ(ReadFile("out.txt"), "EARLIER");
    ASSERT_GE(ui.Said().size(), 1u);
    EXPECT_EQ(ui.Said().back().rfind("error: ", 0), 0u);
    EXPECT_TRUE(ws->Modified());
    ASSERT_GE(ui.log.size(), 4u);
    const std::vector<std::string> tail(ui.log.end() - 4, ui.log.end() - 1);
    EXPECT_EQ(tail, (std::vector<std::string>{"grid: on", "wait: off", "busy: off"}));
    QDir folder(dir.path());
    EXPECT_EQ(folder.entryList({QStringLiteral("out.txt*")}, QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(DeclarationCommandsTest, SaveRefusesATotalTooLargeForItsRecord)
{
    StartDeclaration();
    ASSERT_TRUE(Store(GoodRow()));
    Totals::Boxes edits = ws->CurrentTotals().Edits();
    edits[0] = "10000000000000";
    ws->ReplaceTotals(Totals(edits, ws->CurrentTotals().Label32()));
    ui.Forget();
    ws->SaveAs();
    EXPECT_EQ(ui.Said(),
              (Said{"beep", "message: Το σύνολο Ακαθάριστες Αποδοχές υπερβαίνει το όριο του πεδίου "
                            "(έως 9999999999999,99)."}));
    EXPECT_FALSE(ws->LastSaveOk());
}

TEST_F(DeclarationCommandsTest, LeavingTheHeaderFields)
{
    StartDeclaration();
    for (const char* year : {"1900", "2026"}) {
        ws->Header.YearOfData = year;
        EXPECT_TRUE(ws->YearOfDataExit()) << year;
    }
    EXPECT_TRUE(ui.log.empty());
    for (const char* year : {"1899", "2027", ""}) {
        ui.Forget();
        ws->Header.YearOfData = year;
        EXPECT_FALSE(ws->YearOfDataExit()) << year;
        EXPECT_EQ(ui.log, (std::vector<std::string>{"beep", kYear, "focus: YearOfData"}));
    }
    ws->Header.AFM = "090000045";
    EXPECT_TRUE(ws->AFMExit());
    for (const char* afm : {"090000046", "", "ABCDEFGHI"}) {
        ui.Forget();
        ws->Header.AFM = afm;
        EXPECT_FALSE(ws->AFMExit()) << afm;
        EXPECT_EQ(ui.log, (std::vector<std::string>{"message: Λάθος ΑΦΜ Υπόχρεου", "focus: AFM"}));
    }
}

// The declaration lives in memory: with the working folder gone (a file
// stands where temp/ was, so nothing can be written there or read back),
// Open, both sorts and Save as still give the right file. The keep that
// fails is said once, until a later one succeeded and failed anew.
TEST_F(DeclarationCommandsTest, CommandsNeverReadTheWorkingFolderAndSayItsFailureOnce)
{
    const std::string notKept =
        "error: Η εργασία δεν φυλάσσεται πια για την περίπτωση διακοπής λειτουργίας: ";
    const auto failures = [&] {
        return std::count_if(ui.log.begin(), ui.log.end(),
                             [&](const std::string& line) { return line.rfind(notKept, 0) == 0; });
    };
    const std::string b = Record3("123456783", "10", "200", "0", "200");
    const std::string a = Record3("090000045", "10", "100", "0", "100");
    WriteFile("in.txt", Lines({Record0(), Record1("BODY", "094014201"), b, a}));
    ASSERT_TRUE(QDir(dir.path() + QStringLiteral("/temp")).removeRecursively());
    WriteFile("temp", "not a folder");

    OpenFrom(ProgramPath("in.txt"));
    EXPECT_EQ(failures(), 1);
    EXPECT_FALSE(ws->KeptSafe());
    ASSERT_EQ(Rows().RecordCount(), 2);
    EXPECT_EQ(ws->CurrentTotals().Label32(), "2 Εγγραφές-2 μοναδικοί ΑΦΜ");
    EXPECT_EQ(ws->Header.CompanyName, "BODY");
    EXPECT_TRUE(ws->SortByAfm());
    ASSERT_TRUE(Store(GoodRow("011111111")));
    EXPECT_TRUE(ws->SortAlphabetically());
    EXPECT_TRUE(ws->SortByAfm());
    SaveTo(SavePath("sorted.txt"));
    EXPECT_EQ(failures(), 1);
    const std::string saved = ReadFile("sorted.txt");
    ASSERT_EQ(saved.size(), 6u * 172);
    EXPECT_EQ(saved.substr(3 * 172 + 1, 9), "011111111");
    EXPECT_EQ(saved.substr(4 * 172, 172), a + "\r\n");
    EXPECT_EQ(saved.substr(5 * 172, 172), b + "\r\n");
    EXPECT_EQ(saved.substr(2 * 172 + 1, 15), "000000000100300"); // 1000 + 1 + 2 summed in memory

    // The folder back: the next change is kept whole; a new failure is said again.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(ProgramPath("temp"))));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("temp")));
    ws->SetModified(true);
    ASSERT_TRUE(Change({{SurName, "ALPHA"}}));
    EXPECT_TRUE(ws->KeptSafe());
    EXPECT_NE(ReadFile(WorkKeeper::BaseFile), "<missing>");
    // A row journal open before keeps appending to its removed file; the
    // state, written anew, finds the folder gone.
    ASSERT_TRUE(QDir(dir.path() + QStringLiteral("/temp")).removeRecursively());
    WriteFile("temp", "");
    ws->Header.Town = "PATRA";
    ASSERT_TRUE(Change({{SurName, "BETA"}}));
    EXPECT_TRUE(ws->Modified());
    EXPECT_EQ(failures(), 2);
    EXPECT_EQ(StoredField(0, SurName), "BETA");
}

// A file that cannot be read ends Open with its name and the reason, and
// changes nothing: rows, header, totals, file name and flag.
TEST_F(DeclarationCommandsTest, AnOpenThatCannotReadItsFileChangesNothing)
{
    StartDeclaration();
    ASSERT_TRUE(Store(GoodRow("090000045")));
    SaveTo(SavePath("first.txt"));
    ASSERT_TRUE(Store(GoodRow("123456783")));
    const auto rows = RowTexts();
    const Totals totals = ws->CurrentTotals();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
    ui.Forget();
    ui.No();
    ui.openChoices.push_back(ProgramPath("folder.txt"));
    EXPECT_EQ(ws->Open(), Workspace::OpenOutcome::Failed);
    ASSERT_EQ(ui.Said().size(), 2u);
    EXPECT_EQ(ui.Said()[1].rfind("error: Το αρχείο «" + ProgramPath("folder.txt") + "»", 0), 0u);
    EXPECT_EQ(RowTexts(), rows);
    EXPECT_EQ(ws->CurrentTotals(), totals);
    EXPECT_EQ(ws->Header.CompanyName, "MINISTRY");
    EXPECT_EQ(ws->FileName(), SavePath("first.txt"));
    EXPECT_TRUE(ws->Modified());
}

// A body name fills three pieces of 18, 9 and 3 characters as one text: the
// blank where the first piece ends is part of it, through Open and Save as.
TEST_F(DeclarationCommandsTest, TheBodyNameSurvivesOpenAndSaveAsByteForByte)
{
    const std::string name = Cp("ΓΕΝΙΚΟ ΛΟΓΙΣΤΗΡΙΟ ΚΡΑΤΟΥΣ");
    ASSERT_EQ(name[17], ' ');
    const std::string header = Record1(name, "094014201");
    const std::string row = Record3("090000045", "10", "100", "0", "100");
    WriteFile("body.txt", Lines({Record0(), header, Pad("2", 170), row}));
    OpenFrom(ProgramPath("body.txt"));
    EXPECT_EQ(ws->Header.CompanyName, name);
    EXPECT_EQ(ws->Header.Name, Cp("ΚΡΑΤΟΥΣ"));
    SaveTo(SavePath("again.txt"));
    EXPECT_EQ(ReadFile("again.txt").substr(172, 172), header + "\r\n");
    OpenFrom(SavePath("again.txt"));
    EXPECT_EQ(ws->Header.CompanyName, name);
}

// An amount that cannot be read opens, but no file is written from boxes
// that do not hold the rows' sums, and the boxes never keep the totals of
// the declaration opened before.
TEST_F(DeclarationCommandsTest, UnsummedRowsAreNeverSavedWithZeroTotals)
{
    StartDeclaration();
    ASSERT_TRUE(Store(GoodRow("090000045")));
    std::string letters = Record3("123456783", "10", "100", "0", "100");
    letters.replace(104, 9, "ABCDEFGHI");
    WriteFile("letters.txt", Lines({Record0(), Record1("BODY", "094014201"), letters}));
    ui.No();
    ui.openChoices.push_back(ProgramPath("letters.txt"));
    EXPECT_EQ(ws->Open(), Workspace::OpenOutcome::OpenedWithoutTotals);
    for (const auto& box : ws->CurrentTotals().Edits())
        EXPECT_EQ(box, "");
    ui.Forget();
    ui.saveChoices.push_back(SavePath("zeros.txt"));
    EXPECT_EQ(ws->SaveAs(), Workspace::SaveOutcome::Refused);
    ASSERT_EQ(ui.Said().size(), 2u);
    EXPECT_NE(ui.Said()[1].find("δεν είναι αριθμός: ABCDEFGHI"), std::string::npos);
    EXPECT_EQ(ReadFile("zeros.txt"), "<missing>");
}

} // namespace
