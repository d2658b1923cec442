#include "workbook/CellGrid.h"

#include "workbook/Messages.h"

#include <algorithm>
#include <cmath>

namespace workbook {

QString CellGrid::CellName(int64_t row, int64_t column)
{
    QString letters;
    for (int64_t c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + static_cast<char16_t>((c - 1) % 26)));
    return letters + QString::number(row + 1);
}

void CellGrid::Put(int64_t row, int64_t column, QString text)
{
    if (Beyond(column))
        return NoteBeyond(row);
    uint32_t index = 0;
    if (!text.isEmpty()) {
        // A text shared by many cells is checked at the first of them.
        const auto known = m_known.constFind(text.constData());
        index = known != m_known.constEnd() ? *known : Intern(row, column, std::move(text));
    }
    Slot(row, column) = index;
    m_any = true;
}

uint32_t CellGrid::Intern(int64_t row, int64_t column, QString text)
{
    // Read through a view: walking the QString itself would copy a text shared with other cells.
    for (QChar c : QStringView(text)) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r')
            Refuse(row, column, QString::fromUtf8(message::LineBreak));
        if (u < 0x20 || u == 0x7F)
            Refuse(row, column, QString::fromUtf8(message::ControlCharacter).arg(static_cast<int>(u)));
    }
    const auto index = static_cast<uint32_t>(m_texts.size());
    m_known.insert(text.constData(), index);
    m_texts.push_back(std::move(text));
    return index;
}

void CellGrid::CheckPlace(int64_t row, int64_t column)
{
    if (row < 0 || column < 0 || row >= RowLimit || column >= ColumnLimit)
        throw WorkbookError(QString::fromUtf8(message::Damaged)
                                .arg(QStringLiteral("κελί έξω από τα όρια του φύλλου"))
                                .toStdString());
}

uint32_t& CellGrid::Slot(int64_t row, int64_t column)
{
    CheckPlace(row, column);
    const int64_t rows = std::max(m_rows, row + 1);
    const int64_t columns = std::max(m_columns, column + 1);
    if (rows * columns > MaxCells)
        RefuseSize(rows, columns);
    if (columns > m_stride) {
        // Each row moves to its wider place, the last row first, so that no
        // cell is overwritten before it has moved. Once rows are held the
        // room doubles: a sheet that widens a column at a time down many rows
        // would otherwise move every row for every column.
        const int64_t stride = m_rows > 1 ? std::min(std::max(columns, 2 * m_stride), ColumnLimit) : columns;
        m_cells.resize(static_cast<size_t>(m_rows * stride));
        for (int64_t r = m_rows - 1; r > 0; --r)
            for (int64_t c = m_columns - 1; c >= 0; --c) {
                uint32_t& from = m_cells[static_cast<size_t>(r * m_stride + c)];
                m_cells[static_cast<size_t>(r * stride + c)] = from;
                from = 0;
            }
        m_stride = stride;
    }
    m_columns = columns;
    if (rows > m_rows) {
        // Grown by half at a time: while it grows the old and the new room are both held.
        const size_t needed = static_cast<size_t>(rows * m_stride);
        if (needed > m_cells.capacity())
            m_cells.reserve(std::max(needed, m_cells.capacity() + m_cells.capacity() / 2));
        m_cells.resize(needed);
        m_rows = rows;
    }
    return m_cells[static_cast<size_t>(row * m_stride + column)];
}

void CellGrid::Expect(int64_t rows, int64_t columns)
{
    if (rows > 0 && columns > 0 && rows <= RowLimit && columns <= ColumnLimit && rows * columns <= MaxCells)
        m_cells.reserve(static_cast<size_t>(rows * columns));
}

void CellGrid::NoteBeyond(int64_t row)
{
    Slot(row, ReadColumns - 1);
    m_any = true;
}

void CellGrid::PutNumber(int64_t row, int64_t column, double value)
{
    if (Beyond(column))
        return NoteBeyond(row);
    // An infinity or a NaN would be written as a word in an amount's field.
    if (!std::isfinite(value))
        RefuseBadNumber(row, column, NumberText(value));
    constexpr qsizetype cacheLimit = 1 << 16;
    const auto found = m_numbers.constFind(value);
    if (found != m_numbers.constEnd()) {
        Slot(row, column) = *found;
        m_any = true;
        return;
    }
    Put(row, column, NumberText(value));
    if (m_numbers.size() < cacheLimit)
        m_numbers.insert(value, m_cells[static_cast<size_t>(row * m_stride + column)]);
}

void CellGrid::PutShared(int64_t row, int64_t column, uint32_t index, bool formula)
{
    if (Beyond(column))
        return NoteBeyond(row);
    Slot(row, column) = SharedMark | index;
    m_any = true;
    if (formula)
        m_sharedFormulas.emplace_back(row, column);
}

std::vector<uint32_t> CellGrid::SharedUsed() const
{
    std::vector<uint32_t> used;
    for (int64_t r = 0; r < m_rows; ++r)
        for (int64_t c = 0; c < m_columns; ++c)
            if (const uint32_t cell = m_cells[static_cast<size_t>(r * m_stride + c)]; cell & SharedMark)
                used.push_back(cell & ~SharedMark);
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    return used;
}

void CellGrid::ResolveShared(const std::vector<uint32_t>& used, std::vector<QString>& texts, uint64_t count,
                             std::pair<int64_t, int64_t> before)
{
    // The number of each string's text once its first cell has been checked.
    std::vector<uint32_t> numbers(used.size(), SharedMark);
    for (int64_t r = 0; r < m_rows; ++r)
        for (int64_t c = 0; c < m_columns; ++c) {
            if (std::pair(r, c) >= before)
                return;
            uint32_t& cell = m_cells[static_cast<size_t>(r * m_stride + c)];
            if (!(cell & SharedMark))
                continue;
            const uint32_t index = cell & ~SharedMark;
            const auto found = std::lower_bound(used.begin(), used.end(), index);
            if (index >= count || found == used.end() || *found != index)
                throw WorkbookError(
                    QString::fromUtf8(message::MissingString).arg(CellName(r, c)).toStdString());
            uint32_t& number = numbers[static_cast<size_t>(found - used.begin())];
            if (number == SharedMark) {
                QString& text = texts[static_cast<size_t>(found - used.begin())];
                number = text.isEmpty() ? 0 : Intern(r, c, std::move(text));
            }
            cell = number;
        }
    for (const auto& [row, column] : m_sharedFormulas)
        NoteFormula(row, column,
                    m_texts[m_cells[static_cast<size_t>(row * m_stride + column)] & ~SharedMark]);
    m_sharedFormulas.clear();
}

void CellGrid::NoteFormula(int64_t row, int64_t column, const QString& result)
{
    if (Beyond(column))
        return;
    if (!result.isEmpty()) {
        m_calculated = true;
    } else if (m_emptyFormulaRow < 0) {
        m_emptyFormulaRow = row;
        m_emptyFormulaColumn = column;
    }
}

void CellGrid::Refuse(int64_t row, int64_t column, const QString& reason)
{
    throw WorkbookRefusal(
        QString::fromUtf8(message::CellNamed).arg(CellName(row, column), reason).toStdString(), row, column,
        reason.toStdString());
}

void CellGrid::RefuseUncalculated(int64_t row, int64_t column)
{
    Refuse(row, column, QString::fromUtf8(message::NoFormulaValue));
}

void CellGrid::RefuseDate(int64_t row, int64_t column)
{
    Refuse(row, column, QString::fromUtf8(message::DateCell));
}

void CellGrid::RefuseError(int64_t row, int64_t column, const QString& errorText)
{
    Refuse(row, column, QString::fromUtf8(message::ErrorCell).arg(errorText));
}

void CellGrid::RefuseBadNumber(int64_t row, int64_t column, const QString& value)
{
    Refuse(row, column, QString::fromUtf8(message::BadNumber).arg(value));
}

void CellGrid::RefuseMissingValue(int64_t row, int64_t column, const QString& kind)
{
    Refuse(row, column, QString::fromUtf8(message::MissingValue).arg(kind));
}

void CellGrid::RefuseSize(int64_t rows, int64_t columns)
{
    throw WorkbookRefusal(QString::fromUtf8(message::TooLarge)
                              .arg(rows)
                              .arg(columns)
                              .arg(CellName(rows - 1, columns - 1))
                              .toStdString());
}

Sheet CellGrid::TakeSheet()
{
    if (!m_calculated && m_emptyFormulaRow >= 0)
        RefuseUncalculated(m_emptyFormulaRow, m_emptyFormulaColumn);
    if (!m_any)
        throw WorkbookRefusal(message::EmptySheet);
    // The rows close up to the block's width, the first row first.
    if (m_stride > m_columns) {
        for (int64_t r = 1; r < m_rows; ++r)
            std::copy_n(m_cells.begin() + r * m_stride, m_columns, m_cells.begin() + r * m_columns);
        m_cells.resize(static_cast<size_t>(m_rows * m_columns));
    }
    Sheet sheet;
    sheet.SetColumns(static_cast<int>(m_columns));
    sheet.SetTexts(std::move(m_cells), std::move(m_texts));
    m_cells = {};
    m_texts = {QString()};
    m_known.clear();
    m_rows = m_columns = m_stride = 0;
    m_any = m_calculated = false;
    m_emptyFormulaRow = m_emptyFormulaColumn = -1;
    m_numbers.clear();
    m_sharedFormulas.clear();
    return sheet;
}

} // namespace workbook
