// Any bytes as a .csv file: either a sheet whose every row has Columns() cells,
// or WorkbookError; nothing else may happen.
#include "workbook/CsvReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        workbook::Sheet sheet = workbook::ReadCsvBytes(
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
        const size_t cells = sheet.Cells().size();
        if (sheet.Columns() < 0 || (sheet.Columns() == 0 && cells != 0) ||
            (sheet.Columns() > 0 && cells != static_cast<size_t>(sheet.Rows()) * sheet.Columns()))
            std::abort();
        // The used block ends on a row and a column that hold something.
        if (sheet.Rows() > 0) {
            bool lastRowUsed = false, lastColumnUsed = false;
            for (int c = 0; c < sheet.Columns(); ++c)
                lastRowUsed = lastRowUsed || !sheet.Cell(sheet.Rows() - 1, c).isEmpty();
            for (int r = 0; r < sheet.Rows(); ++r)
                lastColumnUsed = lastColumnUsed || !sheet.Cell(r, sheet.Columns() - 1).isEmpty();
            if (!lastRowUsed || !lastColumnUsed)
                std::abort();
        }
    } catch (const workbook::WorkbookError&) {
    }
    return 0;
}
