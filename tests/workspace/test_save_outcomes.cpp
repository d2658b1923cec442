#include "WorkspaceFixture.h"

#include "fileio/FileError.h"
#include "text/ConvertError.h"

#include <QBuffer>

using namespace declaration;

namespace {

using Said = std::vector<std::string>;
using Outcome = Workspace::SaveOutcome;

const std::string kChanges = "ask: Έχετε κάνει αλλαγές. Θέλετε να αποθηκευτούν σε αρχείο; [Ναι|Όχι|Άκυρο]";
const std::string kReplace = "ask: Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο out.txt; [Ναι|Όχι]";

class SaveOutcomeTest : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        StartDeclaration();
        ASSERT_TRUE(Store(GoodRow()));
        ws->SetModified(true);
        ui.Forget();
    }
    Outcome SaveTo(const std::optional<std::string>& path)
    {
        ui.saveChoices.push_back(path);
        return ws->SaveAs();
    }
    bool Logged(const std::string& line) const
    {
        return std::find(ui.log.begin(), ui.log.end(), line) != ui.log.end();
    }
    // Stores `text` into the gross pay of the current row past the row checks,
    // as a file read back leaves an amount that is no whole number of cents.
    void ForceGrossPay(const std::string& text)
    {
        auto checks = Rows().BeforePost;
        Rows().BeforePost = nullptr;
        Rows().Edit();
        Rows().FieldByName("AkaInc").SetAsString(text);
        try {
            Rows().Post();
        } catch (const EConvertError&) {
            // The totals cannot be summed; the row is stored all the same.
        }
        Rows().BeforePost = checks;
        ui.Forget();
    }
};

TEST_F(SaveOutcomeTest, SaveAsSaysWhatItCameTo)
{
    ws->Header.YearOfData.clear();
    EXPECT_EQ(ws->SaveAs(), Outcome::Refused);
    EXPECT_FALSE(ws->LastSaveOk());
    ws->Header.YearOfData = "2025";

    EXPECT_EQ(SaveTo(std::nullopt), Outcome::Cancelled);
    EXPECT_TRUE(ws->LastSaveOk());

    // Replacing a file destroys it: "Όχι" and a question closed without an
    // answer both keep it.
    WriteFile("out.txt", "OLD");
    for (auto answer : {UserInterface::Answer::No, UserInterface::Answer::Cancel}) {
        ui.Forget();
        ui.Reply(answer);
        EXPECT_EQ(SaveTo(ProgramPath("out.txt")), Outcome::Declined);
        EXPECT_EQ(ui.Said(), Said{kReplace});
        EXPECT_EQ(ReadFile("out.txt"), "OLD");
    }

    ui.Yes();
    ws->SaveFileFactory = FailWritingFilesEndingIn("out.txt");
    EXPECT_EQ(SaveTo(ProgramPath("out.txt")), Outcome::Failed);
    EXPECT_EQ(ui.Said().back(),
              "error: Το αρχείο «" + ProgramPath("out.txt") +
                  "» δεν μπορεί να γραφτεί. Δεν υπάρχει αρκετός ελεύθερος χώρος στον δίσκο.");
    EXPECT_EQ(ReadFile("out.txt"), "OLD");
    EXPECT_TRUE(ws->Modified());

    ui.Yes();
    ws->SaveFileFactory = AtomicFile::DefaultFactory();
    EXPECT_EQ(SaveTo(ProgramPath("out.txt")), Outcome::Saved);
    EXPECT_EQ(ReadFile("out.txt").size(), 4u * 172u);
    EXPECT_FALSE(ws->Modified());
    ui.ExpectScriptUsed();
}

// Closing was once let through when the save after "Ναι" was cancelled or
// the existing file kept, and the changes were lost: it now stays open like
// New and Open.
TEST_F(SaveOutcomeTest, NewOpenAndClosingAfterYesGoOnOnlyOnceTheDeclarationIsSaved)
{
    WriteFile("out.txt", "OLD");
    // Each way "Ναι" can end without a file: the dialog cancelled, the
    // existing file kept, the write failing.
    const std::vector<std::function<void()>> unsaved = {
        [&] { ui.saveChoices.push_back(std::nullopt); },
        [&] {
            ui.saveChoices.push_back(ProgramPath("out.txt"));
            ui.Cancel();
        },
        [&] {
            ui.saveChoices.push_back(ProgramPath("out.txt"));
            ui.Yes();
            ws->SaveFileFactory = FailWritingFilesEndingIn("out.txt");
        },
    };
    for (size_t way = 0; way < unsaved.size(); ++way) {
        for (int command = 0; command < 3; ++command) {
            ui.Forget();
            ui.Yes();
            unsaved[way]();
            if (command == 2)
                EXPECT_FALSE(ws->CloseQuery()) << way;
            else
                command == 1 ? static_cast<void>(ws->Open()) : ws->New();
            EXPECT_EQ(ui.Said().front(), kChanges) << way;
            EXPECT_FALSE(Logged("ask: Δημιουργία νέου αρχείου; [Ναι|Όχι]")) << way;
            EXPECT_FALSE(Logged("open-dialog: " + ws->ProgramFolder() + " *.*")) << way;
            EXPECT_EQ(Rows().RecordCount(), 1) << way;
            EXPECT_EQ(ws->Header.CompanyName, "MINISTRY") << way;
            EXPECT_TRUE(ws->Modified()) << way;
            ws->SaveFileFactory = AtomicFile::DefaultFactory();
        }
    }
    EXPECT_EQ(ReadFile("out.txt"), "OLD");

    // Once saved, New goes on to its own question.
    ui.Forget();
    ui.Yes();
    ui.saveChoices.push_back(ProgramPath("saved.txt"));
    ui.Yes();
    ws->New();
    EXPECT_TRUE(Logged("ask: Δημιουργία νέου αρχείου; [Ναι|Όχι]"));
    EXPECT_EQ(Rows().RecordCount(), 0);
    ui.ExpectScriptUsed();
}

TEST_F(SaveOutcomeTest, AStoredAmountThatDoesNotFitItsFileFieldRefusesTheSave)
{
    ASSERT_TRUE(Store(GoodRow("123456783")));
    ForceGrossPay("12AB");
    EXPECT_EQ(ws->SaveAs(), Outcome::Refused);
    EXPECT_EQ(ui.Said(), (Said{"beep", "message: Το ποσό Ακαθάριστες Αποδοχές της γραμμής 2 των αναλυτικών "
                                       "αμοιβών δεν είναι αριθμός: 12AB"}));

    ui.Forget();
    ForceGrossPay("1E9");
    EXPECT_EQ(ws->SaveAs(), Outcome::Refused);
    EXPECT_EQ(ui.Said(), (Said{"beep", "message: Το ποσό Ακαθάριστες Αποδοχές της γραμμής 2 των αναλυτικών "
                                       "αμοιβών υπερβαίνει το όριο του πεδίου (έως 99999999,9)."}));
    EXPECT_FALSE(Logged("save-dialog: " + ws->ProgramFolder() + " 094014201-Rozaro "));

    // Whatever reaches the writer, no detail record leaves it longer than its width.
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_THROW(WriteDeclaration(out, QDate(2026, 6, 15), ws->Header, {}, Rows().Lines()),
                 std::length_error);
}

TEST_F(SaveOutcomeTest, APendingRowThatCannotBeReadStopsTheCommandAndStaysInEdit)
{
    ASSERT_TRUE(Store(GoodRow("123456783")));
    Rows().Edit();
    Rows().FieldByName("AkaInc").SetAsString("12AB");
    ui.Forget();
    const auto stillEditing = [&] {
        EXPECT_EQ(Rows().State(), TDataSetState::dsEdit);
        EXPECT_EQ(Field(AkaInc), "12AB");
    };

    EXPECT_THROW(ws->SortByAfm(), EConvertError);
    stillEditing();
    EXPECT_THROW(ws->FindRow(true, "090000045", false), EConvertError);
    stillEditing();
    EXPECT_THROW(ws->StorePendingRow(), EConvertError);
    stillEditing();

    // Save as shows the error itself and writes nothing.
    EXPECT_EQ(ws->SaveAs(), Outcome::Refused);
    EXPECT_EQ(ui.Said(), Said{"error: '12AB' is not a valid floating point value"});
    stillEditing();
    EXPECT_EQ(Rows().RecordCount(), 2);
}

// The writer's word that the new file is in place but its folder could not be
// synced, given at the first write of the declaration.
class UnsyncedSaveFile : public AtomicDevice
{
public:
    using AtomicDevice::AtomicDevice;

protected:
    qint64 writeData(const char*, qint64) override { throw EFolderSyncError("in place, not synced"); }
};

// Such a file is written, so its name is taken; but a power cut may still
// take it, so the work stays changed and kept safe, and closing still asks.
TEST_F(SaveOutcomeTest, AFileWhoseFolderCouldNotBeSyncedIsSaidSoAndClosingStillAsks)
{
    ws->SaveFileFactory = [](const QString& path) -> std::unique_ptr<AtomicDevice> {
        if (path.endsWith(QStringLiteral("out.txt")))
            return std::make_unique<UnsyncedSaveFile>(path);
        return std::make_unique<AtomicDevice>(path);
    };
    EXPECT_EQ(SaveTo(ProgramPath("out.txt")), Outcome::Unsynced);
    EXPECT_EQ(ui.Said(), Said{"error: in place, not synced"});
    EXPECT_TRUE(ws->LastSaveOk());
    EXPECT_EQ(ws->FileName(), ProgramPath("out.txt"));
    EXPECT_TRUE(ws->Modified());

    // "Ναι" to closing saves again; the same doubt keeps the program open.
    ui.Forget();
    ui.Yes();
    ui.saveChoices.push_back(ProgramPath("out.txt"));
    EXPECT_FALSE(ws->CloseQuery());
    EXPECT_EQ(ui.Said(), (Said{kChanges, "error: in place, not synced"}));
}

} // namespace
