#include "cli/CliSession.h"

#include "dataset/DataSetErrors.h"

#include <filesystem>
#include <fstream>
#include <system_error>

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

} // namespace

CliSession::CliSession(std::ostream& err, bool answerYes, const std::string& addonFolder)
    : m_ui(err, answerYes), m_addonFolder(addonFolder)
{
}

CliSession::~CliSession()
{
    if (m_workspace)
        Guarded([this] { m_workspace->Shutdown(); });
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
    std::error_code ignored;
    fs::copy(m_addonFolder, fs::path(programFolder) / "Addon", fs::copy_options::recursive, ignored);
    m_workspace = std::make_unique<Workspace>(m_ui, programFolder);
    return Guarded([this] { m_workspace->Start(); });
}

ExitStatus CliSession::OpenDeclaration(const std::string& path)
{
    if (const std::string reason = UnreadableReason(path); !reason.empty()) {
        m_ui.WriteLine("Το αρχείο " + path + " " + reason);
        return ExitFailed;
    }
    m_ui.SetOpenPath(AbsolutePath(path));
    const bool completed = Guarded([this] { m_workspace->Open(); });
    m_ui.SetOpenPath({});
    // A refused file leaves the detail store closed.
    if (!completed || !m_workspace->FixedFormatDataSet1.Active())
        return ExitRefused;
    return ExitOk;
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

ExitStatus CliSession::CheckOutput(const std::string& path)
{
    if (const std::string reason = UnwritableReason(path); !reason.empty()) {
        m_ui.WriteLine("Το αρχείο " + path + " " + reason);
        return ExitFailed;
    }
    return ExitOk;
}

ExitStatus CliSession::SaveDeclarationAs(const std::string& path)
{
    const int declinedBefore = m_ui.Declined();
    const int messagesBefore = m_ui.Messages();
    const int errorsBefore = m_ui.Errors();
    m_ui.SetSavePath(AbsolutePath(path));
    const bool completed = Guarded([this] { m_workspace->SaveAs(); });
    m_ui.SetSavePath({});
    // Save as shows nothing when it writes the file: a message is a refused
    // check, a declined question (the replace question included) a stop, an
    // error (an amount that cannot be read or written) a declaration that
    // cannot be saved.
    if (!completed || !m_workspace->LastSaveOk || m_ui.Errors() != errorsBefore ||
        m_ui.Declined() != declinedBefore || m_ui.Messages() != messagesBefore)
        return ExitRefused;
    return ExitOk;
}
