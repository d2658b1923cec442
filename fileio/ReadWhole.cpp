#include "fileio/ReadWhole.h"

#include "fileio/FileError.h"
#include "fileio/FileReason.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace fileio {

std::string ReadWhole(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw EFileError(FileErrorMessage(path, errno, FileAction::Read));
    std::string bytes;
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            throw EFileError(FileErrorMessage(path, error, FileAction::Read));
        }
        if (got == 0)
            break;
        bytes.append(chunk, static_cast<size_t>(got));
    }
    // Only read from: a failed close loses nothing that was read.
    ::close(fd);
    return bytes;
}

} // namespace fileio
