#pragma once

#include "workbook/WorkbookData.h"

#include <QStringList>

namespace workbook {

// Every row of the sheet as its cells joined by '|': one comparable line a row.
inline QStringList RowsOf(const Sheet& sheet)
{
    QStringList rows;
    for (int r = 0; r < sheet.Rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < sheet.Columns(); ++c)
            cells << sheet.Cell(r, c);
        rows << cells.join(u'|');
    }
    return rows;
}

} // namespace workbook
