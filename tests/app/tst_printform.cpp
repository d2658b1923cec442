#include "FormFixture.h"
#include "app/ListView.h"
#include "app/PrintForm.h"
#include "printing/ListPages.h"
#include "printing/ReportDocument.h"
#include "text/Cp1253.h"
#include "reports/ReportHtml.h"
#include "reports/Reports.h"
#include "workspace/Workspace.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

namespace {

struct Shown
{
    QString caption;
    bool hint = false;
    QString text;
    QSize size;
    bool list = false;
    int pages = 0;
};

// Runs `open`, which shows the print window modally, and reads the window
// while it is up, then closes it.
template <typename Open> Shown whileShown(Open open)
{
    Shown shown;
    DuringModal(
        [&shown] {
            auto* window = qobject_cast<TPrintForm*>(QApplication::activeModalWidget());
            if (window == nullptr) {
                return;
            }
            shown.caption = window->windowTitle();
            shown.hint = window->findChild<QLabel*>(QStringLiteral("Label1"))->isVisible();
            // The detailed list shows as its pages, in the viewer's place.
            auto* list = window->findChild<ListView*>(QStringLiteral("ListPages"));
            auto* browser = window->findChild<QTextBrowser*>(QStringLiteral("WebBrowser1"));
            shown.list = list->isVisible();
            shown.text = shown.list ? list->PlainText() : browser->toPlainText();
            shown.pages = list->PageCount();
            if (shown.list == browser->isVisible())
                shown.text.clear();
            shown.size = window->size();
            window->close();
        },
        open);
    return shown;
}

// Runs `act`, which shows a message box, and returns the box's text.
template <typename Act> QString messageOf(Act act)
{
    QString text;
    DuringModal(
        [&text] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                box->accept();
            }
        },
        act);
    return text;
}

} // namespace

class TestPrintForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachReportShowsItsCaptionHintAndPage();
    void printingThatFailsSaysSo();
    void savingAsPdfWritesThePages();
    void detailedListIsLaidOutInWholeRows();
    void narrowPagesShrinkTheTypeThenBreakWords();
};

void TestPrintForm::eachReportShowsItsCaptionHintAndPage()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    auto entry = [&](const char* name) { return form.findChild<QAction*>(QString::fromLatin1(name)); };
    QVERIFY(!form.findChild<QMenu*>(QStringLiteral("N14"))->menuAction()->isEnabled());

    form.answers = {UserInterface::Answer::Yes};
    entry("New1")->trigger();
    QVERIFY(form.findChild<QMenu*>(QStringLiteral("N14"))->menuAction()->isEnabled());
    Workspace& work = form.workspace();
    work.Header.YearOfData = "2025";
    work.Header.CompanyName = cp1253::fromUnicode(QString::fromUtf8("ΥΠΟΥΡΓΕΙΟ ΔΟΚΙΜΩΝ"));

    const struct
    {
        const char* entry;
        const char* caption;
        bool hint;
        const char* text; // a text of the page, read back from its code page
    } reports[] = {
        {"N15", "Εκτύπωση", true, "ΣΤΟΙΧΕΙΑ ΦΟΡΕΑ"},
        {"N20", "Εκτύπωση Συνόλων", false, "ΕΚΤΥΠΩΣΗ ΣΥΝΟΛΩΝ"},
        {"N110", "Εκτύπωση 1ης Σελίδας", false, "ΑΝΑΚΕΦΑΛΑΙΩΣΗ ΑΠΟΔΟΧΩΝ ΚΑΙ ΛΟΙΠΩΝ ΣΤΟΙΧΕΙΩΝ"},
        // The detailed list shows the hint again after a report that hid it.
        {"N15", "Εκτύπωση", true, "Υποβολή Βεβαιώσεων Αποδοχών Δημοσίου"},
    };
    // The first-page entry is never shown, so its command cannot be chosen;
    // it is run here as the entry would run it.
    QVERIFY(!entry("N110")->isVisible());
    for (const auto& report : reports) {
        const bool hidden = QByteArray(report.entry) == "N110";
        QVERIFY2(hidden || entry(report.entry)->isEnabled(), report.entry);
        const Shown shown = whileShown([&] {
            if (hidden) {
                form.RunCommand([&] { Reports(work).PrintFirstPage(); });
            } else {
                entry(report.entry)->trigger();
            }
        });
        QCOMPARE(shown.caption, QString::fromUtf8(report.caption));
        QCOMPARE(shown.hint, report.hint);
        QVERIFY(!shown.list); // a short list stays text a screen reader can read
        QVERIFY2(shown.text.contains(QString::fromUtf8(report.text)), report.entry);
        QVERIFY2(shown.text.contains(QString::fromUtf8("ΥΠΟΥΡΓΕΙΟ ΔΟΚΙΜΩΝ")), report.entry);
        QCOMPARE(shown.size, QSize(TPrintForm::ClientWidth, TPrintForm::ClientHeight));
    }
    QVERIFY(form.messages.empty());
    QVERIFY(form.errors.empty());

    auto* window = form.findChild<TPrintForm*>();
    // A list longer than the viewer takes in good time shows as its pages.
    window->SetBrowserListRows(0);
    const Shown paged = whileShown([&] { entry("N15")->trigger(); });
    QVERIFY(paged.list);
    QVERIFY(paged.pages > 0);
    QVERIFY(paged.text.contains(QString::fromUtf8("ΥΠΟΥΡΓΕΙΟ ΔΟΚΙΜΩΝ")));
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
             QString::fromUtf8(TPrintForm::LandscapeHint));
    auto* print = window->findChild<QPushButton*>(QStringLiteral("Button1"));
    QCOMPARE(print->text(), QString::fromUtf8("Εκτύπωση"));
    QCOMPARE(print->size(), QSize(145, 65));
    QVERIFY(qAbs(print->geometry().center().x() - TPrintForm::ClientWidth / 2) <= 1);
}

void TestPrintForm::printingThatFailsSaysSo()
{
    ProgramFolder folder;
    QFile report(folder.filePath(QStringLiteral("Rozaro.htm")));
    QVERIFY(report.open(QIODevice::WriteOnly));
    report.write("<html><body>\xD3\xD5\xCD\xCF\xCB\xCF</body></html>\r\n");
    report.close();

    TPrintForm window;
    window.LoadReport(report.fileName(), QString::fromUtf8("Εκτύπωση"), true);
    QVERIFY(window.findChild<QTextBrowser*>()->toPlainText().contains(QString::fromUtf8("ΣΥΝΟΛΟ")));
    bool asked = false;
    QPageLayout::Orientation offered = QPageLayout::Portrait;
    window.ChoosePrinter = [&](QPrinter& printer) {
        asked = true;
        offered = printer.pageLayout().orientation();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath(QStringLiteral("missing/folder/out.pdf")));
        return true;
    };
    const QString message = messageOf([&] { window.Button1Click(); });
    QVERIFY(asked);
    QCOMPARE(offered, QPageLayout::Landscape); // the hint's report is offered turned
    QCOMPARE(message, QString::fromUtf8(TPrintForm::PrintFailure));
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    // A cancelled print dialog prints nothing and says nothing.
    window.ChoosePrinter = [](QPrinter&) { return false; };
    QCOMPARE(messageOf([&] { window.Button1Click(); }), QString());
}

void TestPrintForm::savingAsPdfWritesThePages()
{
    ProgramFolder folder;
    QFile report(folder.filePath(QStringLiteral("Rozaro.htm")));
    QVERIFY(report.open(QIODevice::WriteOnly));
    report.write(
        "<html><body><table><thead><tr><th>T</th></tr></thead><tr><td>1</td></tr></table></body></html>");
    report.close();

    TPrintForm window;
    window.LoadReport(report.fileName(), QString::fromUtf8("Εκτύπωση Συνόλων"), false);
    QString proposed;
    window.ChoosePdfFile = [&](const QString& name) {
        proposed = name;
        return folder.filePath(QStringLiteral("totals"));
    };
    QCOMPARE(messageOf([&] { window.SavePdfClick(); }), QString());
    QVERIFY(proposed.endsWith(QStringLiteral("/Rozaro.pdf")));
    QFile pdf(folder.filePath(QStringLiteral("totals.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.readAll().startsWith("%PDF"));

    // A folder that is not there gets the reason, not a silent nothing.
    window.ChoosePdfFile = [&](const QString&) { return folder.filePath(QStringLiteral("no/such/x.pdf")); };
    QVERIFY(messageOf([&] { window.SavePdfClick(); }).startsWith(QString::fromUtf8("Το αρχείο PDF")));
}

// A detail line with `values` in their fields, the rest blank.
TFixedFormatDataSet::TLine
Line(std::initializer_list<std::pair<declaration::DetailField, std::string>> values)
{
    std::string line(declaration::RecordWidth, ' ');
    for (const auto& [field, value] : values)
        line.replace(static_cast<size_t>(declaration::DetailLayout()[field].offset), value.size(), value);
    return {line};
}

// Pages follow one another, each row whole on one page; only the first page
// may hold the head alone.
void CheckPages(const ListPages& list, QSizeF area, bool rowsFit)
{
    size_t next = 0;
    for (int page = 0; page < list.PageCount(); ++page) {
        const auto [first, last] = list.PageRows(page);
        QCOMPARE(first, next);
        QVERIFY(last > first || page == 0);
        qreal height = list.FirstRowTop(page);
        for (size_t r = first; r < last; ++r)
            height += list.RowHeight(r);
        QVERIFY2(!rowsFit || height <= area.height(), qPrintable(QString::number(page)));
        next = last;
    }
    QCOMPARE(next, list.Rows().size());
}

void TestPrintForm::detailedListIsLaidOutInWholeRows()
{
    declaration::EmployerHeader header;
    header.YearOfData = "2025";
    header.CompanyName = "A&B <C>";
    std::vector<TFixedFormatDataSet::TLine> rows;
    for (size_t n = 0; n < 150; ++n)
        rows.push_back(Line({{declaration::SurName, n == 7 ? "O'<B>" : "SURNAME" + std::to_string(n)}}));
    const std::array<std::string, 9> edits = {"787911,3", "0", "630329,28", "", "", "", "", "", "9"};
    ListPages list(std::make_shared<const DetailedList>(header, edits, rows));

    QCOMPARE(list.Titles().size(), size_t(ListPages::Columns));
    QCOMPARE(list.Titles()[6].text, QString::fromUtf8("Είδος απο-\nδοχών"));
    QCOMPARE(list.Rows().size(), rows.size() + 2); // and the spacer and totals rows
    QCOMPARE(list.Rows()[7][2].text, QStringLiteral("O'<B>"));
    const auto& totals = list.Rows().back();
    QCOMPARE(totals.size(), size_t(13));
    QCOMPARE(totals[1].span, 6);
    QCOMPARE(totals[1].text, QString::fromUtf8("ΣΥΝΟΛΟ"));
    QCOMPARE(totals[2].text, QStringLiteral("787911,3"));
    QCOMPARE(totals[12].text, QStringLiteral("9"));
    QVERIFY(list.PlainText().contains(QStringLiteral("A&B <C>")));

    // Ordinary rows on turned A4 keep the face's size.
    qreal foot = 0;
    list.LayOut(ReportDocument::PageArea(ReportDocument::Paper(true), ReportDocument::Face(), &foot));
    QCOMPARE(list.TableFont(), ReportDocument::Face());

    const QSizeF area(700, 300);
    list.LayOut(area);
    QVERIFY(list.PageCount() > 3);
    CheckPages(list, area, true);
}

void TestPrintForm::narrowPagesShrinkTheTypeThenBreakWords()
{
    using namespace declaration;
    // Every field as wide as it goes, in wide letters.
    const std::string wide = cp1253::fromUnicode(QString::fromUtf8("ΨΩWΨΩWΨΩWΨΩWΨΩWΨΩW"));
    auto full = [&wide](DetailField field) {
        return wide.substr(0, static_cast<size_t>(DetailLayout()[field].width));
    };
    const auto list = std::make_shared<const DetailedList>(
        EmployerHeader{}, std::array<std::string, 9>{"9999999999999,99"},
        std::vector<TFixedFormatDataSet::TLine>(3, Line({{AFM, "999999999"},
                                                         {SurName, full(SurName)},
                                                         {Name, full(Name)},
                                                         {FatherName, full(FatherName)},
                                                         {City, full(City)},
                                                         {Street, full(Street)},
                                                         {AkaInc, "99999999,9"},
                                                         {Kathares, "99999999,9"}})));
    ListPages pages(list);
    const qreal face = ReportDocument::Face().pointSizeF();

    // Turned A4: smaller type is enough, and no word breaks: a value without
    // a blank fits its column whole.
    qreal foot = 0;
    pages.LayOut(ReportDocument::PageArea(ReportDocument::Paper(true), ReportDocument::Face(), &foot));
    QVERIFY(pages.TableFont().pointSizeF() < face);
    QVERIFY(pages.TableFont().pointSizeF() >= ListPages::TypeFloor);
    const QFontMetricsF metrics(pages.TableFont());
    const auto& edges = pages.ColumnEdges();
    for (size_t c = 0; c < size_t(ListPages::Columns); ++c) {
        const QString value = pages.Rows()[0][c].text;
        if (!value.contains(QLatin1Char(' ')))
            QVERIFY2(metrics.horizontalAdvance(value) <= edges[c + 1] - edges[c] - 4, qPrintable(value));
    }

    // Far narrower: the type stops at its floor and long words break, so the rows grow.
    pages.LayOut(QSizeF(400, 800));
    QCOMPARE(pages.TableFont().pointSizeF(), ListPages::TypeFloor);
    QVERIFY(pages.RowHeight(0) > 2 * QFontMetricsF(pages.TableFont()).height());
    CheckPages(pages, QSizeF(400, 800), true);

    // A page lower than one row under its titles: the type shrinks as far as
    // it may, then each row stands alone on a page of its own; nothing loops.
    pages.LayOut(QSizeF(250, 12));
    QCOMPARE(pages.PageCount(), 1 + int(pages.Rows().size()));
    CheckPages(pages, QSizeF(250, 12), false);
}

QTEST_MAIN(TestPrintForm)
#include "tst_printform.moc"
