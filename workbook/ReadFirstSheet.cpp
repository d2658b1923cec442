// Kept apart from the readers so that a program using only them does not need
// the .csv reader.
#include "workbook/FileBytes.h"
#include "workbook/Messages.h"
#include "workbook/Workbook.h"
#include "workbook/WorkbookData.h"

#include <QFileInfo>

namespace workbook {

Sheet ReadFirstSheet(const QString& path)
{
    // A zip package reads its parts from the file as it needs them; any
    // other workbook is read whole.
    const FileBytes file(path);
    const std::string_view data = file.View();
    file.Load(0, 8);
    if (DetectFormat(data) == Format::Xls)
        file.Load(0, data.size());
    if (std::optional<Sheet> sheet = ReadByContent(data))
        return std::move(*sheet);
    if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        return ReadCsv(path);
    throw WorkbookError(
        QString::fromUtf8(message::NotAWorkbook).arg(QFileInfo(path).fileName()).toStdString());
}

} // namespace workbook
