#include "printing/ListPages.h"

#include "printing/ReportDocument.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>
#include <QVarLengthArray>
#include <algorithm>

namespace {

constexpr qreal Pad = 2;         // the blank between a cell's frame and its text
constexpr qreal LineWidth = 0.6; // the frames, a little over half a point

const QString kListTable =
    QStringLiteral("<table width=\"100%\"  border=\"1\" cellspacing=\"0\" cellpadding=\"0\">");
const QString kTitlesOpen = QStringLiteral("<thead style=\"display:table-header-group\"><tr>");
const QString kTitlesClose = QStringLiteral("</tr></thead>");

// A value as the page shows it: the character references of the file turned
// back into characters, and the blank that keeps an empty cell framed dropped.
QString Unescape(QString text)
{
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text.trimmed();
}

std::shared_ptr<QTextDocument> Document(const QString& html, const QString& folder, qreal width)
{
    auto document = std::make_shared<QTextDocument>();
    ReportDocument::Prepare(*document, folder);
    document->setHtml(html);
    document->setTextWidth(width);
    return document;
}

QFont BoldOf(QFont font)
{
    font.setBold(true);
    return font;
}

} // namespace

std::optional<ListPages> ListPages::FromReport(const QString& html, const QString& baseFolder)
{
    const qsizetype table = html.indexOf(kListTable);
    if (table < 0)
        return std::nullopt;
    qsizetype at = table + kListTable.size();
    while (at < html.size() && html[at].isSpace())
        ++at;
    if (!QStringView(html).mid(at).startsWith(kTitlesOpen))
        return std::nullopt;
    at += kTitlesOpen.size();
    const qsizetype titlesEnd = html.indexOf(kTitlesClose, at);
    if (titlesEnd < 0)
        return std::nullopt;

    ListPages list;
    static const QRegularExpression heading(
        QStringLiteral("\\s*<th class=\"style2\"><center>(.*?)</center></th>"),
        QRegularExpression::DotMatchesEverythingOption);
    while (at < titlesEnd) {
        const auto match = heading.match(html, at, QRegularExpression::NormalMatch,
                                         QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch() || match.capturedEnd() > titlesEnd)
            return std::nullopt;
        QString text = match.captured(1);
        text.replace(QStringLiteral("<BR>"), QStringLiteral("\n"));
        list.m_titles.push_back({Unescape(text), 1});
        at = match.capturedEnd();
        while (at < titlesEnd && html[at].isSpace())
            ++at;
    }
    // The totals page shares the table's opening but not its eighteen titles.
    if (list.m_titles.size() != Columns)
        return std::nullopt;

    // The rows, up to the table's end: every cell is of the reports' one class.
    const qsizetype tableEnd = html.indexOf(QStringLiteral("</table>"), titlesEnd);
    if (tableEnd < 0)
        return std::nullopt;
    static const QRegularExpression token(
        QStringLiteral("<tr>|</tr>|<td class=\"style2\"(?: colspan=\"(\\d+)\")?>(.*?)</td>"),
        QRegularExpression::DotMatchesEverythingOption);
    Row row;
    const qsizetype rowsStart = titlesEnd + kTitlesClose.size();
    for (auto it = token.globalMatch(QStringView(html).mid(rowsStart, tableEnd - rowsStart)); it.hasNext();) {
        const auto match = it.next();
        const QStringView whole = match.capturedView(0);
        if (whole == u"<tr>") {
            row.clear();
        } else if (whole == u"</tr>") {
            list.m_rows.push_back(std::move(row));
            row = {};
        } else {
            const int span = match.hasCaptured(1) ? std::max(1, match.captured(1).toInt()) : 1;
            row.push_back({Unescape(match.captured(2)), span});
        }
    }

    list.m_baseFolder = baseFolder;
    list.m_headHtml = html.left(table) + QStringLiteral("</td></tr></table></body></html>");
    static const QRegularExpression issuer(QStringLiteral("<thead[^>]*>(.*?)</thead>"),
                                           QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    list.m_title = title.match(list.m_headHtml).captured(1).trimmed();
    const auto issuerLine = issuer.match(list.m_headHtml);
    if (issuerLine.hasMatch())
        list.m_issuerHtml = QStringLiteral("<html><body><table cellpadding=\"0\" cellspacing=\"0\" "
                                           "width=\"100%\" border=\"0\">") +
                            issuerLine.captured(1) + QStringLiteral("</table></body></html>");
    return list;
}

void ListPages::LayOut(QSizeF area)
{
    m_area = area;
    const qreal width = area.width();
    m_head = Document(m_headHtml, m_baseFolder, width);
    m_issuer = Document(m_issuerHtml, m_baseFolder, width);
    const QFont font = m_head->defaultFont();
    const QFontMetricsF plain(font);
    const QFontMetricsF bold(BoldOf(font));

    // Each column as wide as its widest text would make it (natural), and as
    // narrow as its longest word allows (least).
    std::vector<qreal> natural(Columns, 0), least(Columns, 0);
    // Titles break between their words as the values need.
    auto measure = [&](const Row& row, const QFontMetricsF& metrics, bool title) {
        size_t column = 0;
        for (const Cell& cell : row) {
            if (cell.span == 1 && column < Columns) {
                qreal whole = 0, word = 0;
                for (const QString& line : cell.text.split(QLatin1Char('\n')))
                    whole = std::max(whole, metrics.horizontalAdvance(line));
                if (cell.text.contains(QLatin1Char(' ')) || cell.text.contains(QLatin1Char('\n'))) {
                    for (const QString& part : cell.text.split(QRegularExpression(QStringLiteral("\\s+"))))
                        word = std::max(word, metrics.horizontalAdvance(part));
                } else {
                    word = whole;
                }
                natural[column] = std::max(natural[column], title ? word : whole);
                least[column] = std::max(least[column], word);
            }
            column += static_cast<size_t>(cell.span);
        }
    };
    measure(m_titles, bold, true);
    for (const Row& row : m_rows)
        measure(row, plain, false);
    qreal sumNatural = 0, sumLeast = 0;
    for (size_t c = 0; c < Columns; ++c) {
        natural[c] += 2 * Pad + 1;
        least[c] += 2 * Pad + 1;
        sumNatural += natural[c];
        sumLeast += least[c];
    }
    // The list fills the page's width, as the file's table asks.
    std::vector<qreal> widths(Columns);
    for (size_t c = 0; c < Columns; ++c) {
        if (sumNatural <= width)
            widths[c] = natural[c] * width / sumNatural;
        else if (sumLeast <= width)
            widths[c] = least[c] + (natural[c] - least[c]) * (width - sumLeast) / (sumNatural - sumLeast);
        else
            widths[c] = least[c] * width / sumLeast;
    }
    m_left.assign(1, 0);
    for (qreal w : widths)
        m_left.push_back(m_left.back() + w);

    m_titleHeight = RowHeight(m_titles, true);
    m_heights.clear();
    m_heights.reserve(m_rows.size());
    for (const Row& row : m_rows)
        m_heights.push_back(RowHeight(row, false));

    // Rows go onto a page while they fit whole; a page holds at least one.
    m_pages.clear();
    const qreal later = FirstRowTop(1);
    qreal top = FirstRowTop(0);
    Page page;
    for (size_t r = 0; r < m_rows.size(); ++r) {
        if (top + m_heights[r] > area.height() && page.last > page.first) {
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
    const QFontMetricsF metrics(bold ? BoldOf(m_head->defaultFont()) : m_head->defaultFont());
    qreal height = metrics.height();
    size_t column = 0;
    for (const Cell& cell : row) {
        const size_t end = std::min<size_t>(column + static_cast<size_t>(cell.span), Columns);
        const qreal room = m_left[end] - m_left[std::min<size_t>(column, Columns)] - 2 * Pad;
        if (cell.text.contains(QLatin1Char('\n')) || metrics.horizontalAdvance(cell.text) > room)
            height = std::max(
                height, metrics.boundingRect(QRectF(0, 0, room, 1e6), Qt::TextWordWrap, cell.text).height());
        column = end;
    }
    return height + 2 * Pad;
}

void ListPages::PaintRow(QPainter& painter, const Row& row, qreal top, qreal height, bool bold) const
{
    const QFont font = bold ? BoldOf(m_head->defaultFont()) : m_head->defaultFont();
    const QFontMetricsF metrics(font);
    // The painter's device sizes the face by its own resolution, and the
    // painter's scale then applies once more: the face is given in the
    // layout's units.
    QFont drawn = font;
    if (const QPaintDevice* device = painter.device(); device && device->logicalDpiY() > 0)
        drawn.setPointSizeF(font.pointSizeF() * QFontMetricsF(font).fontDpi() / device->logicalDpiY());
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
            const qreal advance = metrics.horizontalAdvance(cell.text);
            if (!cell.text.contains(QLatin1Char('\n')) && advance <= room) {
                // One line, drawn straight: the quick way onto paper.
                const qreal x = left + Pad + (bold ? (room - advance) / 2 : 0);
                painter.drawText(QPointF(x, top + (height - metrics.height()) / 2 + metrics.ascent()),
                                 cell.text);
            } else {
                painter.drawText(QRectF(left + Pad, top + Pad, room, height - 2 * Pad),
                                 Qt::TextWordWrap | Qt::AlignVCenter |
                                     (bold ? Qt::AlignHCenter : Qt::AlignLeft),
                                 cell.text);
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

QString ListPages::PlainText() const
{
    QTextDocument head;
    head.setHtml(m_headHtml);
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
