#pragma once

#include <cerrno>
#include <string_view>

#include <sys/types.h>
#include <unistd.h>

namespace fileio {

// Hands `bytes` to `writeSome` (a write(2)-like call taking what is left)
// until it has taken them all, through interruptions and short writes.
// Returns 0, or the errno of the failure; a write that takes nothing would
// loop for ever, so it counts as a full disk.
template <typename WriteSome> int WriteFully(std::string_view bytes, WriteSome writeSome)
{
    while (!bytes.empty()) {
        const ssize_t written = writeSome(bytes);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written == 0 ? ENOSPC : errno;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return 0;
}

inline int WriteFully(int fd, std::string_view bytes)
{
    return WriteFully(bytes, [fd](std::string_view left) { return ::write(fd, left.data(), left.size()); });
}

// The same at `offset`, whatever the file position.
inline int WriteFullyAt(int fd, std::string_view bytes, off_t offset)
{
    const off_t end = offset + static_cast<off_t>(bytes.size());
    return WriteFully(bytes, [fd, end](std::string_view left) {
        return ::pwrite(fd, left.data(), left.size(), end - static_cast<off_t>(left.size()));
    });
}

} // namespace fileio
