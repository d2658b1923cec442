#pragma once

#include "workbook/Messages.h"
#include "workbook/Workbook.h"

#include <functional>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace workbook {

// The members of a zip package (.xlsx, .ods) in memory, inflated as they are
// read. Over the bytes of a FileBytes, each part is read from the file as it
// is needed, and a member's compressed bytes are let go as they are inflated. Every fault of the archive
// becomes a WorkbookError with `notThisKind`.
class FileBytes;

class ZipPackage
{
public:
    ZipPackage(std::string_view data, const char* notThisKind);

    std::vector<std::string> Names() const;
    // The name under which the package holds `name`, compared without regard
    // to case as package part names are; empty when it holds none.
    std::string Find(std::string_view name) const;
    // The member's bytes; false when the package has no such member.
    bool Read(std::string_view name, std::vector<unsigned char>& content) const;
    // The member's bytes piece by piece as they are inflated, so that a large
    // sheet is never held whole, until `sink` returns false for a piece (the
    // rest is then neither inflated nor checked); false when the package has
    // no such member.
    bool Stream(std::string_view name, const std::function<bool(std::string_view)>& sink) const;

private:
    struct Member
    {
        std::string name;
        uint16_t flags = 0;
        uint16_t method = 0;
        uint32_t crc = 0;
        uint64_t packedSize = 0;
        uint64_t size = 0;
        uint64_t localHeader = 0;
    };
    const Member* Lookup(std::string_view name) const;
    [[noreturn]] void Refuse() const;

    // Over a file read where needed, reads the bytes before they are used.
    void Need(size_t offset, size_t length) const;

    std::string_view m_data;
    const FileBytes* m_file;
    const char* m_notThisKind;
    std::vector<Member> m_members;
};

} // namespace workbook
