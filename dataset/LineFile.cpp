#include "dataset/LineFile.h"

#include "dataset/DataSetErrors.h"
#include "fileio/AtomicWriter.h"
#include "fileio/FileReason.h"
#include "fileio/WriteFully.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void FailOpen(const std::string& path, int error)
{
    throw EFileError(FileErrorMessage(path, error, FileAction::Read));
}

[[noreturn]] void FailCreate(const std::string& path, int error)
{
    throw EFileError(FileErrorMessage(path, error, FileAction::Write));
}

// Closes the descriptor on every way out.
class TFd
{
public:
    explicit TFd(int fd) : m_fd(fd) {}
    ~TFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return m_fd; }
    // Closing is where a delayed write error (a full disk on a network
    // folder) shows, so its outcome counts.
    int Close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd);
    }

private:
    int m_fd;
};

} // namespace

bool TLineFile::Exists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

std::string TLineFile::ReadAll(const std::string& path)
{
    TFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        FailOpen(path, errno);
    struct stat info;
    if (::fstat(fd.Get(), &info) != 0)
        FailOpen(path, errno);

    // Reads what is there, retrying interrupted reads; 0 at the end of the file.
    auto readSome = [&](char* into, size_t size) {
        for (;;) {
            const ssize_t got = ::read(fd.Get(), into, size);
            if (got >= 0)
                return static_cast<size_t>(got);
            if (errno != EINTR)
                FailOpen(path, errno);
        }
    };
    std::string bytes(S_ISREG(info.st_mode) ? static_cast<size_t>(info.st_size) : 0, '\0');
    size_t used = 0;
    for (;;) {
        if (used < bytes.size()) {
            const size_t got = readSome(bytes.data() + used, bytes.size() - used);
            if (got == 0)
                break;
            used += got;
            continue;
        }
        // Usually the file is exactly as long as it said; a small probe
        // confirms the end without doubling the buffer.
        char probe[4096];
        const size_t got = readSome(probe, sizeof probe);
        if (got == 0)
            break;
        bytes.append(probe, got);
        used = bytes.size();
        bytes.resize(used + std::max<size_t>(used / 2, 65536));
    }
    bytes.resize(used);
    return bytes;
}

void TLineFile::CreateEmpty(const std::string& path)
{
    TFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.Get() < 0 && errno != EEXIST)
        FailCreate(path, errno);
}

void TLineFile::WriteAtomically(const std::string& path, std::string_view bytes)
{
    AtomicWriter::WriteWhole(path, bytes);
}

void TLineFile::Overwrite(const std::string& path, std::string_view bytes)
{
    TFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    if (fd.Get() < 0)
        FailCreate(path, errno);
    if (const int error = fileio::WriteFullyAt(fd.Get(), bytes, 0))
        FailCreate(path, error);
    if (::ftruncate(fd.Get(), static_cast<off_t>(bytes.size())) != 0 || fd.Close() != 0)
        FailCreate(path, errno);
}
