#include "workbook/ZipPackage.h"

#include "workbook/Messages.h"
#include "workbook/Workbook.h"

#include <QByteArray>
#include <QXmlStreamReader>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>

namespace workbook {

ZipPackage::ZipPackage(std::string_view data, const char* notThisKind) : m_notThisKind(notThisKind)
{
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
