#pragma once

#include <QString>
#include <cstddef>
#include <string_view>

namespace workbook {

// A workbook file as one run of bytes that are read only where a reader
// needs them and let go once it is done with them: a zip package's sheet is
// inflated a piece at a time, so its compressed bytes need never be held
// whole. The room is set aside as memory that costs nothing until written.
// Throws WorkbookError when the file cannot be opened or read, or is larger
// than any workbook.
class FileBytes
{
public:
    explicit FileBytes(const QString& path);
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::string_view View() const { return {m_bytes, m_size}; }
    // Reads the file's bytes from `offset` on, `length` of them (cut at the end).
    void Load(size_t offset, size_t length) const;
    // The pages wholly within the range cost nothing again until loaded again.
    void Release(size_t offset, size_t length) const;

    // The file whose bytes `data` is, when it is one opened here in this
    // thread: a package over it loads what it reads.
    static const FileBytes* Backing(std::string_view data);

private:
    QString m_name;
    int m_fd = -1;
    char* m_bytes = nullptr;
    size_t m_size = 0;
    size_t m_mapped = 0;
    const FileBytes* m_outer = nullptr; // the one opened before it in this thread
};

} // namespace workbook
