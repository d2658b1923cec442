#include "workbook/Workbook.h"

namespace workbook {

Sheet ReadCsv(const QString&)
{
    throw WorkbookError("csv files cannot be read yet");
}

} // namespace workbook
