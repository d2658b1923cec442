#pragma once

#include "workbook/Workbook.h"

#include <QByteArray>

namespace workbook {

// The sheet of a .csv file's bytes, as ReadCsv reads them from the file.
// Throws WorkbookError.
Sheet ReadCsvBytes(const QByteArray& bytes);

} // namespace workbook
