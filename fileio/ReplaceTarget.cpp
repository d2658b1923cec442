#include "fileio/ReplaceTarget.h"

#include "fileio/FileError.h"
#include "fileio/FileReason.h"

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The same test the kernel makes when it follows a link in a sticky folder
// that everyone may write into.
bool PlantedByAnother(const fs::path& link)
{
    struct stat linkInfo;
    struct stat folderInfo;
    const fs::path folder = link.parent_path().empty() ? fs::path(".") : link.parent_path();
    if (::lstat(link.c_str(), &linkInfo) != 0 || ::stat(folder.c_str(), &folderInfo) != 0)
        return false;
    const bool shared = (folderInfo.st_mode & S_ISVTX) && (folderInfo.st_mode & S_IWOTH);
    return shared && linkInfo.st_uid != ::geteuid() && linkInfo.st_uid != folderInfo.st_uid;
}

} // namespace

std::string ReplaceTarget(const std::string& path)
{
    fs::path current(path);
    // The kernel gives up after 40 links as well; what is left then fails
    // to open with its own reason.
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(current, error))
            return current.string();
        if (PlantedByAnother(current))
            throw EFileError(FileErrorMessage(path, kForeignLink, FileAction::Write));
        const fs::path next = fs::read_symlink(current, error);
        if (error)
            return current.string();
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current.string();
}

std::string ReplacedFileName(const std::string& path)
{
    std::string target;
    try {
        target = ReplaceTarget(path);
    } catch (const EFileError&) {
        target = path;
    }
    return target == path ? fs::path(path).filename().string() : target;
}
