#pragma once

#include "workbook/Messages.h"
#include "workbook/Workbook.h"

#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace orcus {
class zip_archive;
class zip_archive_stream_blob;
} // namespace orcus

namespace workbook {

// Runs `work`, turning the errors of the zip and spreadsheet parsers into the
// refusal of the package with `notThisKind`.
template <typename Work> auto GuardZipErrors(const char* notThisKind, Work work)
{
    try {
        return work();
    } catch (const WorkbookError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw WorkbookError(message::OutOfMemory);
    } catch (const std::exception&) {
        throw WorkbookError(notThisKind);
    }
}

// The members of a zip package (.xlsx, .ods) in memory. Every failure of the
// zip reader becomes a WorkbookError with `notThisKind`.
class ZipPackage
{
public:
    ZipPackage(std::string_view data, const char* notThisKind);
    ~ZipPackage();

    std::vector<std::string> Names() const;
    // The member's bytes; false when the package has no such member.
    bool Read(std::string_view name, std::vector<unsigned char>& content) const;

    // Refuses the package when one of its XML members is not well-formed: the
    // spreadsheet parser is not made for damaged XML and may stop the program.
    void CheckXmlMembers() const;

private:
    const char* m_notThisKind;
    std::unique_ptr<orcus::zip_archive_stream_blob> m_stream;
    std::unique_ptr<orcus::zip_archive> m_archive;
};

} // namespace workbook
