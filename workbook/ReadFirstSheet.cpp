// Kept apart from the readers so that a program using only them does not need
// the .csv reader.
#include "workbook/Messages.h"
#include "workbook/Workbook.h"
#include "workbook/WorkbookData.h"

#include <QFileInfo>

namespace workbook {

Sheet ReadFirstSheet(const QString& path)
{
    const QByteArray bytes = ReadWholeFile(path);
    const std::string_view data(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (std::optional<Sheet> sheet = ReadByContent(data))
        return std::move(*sheet);
    if (path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        return ReadCsv(path);
    throw WorkbookError(
        QString::fromUtf8(message::NotAWorkbook).arg(QFileInfo(path).fileName()).toStdString());
}

} // namespace workbook
