#include "fileio/AtomicWriter.h"

#include "fileio/FileError.h"
#include "fileio/FileReason.h"
#include "fileio/ReplaceTarget.h"
#include "fileio/WriteFully.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>

#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kBufferSize = 1 << 16;

int RealOpen(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

const AtomicWriter::SystemCalls kRealCalls = {RealOpen, ::write,  ::pwrite, ::fsync,
                                              ::close,  ::rename, ::fchown};

// "." + name + ".tmp" + the random part.
constexpr size_t kTemporaryExtra = 1 + 4 + 8;

std::string TemporaryNameFor(const std::string& target)
{
    thread_local std::mt19937_64 generator{std::random_device{}()};
    static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const std::filesystem::path path(target);
    // A target name near the longest a folder takes leaves no room for the
    // additions: its start stands for it, cut whole characters at a time;
    // the random part and the exclusive create keep it unique.
    std::string stem = path.filename().string();
    if (stem.size() + kTemporaryExtra > NAME_MAX) {
        size_t cut = NAME_MAX - kTemporaryExtra;
        while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80)
            --cut;
        stem.resize(cut);
    }
    // Hidden, so a folder listing does not show a half-written file.
    std::string name = "." + stem + ".tmp";
    for (int i = 0; i < 8; ++i)
        name += digits[generator() % (sizeof digits - 1)];
    return (path.parent_path() / name).string();
}

// The new files not yet renamed into place, so that a run ended by a signal
// can take them away (RemoveUnfinished). Never destroyed: the thread that
// takes the signal may still look while the program exits. Creating a new
// file and renaming one into place happen under the lock, so the signal's
// cleanup sees each file either registered or already in place.
struct Unfinished
{
    std::mutex mutex;
    std::set<std::string> paths;
    bool halted = false;
};

Unfinished& unfinished()
{
    static auto* instance = new Unfinished;
    return *instance;
}

void Untrack(const std::string& temporary)
{
    Unfinished& all = unfinished();
    const std::lock_guard lock(all.mutex);
    all.paths.erase(temporary);
}

std::string FolderOf(const std::string& path)
{
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

} // namespace

AtomicWriter::SystemCalls& AtomicWriter::Calls()
{
    static SystemCalls calls = kRealCalls;
    return calls;
}

const AtomicWriter::SystemCalls& AtomicWriter::RealCalls()
{
    return kRealCalls;
}

AtomicWriter::AtomicWriter(const std::string& path) : m_path(path), m_target(ReplaceTarget(path))
{
    struct stat existing;
    if (::stat(m_target.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            Fail(EISDIR);
        if (!S_ISREG(existing.st_mode))
            Fail(kNotRegularFile);
        m_mode = existing.st_mode & 07777;
        m_owner = existing.st_uid;
        m_group = existing.st_gid;
        m_keepMode = true;
    }
    const SystemCalls& calls = Calls();
    int error = 0;
    {
        Unfinished& all = unfinished();
        const std::lock_guard lock(all.mutex);
        for (int attempt = 0; m_fd < 0 && error == 0; ++attempt) {
            if (all.halted) {
                error = ECANCELED;
                break;
            }
            m_temporary = TemporaryNameFor(m_target);
            all.paths.insert(m_temporary);
            m_fd = calls.Open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd < 0) {
                const int failure = errno;
                // Another's file under that name is not ours to remove.
                all.paths.erase(m_temporary);
                m_temporary.clear();
                if (failure != EEXIST || attempt == 100)
                    error = failure;
            }
        }
    }
    if (m_fd < 0)
        Fail(error);
    m_buffer.reserve(kBufferSize);
}

AtomicWriter::~AtomicWriter()
{
    Cancel();
}

void AtomicWriter::Cancel() noexcept
{
    if (m_fd >= 0)
        Calls().Close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        Untrack(m_temporary);
    }
    m_temporary.clear();
}

void AtomicWriter::Halt() noexcept
{
    Unfinished& all = unfinished();
    const std::lock_guard lock(all.mutex);
    all.halted = true;
}

void AtomicWriter::RemoveUnfinished() noexcept
{
    Unfinished& all = unfinished();
    const std::lock_guard lock(all.mutex);
    for (const std::string& path : all.paths)
        ::unlink(path.c_str());
    all.paths.clear();
}

void AtomicWriter::Fail(int error)
{
    Cancel();
    throw EFileError(FileErrorMessage(m_path, error, FileAction::Write));
}

void AtomicWriter::Flush()
{
    WriteOut(m_buffer);
    m_buffer.clear();
}

void AtomicWriter::WriteOut(std::string_view bytes)
{
    if (const int error = fileio::WriteFully(
            bytes, [this](std::string_view left) { return Calls().Write(m_fd, left.data(), left.size()); }))
        Fail(error);
}

void AtomicWriter::Write(std::string_view bytes)
{
    if (m_fd < 0)
        Fail(EBADF);
    m_size += bytes.size();
    if (m_buffer.size() + bytes.size() <= kBufferSize) {
        m_buffer.append(bytes);
        return;
    }
    Flush();
    if (bytes.size() < kBufferSize) {
        m_buffer.append(bytes);
        return;
    }
    WriteOut(bytes);
}

void AtomicWriter::WriteAt(uint64_t offset, std::string_view bytes)
{
    if (m_fd < 0)
        Fail(EBADF);
    if (offset + bytes.size() > m_size)
        Fail(EINVAL);
    Flush();
    const int error =
        fileio::WriteFully(bytes, [this, at = offset, total = bytes.size()](std::string_view left) {
            // What is left lies at the end of the range asked for.
            const auto from = static_cast<off_t>(at + (total - left.size()));
            return Calls().WriteAt(m_fd, left.data(), left.size(), from);
        });
    if (error)
        Fail(error);
}

// The owner first: changing it may clear the set-id bits of the mode.
void AtomicWriter::KeepOwnerAndMode()
{
    struct stat created;
    if (::fstat(m_fd, &created) != 0)
        Fail(errno);
    if (m_keepMode && (created.st_uid != m_owner || created.st_gid != m_group) &&
        Calls().Chown(m_fd, m_owner, m_group) != 0) {
        // Root can always give a file away, so a failure is a failure. Anyone
        // else keeps at least the group when it is one of theirs, as a copy
        // over the file would.
        if (::geteuid() == 0)
            Fail(errno);
        Calls().Chown(m_fd, static_cast<uid_t>(-1), m_group);
    }
    if ((m_keepMode || m_extraMode) &&
        ::fchmod(m_fd, (m_keepMode ? m_mode : created.st_mode & 07777) | m_extraMode) != 0)
        Fail(errno);
}

void AtomicWriter::Commit()
{
    if (m_fd < 0)
        Fail(EBADF);
    Flush();
    const SystemCalls& calls = Calls();
    KeepOwnerAndMode();
    if (calls.Sync(m_fd) != 0)
        Fail(errno);
    // Closing is where a delayed write error (a network folder) shows.
    const int fd = m_fd;
    m_fd = -1;
    if (calls.Close(fd) != 0)
        Fail(errno);
    int error = 0;
    {
        Unfinished& all = unfinished();
        const std::lock_guard lock(all.mutex);
        if (all.halted)
            error = ECANCELED;
        else if (calls.Rename(m_temporary.c_str(), m_target.c_str()) != 0)
            error = errno;
        else
            all.paths.erase(m_temporary);
    }
    if (error)
        Fail(error);
    m_temporary.clear();
    // The new name must reach the disk too, or a crash could bring back the
    // old file. A file system that cannot sync a folder (EINVAL) has nothing
    // to wait for. The file is in place by now: a failure says exactly that.
    const int folder = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    error = folder < 0 ? errno : 0;
    if (folder >= 0) {
        if (calls.Sync(folder) != 0)
            error = errno;
        ::close(folder);
    }
    if (error != 0 && error != EINVAL)
        throw EFolderSyncError(FolderSyncMessage(m_path, error));
}

void AtomicWriter::WriteWhole(const std::string& path, std::string_view bytes)
{
    AtomicWriter writer(path);
    writer.Write(bytes);
    writer.Commit();
}
