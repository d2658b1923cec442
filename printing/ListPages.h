#pragma once

#include "reports/DetailedList.h"

#include <QFont>
#include <QSizeF>
#include <QString>
#include <QTextDocument>
#include <memory>
#include <vector>

class QPainter;

// The detailed payments list laid out in pages by hand: the head of the
// report (issuer, year, employer) on the first page, then the column titles
// and the rows, with the issuer line and the column titles again at the top
// of every later page, and no row split across two pages. A general rich-text
// layout of tens of thousands of table rows takes minutes; this takes a
// fraction of a second per thousand rows, on paper and on screen alike.
//
// No character of a value is ever cut: when the columns' narrowest widths do
// not fit the page the table's type is made smaller, down to TypeFloor; past
// that a value wider than its column breaks inside a word and its row grows.
// A row too tall for an empty page makes the type smaller still; a row that
// fits no page even at the smallest type (only a list that no declaration can
// make) stands alone on its own page.
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

    explicit ListPages(std::shared_ptr<const DetailedList> list);

    // Lays the list out on pages of `area` (the printable area less the foot
    // line that numbers the page).
    void LayOut(QSizeF area);

    int PageCount() const { return static_cast<int>(m_pages.size()); }
    QSizeF Area() const { return m_area; }
    // Paints page `page` (from 0) with its top left corner at the painter's origin.
    void PaintPage(QPainter& painter, int page);

    const Row& Titles() const { return m_titles; }
    // The detail rows, then the spacer and totals rows.
    const std::vector<Row>& Rows() const { return m_rows; }
    // The rows on page `page`: the first and one past the last.
    std::pair<size_t, size_t> PageRows(int page) const
    {
        const Page& rows = m_pages.at(static_cast<size_t>(page));
        return {rows.first, rows.last};
    }
    qreal RowHeight(size_t row) const { return m_heights.at(row); }
    qreal FirstRowTop(int page) const;
    // Each column's left edge, and one more for the table's right edge.
    const std::vector<qreal>& ColumnEdges() const { return m_left; }
    // The type the table is laid out in (the face, or smaller when the list is wide).
    QFont TableFont() const { return m_font; }
    static constexpr qreal TypeFloor = 5; // points; smaller is hard to read on paper

    // The title the report gives itself.
    QString Title() const;
    // The list's words as plain text: the head, the titles and every row.
    QString PlainText() const;

    static constexpr int Columns = static_cast<int>(DetailedList::Columns);

private:
    struct Page
    {
        size_t first = 0; // the first and one past the last row of the page
        size_t last = 0;
    };
    struct Measure
    {
        std::vector<qreal> natural, least; // each column's widest text and longest word
        qreal sumNatural = 0, sumLeast = 0, sumHard = 0;
        qreal hard = 0; // a column never narrower than its widest character
    };

    Measure MeasureColumns(const QFont& font) const;
    void SetWidths(const Measure& measure, qreal width);
    void MeasureRows();
    void Paginate();
    qreal RowHeight(const Row& row, bool bold) const;
    void PaintRow(QPainter& painter, const Row& row, qreal top, qreal height, bool bold) const;
    QFont FontOf(bool bold) const;

    std::shared_ptr<const DetailedList> m_list;
    Row m_titles;
    std::vector<Row> m_rows; // detail rows, then the spacer and totals rows
    std::shared_ptr<QTextDocument> m_head;
    std::shared_ptr<QTextDocument> m_issuer;
    QFont m_font;
    QSizeF m_area;
    std::vector<qreal> m_left;    // each column's left edge; one more for the right edge
    std::vector<qreal> m_heights; // each row's height
    qreal m_titleHeight = 0;
    std::vector<Page> m_pages;
};
