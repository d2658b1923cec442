#pragma once

#include "workbook/Workbook.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace workbook {

// Gathers the cells a reader meets, in any order, and lays them out as the
// block from A1 to the last cell that holds a value. Cells that only carry a
// format never reach it, so formatted blank rows and columns at the end of a
// sheet do not widen the block.
class CellGrid
{
public:
    // The most cells a block may have: 65,536 rows of 180 columns, or 100,000
    // rows of 120. Beyond it the grid of texts alone would take gigabytes.
    static constexpr int64_t MaxCells = 12'000'000;

    // `row` and `column` count from 0. A later value for the same cell
    // replaces the earlier one. Throws WorkbookError for a text that cannot
    // stand in one field of a declaration row (a line break or another control
    // character) and for a position beyond what any block may hold.
    void Put(int64_t row, int64_t column, QString text);
    void PutNumber(int64_t row, int64_t column, double value);
    // A cell whose value is an error (#DIV/0!, #N/A ...): it has no text.
    [[noreturn]] static void RefuseError(int64_t row, int64_t column, const QString& errorText);

    // A block of `rows` by `columns` is too large to read.
    [[noreturn]] static void RefuseSize(int64_t rows, int64_t columns);

    // The block; an empty first sheet is refused.
    Sheet TakeSheet();

    // "E7" for row 6, column 4.
    static QString CellName(int64_t row, int64_t column);

private:
    struct Entry
    {
        int32_t row;
        int32_t column;
        QString text;
    };
    std::vector<Entry> m_entries;
    int64_t m_rows = 0;
    int64_t m_columns = 0;
};

} // namespace workbook
