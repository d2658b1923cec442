#include "workbook/CellGrid.h"

#include "workbook/Messages.h"

#include <algorithm>
#include <cmath>

namespace workbook {

namespace {

// The largest sheets any of the formats can describe.
constexpr int64_t RowLimit = 1'048'576;
constexpr int64_t ColumnLimit = 16'384;

} // namespace

QString CellGrid::CellName(int64_t row, int64_t column)
{
    QString letters;
    for (int64_t c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + static_cast<char16_t>((c - 1) % 26)));
    return letters + QString::number(row + 1);
}

void CellGrid::Put(int64_t row, int64_t column, QString text)
{
    if (row < 0 || column < 0 || row >= RowLimit || column >= ColumnLimit)
        throw WorkbookError(QString::fromUtf8(message::Damaged)
                                .arg(QStringLiteral("κελί έξω από τα όρια του φύλλου"))
                                .toStdString());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r')
            throw WorkbookError(
                QString::fromUtf8(message::LineBreak).arg(CellName(row, column)).toStdString());
        if (u < 0x20 || u == 0x7F)
            throw WorkbookError(QString::fromUtf8(message::ControlCharacter)
                                    .arg(CellName(row, column))
                                    .arg(static_cast<int>(u))
                                    .toStdString());
    }
    if (static_cast<int64_t>(m_entries.size()) >= MaxCells)
        RefuseSize(std::max(m_rows, row + 1), std::max(m_columns, column + 1));
    m_rows = std::max(m_rows, row + 1);
    m_columns = std::max(m_columns, column + 1);
    m_entries.push_back({static_cast<int32_t>(row), static_cast<int32_t>(column), std::move(text)});
}

void CellGrid::PutNumber(int64_t row, int64_t column, double value)
{
    Put(row, column, NumberText(value));
}

void CellGrid::RefuseError(int64_t row, int64_t column, const QString& errorText)
{
    throw WorkbookError(
        QString::fromUtf8(message::ErrorCell).arg(CellName(row, column), errorText).toStdString());
}

void CellGrid::RefuseSize(int64_t rows, int64_t columns)
{
    throw WorkbookError(QString::fromUtf8(message::TooLarge)
                            .arg(rows)
                            .arg(columns)
                            .arg(CellName(rows - 1, columns - 1))
                            .toStdString());
}

Sheet CellGrid::TakeSheet()
{
    if (m_entries.empty())
        throw WorkbookError(message::EmptySheet);
    if (m_rows * m_columns > MaxCells)
        RefuseSize(m_rows, m_columns);
    Sheet sheet;
    sheet.SetColumns(static_cast<int>(m_columns));
    std::vector<QString>& cells = sheet.Cells();
    cells.resize(static_cast<size_t>(m_rows * m_columns));
    for (Entry& e : m_entries)
        cells[static_cast<size_t>(e.row) * static_cast<size_t>(m_columns) + static_cast<size_t>(e.column)] =
            std::move(e.text);
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_rows = m_columns = 0;
    return sheet;
}

} // namespace workbook
