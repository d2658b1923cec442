#include "fileio/AtomicWriter.h"

#include "fileio/FileError.h"
#include "fileio/FileReason.h"
#include "fileio/WriteFully.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kBufferSize = 1 << 16;

int RealOpen(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

const AtomicWriter::SystemCalls kRealCalls = {RealOpen, ::write, ::pwrite, ::fsync, ::close, ::rename};

std::string TemporaryNameFor(const std::string& target)
{
    static std::mt19937_64 generator{std::random_device{}()};
    static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const std::filesystem::path path(target);
    // Hidden, so a folder listing does not show a half-written file.
    std::string name = "." + path.filename().string() + ".tmp";
    for (int i = 0; i < 8; ++i)
        name += digits[generator() % (sizeof digits - 1)];
    return (path.parent_path() / name).string();
}

// The file a chain of links ends at; the path itself when it is no link.
std::string ResolveLinks(const std::string& path)
{
    std::filesystem::path current(path);
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(current, error))
            return current.string();
        const std::filesystem::path next = std::filesystem::read_symlink(current, error);
        if (error)
            return current.string();
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current.string();
}

// The new files not yet renamed into place, so that a run ended by a signal
// can take them away (RemoveUnfinished). Never destroyed: the thread that
// takes the signal may still look while the program exits.
struct Unfinished
{
    std::mutex mutex;
    std::set<std::string> paths;
};

Unfinished& unfinished()
{
    static auto* instance = new Unfinished;
    return *instance;
}

void Track(const std::string& temporary, bool pending)
{
    Unfinished& all = unfinished();
    const std::lock_guard lock(all.mutex);
    if (pending)
        all.paths.insert(temporary);
    else
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

AtomicWriter::AtomicWriter(const std::string& path) : m_path(path), m_target(ResolveLinks(path))
{
    struct stat existing;
    if (::stat(m_target.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            Fail(EISDIR);
        if (!S_ISREG(existing.st_mode))
            Fail(kNotRegularFile);
        m_mode = existing.st_mode & 07777;
        m_keepMode = true;
    }
    const SystemCalls& calls = Calls();
    for (int attempt = 0; m_fd < 0; ++attempt) {
        m_temporary = TemporaryNameFor(m_target);
        m_fd = calls.Open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && (errno != EEXIST || attempt == 100)) {
            const int error = errno;
            m_temporary.clear();
            Fail(error);
        }
    }
    Track(m_temporary, true);
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
        Track(m_temporary, false);
    }
    m_temporary.clear();
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

void AtomicWriter::Commit()
{
    if (m_fd < 0)
        Fail(EBADF);
    Flush();
    const SystemCalls& calls = Calls();
    if (m_keepMode || m_extraMode) {
        struct stat created;
        const mode_t mode =
            m_keepMode ? m_mode : (::fstat(m_fd, &created) == 0 ? created.st_mode & 07777 : 0644);
        if (::fchmod(m_fd, mode | m_extraMode) != 0)
            Fail(errno);
    }
    if (calls.Sync(m_fd) != 0)
        Fail(errno);
    // Closing is where a delayed write error (a network folder) shows.
    const int fd = m_fd;
    m_fd = -1;
    if (calls.Close(fd) != 0)
        Fail(errno);
    if (calls.Rename(m_temporary.c_str(), m_target.c_str()) != 0)
        Fail(errno);
    Track(m_temporary, false);
    m_temporary.clear();
    // The new name must reach the disk too, or a crash could bring back the
    // old file. A file system that cannot sync a folder (EINVAL) has nothing
    // to wait for.
    const int folder = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        const int synced = calls.Sync(folder);
        const int error = errno;
        ::close(folder);
        if (synced != 0 && error != EINVAL)
            throw EFileError(FileErrorMessage(m_path, error, FileAction::Write));
    }
}

void AtomicWriter::WriteWhole(const std::string& path, std::string_view bytes)
{
    AtomicWriter writer(path);
    writer.Write(bytes);
    writer.Commit();
}
