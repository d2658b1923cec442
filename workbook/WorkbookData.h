#pragma once

#include "workbook/Workbook.h"

#include <QByteArray>
#include <optional>
#include <string_view>

// The readers over a workbook already in memory, for the entry points of
// Workbook.h and for the fuzz targets.
namespace workbook {

enum class Format { Xls, Xlsx, Ods, Unknown };

// The format that the first bytes of a file announce.
Format DetectFormat(std::string_view data);

// The whole file; throws WorkbookError when it cannot be read.
QByteArray ReadWholeFile(const QString& path);

// The reader the first bytes choose; nothing for content no reader knows.
std::optional<Sheet> ReadByContent(std::string_view data);

Sheet ReadXlsData(std::string_view data);
// The workbook stream alone, as it stands inside an .xls file.
Sheet ReadXlsStream(std::string_view stream);
Sheet ReadXlsxData(std::string_view data);
Sheet ReadOdsData(std::string_view data);
// The content.xml of an .ods package.
Sheet ReadOdsContent(std::string_view content);

} // namespace workbook
