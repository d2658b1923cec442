#include "workspace/Workspace.h"

#include "workspace/RowJournal.h"
#include "workspace/ScopeExit.h"
#include "workspace/WorkspaceText.h"

#include <QFileInfo>
#include <filesystem>
#include <system_error>

using workspacetext::Path;

namespace {

const char* const kChangesQuestion = "Έχετε κάνει αλλαγές. Θέλετε να αποθηκευτούν σε αρχείο;";
const char* const kNotKeptSafe = "Η εργασία δεν φυλάσσεται πια για την περίπτωση διακοπής λειτουργίας: ";

} // namespace

Workspace::Workspace(UserInterface& ui, std::string programFolder)
    : Workspace(ui, ProgramFolders::Single(QString::fromStdString(programFolder)))
{
}

Workspace::Workspace(UserInterface& ui, const ProgramFolders& folders)
    : m_ui(ui), m_programFolder(folders.working.toStdString()),
      m_resourceFolder(folders.resources.toStdString()), m_dialogFolder(folders.dialogs.toStdString()),
      m_installed(folders.installed), m_keeper(m_programFolder)
{
}

void Workspace::RememberDialogFolder(const std::string& chosenFile)
{
    // A portable copy keeps starting in its own folder, as it always did.
    if (m_installed && !chosenFile.empty())
        m_dialogFolder = QFileInfo(Path(chosenFile)).absolutePath().toStdString();
}

Workspace::~Workspace() = default;

std::string Workspace::ProgramPath(const std::string& relative) const
{
    return (std::filesystem::path(m_programFolder) / relative).string();
}

void Workspace::WriteWorkFile(const std::string& path, const std::string& content)
{
    AtomicFile::Write(SaveFileFactory, Path(path), content);
}

// ---------------------------------------------------------------------------
// Start and close

void Workspace::Start()
{
    // An existing temp/ (left over from an earlier run) is used as it is.
    std::error_code ignored;
    std::filesystem::create_directory(ProgramPath("temp"), ignored);
    RestorePictures();

    FixedFormatDataSet1.SetSchema(declaration::DetailSchema());
    FixedFormatDataSet2.SetFileName(
        (std::filesystem::path(m_resourceFolder) / "Addon/typeofinc.txt").string());
    FixedFormatDataSet2.SetSchema(declaration::IncomeTypeSchema());

    FixedFormatDataSet1.BeforePost = [this](TFixedFormatDataSet& rows) {
        m_editedId = rows.State() == TDataSetState::dsEdit ? rows.GetBookmark() : 0;
        FixedFormatDataSet1BeforePost();
    };
    // A stored or deleted row is a change the declaration file does not have
    // yet: closing must not drop it without asking. It is kept safe before
    // the totals are summed, which may fail on an amount that cannot be read.
    // Both follow the one row changed rather than look at every row.
    const auto rowsChanged = [this](bool oneRow, std::optional<size_t> editedAt) {
        m_modified = true;
        m_oneRowChanged = oneRow;
        m_editedAt = editedAt;
        ScopeExit settled([this] { m_oneRowChanged = false; });
        KeepWork(Keep::ChangedRows);
        RecomputeTotals();
    };
    FixedFormatDataSet1.AfterPost = [this, rowsChanged](TFixedFormatDataSet& rows) {
        // The row stored is where the store stands; should it stand
        // elsewhere, every row is compared.
        const auto& lines = rows.Lines();
        const int at = rows.CurrentLine();
        const bool found = at >= 0 && static_cast<size_t>(at) < lines.size() &&
                           (m_editedId == 0 || lines[static_cast<size_t>(at)].Id == m_editedId);
        rowsChanged(found, static_cast<size_t>(at));
    };
    FixedFormatDataSet1.AfterDelete = [rowsChanged](TFixedFormatDataSet&) {
        rowsChanged(true, std::nullopt);
    };
    FixedFormatDataSet1.OnNewRecord = [this](TFixedFormatDataSet&) { m_newRecordPending = true; };
    FixedFormatDataSet1.AfterEdit = [this](TFixedFormatDataSet&) { m_newRecordPending = false; };

    // Without the income-type list the program still works; only the
    // grid's income-type box stays empty.
    try {
        FixedFormatDataSet2.Open();
    } catch (const std::exception& e) {
        m_ui.ShowError(e.what());
    }
}

// The form page is written into the working folder and shows the pictures it
// finds beside itself. Each picture is copied on its own when it is missing or
// differs in size, so that one that cannot be replaced (read-only) never keeps
// a later one from coming back; a picture that cannot be copied only leaves
// the printed page without it.
void Workspace::RestorePictures()
{
    if (m_resourceFolder == m_programFolder)
        return;
    namespace fs = std::filesystem;
    const char* pictures = "Addon/E7FirstPageFinal.files";
    const fs::path source = fs::path(m_resourceFolder) / pictures;
    const fs::path target = ProgramPath(pictures);
    std::error_code error;
    fs::create_directories(target, error);
    for (fs::directory_iterator it(source, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (!it->is_regular_file(ignored))
            continue;
        const fs::path copy = target / it->path().filename();
        const auto size = fs::file_size(copy, ignored);
        if (!ignored && size == it->file_size(ignored))
            continue;
        fs::copy_file(it->path(), copy, fs::copy_options::overwrite_existing, ignored);
    }
}

// Asks about unsaved changes; true when the caller may go on and drop them.
bool Workspace::ResolveUnsavedChanges()
{
    switch (m_ui.AskWithCaptions(
        kChangesQuestion, UserInterface::YesButton | UserInterface::NoButton | UserInterface::CancelButton,
        {"Ναι", "Όχι", "Άκυρο"})) {
    case UserInterface::Answer::Yes:
        // "Ναι" asked to keep the declaration: closing, New and Open go on
        // only once it is on disk for good, never when the save was
        // cancelled, the existing file kept, the writing failed or its
        // folder could not be synced.
        return SaveAs() == SaveOutcome::Saved;
    case UserInterface::Answer::No:
        return true;
    case UserInterface::Answer::Cancel:
        break;
    }
    return false;
}

bool Workspace::CloseQuery()
{
    return !m_modified || ResolveUnsavedChanges();
}

void Workspace::Shutdown()
{
    // The rows live in memory only: closing the store writes nothing.
    FixedFormatDataSet1.Close();
    RemoveWorkFiles();
}

void Workspace::RemoveWorkFiles()
{
    RemoveLeftoverFiles();
    std::error_code ignored;
    std::filesystem::remove(ProgramPath("temp"), ignored);
}

// The keeper's copy goes first, base before journal; then, each on its own,
// the files earlier releases kept there, which only recovery still reads.
void Workspace::RemoveLeftoverFiles()
{
    m_keeper.Forget();
    for (const char* name : {LeftoverWork::StateFile, RowJournal::BaseFile, RowJournal::JournalFile,
                             "temp/generaldata", "temp/record2", "temp/record21"}) {
        std::error_code ignored;
        std::filesystem::remove(ProgramPath(name), ignored);
    }
}

// ---------------------------------------------------------------------------
// The crash-safe copy

void Workspace::SetModified(bool modified)
{
    m_modified = modified;
    KeepWork(Keep::State);
}

// Everything after a whole change (New, Open, a sort, an import, recovery);
// otherwise the state, then the rows: work stopped in between is offered back
// with the flag set and the rows behind rather than dropped. The keeper
// writes a whole new copy by itself after any of its writes failed, so a
// change it missed is never lost from the copy once the disk takes writes
// again.
void Workspace::KeepWork(Keep what)
{
    if (!m_keepingWork)
        return;
    try {
        SessionState state;
        state.header = Header;
        state.fileName = m_fileName;
        state.modified = m_modified;
        state.summed = !m_totals.Edits()[0].empty();
        state.personCapsLock = PersonCapsLock;
        if (what == Keep::Everything) {
            m_keeper.Restart(state, FixedFormatDataSet1.Lines());
        } else {
            m_keeper.RecordState(state);
            if (what == Keep::ChangedRows && m_oneRowChanged)
                m_keeper.RecordRows(FixedFormatDataSet1.Lines(), m_editedAt);
            else if (what == Keep::ChangedRows)
                m_keeper.RecordRows(FixedFormatDataSet1.Lines());
        }
    } catch (const std::exception& e) {
        if (!m_keepFailing)
            m_ui.ShowError(kNotKeptSafe + std::string(e.what()));
        m_keepFailing = true;
        return;
    }
    m_keepFailing = false;
}

void Workspace::FinishKeeping()
{
    m_keeper.Settle();
}
