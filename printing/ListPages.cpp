#include "printing/ListPages.h"

#include "printing/ReportStyle.h"
#include "text/Cp1253.h"
#include "reports/ReportHtml.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextLayout>
#include <QVarLengthArray>
#include <algorithm>
#include <cmath>

namespace {

constexpr qreal Pad = 2;         // the blank between a cell's frame and its text
constexpr qreal LineWidth = 0.6; // the frames, a little over half a point
constexpr int ShrinkSteps = 40;  // bounds every search for a type that fits

QString Text(const std::string& cp)
{
    return cp1253::toUnicode(cp);
}

ListPages::Row RowOf(const DetailedList::Row& row)
{
    ListPages::Row cells;
    for (const DetailedList::Cell& cell : row)
        cells.push_back({Text(cell.text), cell.span});
    return cells;
}

QFont BoldOf(QFont font)
{
    font.setBold(true);
    return font;
}

// The widest of the characters a declaration can hold, in `font`.
qreal WidestCharacter(const QFont& font)
{
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (int byte = 0x20; byte < 0x100; ++byte)
        widest = std::max(widest, metrics.horizontalAdvance(Text(std::string(1, static_cast<char>(byte)))));
    return widest;
}

bool OneLine(const QString& text, const QFontMetricsF& metrics, qreal room)
{
    return !text.contains(QLatin1Char('\n')) && metrics.horizontalAdvance(text) <= room;
}

// The lines of `text` in a column `room` wide: broken between words where it
// can, and inside a word only where the word is wider than the column.
void BreakLines(QTextLayout& layout, qreal room, Qt::Alignment alignment)
{
    QString text = layout.text();
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    layout.setText(text);
    QTextOption option(alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(room);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
}

std::shared_ptr<QTextDocument> HeadDocument(const DetailedList& list, qreal width)
{
    auto document = std::make_shared<QTextDocument>();
    ReportStyle::Prepare(*document, QString());
    document->setHtml(Text(report::ListHead(list)));
    document->setTextWidth(width);
    return document;
}

// The issuer line alone, small and centred as the head shows it.
std::shared_ptr<QTextDocument> IssuerDocument(qreal width)
{
    auto document = std::make_shared<QTextDocument>();
    ReportStyle::Prepare(*document, QString());
    QTextCursor cursor(document.get());
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.setBlockFormat(centred);
    QTextCharFormat small;
    small.setFontWeight(QFont::Bold);
    small.setFontPointSize(ReportStyle::Face().pointSizeF() * 0.8);
    cursor.insertText(Text(DetailedList::Issuer()), small);
    document->setTextWidth(width);
    return document;
}

} // namespace

ListPages::ListPages(std::shared_ptr<const DetailedList> list)
    : m_list(std::move(list)), m_font(ReportStyle::Face())
{
    for (const std::string& title : DetailedList::Titles())
        m_titles.push_back({Text(title), 1});
    m_rows.reserve(m_list->DetailCount() + 2);
    for (size_t index = 0; index < m_list->DetailCount(); ++index) {
        Row row;
        row.reserve(Columns);
        for (const std::string& value : m_list->Detail(index))
            row.push_back({Text(value), 1});
        m_rows.push_back(std::move(row));
    }
    m_rows.push_back(RowOf(m_list->Spacer()));
    m_rows.push_back(RowOf(m_list->Totals()));
}

QFont ListPages::FontOf(bool bold) const
{
    return bold ? BoldOf(m_font) : m_font;
}

ListPages::Measure ListPages::MeasureColumns(const QFont& font) const
{
    Measure m;
    m.natural.assign(Columns, 0);
    m.least.assign(Columns, 0);
    const QFontMetricsF plain(font);
    const QFontMetricsF bold(BoldOf(font));
    // Titles break between their words as the values need.
    auto measure = [&m](const Row& row, const QFontMetricsF& metrics, bool title) {
        size_t column = 0;
        for (const Cell& cell : row) {
            if (cell.span == 1 && column < Columns) {
                qreal whole = 0, word = 0;
                for (const QString& line : cell.text.split(QLatin1Char('\n')))
                    whole = std::max(whole, metrics.horizontalAdvance(line));
                if (cell.text.contains(QLatin1Char(' ')) || cell.text.contains(QLatin1Char('\n'))) {
                    QString words = cell.text;
                    words.replace(QLatin1Char('\n'), QLatin1Char(' '));
                    for (const QString& part : words.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                        word = std::max(word, metrics.horizontalAdvance(part));
                } else {
                    word = whole;
                }
                m.natural[column] = std::max(m.natural[column], title ? word : whole);
                m.least[column] = std::max(m.least[column], word);
            }
            column += static_cast<size_t>(cell.span);
        }
    };
    measure(m_titles, bold, true);
    for (const Row& row : m_rows)
        measure(row, plain, false);
    m.hard = WidestCharacter(BoldOf(font)) + 2 * Pad + 1;
    for (size_t c = 0; c < Columns; ++c) {
        m.natural[c] += 2 * Pad + 1;
        m.least[c] += 2 * Pad + 1;
        m.sumNatural += m.natural[c];
        m.sumLeast += m.least[c];
        m.sumHard += std::min(m.hard, m.least[c]);
    }
    return m;
}

void ListPages::SetWidths(const Measure& m, qreal width)
{
    // The list fills the page's width, as the file's table asks.
    m_left.assign(1, 0);
    for (size_t c = 0; c < Columns; ++c) {
        const qreal hard = std::min(m.hard, m.least[c]);
        qreal w = 0;
        if (m.sumNatural <= width)
            w = m.natural[c] * width / m.sumNatural;
        else if (m.sumLeast <= width)
            w = m.least[c] + (m.natural[c] - m.least[c]) * (width - m.sumLeast) / (m.sumNatural - m.sumLeast);
        else if (m.sumHard <= width)
            w = hard + (m.least[c] - hard) * (width - m.sumHard) / (m.sumLeast - m.sumHard);
        else
            w = hard * width / m.sumHard;
        m_left.push_back(m_left.back() + w);
    }
}

void ListPages::MeasureRows()
{
    m_titleHeight = RowHeight(m_titles, true);
    m_heights.clear();
    m_heights.reserve(m_rows.size());
    for (const Row& row : m_rows)
        m_heights.push_back(RowHeight(row, false));
}

void ListPages::LayOut(QSizeF area)
{
    m_area = area;
    const qreal width = area.width();
    m_head = HeadDocument(*m_list, width);
    m_issuer = IssuerDocument(width);

    QFont font = ReportStyle::Face();
    Measure measure = MeasureColumns(font);
    if (measure.sumLeast > width) {
        // Smaller type until the longest words fit, no smaller than the floor;
        // the frames and blanks around the text keep their size.
        const qreal fixed = Columns * (2 * Pad + 1);
        qreal size = std::max(TypeFloor,
                              font.pointSizeF() * (width - fixed) / std::max(1.0, measure.sumLeast - fixed));
        for (int step = 0; step < ShrinkSteps; ++step) {
            font.setPointSizeF(size);
            measure = MeasureColumns(font);
            if (measure.sumLeast <= width || size <= TypeFloor)
                break;
            size = std::max(TypeFloor, size - 0.25);
        }
        // Past the floor words break inside; a column still holds its widest character.
        for (int step = 0; step < ShrinkSteps && measure.sumHard > width; ++step) {
            font.setPointSizeF(font.pointSizeF() * 0.8);
            measure = MeasureColumns(font);
        }
    }
    m_font = font;
    SetWidths(measure, width);
    MeasureRows();

    // A row taller than a page under the issuer line and the titles makes the
    // type smaller still, down to a sixteenth of the face.
    const qreal smallest = ReportStyle::Face().pointSizeF() / 16;
    for (int step = 0; step < ShrinkSteps && !m_heights.empty(); ++step) {
        const qreal room = area.height() - FirstRowTop(1);
        const qreal tallest = *std::max_element(m_heights.begin(), m_heights.end());
        if (tallest <= room || m_font.pointSizeF() * 0.5 < smallest)
            break;
        m_font.setPointSizeF(m_font.pointSizeF() *
                             std::clamp(std::sqrt(std::max(room, 0.0) / tallest), 0.5, 0.95));
        SetWidths(MeasureColumns(m_font), width);
        MeasureRows();
    }
    Paginate();
}

void ListPages::Paginate()
{
    // Rows go onto a page while they fit whole. A row that does not fit the
    // rest of a page starts the next one; the first page may hold the head
    // alone, and a row taller than any page stands alone on its own.
    m_pages.clear();
    const qreal later = FirstRowTop(1);
    qreal top = FirstRowTop(0);
    Page page;
    for (size_t r = 0; r < m_rows.size(); ++r) {
        if (top + m_heights[r] > m_area.height() && (page.last > page.first || top > later)) {
            m_pages.push_back(page);
            page = {r, r};
            top = later;
        }
        top += m_heights[r];
        page.last = r + 1;
    }
    m_pages.push_back(page);
}

qreal ListPages::RowHeight(const Row& row, bool bold) const
{
    const QFont font = FontOf(bold);
    const QFontMetricsF metrics(font);
    qreal height = metrics.height();
    size_t column = 0;
    for (const Cell& cell : row) {
        const size_t end = std::min<size_t>(column + static_cast<size_t>(cell.span), Columns);
        const qreal room = m_left[end] - m_left[std::min<size_t>(column, Columns)] - 2 * Pad;
        if (!OneLine(cell.text, metrics, room)) {
            QTextLayout layout(cell.text, font);
            BreakLines(layout, room, Qt::AlignLeft);
            height = std::max(height, layout.boundingRect().height());
        }
        column = end;
    }
    return height + 2 * Pad;
}

void ListPages::PaintRow(QPainter& painter, const Row& row, qreal top, qreal height, bool bold) const
{
    const QFont font = FontOf(bold);
    const QFontMetricsF metrics(font);
    // The painter's device sizes the face by its own resolution, and the
    // painter's scale then applies once more: the face is given in the
    // layout's units.
    QFont drawn = font;
    if (const QPaintDevice* device = painter.device(); device && device->logicalDpiY() > 0)
        drawn.setPointSizeF(font.pointSizeF() * metrics.fontDpi() / device->logicalDpiY());
    painter.setFont(drawn);
    QVarLengthArray<QLineF, 40> lines;
    lines.append(QLineF(0, top, m_left.back(), top));
    lines.append(QLineF(0, top, 0, top + height));
    size_t column = 0;
    for (const Cell& cell : row) {
        const size_t end = std::min<size_t>(column + static_cast<size_t>(cell.span), Columns);
        const qreal left = m_left[std::min<size_t>(column, Columns)];
        const qreal room = m_left[end] - left - 2 * Pad;
        lines.append(QLineF(m_left[end], top, m_left[end], top + height));
        if (!cell.text.isEmpty()) {
            if (OneLine(cell.text, metrics, room)) {
                // One line, drawn straight: the quick way onto paper.
                const qreal advance = metrics.horizontalAdvance(cell.text);
                const qreal x = left + Pad + (bold ? (room - advance) / 2 : 0);
                painter.drawText(QPointF(x, top + (height - metrics.height()) / 2 + metrics.ascent()),
                                 cell.text);
            } else {
                QTextLayout layout(cell.text, font);
                BreakLines(layout, room, bold ? Qt::AlignHCenter : Qt::AlignLeft);
                const qreal text = layout.boundingRect().height();
                layout.draw(&painter, QPointF(left + Pad, top + (height - text) / 2));
            }
        }
        column = end;
    }
    lines.append(QLineF(0, top + height, m_left.back(), top + height));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));
}

qreal ListPages::FirstRowTop(int page) const
{
    return (page == 0 ? m_head : m_issuer)->size().height() + m_titleHeight;
}

void ListPages::PaintPage(QPainter& painter, int page)
{
    if (page < 0 || page >= PageCount())
        return;
    painter.save();
    // The first page carries the report's head, every later one the issuer line.
    QTextDocument& head = page == 0 ? *m_head : *m_issuer;
    head.drawContents(&painter);
    qreal top = head.size().height();
    painter.setPen(QPen(Qt::black, LineWidth));
    PaintRow(painter, m_titles, top, m_titleHeight, true);
    top += m_titleHeight;
    const Page& rows = m_pages[static_cast<size_t>(page)];
    for (size_t r = rows.first; r < rows.last; ++r) {
        PaintRow(painter, m_rows[r], top, m_heights[r], false);
        top += m_heights[r];
    }
    painter.restore();
}

QString ListPages::Title() const
{
    return Text(DetailedList::DocumentTitle());
}

QString ListPages::PlainText() const
{
    QTextDocument head;
    head.setHtml(Text(report::ListHead(*m_list)));
    QString text = head.toPlainText();
    auto add = [&text](const Row& row) {
        text += QLatin1Char('\n');
        for (const Cell& cell : row)
            text += cell.text + QLatin1Char('\t');
    };
    add(m_titles);
    for (const Row& row : m_rows)
        add(row);
    return text;
}
