#include "printing/ListPages.h"
#include "text/Cp1253.h"
#include "reports/DetailedList.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {

using declaration::DetailField;

// A detailed list whose row `tall` has every text field full of one-letter
// words, so that it wraps into many lines where the others take one.
std::optional<ListPages> ListWithOneTallRow(size_t rowCount, size_t tall)
{
    declaration::EmployerHeader header;
    header.YearOfData = "2025";
    std::vector<TFixedFormatDataSet::TLine> rows(rowCount);
    for (size_t n = 0; n < rows.size(); ++n) {
        std::string line(declaration::RecordWidth, ' ');
        for (const DetailField field : {DetailField::SurName, DetailField::Name, DetailField::FatherName,
                                        DetailField::City, DetailField::Street}) {
            const auto& layout = declaration::DetailLayout()[field];
            std::string text = "N" + std::to_string(n);
            if (n == tall) {
                text.clear();
                for (int at = 0; at + 1 < layout.width; at += 2)
                    text += std::string(1, static_cast<char>('A' + at / 2)) + " ";
            }
            line.replace(static_cast<size_t>(layout.offset), text.size(), text);
        }
        rows[n].Text = line;
    }
    const std::array<std::string, 9> edits = {"0", "0", "0", "0", "0", "0", "0", "0", "0"};
    return ListPages(std::make_shared<const DetailedList>(header, edits, std::move(rows)));
}

} // namespace

class TestListPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aRowTallerThanAPageGetsAPageOfItsOwnWhole();
};

// A row that no page can hold still goes onto one page, alone and whole; the
// rows around it go on as before, and the layout ends.
void TestListPages::aRowTallerThanAPageGetsAPageOfItsOwnWhole()
{
    const size_t tall = 3;
    std::optional<ListPages> list = ListWithOneTallRow(8, tall);
    QVERIFY(list);
    const qreal width = 400;
    list->LayOut(QSizeF(width, 1e6));
    const qreal tallHeight = list->RowHeight(tall);
    const qreal plainHeight = list->RowHeight(0);
    QVERIFY(tallHeight > 2 * plainHeight);
    // A later page holds a plain row, never the tall one; the first page,
    // under the report's head, has room for less than a row.
    const qreal height = list->FirstRowTop(1) + (plainHeight + tallHeight) / 2;
    QVERIFY(list->FirstRowTop(0) + plainHeight > height);

    list->LayOut(QSizeF(width, height));
    // The type may shrink for a row no page holds, never grow.
    QVERIFY(list->RowHeight(tall) <= tallHeight);
    size_t next = 0;
    int tallPage = -1;
    for (int page = 0; page < list->PageCount(); ++page) {
        const auto [first, last] = list->PageRows(page);
        QCOMPARE(first, next);
        // Only the first page may hold the report's head alone, when its
        // first row fits under the head on no page of this height.
        QVERIFY2(last > first || page == 0, qPrintable(QString::number(page)));
        if (first <= tall && tall < last)
            tallPage = page;
        next = last;
    }
    QCOMPARE(next, list->Rows().size());
    QVERIFY(tallPage >= 0);
    // The tall row's page holds it whole: either its rows fit the page, or
    // the tall row stands alone there.
    const auto [first, last] = list->PageRows(tallPage);
    qreal used = list->FirstRowTop(tallPage);
    for (size_t row = first; row < last; ++row)
        used += list->RowHeight(row);
    QVERIFY(used <= height || std::make_pair(first, last) == std::make_pair(tall, tall + 1));

    QImage image(QSize(int(width), int(list->FirstRowTop(1) + tallHeight) + 1), QImage::Format_RGB32);
    QPainter painter(&image);
    for (int page = 0; page < list->PageCount(); ++page)
        list->PaintPage(painter, page);
    QVERIFY(list->PlainText().contains(QStringLiteral("A B C D E F G H")));
}

QTEST_MAIN(TestListPages)
#include "tst_listpages.moc"
