#include "workbook/ZipPackage.h"

#include "workbook/Messages.h"
#include "workbook/Workbook.h"

#include <QByteArray>
#include <QXmlStreamReader>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

namespace workbook {

namespace {

// No member of a payroll workbook comes near this; the zip reader would set
// aside the size a member claims before inflating it.
constexpr uint64_t MaxMemberSize = 256ULL * 1024 * 1024;

uint32_t Le32(std::string_view data, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<uint8_t>(data[at + static_cast<size_t>(i)]);
    return v;
}

uint16_t Le16(std::string_view data, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8);
}

// Refuses a package one of whose members claims more than MaxMemberSize
// bytes (a zip bomb, or a damaged size) before anything is inflated. A
// central directory that cannot be walked is left to the zip reader to refuse.
void CheckMemberSizes(std::string_view data)
{
    constexpr size_t endRecordSize = 22;
    if (data.size() < endRecordSize)
        return;
    size_t end = data.size() - endRecordSize;
    const size_t lowest = data.size() > 65535 + endRecordSize ? data.size() - 65535 - endRecordSize : 0;
    while (Le32(data, end) != 0x06054b50) {
        if (end == lowest)
            return;
        --end;
    }
    const size_t entries = Le16(data, end + 10);
    size_t at = Le32(data, end + 16);
    for (size_t i = 0; i < entries; ++i) {
        if (at > data.size() || data.size() - at < 46 || Le32(data, at) != 0x02014b50)
            return;
        // Both sizes, here and in the member's own header, which is the one
        // the zip reader goes by. 0xFFFFFFFF marks a 64-bit size: larger still.
        bool tooLarge = Le32(data, at + 20) > MaxMemberSize || Le32(data, at + 24) > MaxMemberSize;
        const size_t local = Le32(data, at + 42);
        if (local < data.size() && data.size() - local >= 30 && Le32(data, local) == 0x04034b50)
            tooLarge =
                tooLarge || Le32(data, local + 18) > MaxMemberSize || Le32(data, local + 22) > MaxMemberSize;
        if (tooLarge)
            throw WorkbookError(message::OutOfMemory);
        at += 46 + static_cast<size_t>(Le16(data, at + 28)) + Le16(data, at + 30) + Le16(data, at + 32);
    }
}

} // namespace

ZipPackage::ZipPackage(std::string_view data, const char* notThisKind) : m_notThisKind(notThisKind)
{
    CheckMemberSizes(data);
    GuardZipErrors(m_notThisKind, [&] {
        m_stream = std::make_unique<orcus::zip_archive_stream_blob>(
            reinterpret_cast<const uint8_t*>(data.data()), data.size());
        m_archive = std::make_unique<orcus::zip_archive>(m_stream.get());
        m_archive->load();
        return 0;
    });
}

ZipPackage::~ZipPackage() = default;

std::vector<std::string> ZipPackage::Names() const
{
    return GuardZipErrors(m_notThisKind, [&] {
        std::vector<std::string> names;
        for (size_t i = 0; i < m_archive->get_file_entry_count(); ++i)
            names.emplace_back(m_archive->get_file_entry_name(i));
        return names;
    });
}

bool ZipPackage::Read(std::string_view name, std::vector<unsigned char>& content) const
{
    content.clear();
    if (!GuardZipErrors(m_notThisKind, [&] { return m_archive->read_file_entry(name, content); }))
        return false;
    // The zip reader ends the bytes with a zero for the parsers of its own library.
    if (!content.empty() && content.back() == 0)
        content.pop_back();
    return true;
}

void ZipPackage::CheckXmlMembers() const
{
    std::vector<unsigned char> content;
    for (const std::string& name : Names()) {
        if (!name.ends_with(".xml") && !name.ends_with(".rels"))
            continue;
        if (!Read(name, content))
            throw WorkbookError(m_notThisKind);
        QXmlStreamReader xml(QByteArray::fromRawData(reinterpret_cast<const char*>(content.data()),
                                                     static_cast<qsizetype>(content.size())));
        while (!xml.atEnd())
            xml.readNext();
        if (xml.hasError())
            throw WorkbookError(m_notThisKind);
    }
}

} // namespace workbook
