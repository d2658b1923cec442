#include "workbook/CsvReader.h"
#include "workbook/CellGrid.h"
#include "workbook/Messages.h"
#include <QFileInfo>

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace workbook {

namespace {

// Limits that keep a hostile or mistaken file from exhausting memory; a payroll
// sheet of 100,000 rows by 20 columns is far inside them.
constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;
constexpr size_t kMaxRows = 1048576;     // the most rows a worksheet holds
constexpr size_t kMaxCells = 16'000'000; // cells kept, and cells of the padded block

// Text saved by a Greek spreadsheet program: UTF-8 when it says so with a
// byte-order mark, otherwise the Windows Greek code page. A file without the
// mark that is valid UTF-8 and has characters beyond ASCII is taken as UTF-8:
// Greek letters in cp1253 are bytes 0xB8-0xFE, which almost never line up
// into valid UTF-8 sequences.
QString DecodeText(const QByteArray& bytes)
{
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArrayView body = bom ? QByteArrayView(bytes).sliced(3) : QByteArrayView(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (bom) {
        if (utf8.hasError())
            throw WorkbookError("Το αρχείο .csv δηλώνεται γραμμένο σε UTF-8 αλλά δεν είναι.");
        return text;
    }
    const bool ascii = std::all_of(body.begin(), body.end(), [](char c) { return (c & 0x80) == 0; });
    if (!utf8.hasError() && !ascii)
        return text;
    QStringDecoder greek("windows-1253");
    if (!greek.isValid())
        throw WorkbookError("Η ελληνική κωδικοσελίδα των Windows δεν είναι διαθέσιμη στο σύστημα.");
    return greek.decode(body);
}

// Splits the text into rows of cells: `;` between cells, a cell that begins
// with a quote runs to the matching quote (a doubled quote inside stands for
// one, and line breaks inside belong to the cell), CR LF, LF or CR end a row.
// Empty cells at the end of a row are not kept.
class CsvParser
{
public:
    explicit CsvParser(const QString& text) : m_text(text) {}

    std::vector<std::vector<QString>> Parse()
    {
        const qsizetype size = m_text.size();
        qsizetype at = 0;
        while (at < size) {
            at = ParseCell(at);
            if (at < size && m_text[at] == QLatin1Char(';')) {
                ++at;
                continue;
            }
            EndRow();
            if (at < size && m_text[at] == QLatin1Char('\r'))
                ++at;
            if (at < size && m_text[at] == QLatin1Char('\n'))
                ++at;
        }
        // The last row may end with a separator and no line break.
        if (!m_row.empty())
            EndRow();
        return std::move(m_rows);
    }

private:
    qsizetype ParseCell(qsizetype at)
    {
        const qsizetype size = m_text.size();
        if (at < size && m_text[at] == QLatin1Char('"')) {
            ++at;
            for (;;) {
                const qsizetype quote = m_text.indexOf(QLatin1Char('"'), at);
                if (quote < 0)
                    throw WorkbookError("Ένα κελί του αρχείου .csv ανοίγει εισαγωγικά που δεν κλείνουν.");
                m_cell.append(QStringView(m_text).mid(at, quote - at));
                at = quote + 1;
                if (at < size && m_text[at] == QLatin1Char('"')) {
                    m_cell.append(QLatin1Char('"'));
                    ++at;
                    continue;
                }
                break;
            }
        }
        // Unquoted text, or what follows a closing quote, up to the cell's end.
        qsizetype end = at;
        while (end < size && m_text[end] != QLatin1Char(';') && m_text[end] != QLatin1Char('\r') &&
               m_text[end] != QLatin1Char('\n'))
            ++end;
        m_cell.append(QStringView(m_text).mid(at, end - at));
        EndCell();
        return end;
    }

    // Cells past T are not kept: a row with something there reaches across to
    // T, as it does in a worksheet, and no more.
    void EndCell()
    {
        if (CellGrid::Beyond(static_cast<int64_t>(m_row.size()))) {
            m_rowBeyond = m_rowBeyond || !m_cell.isEmpty();
        } else {
            m_row.push_back(std::move(m_cell));
        }
        m_cell = QString();
    }

    void EndRow()
    {
        while (!m_row.empty() && m_row.back().isEmpty())
            m_row.pop_back();
        if (m_rowBeyond)
            m_row.resize(CellGrid::ReadColumns);
        m_rowBeyond = false;
        m_cells += m_row.size();
        if (m_rows.size() >= kMaxRows || m_cells > kMaxCells)
            throw WorkbookRefusal(
                "Το αρχείο .csv έχει περισσότερες γραμμές ή κελιά από όσα χωρά ένα φύλλο εργασίας.");
        m_rows.push_back(std::move(m_row));
        m_row.clear();
    }

    const QString& m_text;
    std::vector<std::vector<QString>> m_rows;
    std::vector<QString> m_row;
    QString m_cell;
    size_t m_cells = 0;
    bool m_rowBeyond = false;
};

} // namespace

Sheet ReadCsv(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw WorkbookError(
            QString::fromUtf8(message::CannotOpen).arg(QFileInfo(path).fileName()).toStdString());
    if (file.size() > kMaxFileBytes)
        throw WorkbookError(
            QString::fromUtf8(message::FileTooLarge).arg(QFileInfo(path).fileName()).toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw WorkbookError(
            QString::fromUtf8(message::CannotOpen).arg(QFileInfo(path).fileName()).toStdString());
    return ReadCsvBytes(bytes);
}

Sheet ReadCsvBytes(const QByteArray& bytes)
{
    if (bytes.size() > kMaxFileBytes)
        throw WorkbookError(message::OutOfMemory);
    std::vector<std::vector<QString>> rows = CsvParser(DecodeText(bytes)).Parse();

    // The used block runs from the first cell to the last row and the last
    // column that hold anything, as a worksheet's does.
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();
    size_t columns = 0;
    for (const auto& row : rows)
        columns = std::max(columns, row.size());
    if (rows.size() * columns > kMaxCells)
        throw WorkbookRefusal(QString::fromUtf8(message::TooLarge)
                                  .arg(static_cast<qulonglong>(rows.size()))
                                  .arg(static_cast<qulonglong>(columns))
                                  .arg(CellGrid::CellName(static_cast<int64_t>(rows.size()) - 1,
                                                          static_cast<int64_t>(columns) - 1))
                                  .toStdString());

    // Shorter rows are padded with empty cells, as a worksheet shows them.
    Sheet sheet;
    sheet.SetColumns(static_cast<int>(columns));
    std::vector<QString>& cells = sheet.Cells();
    cells.reserve(rows.size() * columns);
    for (auto& row : rows) {
        for (auto& cell : row)
            cells.push_back(std::move(cell));
        cells.resize(cells.size() + columns - row.size());
    }
    return sheet;
}

} // namespace workbook
