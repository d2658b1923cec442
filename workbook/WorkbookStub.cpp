#include "workbook/Workbook.h"

namespace workbook {

Sheet ReadFirstSheet(const QString& path)
{
    return ReadCsv(path);
}

Sheet ReadXls(const QString&)
{
    throw WorkbookError("xls workbooks cannot be read yet");
}

Sheet ReadXlsx(const QString&)
{
    throw WorkbookError("xlsx workbooks cannot be read yet");
}

Sheet ReadOds(const QString&)
{
    throw WorkbookError("ods workbooks cannot be read yet");
}

QString NumberText(double value)
{
    return QString::number(value, 'g', 15).replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace workbook
