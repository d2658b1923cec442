#pragma once

#include "workbook/Workbook.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <vector>

namespace workbook {

// Gathers the cells a reader meets, in any order, and lays them out as the
// block from A1 to the last cell that holds a value. Cells that only carry a
// format never reach it, so formatted blank rows and columns at the end of a
// sheet do not widen the block. The cells stand row by row as the sheet will
// hold them, so the block is never held twice, and each text is held once.
class CellGrid
{
public:
    // The most cells a block may have: 65,536 rows of 180 columns, or 100,000
    // rows of 120. Beyond it the grid of texts alone would take gigabytes.
    static constexpr int64_t MaxCells = 12'000'000;
    // Columns A to T hold a row's fields. A cell past them is never checked
    // or kept: notes, hire dates and lookups beside the fields cost nothing.
    static constexpr int64_t ReadColumns = 20;
    // The largest sheets any of the formats can describe.
    static constexpr int64_t RowLimit = 1'048'576;
    static constexpr int64_t ColumnLimit = 16'384;
    static bool Beyond(int64_t column) { return column >= ReadColumns; }
    // A cell past T that holds something: the block reaches down to its row
    // and across to T, as the used block of the sheet does, but nothing of it is kept.
    void NoteBeyond(int64_t row);

    // `row` and `column` count from 0. A later value for the same cell
    // replaces the earlier one. Throws WorkbookError for a text that cannot
    // stand in one field of a declaration row (a line break or another control
    // character) and for a block beyond what any sheet may hold.
    void Put(int64_t row, int64_t column, QString text);
    void PutNumber(int64_t row, int64_t column, double value);
    // A cell whose value is an error (#DIV/0!, #N/A ...): it has no text.
    [[noreturn]] static void RefuseError(int64_t row, int64_t column, const QString& errorText);
    // A formula cell the writer never calculated, or whose saved result the
    // workbook itself declares stale: it has no value to read.
    [[noreturn]] static void RefuseUncalculated(int64_t row, int64_t column);
    // A cell that declares a number whose value is missing or is no finite number.
    [[noreturn]] static void RefuseBadNumber(int64_t row, int64_t column, const QString& value);
    // A cell that declares a value of the kind `kind` but has none.
    [[noreturn]] static void RefuseMissingValue(int64_t row, int64_t column, const QString& kind);
    // Refuses the cell for `reason`, a text that follows the cell's name.
    [[noreturn]] static void Refuse(int64_t row, int64_t column, const QString& reason);
    // Notes a formula cell and its saved result, read as the cell's text.
    // Empty text is also what a writer that never calculates leaves in every
    // formula cell, so it reads as empty only in a sheet where some formula
    // has a calculated value; TakeSheet refuses the first one otherwise.
    void NoteFormula(int64_t row, int64_t column, const QString& result);
    // A cell that shows the shared string `index` (below 2^31), read once
    // the sheet has told which strings columns A to T use: a table of many
    // notes beside the rows is never held. `formula` for a formula's result.
    void PutShared(int64_t row, int64_t column, uint32_t index, bool formula);
    // The shared strings the cells show, each once, in increasing order.
    std::vector<uint32_t> SharedUsed() const;
    // Puts in the texts of the shared strings: `texts[i]` is the string
    // `used[i]` of a table of `count`. The cells are checked in sheet order,
    // the first refused named; with `before`, only the cells ahead of that
    // (row, column), to find a refusal that comes ahead of another.
    void ResolveShared(const std::vector<uint32_t>& used, std::vector<QString>& texts, uint64_t count,
                       std::pair<int64_t, int64_t> before = {RowLimit, 0});

    // A date or time: no field of a declaration row holds one.
    [[noreturn]] static void RefuseDate(int64_t row, int64_t column);

    // Refuses a cell beyond the last row or column of any sheet.
    static void CheckPlace(int64_t row, int64_t column);

    // A block of `rows` by `columns` is too large to read.
    [[noreturn]] static void RefuseSize(int64_t rows, int64_t columns);

    // Sets aside room for a block of `rows` by `columns`, as the sheet says
    // it will be, so that the cells are never moved while they arrive. The
    // block still ends at its last cell that holds a value.
    void Expect(int64_t rows, int64_t columns);

    // The block; an empty first sheet is refused.
    Sheet TakeSheet();

    // "E7" for row 6, column 4.
    static QString CellName(int64_t row, int64_t column);

private:
    // Makes room for the cell, widening every row already held when it lies
    // beyond the widest so far.
    uint32_t& Slot(int64_t row, int64_t column);
    // Adds a text not held yet, refusing one that no field can hold.
    uint32_t Intern(int64_t row, int64_t column, QString text);

    // m_rows rows of m_stride cells, each the number of its text; the block
    // is the first m_columns of each row.
    std::vector<uint32_t> m_cells;
    // Every text once, the empty text first; a text shared by many cells (a
    // shared string, a repeated amount) is known by where its characters lie.
    std::vector<QString> m_texts{QString()};
    QHash<const QChar*, uint32_t> m_known;
    int64_t m_rows = 0;
    int64_t m_columns = 0;
    int64_t m_stride = 0;
    bool m_any = false;
    bool m_calculated = false; // some formula has a value that is not empty text
    int64_t m_emptyFormulaRow = -1;
    int64_t m_emptyFormulaColumn = -1;
    // A cell whose number is the shared string's index with this bit added.
    static constexpr uint32_t SharedMark = 0x8000'0000U;
    // The formula cells that show a shared string, noted once it is read.
    std::vector<std::pair<int64_t, int64_t>> m_sharedFormulas;
    // Amounts repeat down a payroll sheet: one text serves every cell of a value.
    QHash<double, uint32_t> m_numbers; // the number of its text
};

} // namespace workbook
