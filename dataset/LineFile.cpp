#include "dataset/LineFile.h"

#include "dataset/DataSetErrors.h"

#include <cerrno>
#include <filesystem>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void FailOpen(const std::string& path, int error)
{
    throw EFileError("Cannot open file \"" + path + "\". " + std::strerror(error));
}

[[noreturn]] void FailCreate(const std::string& path, int error)
{
    throw EFileError("Cannot create file \"" + path + "\". " + std::strerror(error));
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

std::string TemporaryNameFor(const std::string& target)
{
    static std::mt19937_64 generator{std::random_device{}()};
    static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = target + ".tmp";
    for (int i = 0; i < 8; ++i)
        name += digits[generator() % (sizeof digits - 1)];
    return name;
}

// A link is written through, so the file it names changes and the link stays.
std::string ResolveLink(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error))
        return path;
    const auto resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path : resolved.string();
}

// 0 on success, else errno.
int WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return 0;
}

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
    const std::string target = ResolveLink(path);
    std::string temporary;
    int fdNumber = -1;
    for (int attempt = 0; fdNumber < 0; ++attempt) {
        temporary = TemporaryNameFor(target);
        fdNumber = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fdNumber < 0 && (errno != EEXIST || attempt == 100))
            FailCreate(path, errno);
    }
    TFd fd(fdNumber);

    auto fail = [&](int error) {
        if (fd.Get() >= 0)
            fd.Close();
        ::unlink(temporary.c_str());
        FailCreate(path, error);
    };

    // The replacement keeps the permissions the old file had.
    struct stat old;
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd.Get(), old.st_mode & 07777);

    if (const int error = WriteAll(fd.Get(), bytes))
        fail(error);
    if (fd.Close() != 0)
        fail(errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        fail(errno);
}
