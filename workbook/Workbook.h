#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace workbook {

// The used block of a workbook's first worksheet as texts, row by row: a text cell as it stands, a
// number in its shortest general form with the decimal comma ("10", "1234,5", "1234,56"), an empty
// cell as empty text. Rows() x Columns() cells; every row has Columns() cells.
class Sheet
{
public:
    int Rows() const
    {
        return m_columns == 0
                   ? 0
                   : static_cast<int>((m_index.empty() ? m_cells.size() : m_index.size()) / m_columns);
    }
    int Columns() const { return m_columns; }
    const QString& Cell(int row, int column) const
    {
        const size_t at = static_cast<size_t>(row) * m_columns + column;
        return m_index.empty() ? m_cells[at] : m_texts[m_index[at]];
    }

    void SetColumns(int columns) { m_columns = columns; }
    // The cells one by one, row after row.
    std::vector<QString>& Cells() { return m_cells; }
    // The cells as numbers of their texts in `texts`, row after row: a sheet
    // of many rows holds each text once however many cells show it.
    void SetTexts(std::vector<uint32_t> index, std::vector<QString> texts)
    {
        m_index = std::move(index);
        m_texts = std::move(texts);
    }

private:
    int m_columns = 0;
    std::vector<QString> m_cells;
    std::vector<uint32_t> m_index;
    std::vector<QString> m_texts;
};

// A file that cannot be read as a workbook of its kind: truncated, corrupted, encrypted, not a workbook.
class WorkbookError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A workbook read to the end whose first sheet holds what cannot become a row's text: a date, a formula
// without a calculated value, an error, a line break, nothing at all, too many cells. The person can mend
// it in a spreadsheet program; the message names the cell where there is one.
class WorkbookRefusal : public WorkbookError
{
public:
    using WorkbookError::WorkbookError;
    // A refusal of one cell: `what` names it by its address, `reason` says
    // what is wrong with it after a name the caller gives the cell.
    WorkbookRefusal(const std::string& what, int64_t row, int64_t column, std::string reason)
        : WorkbookError(what), m_row(row), m_column(column), m_reason(std::move(reason))
    {
    }
    // The refused cell, counted from 0; -1 when the refusal is of no one cell.
    int64_t Row() const { return m_row; }
    int64_t Column() const { return m_column; }
    const std::string& Reason() const { return m_reason; }

private:
    int64_t m_row = -1;
    int64_t m_column = -1;
    std::string m_reason;
};

// Reads the first worksheet of the workbook at `path`, choosing the reader by the file's content (and its
// ending where content does not tell: .csv). Throws WorkbookError.
Sheet ReadFirstSheet(const QString& path);

// The readers one by one (each throws WorkbookError).
Sheet ReadXls(const QString& path);
Sheet ReadXlsx(const QString& path);
Sheet ReadOds(const QString& path);
Sheet ReadCsv(const QString& path);

// A number in the spreadsheet's shortest general form with the decimal comma, as a cell shows it.
QString NumberText(double value);

} // namespace workbook
