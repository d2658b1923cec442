#include "workspace/Workspace.h"

#include "workspace/BusyWindow.h"
#include "declaration/GridColumns.h"
#include "declaration/SaveChecks.h"
#include "workspace/WorkspaceText.h"

#include "fileio/FileError.h"
#include "fileio/FileReason.h"
#include "fileio/ReplaceTarget.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <filesystem>

using workspacetext::Path;
using workspacetext::ToUtf8;

namespace {

const std::vector<std::string> kYesNo = {"Ναι", "Όχι"};
constexpr int kYesNoButtons = UserInterface::YesButton | UserInterface::NoButton;

// The title the grid shows over the column of `field`.
std::string ColumnTitle(declaration::DetailField field)
{
    for (const gridcolumns::Column& column : gridcolumns::Columns())
        if (column.field == field && column.title != nullptr)
            return column.title;
    return declaration::DetailLayout()[field].name;
}

// The message of a refused file; an amount the rows cannot hold is named by
// its row and column on a line of its own, so the person can find it in the file.
std::string ReadRefusalMessage(const declaration::ReadResult& read)
{
    std::string message = declaration::ReadStatusMessage(read.status);
    if (read.status == declaration::ReadStatus::AmountTooLarge)
        message += "\nΓραμμή " + std::to_string(read.failedRow) + " των αναλυτικών αμοιβών (ΑΦΜ " +
                   ToUtf8(read.failedAfm) + "), στήλη «" + ColumnTitle(read.failedField) + "»: το ποσό " +
                   read.failedAmount + " δεν χωράει στο πεδίο.";
    return message;
}

// The reason a read of `file` failed; the system's own when it left one.
int ReadError(const QFile& file, int error)
{
    if (error != 0)
        return error;
    return file.error() == QFileDevice::NoError ? 0 : EIO;
}

} // namespace

// ---------------------------------------------------------------------------
// New and Open

void Workspace::New()
{
    if (m_modified && !ResolveUnsavedChanges())
        return;
    if (m_ui.AskWithCaptions("Δημιουργία νέου αρχείου;", kYesNoButtons, kYesNo) == UserInterface::Answer::No)
        return;
    StartNewDeclaration();
}

void Workspace::StartNewDeclaration()
{
    TakeRows({});
    Header = declaration::LoadEmployerLine({});
    m_fileName.clear();
    m_proposeFileName = false;
    m_modified = false;
    m_totals = Totals(Totals::Boxes{}, "0 Εγγραφές");
    m_sumFailed = false;
    KeepWork(Keep::Everything);
    m_ui.EnterWorkingState();
    m_ui.FocusControl(HeaderField::YearOfData);
    m_ui.Refresh();
}

// The rows of the store are replaced in memory, where nothing can fail
// half-way; the index follows at the next sum.
void Workspace::TakeRows(std::vector<TFixedFormatDataSet::TLine> lines)
{
    FixedFormatDataSet1.Close();
    FixedFormatDataSet1.OpenOnLines(std::move(lines));
    m_index.Distrust();
}

Workspace::OpenOutcome Workspace::Open()
{
    if (m_modified && !ResolveUnsavedChanges())
        return OpenOutcome::Cancelled;
    std::string path;
    if (!m_ui.ChooseOpenFile(m_dialogFolder, "*.*", path))
        return OpenOutcome::Cancelled;
    RememberDialogFolder(path);

    // The whole file is read and judged before the open declaration is
    // touched, so a file that cannot be read or is refused loses nothing.
    QFile in(Path(path));
    errno = 0;
    if (!in.open(QIODevice::ReadOnly)) {
        m_ui.ShowError(FileErrorMessage(path, errno, FileAction::Read));
        return OpenOutcome::Failed;
    }
    errno = 0;
    declaration::ReadResult read = declaration::ReadDeclaration(in);
    const int readError = ReadError(in, errno);
    in.close();
    if (read.status == declaration::ReadStatus::ReadFailed) {
        m_ui.ShowError(FileErrorMessage(path, readError == 0 ? EIO : readError, FileAction::Read));
        return OpenOutcome::Failed;
    }
    if (read.status != declaration::ReadStatus::Ok) {
        if (declaration::ReadStatusBeeps(read.status))
            m_ui.Beep();
        m_ui.ShowMessage(ReadRefusalMessage(read));
        return OpenOutcome::Refused;
    }

    // The rows first: the window hands its header fields in as the store
    // closes, and they must not overwrite the header read.
    TakeRows(TFixedFormatDataSet::NumberedLines(std::move(read.detailLines)));
    // The header comes from the first employer record read; the window's
    // header is always a legal entity's.
    Header = declaration::LoadEmployerLine(read.employerLines.empty() ? std::string_view()
                                                                      : read.employerLines.front());
    Header.NaturalPerson = false;
    m_fileName = path;
    m_proposeFileName = false;
    m_modified = false;
    m_totals = Totals();
    // An amount the rows cannot be summed with is shown; the declaration is
    // open all the same, for the person to correct the row, and Save as
    // refuses until then.
    const OpenOutcome outcome = SumShowingError() ? OpenOutcome::Opened : OpenOutcome::OpenedWithoutTotals;
    KeepWork(Keep::Everything);
    m_ui.EnterWorkingState();
    m_ui.FocusControl(HeaderField::YearOfData);
    m_ui.Refresh();
    return outcome;
}

bool Workspace::SumShowingError()
{
    try {
        RecomputeTotals();
        return true;
    } catch (const std::exception& e) {
        m_ui.ShowError(e.what());
        return false;
    }
}

// ---------------------------------------------------------------------------
// Save as

bool Workspace::ShowSaveFailure(const SaveCheckFailure& failure)
{
    if (failure.beep)
        m_ui.Beep();
    m_ui.ShowMessage(failure.message);
    if (failure.focus)
        m_ui.FocusControl(*failure.focus);
    return false;
}

bool Workspace::ValidateForSave()
{
    if (const auto failure = savechecks::FirstHeaderFailure(Header, Today().year()))
        return ShowSaveFailure(*failure);
    if (!StorePendingRowFirst())
        return false;
    // The rows checked are the rows that will be written: the store's own.
    const auto& lines = FixedFormatDataSet1.Lines();
    for (size_t row : savechecks::RowsWithEmployerAfm(Header, lines)) {
        m_ui.Beep();
        if (m_ui.AskWithCaptions(savechecks::EmployerAfmQuestion(lines, row), kYesNoButtons, kYesNo) ==
            UserInterface::Answer::No)
            return false;
    }
    if (const auto failure = savechecks::FirstRowsFailure(lines, m_totals))
        return ShowSaveFailure(*failure);
    // Boxes that do not hold the rows' sums are never written: summed again,
    // an amount that still cannot be read is thrown.
    if (m_sumFailed) {
        RecomputeTotals();
        if (const auto failure = savechecks::FirstRowsFailure(lines, m_totals))
            return ShowSaveFailure(*failure);
    }
    return true;
}

Workspace::SaveOutcome Workspace::SaveAs()
{
    // The pending row is stored in memory first; a crash-safe copy that
    // cannot keep up only says so, and the file dialog still opens.
    try {
        m_lastSaveOk = ValidateForSave();
    } catch (const std::exception& e) {
        // The rows could not even be looked at (a pending row that cannot be
        // read): nothing can be saved.
        m_lastSaveOk = false;
        m_ui.ShowError(e.what());
    }
    if (!m_lastSaveOk)
        return SaveOutcome::Refused;
    std::string path;
    // A declaration taken up from leftover work proposes the file it was.
    const std::filesystem::path kept(m_fileName);
    const bool proposeKept = m_proposeFileName && !kept.filename().empty();
    if (!m_ui.ChooseSaveFile(proposeKept ? kept.parent_path().string() : m_dialogFolder,
                             proposeKept ? kept.filename().string() : ToUtf8(Header.AFM) + "-Rozaro", "",
                             path))
        return SaveOutcome::Cancelled;
    RememberDialogFolder(path);
    const QString target = Path(path);
    if (QFileInfo::exists(target) &&
        !m_ui.ConfirmDestructive("Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο " +
                                 ReplacedFileName(target.toStdString()) + ";"))
        return SaveOutcome::Declined;
    try {
        WriteDeclarationFile(target);
    } catch (const EAbort&) {
        return SaveOutcome::Failed;
    } catch (const EFolderSyncError& e) {
        // The file is there under its name and holds the declaration; only
        // its lasting a power cut is in doubt. The work stays marked changed
        // and kept safe, so that closing still asks.
        m_ui.ShowError(e.what());
        m_fileName = path;
        KeepWork(Keep::State);
        return SaveOutcome::Unsynced;
    } catch (const std::exception& e) {
        m_ui.ShowError(e.what());
        return SaveOutcome::Failed;
    }
    m_fileName = path;
    SetModified(false);
    return SaveOutcome::Saved;
}

// The file under the chosen name is replaced only once every record has been
// written; any failure leaves the earlier file as it was.
void Workspace::WriteDeclarationFile(const QString& target)
{
    BusyWindow busy(m_ui);

    auto& rows = FixedFormatDataSet1;
    if (rows.Active())
        rows.First();
    AtomicFile::Write(SaveFileFactory, target, [&](QIODevice& out) {
        declaration::WriteDeclaration(out, Today(), Header, m_totals.Edits(), rows.Lines());
    });
    if (rows.Active())
        rows.First();
}
