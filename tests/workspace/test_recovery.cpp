#include "WorkspaceFixture.h"
#include "declaration/Helpers.h"

#include "fileio/AtomicWriter.h"
#include "workspace/RowJournal.h"
#include "workspace/WorkKeeper.h"

#include <cerrno>
#include <cstdio>

#include <filesystem>

using namespace declaration;
using Recovery = Workspace::RecoveryOutcome;

namespace {

const std::string kOffer = "ask: Η προηγούμενη εργασία δεν έκλεισε κανονικά. Υπάρχουν αλλαγές που δεν "
                           "αποθηκεύτηκαν (%N εγγραφές). Θέλετε να τις ανακτήσετε; [Ναι|Όχι]";

std::string Offer(size_t rows)
{
    std::string text = kOffer;
    return text.replace(text.find("%N"), 2, std::to_string(rows));
}

// What a person sees of a declaration: header, rows in order, boxes and label.
struct Seen
{
    std::string header;
    std::vector<std::string> rows;
    Totals totals;
    bool operator==(const Seen&) const = default;
};

Seen SeenIn(Workspace& work)
{
    SessionState state;
    state.header = work.Header;
    Seen seen{state.Serialize(), {}, work.CurrentTotals()};
    for (const auto& line : work.FixedFormatDataSet1.Lines())
        seen.rows.push_back(line.Text);
    return seen;
}

std::string Afm(const std::string& first8)
{
    return first8 + AfmCheckDigit(first8);
}

// Sheet rows that the import accepts, one per tax number.
workbook::Sheet SheetOf(const std::vector<std::string>& afms)
{
    workbook::Sheet sheet;
    sheet.SetColumns(20);
    for (const std::string& afm : afms) {
        sheet.Cells().push_back(QString::fromStdString(afm));
        for (const char* cell : {"ΣΤΑΜΟΥ", "ΝΙΚΟΣ", "ΚΩΝ", "ΑΘΗΝΑ", "ΟΔΟΣ", "1", "10431", "10", "500", "0",
                                 "0", "100", "400", "0", "0", "", "100", "0", "0"})
            sheet.Cells().push_back(QString::fromUtf8(cell));
    }
    return sheet;
}

bool Saw(const ScriptedUi& person, const std::string& line)
{
    return std::find(person.log.begin(), person.log.end(), line) != person.log.end();
}

} // namespace

// A program stopped without closing (its workspace is simply left behind,
// nothing closed, nothing removed) and another started in the same folder.
class RecoveryTest : public WorkspaceTest
{
protected:
    std::vector<std::unique_ptr<Workspace>> m_stopped;
    std::vector<std::unique_ptr<ScriptedUi>> m_people;
    ScriptedUi* person = &ui;

    // The next start, answering `answer` if the start asks anything.
    Recovery Restart(std::optional<UserInterface::Answer> answer)
    {
        m_stopped.push_back(std::move(ws));
        m_people.push_back(std::make_unique<ScriptedUi>());
        person = m_people.back().get();
        if (answer)
            person->Reply(*answer);
        ws = std::make_unique<Workspace>(*person, dir.path().toStdString());
        ws->Today = [] { return QDate(2026, 6, 15); };
        ws->Now = [] { return QDateTime(QDate(2026, 6, 15), QTime(14, 3, 22)); };
        ws->Start();
        return ws->RecoverLeftoverWork();
    }

    // Restarts with "Ναι" and expects exactly what was there before.
    void ExpectRecovered(const char* after)
    {
        SCOPED_TRACE(after);
        const Seen before = SeenIn(*ws);
        const std::string fileName = ws->FileName();
        const size_t rows = before.rows.size();
        ASSERT_EQ(Restart(UserInterface::Answer::Yes), Recovery::Recovered);
        EXPECT_EQ(person->log.front(), Offer(rows));
        EXPECT_EQ(SeenIn(*ws), before);
        EXPECT_TRUE(ws->Modified());
        EXPECT_EQ(ws->FileName(), fileName);
        EXPECT_TRUE(Saw(*person, "working-state"));
    }

    // "Νέο" answered "Ναι" by whoever runs the program now.
    void StartNew()
    {
        person->Yes();
        ws->New();
        ws->Header.YearOfData = "2025";
        ws->Header.AFM = "094014201";
        ws->Header.CompanyName = "MINISTRY";
        person->Forget();
    }

    void TypeHeader(std::string EmployerHeader::*field, const std::string& value)
    {
        ws->Header.*field = value;
        ws->SetModified(true);
    }
};

TEST_F(RecoveryTest, EveryCommandsResultComesBackAfterTheProgramStops)
{
    StartNew();
    TypeHeader(&EmployerHeader::CompanyName, Cp("ΥΠΟΥΡΓΕΙΟ %\nΟΙΚΟΝΟΜΙΚΩΝ"));
    ExpectRecovered("header typed, no row stored: empty boxes as after New");
    EXPECT_EQ(ws->CurrentTotals().Label32(), "0 Εγγραφές");

    ASSERT_TRUE(Store(GoodRow("090000045", "10", "ZETA")));
    ASSERT_TRUE(Store(GoodRow(Afm("07777777"), "11", "ALFA")));
    ASSERT_TRUE(Store(GoodRow(Afm("03333333"), "10", "BETA")));
    ExpectRecovered("three rows stored");
    EXPECT_EQ(ws->CurrentTotals().Label32(), "3 Εγγραφές-3 μοναδικοί ΑΦΜ");

    Rows().First();
    ASSERT_TRUE(Change({{AkaInc, "2000"}, {Kathares, "1800"}}));
    ExpectRecovered("a row changed");

    Rows().Last();
    Rows().Delete();
    ExpectRecovered("a row deleted");

    ASSERT_TRUE(ws->SortAlphabetically());
    ExpectRecovered("sorted");
    EXPECT_EQ(StoredField(0, SurName), "ALFA");

    ASSERT_EQ(ws->ImportRows(SheetOf({Afm("05555555"), Afm("06666666")})),
              Workspace::ImportOutcome::Imported);
    ExpectRecovered("imported");
    EXPECT_EQ(Rows().RecordCount(), 4);

    TypeHeader(&EmployerHeader::Town, Cp("ΠΑΤΡΑ"));
    ExpectRecovered("a header field changed after rows");

    // A row still being edited was never stored: it is not kept.
    Rows().First();
    Rows().Edit();
    Rows().FieldByName("SurName").SetAsString("UNSTORED");
    const std::string stored = StoredField(0, SurName);
    ASSERT_EQ(Restart(UserInterface::Answer::Yes), Recovery::Recovered);
    EXPECT_EQ(StoredField(0, SurName), stored);
}

TEST_F(RecoveryTest, AStoreThatCannotKeepItsRowsLeavesTheRowsOfTheCommandBefore)
{
    StartNew();
    TypeHeader(&EmployerHeader::Town, "X");
    const Seen before = SeenIn(*ws);
    {
        // Neither the state nor a base of the rows can be kept any more.
        const FailingKeeperBase failing;
        TypeHeader(&EmployerHeader::Town, "Y");
        // The row is stored in memory all the same; only its keeping failed.
        EXPECT_TRUE(Store(GoodRow()));
        EXPECT_EQ(Rows().RecordCount(), 1);
        EXPECT_FALSE(ws->KeptSafe());
    }
    ASSERT_EQ(Restart(UserInterface::Answer::Yes), Recovery::Recovered);
    EXPECT_EQ(SeenIn(*ws), before);
}

// "Όχι" still keeps the work, as the declaration file Save as would write;
// the working files go and the program starts as usual.
TEST_F(RecoveryTest, NoKeepsACopyInRecoveredAndStartsAsUsual)
{
    StartNew();
    ASSERT_TRUE(Store(GoodRow()));
    ASSERT_TRUE(Store(GoodRow(Afm("03333333"), "11", "ALFA")));
    person->saveChoices.push_back(ProgramPath("saved"));
    ASSERT_EQ(ws->SaveAs(), Workspace::SaveOutcome::Saved);
    ASSERT_TRUE(Store(GoodRow(Afm("04444444"), "10", "GAMMA")));
    person->saveChoices.push_back(ProgramPath("expected"));
    ASSERT_EQ(ws->SaveAs(), Workspace::SaveOutcome::Saved);
    ws->SetModified(true); // changed again, as typing would leave it

    ASSERT_EQ(Restart(UserInterface::Answer::No), Recovery::CopyKept);
    const std::string copy = ProgramPath("recovered/2026-06-15_14-03-22.txt");
    EXPECT_EQ(person->log, (std::vector<std::string>{Offer(3), "message: Η εργασία που δεν ανακτήθηκε "
                                                               "φυλάχτηκε στο αρχείο " +
                                                                   copy}));
    EXPECT_EQ(ReadFile("recovered/2026-06-15_14-03-22.txt"), ReadFile("expected"));
    for (const char* left : {"temp/session", "temp/record2", "temp/record21", "temp/generaldata"})
        EXPECT_FALSE(QFile::exists(QString::fromStdString(ProgramPath(left)))) << left;
    EXPECT_FALSE(Rows().Active());

    // Nothing is left to offer, and a second copy never replaces the first.
    EXPECT_EQ(Restart(std::nullopt), Recovery::NothingLeft);
    StartNew();
    ws->SetModified(true);
    ASSERT_EQ(Restart(UserInterface::Answer::No), Recovery::CopyKept);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(ProgramPath("recovered/2026-06-15_14-03-22-2.txt"))));
}

// A header that fails the save checks is still kept whole.
TEST_F(RecoveryTest, NoKeepsAHeaderTheSaveChecksWouldRefuse)
{
    StartNew();
    TypeHeader(&EmployerHeader::YearOfData, "20");
    ASSERT_EQ(Restart(UserInterface::Answer::No), Recovery::CopyKept);
    const std::string copy = ReadFile("recovered/2026-06-15_14-03-22.txt");
    ASSERT_EQ(copy.size(), 3u * 172);
    EXPECT_EQ(copy.substr(0, 21), "0JL10    2026061520  ");
}

TEST_F(RecoveryTest, SavedOrClosedWorkIsDroppedWithoutAQuestion)
{
    StartNew();
    ASSERT_TRUE(Store(GoodRow()));
    person->saveChoices.push_back(ProgramPath("saved"));
    ASSERT_EQ(ws->SaveAs(), Workspace::SaveOutcome::Saved);
    EXPECT_EQ(Restart(std::nullopt), Recovery::NothingLeft);
    EXPECT_TRUE(person->log.empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(ProgramPath("temp/record2"))));

    StartNew();
    ASSERT_TRUE(Store(GoodRow()));
    ws->Shutdown();
    EXPECT_EQ(Restart(std::nullopt), Recovery::NothingLeft);
}

// The declaration opened from a file keeps that file's name: Save as
// proposes it after the work is taken up again.
TEST_F(RecoveryTest, TheFileNameComesBackForSaveAs)
{
    StartNew();
    ASSERT_TRUE(Store(GoodRow()));
    QDir(dir.path()).mkdir(QStringLiteral("office 100%"));
    const std::string saved = ProgramPath("office 100%/094014201-Rozaro");
    person->saveChoices.push_back(saved);
    ASSERT_EQ(ws->SaveAs(), Workspace::SaveOutcome::Saved);
    person->openChoices.push_back(saved);
    ASSERT_EQ(ws->Open(), Workspace::OpenOutcome::Opened);
    ASSERT_TRUE(Store(GoodRow(Afm("04444444"), "10", "GAMMA")));

    ExpectRecovered("stored after Open");
    person->saveChoices.push_back(std::nullopt);
    ws->SaveAs();
    EXPECT_TRUE(Saw(*person, "save-dialog: " + ProgramPath("office 100%") + " 094014201-Rozaro "));
}

// A power cut may cut the journal's last change short: the rows come from
// the base and its journal, up to the last whole change.
TEST_F(RecoveryTest, ThePowerCutsRowsComeFromTheJournal)
{
    StartNew();
    for (const char* first8 : {"01111111", "02222222", "03333333"})
        ASSERT_TRUE(Store(GoodRow(Afm(first8))));
    Rows().First();
    Rows().Delete();
    const Seen before = SeenIn(*ws);
    ASSERT_TRUE(Store(GoodRow(Afm("04444444"))));

    // The last change cut short: the rows of the command before it.
    const std::string journal = ReadFile(WorkKeeper::JournalFile);
    WriteFile(WorkKeeper::JournalFile, journal.substr(0, journal.size() - 3));
    ASSERT_EQ(Restart(UserInterface::Answer::Yes), Recovery::Recovered);
    EXPECT_EQ(SeenIn(*ws), before);
    EXPECT_EQ(ReadFile("temp/record21"), "<missing>");

    // A journal that follows another base is never applied to this one: the
    // journal of a later change, put back after the base was written anew.
    ASSERT_TRUE(Store(GoodRow(Afm("05555555"))));
    const std::string laterJournal = ReadFile(WorkKeeper::JournalFile);
    ASSERT_TRUE(ws->SortByAfm()); // a new base, an empty journal
    const Seen sorted = SeenIn(*ws);
    WriteFile(WorkKeeper::JournalFile, laterJournal);
    ASSERT_EQ(Restart(UserInterface::Answer::Yes), Recovery::Recovered);
    EXPECT_EQ(SeenIn(*ws).rows, sorted.rows);
}

// The keeper's copy of a session that never closed, as a crash leaves it.
class KeptCopyTest : public RecoveryTest
{
protected:
    std::vector<TFixedFormatDataSet::TLine> KeptRows()
    {
        StartNew();
        for (const char* first8 : {"01111111", "02222222", "03333333"})
            EXPECT_TRUE(Store(GoodRow(Afm(first8))));
        return Rows().Lines();
    }
    void Keep(const std::vector<TFixedFormatDataSet::TLine>& rows, int capsLock = -1)
    {
        SessionState state;
        state.header = ws->Header;
        state.modified = true;
        state.summed = true;
        state.personCapsLock = capsLock;
        WorkKeeper(ProgramPath("")).Restart(state, rows);
        for (const char* legacy :
             {LeftoverWork::StateFile, "temp/record2", "temp/rows.base", "temp/rows.journal"})
            std::filesystem::remove(ProgramPath(legacy));
    }
    // The files moved aside into recovered/.
    std::vector<std::string> MovedAside() const
    {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(ProgramPath("recovered"), ignored))
            if (!entry.is_directory())
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// A damaged record: said once, the damaged files kept aside, the rows before
// the damage offered with the count of those lost; the next start is clean.
TEST_F(KeptCopyTest, ADamagedCopyOffersWhatCameBeforeTheDamageAndSaysHowManyRowsAreLost)
{
    const auto rows = KeptRows();
    Keep(rows);
    std::string base = ReadFile(WorkKeeper::BaseFile);
    base[base.size() - 40] ^= 0x10; // inside the last row
    WriteFile(WorkKeeper::BaseFile, base);
    ASSERT_EQ(Restart(UserInterface::Answer::Yes), Recovery::Recovered);
    ASSERT_GE(person->log.size(), 2u);
    EXPECT_EQ(person->log[0].rfind("error: Το αντίγραφο ασφαλείας της εργασίας είναι κατεστραμμένο", 0), 0u);
    EXPECT_NE(person->log[0].find("recovered/damaged-2026-06-15_14-03-22"), std::string::npos);
    EXPECT_EQ(person->log[1], "ask: Η προηγούμενη εργασία δεν έκλεισε κανονικά. Υπάρχουν αλλαγές που δεν "
                              "αποθηκεύτηκαν (2 εγγραφές· 1 εγγραφές δεν ανακτήθηκαν). Θέλετε να τις "
                              "ανακτήσετε; [Ναι|Όχι]");
    ASSERT_EQ(Rows().Lines().size(), 2u);
    EXPECT_EQ(Rows().Lines()[1].Text, rows[1].Text);
    EXPECT_EQ(MovedAside(), (std::vector<std::string>{"work.base", "work.journal"}));
    // The work taken up is kept safe anew, whole and undamaged.
    const WorkKeeper::Recovered kept = WorkKeeper::Recover(ProgramPath(""));
    EXPECT_FALSE(kept.damaged);
    EXPECT_EQ(kept.rows.size(), 2u);
}

TEST_F(KeptCopyTest, ACopyWithNoReadableStateNeverStopsTheStart)
{
    Keep(KeptRows());
    std::string base = ReadFile(WorkKeeper::BaseFile);
    base[20] ^= 0x01; // inside the base's header
    WriteFile(WorkKeeper::BaseFile, base);
    ASSERT_EQ(Restart(std::nullopt), Recovery::NothingLeft);
    ASSERT_EQ(person->log.size(), 1u);
    EXPECT_EQ(person->log[0].rfind("error: Το αντίγραφο ασφαλείας", 0), 0u);
    EXPECT_EQ(MovedAside(), (std::vector<std::string>{"work.base", "work.journal"}));
    ASSERT_EQ(Restart(std::nullopt), Recovery::NothingLeft);
    EXPECT_TRUE(person->log.empty());

    // The rows of a kept state before the keeper: a change that would wrap
    // the position is left out, never a crash.
    StartNew();
    ASSERT_TRUE(Store(GoodRow(Afm("01111111"))));
    WorkKeeper(ProgramPath("")).Forget();
    WriteFile(RowJournal::BaseFile, "Rozaro rows 7\n" + Rows().Lines()[0].Text + "\n");
    WriteFile(RowJournal::JournalFile, "Rozaro journal 7\n");
    SessionState legacyState;
    legacyState.header = ws->Header;
    legacyState.modified = true;
    WriteFile(LeftoverWork::StateFile, legacyState.Serialize());
    WriteFile(RowJournal::JournalFile, ReadFile(RowJournal::JournalFile) + "R 18446744073709551615 2 0\nE\n");
    ASSERT_EQ(Restart(UserInterface::Answer::Yes), Recovery::Recovered);
    EXPECT_EQ(Rows().Lines().size(), 1u);
}

// An amount that cannot be read is named by its row, in Greek, and the work
// still comes back.
TEST_F(KeptCopyTest, AnUnreadableAmountIsNamedByItsRow)
{
    auto rows = KeptRows();
    const declaration::FieldLayout& gross = declaration::DetailLayout()[declaration::AkaInc];
    rows[1].Text.replace(static_cast<size_t>(gross.offset), 7, "52!4,78");
    Keep(rows);
    ASSERT_EQ(Restart(UserInterface::Answer::Yes), Recovery::Recovered);
    EXPECT_TRUE(Saw(
        *person, "error: Η εγγραφή 2 της εργασίας που ανακτήθηκε έχει ποσό που δεν διαβάζεται: «52!4,78»"));
    EXPECT_EQ(Rows().Lines().size(), 3u);
}

TEST_F(KeptCopyTest, ThePersonsCapsLockComesBackFromASessionThatNeverClosed)
{
    Keep(KeptRows(), 0);
    ASSERT_EQ(Restart(UserInterface::Answer::No), Recovery::CopyKept);
    EXPECT_EQ(ws->LeftoverCapsLock(), 0);
    ASSERT_EQ(Restart(std::nullopt), Recovery::NothingLeft);
    EXPECT_EQ(ws->LeftoverCapsLock(), -1) << "the copy was settled";
}
