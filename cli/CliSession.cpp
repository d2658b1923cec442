#include "cli/CliSession.h"

#include "cli/InterruptCleanup.h"
#include "dataset/DataSetErrors.h"
#include "printing/ReportDocument.h"

#include "fileio/AtomicWriter.h"
#include "fileio/FileError.h"
#include "fileio/FileReason.h"
#include "fileio/ReadWhole.h"
#include "fileio/ReplaceTarget.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Paths on the command line are relative to the current folder, while the
// workspace knows only its own program folder.
std::string AbsolutePath(const std::string& path)
{
    std::error_code error;
    const fs::path absolute = fs::absolute(fs::path(path), error);
    return error ? path : absolute.lexically_normal().string();
}

// Why `path` cannot be read as a declaration; empty when it can.
std::string UnreadableReason(const std::string& path)
{
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status))
        return "δεν υπάρχει";
    if (fs::is_directory(status))
        return "είναι φάκελος";
    if (!fs::is_regular_file(status) || !std::ifstream(path, std::ios::binary).good())
        return "δεν μπορεί να διαβαστεί";
    return {};
}

// Why a declaration cannot be written to `path`; empty when it can be tried.
std::string UnwritableReason(const std::string& path)
{
    std::error_code error;
    const fs::path target = fs::absolute(fs::path(path), error);
    if (error)
        return "δεν είναι έγκυρη διαδρομή";
    if (fs::is_directory(target, error))
        return "είναι φάκελος";
    const fs::path folder = target.parent_path();
    if (!fs::is_directory(folder, error))
        return "δεν μπορεί να γραφτεί: ο φάκελος " + folder.string() + " δεν υπάρχει";
    if (::access(folder.c_str(), W_OK) != 0)
        return "δεν μπορεί να γραφτεί: δεν επιτρέπεται η εγγραφή στον φάκελο " + folder.string();
    return {};
}

// Whether both paths name one file: the same device and inode, whatever the
// links and spellings on the way. A path that names nothing is no file.
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first;
    struct stat second;
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace

CliSession::CliSession(std::ostream& err, bool answerYes, const std::string& addonFolder)
    : m_ui(err, answerYes), m_addonFolder(addonFolder)
{
    if (m_folder.isValid())
        interruptcleanup::SetFolder(m_folder.path().toStdString());
}

CliSession::~CliSession()
{
    if (m_workspace)
        Guarded([this] { m_workspace->Shutdown(); });
    // The folder itself goes with m_folder; a signal from here on finds
    // nothing of this run to remove.
    m_folder.remove();
    interruptcleanup::SetFolder({});
}

bool CliSession::Guarded(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        m_ui.ShowError(e.what());
    }
    return false;
}

bool CliSession::Start()
{
    if (!m_folder.isValid()) {
        m_ui.WriteLine("Δεν μπορεί να δημιουργηθεί προσωρινός φάκελος εργασίας: " +
                       m_folder.errorString().toStdString());
        return false;
    }
    const std::string programFolder = m_folder.path().toStdString();
    // A copy, not a link: commands may write into Addon/, and the installed
    // folder must stay as it is.
    // A missing Addon/ is the program's own to report at start; a copy that
    // fails half-way (a full temporary folder) would make it look missing.
    std::error_code error;
    const fs::path addonCopy = fs::path(programFolder) / "Addon";
    const bool present = fs::exists(m_addonFolder, error);
    if (error) {
        m_ui.WriteLine(FileErrorMessage(m_addonFolder, error.value(), FileAction::Read));
        return false;
    }
    if (present) {
        fs::copy(m_addonFolder, addonCopy, fs::copy_options::recursive, error);
        // The copy is written into this run's own folder, so only room can
        // fail there; anything else is an installed file that cannot be read.
        const bool room = error.value() == ENOSPC || error.value() == EDQUOT;
        if (error) {
            m_ui.WriteLine(room ? FileErrorMessage(addonCopy.string(), error.value(), FileAction::Write)
                                : FileErrorMessage(m_addonFolder, error.value(), FileAction::Read));
            return false;
        }
    }
    m_workspace = std::make_unique<Workspace>(m_ui, programFolder);
    return Guarded([this] { m_workspace->Start(); });
}

ExitStatus CliSession::OpenDeclaration(const std::string& path, bool* summed)
{
    if (const std::string reason = UnreadableReason(path); !reason.empty()) {
        m_ui.WriteLine("Το αρχείο " + path + " " + reason);
        return ExitFailed;
    }
    m_ui.SetOpenPath(AbsolutePath(path));
    // An error that escapes (working files that cannot be written) is a
    // failure, not a verdict on the declaration.
    auto outcome = Workspace::OpenOutcome::Refused;
    if (!Guarded([&] { outcome = m_workspace->Open(); }))
        outcome = Workspace::OpenOutcome::Failed;
    m_ui.SetOpenPath({});
    if (summed)
        *summed = outcome == Workspace::OpenOutcome::Opened;
    switch (outcome) {
    case Workspace::OpenOutcome::Opened:
    case Workspace::OpenOutcome::OpenedWithoutTotals:
        return ExitOk;
    case Workspace::OpenOutcome::Failed:
        return ExitFailed;
    case Workspace::OpenOutcome::Refused:
    case Workspace::OpenOutcome::Cancelled:
        break;
    }
    return ExitRefused;
}

Workspace::ImportOutcome CliSession::ImportWorkbook(const std::string& path)
{
    if (const std::string reason = UnreadableReason(path); !reason.empty()) {
        m_ui.WriteLine("Το αρχείο " + path + " " + reason);
        return Workspace::ImportOutcome::Unreadable;
    }
    m_ui.SetOpenPath(AbsolutePath(path));
    auto outcome = Workspace::ImportOutcome::Failed;
    Guarded([&] { outcome = m_workspace->ImportFromWorkbook(); });
    m_ui.SetOpenPath({});
    return outcome;
}

ExitStatus CliSession::CheckOutput(const std::string& path, const std::string& input)
{
    if (!input.empty() && SameFile(path, input)) {
        m_ui.WriteLine("Το αρχείο " + path + " είναι το ίδιο με το αρχείο εισόδου " + input +
                       " και δεν μπορεί να γραφτεί από πάνω του· δώστε άλλο όνομα εξόδου");
        return ExitFailed;
    }
    if (const std::string reason = UnwritableReason(path); !reason.empty()) {
        m_ui.WriteLine("Το αρχείο " + path + " " + reason);
        return ExitFailed;
    }
    return ExitOk;
}

ExitStatus CliSession::ConfirmReplace(const std::string& path)
{
    std::error_code error;
    if (!fs::exists(fs::path(path), error))
        return ExitOk;
    return m_ui.ConfirmDestructive("Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο " +
                                   ReplacedFileName(path) + ";")
               ? ExitOk
               : ExitRefused;
}

ExitStatus CliSession::SaveDeclarationAs(const std::string& path)
{
    m_ui.SetSavePath(AbsolutePath(path));
    auto outcome = Workspace::SaveOutcome::Failed;
    Guarded([&] { outcome = m_workspace->SaveAs(); });
    m_ui.SetSavePath({});
    switch (outcome) {
    case Workspace::SaveOutcome::Saved:
        return ExitOk;
    case Workspace::SaveOutcome::Failed:
    case Workspace::SaveOutcome::Unsynced:
        // The declaration passed; the file could not be written, or it is
        // in place but may not outlast a power cut (said).
        return ExitFailed;
    case Workspace::SaveOutcome::Refused:
    case Workspace::SaveOutcome::Cancelled:
    case Workspace::SaveOutcome::Declined:
        break;
    }
    return ExitRefused;
}

namespace {

bool IsPdfName(const std::string& path)
{
    return QString::fromStdString(path).endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
}

// The pictures the form page names, copied beside a copy of the page unless
// that folder already has them. Each picture goes through the atomic writer;
// on a failure the folder made here goes again and EFileError says why.
// Returns the folder it made, so that a page that then cannot be written
// takes its pictures with it; empty when it made none.
fs::path CopyFormPictures(const fs::path& report, const fs::path& output)
{
    const fs::path pictures = report.parent_path() / (report.stem().string() + ".files");
    const fs::path target = fs::absolute(output).parent_path() / pictures.filename();
    std::error_code error;
    if (!fs::is_directory(pictures, error) || fs::exists(target, error))
        return {};
    if (!fs::create_directory(target, error))
        throw EFileError(FileErrorMessage(target.string(), error.value(), FileAction::Write));
    try {
        for (const fs::directory_entry& entry : fs::directory_iterator(pictures)) {
            if (entry.is_regular_file())
                AtomicWriter::WriteWhole((target / entry.path().filename()).string(),
                                         fileio::ReadWhole(entry.path().string()));
        }
    } catch (...) {
        fs::remove_all(target, error);
        throw;
    }
    return target;
}

} // namespace

ExitStatus CliSession::HandOnReport(const std::string& report, const std::string& page,
                                    const std::string& output,
                                    const std::shared_ptr<const DetailedList>& list, std::ostream& out)
{
    const QString reportPath = QString::fromStdString(report);
    QString error;
    if (IsPdfName(output)) {
        const QString pdf = QString::fromStdString(output);
        try {
            // Printed from the page built in memory: the report file beside
            // it only lends its folder, where the form page's pictures lie.
            if (list ? ReportDocument::WritePdf(list, pdf, &error)
                     : ReportDocument::WritePagePdf(page, QFileInfo(reportPath).absolutePath(), pdf, &error))
                return ExitOk;
        } catch (const EFolderSyncError& e) {
            m_ui.WriteLine(e.what());
            return ExitFailed;
        }
    } else {
        // The page as it was built, never read back from the report file.
        if (output.empty()) {
            out.write(page.data(), static_cast<std::streamsize>(page.size()));
            out.flush();
            if (!out) {
                m_ui.WriteLine("Η σελίδα της αναφοράς δεν μπορεί να γραφτεί στην έξοδο");
                return ExitFailed;
            }
            return ExitOk;
        }
        try {
            // The pictures first: a page in place without them would look
            // written while it cannot be printed whole.
            const fs::path pictures = CopyFormPictures(report, output);
            try {
                AtomicWriter::WriteWhole(output, page);
            } catch (const EFolderSyncError&) {
                throw; // the page is in place, and its pictures with it
            } catch (...) {
                std::error_code ignored;
                if (!pictures.empty())
                    fs::remove_all(pictures, ignored);
                throw;
            }
            return ExitOk;
        } catch (const EFileError& e) {
            m_ui.WriteLine(e.what());
            return ExitFailed;
        }
    }
    m_ui.WriteLine("Το αρχείο " + output + " δεν μπορεί να γραφτεί:\n" + error.toStdString());
    return ExitFailed;
}
