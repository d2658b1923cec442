#pragma once

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTextDocument>
#include <memory>
#include <optional>
#include <vector>

class QPainter;

// The detailed payments list laid out in pages by hand: the head of the
// report (issuer, year, employer) on the first page, then the column titles
// and the rows, with the issuer line and the column titles again at the top
// of every later page, and no row split across two pages. A general rich-text
// layout of tens of thousands of table rows takes minutes; this takes a
// fraction of a second per thousand rows, on paper and on screen alike.
//
// Units are those of the screen's text (the page's printable area at the
// screen's resolution); the caller's painter scales them onto its device.
class ListPages
{
public:
    struct Cell
    {
        QString text;
        int span = 1;
    };
    using Row = std::vector<Cell>;

    // Reads the list out of the report's text; nothing when the text is not a
    // detailed payments list (the totals page and the form page are not).
    static std::optional<ListPages> FromReport(const QString& html, const QString& baseFolder);

    // Lays the list out on pages of `area` (the printable area less the foot
    // line that numbers the page).
    void LayOut(QSizeF area);

    int PageCount() const { return static_cast<int>(m_pages.size()); }
    QSizeF Area() const { return m_area; }
    // Paints page `page` (from 0) with its top left corner at the painter's origin.
    void PaintPage(QPainter& painter, int page);

    const Row& Titles() const { return m_titles; }
    // The detail rows, then the spacer and totals rows, as the file lists them.
    const std::vector<Row>& Rows() const { return m_rows; }
    // The rows on page `page`: the first and one past the last.
    std::pair<size_t, size_t> PageRows(int page) const
    {
        const Page& rows = m_pages.at(static_cast<size_t>(page));
        return {rows.first, rows.last};
    }
    qreal RowHeight(size_t row) const { return m_heights.at(row); }
    qreal FirstRowTop(int page) const;

    // The title the report file gives itself.
    QString Title() const { return m_title; }
    // The list's words as plain text: the head, the titles and every row.
    QString PlainText() const;

    static constexpr int Columns = 18;

private:
    struct Page
    {
        size_t first = 0; // the first and one past the last row of the page
        size_t last = 0;
    };

    qreal RowHeight(const Row& row, bool bold) const;
    void PaintRow(QPainter& painter, const Row& row, qreal top, qreal height, bool bold) const;

    QString m_headHtml;   // the issuer line, the heading, year and employer tables
    QString m_issuerHtml; // the issuer line alone, for the later pages
    QString m_baseFolder;
    QString m_title;
    Row m_titles;
    std::vector<Row> m_rows; // detail rows, then the spacer and totals rows
    std::shared_ptr<QTextDocument> m_head;
    std::shared_ptr<QTextDocument> m_issuer;
    QSizeF m_area;
    std::vector<qreal> m_left;    // each column's left edge; one more for the right edge
    std::vector<qreal> m_heights; // each row's height
    qreal m_titleHeight = 0;
    std::vector<Page> m_pages;
};
