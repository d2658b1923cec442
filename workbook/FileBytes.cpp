#include "workbook/FileBytes.h"

#include "workbook/Messages.h"
#include "workbook/Workbook.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace workbook {

namespace {

// Larger files are not payroll sheets; reading one would only exhaust memory.
constexpr size_t MaxFileSize = 512ULL * 1024 * 1024;

thread_local const FileBytes* t_open = nullptr;

} // namespace

FileBytes::FileBytes(const QString& path) : m_name(QFileInfo(path).fileName())
{
    const auto cannotOpen = [this] {
        throw WorkbookError(QString::fromUtf8(message::CannotOpen).arg(m_name).toStdString());
    };
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat status
    {
    };
    if (m_fd < 0 || ::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (m_fd >= 0)
            ::close(m_fd);
        cannotOpen();
    }
    m_size = static_cast<size_t>(status.st_size);
    if (m_size > MaxFileSize) {
        ::close(m_fd);
        throw WorkbookError(QString::fromUtf8(message::FileTooLarge).arg(m_name).toStdString());
    }
    m_mapped = m_size == 0 ? 1 : m_size;
    void* room =
        ::mmap(nullptr, m_mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (room == MAP_FAILED) {
        ::close(m_fd);
        throw WorkbookError(message::OutOfMemory);
    }
    m_bytes = static_cast<char*>(room);
    m_outer = t_open;
    t_open = this;
}

FileBytes::~FileBytes()
{
    t_open = m_outer;
    ::munmap(m_bytes, m_mapped);
    ::close(m_fd);
}

void FileBytes::Load(size_t offset, size_t length) const
{
    if (offset >= m_size)
        return;
    length = std::min(length, m_size - offset);
    while (length > 0) {
        const ssize_t n = ::pread(m_fd, m_bytes + offset, length, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        // A file cut short while it is read is no workbook to trust.
        if (n <= 0)
            throw WorkbookError(QString::fromUtf8(message::CannotOpen).arg(m_name).toStdString());
        offset += static_cast<size_t>(n);
        length -= static_cast<size_t>(n);
    }
}

void FileBytes::Release(size_t offset, size_t length) const
{
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    const size_t first = (offset + page - 1) / page * page;
    const size_t end = std::min(offset + length, m_size) / page * page;
    if (first < end)
        ::madvise(m_bytes + first, end - first, MADV_DONTNEED);
}

const FileBytes* FileBytes::Backing(std::string_view data)
{
    for (const FileBytes* file = t_open; file; file = file->m_outer)
        if (data.data() == file->m_bytes && data.size() == file->m_size)
            return file;
    return nullptr;
}

} // namespace workbook
