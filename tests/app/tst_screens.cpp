#include "FormFixture.h"

#include "grid/MultiLineGrid.h"
#include "grid/TitleRow.h"
#include "declaration/Totals.h"
#include "workspace/Workspace.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

// The main window on whatever screen the test runs on (ctest runs it once
// per screen size and scale an office may have): it opens inside the
// screen's available area, and every control of its work area can be
// scrolled into sight and stands clear of the others.
class TestScreens : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void windowFitsTheScreenAndEveryControlIsReachable();
    void countsAndTitlesShowWhole();
};

namespace {

QRect rectIn(const QWidget* widget, const QWidget* ancestor)
{
    return QRect(widget->mapTo(ancestor, QPoint()), widget->size());
}

bool takesInput(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) != nullptr ||
           qobject_cast<const QAbstractButton*>(widget) != nullptr ||
           qobject_cast<const QAbstractItemView*>(widget) != nullptr ||
           qobject_cast<const QComboBox*>(widget) != nullptr;
}

} // namespace

void TestScreens::windowFitsTheScreenAndEveryControlIsReachable()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect available = form.screen()->availableGeometry();
    QVERIFY2(available.contains(form.frameGeometry()),
             qPrintable(QStringLiteral("window %1,%2 %3x%4 on a screen of %5x%6")
                            .arg(form.frameGeometry().x())
                            .arg(form.frameGeometry().y())
                            .arg(form.frameGeometry().width())
                            .arg(form.frameGeometry().height())
                            .arg(available.width())
                            .arg(available.height())));

    form.answers = {UserInterface::Answer::Yes};
    form.findChild<QAction*>(QStringLiteral("New1"))->trigger();

    auto* area = form.findChild<QScrollArea*>(QStringLiteral("WorkArea"));
    QVERIFY(area != nullptr);
    QWidget* client = area->widget();
    const bool roomy = available.width() >= TForm1::ClientWidth + 8 && available.height() >= 768;
    if (roomy) {
        // Where the screen has room the layout is the designed one, unscrolled.
        QCOMPARE(client->size(), QSize(TForm1::ClientWidth, TForm1::ClientHeight));
        QVERIFY(!area->horizontalScrollBar()->isVisible() && !area->verticalScrollBar()->isVisible());
    }

    // Every menu title shows whole in the menu bar.
    QMenuBar* bar = form.menuBar();
    for (QAction* menu : bar->actions()) {
        QVERIFY2(bar->rect().contains(bar->actionGeometry(menu)), qPrintable(menu->text()));
    }

    QList<QWidget*> controls;
    for (QWidget* widget : client->findChildren<QWidget*>()) {
        if (!widget->accessibleDescription().isEmpty() && widget->isVisibleTo(&form)) {
            controls << widget;
        }
    }
    QVERIFY(controls.size() > 40);
    QWidget* viewport = area->viewport();
    for (QWidget* control : controls) {
        const QString name = control->accessibleDescription();
        // Title bars and panels may run past the client area's edge; what
        // takes input lies wholly inside it.
        QVERIFY2(takesInput(control) ? client->rect().contains(rectIn(control, client))
                                     : client->rect().intersects(rectIn(control, client)),
                 qPrintable(name));
        // Scrolled as far as it goes towards the control, the work area shows
        // all of it, or all it can of a control larger than itself.
        area->horizontalScrollBar()->setValue(rectIn(control, client).left());
        area->verticalScrollBar()->setValue(rectIn(control, client).top());
        const QRect shown = rectIn(control, viewport);
        if (control->width() <= viewport->width() && control->height() <= viewport->height()) {
            QVERIFY2(viewport->rect().contains(shown), qPrintable(name));
        } else {
            QVERIFY2(viewport->rect().intersects(shown), qPrintable(name));
        }
        if (!takesInput(control)) {
            continue;
        }
        for (QWidget* other : controls) {
            if (other == control || other->isAncestorOf(control) || control->isAncestorOf(other)) {
                continue;
            }
            QVERIFY2(!rectIn(control, client).intersects(rectIn(other, client)),
                     qPrintable(name + QStringLiteral(" under ") + other->accessibleDescription()));
        }
    }
}

// The row counter and the grid's titles read whole however the screen
// scales the window's fonts.
void TestScreens::countsAndTitlesShowWhole()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.answers = {UserInterface::Answer::Yes};
    form.findChild<QAction*>(QStringLiteral("New1"))->trigger();

    form.workspace().ReplaceTotals(Totals(Totals::Boxes{}, "999999 Εγγραφές-999999 μοναδικοί ΑΦΜ"));
    form.Refresh();
    auto* counter = form.findChild<QLabel*>(QStringLiteral("Label32"));
    const QRect room = counter->contentsRect();
    QVERIFY(room.contains(counter->fontMetrics().boundingRect(
        room, Qt::TextWordWrap | int(counter->alignment()), counter->text())));

    auto* grid = form.findChild<TMultiLineGrid*>(QStringLiteral("dbGrid1"));
    const QFontMetrics metrics(grid->TitleRow()->font());
    const int shown = TTitleRow::LinesShown(grid->TitleHeight(), metrics);
    for (int column = 0; column < grid->model()->columnCount(); ++column) {
        const QString title = grid->model()->headerData(column, Qt::Horizontal).toString();
        const QRect cell(0, 0, grid->columnWidth(column), grid->TitleHeight());
        const auto lines = TTitleRow::LayOut(title, cell, Qt::AlignCenter, metrics);
        QVERIFY2(int(lines.size()) <= shown, qPrintable(title));
        for (const TTitleRow::TLine& line : lines) {
            QVERIFY2(line.left >= 0 &&
                         line.left + metrics.horizontalAdvance(line.text.trimmed()) <= cell.width(),
                     qPrintable(title));
        }
    }
    // A row holds a line of capitals with their accents, drawn from its top.
    const QFontMetrics cells = grid->fontMetrics();
    const QRect accented = cells.boundingRect(QString::fromUtf8("ΆΓΓΕΛΟΣ Ώ Έ Ή Ί Ό Ύ Ϊ"));
    QVERIFY(grid->TextTop() + cells.ascent() + accented.top() >= 0);
    QVERIFY(grid->TextTop() + cells.ascent() + accented.bottom() < grid->RowHeight());
    QVERIFY(grid->TextTop() + cells.height() <= grid->RowHeight());
}

QTEST_MAIN(TestScreens)
#include "tst_screens.moc"
