#include "app/WheelKeyFilter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

namespace {

// A widget that notes the keys and wheel turns that reach it.
class KeyRecorder : public QWidget
{
public:
    QList<int> keys;
    int wheels = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys << event->key(); }
    void wheelEvent(QWheelEvent* event) override
    {
        ++wheels;
        event->accept();
    }
};

void turnWheel(QWidget* widget, QPoint angle)
{
    const QPointF at(5, 5);
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), angle, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

} // namespace

class TestWheelKeyFilter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_filter = new WheelKeyFilter(this);
        qApp->installEventFilter(m_filter);
    }
    void cleanup() { delete m_filter; }

    void wheelTowardsTheUserPressesDown();
    void wheelAwayFromTheUserPressesUp();
    void eachStepIsOneKeyPress();
    void sidewaysScrollingIsLeftAlone();
    void wheelOverATableMovesTheCurrentRow();
    void removedFilterTranslatesNothing();

private:
    WheelKeyFilter* m_filter = nullptr;
};

void TestWheelKeyFilter::wheelTowardsTheUserPressesDown()
{
    KeyRecorder widget;
    turnWheel(&widget, QPoint(0, -120));
    QCOMPARE(widget.keys, QList<int>{Qt::Key_Down});
    QCOMPARE(widget.wheels, 0);
}

void TestWheelKeyFilter::wheelAwayFromTheUserPressesUp()
{
    KeyRecorder widget;
    turnWheel(&widget, QPoint(0, 120));
    QCOMPARE(widget.keys, QList<int>{Qt::Key_Up});
}

void TestWheelKeyFilter::eachStepIsOneKeyPress()
{
    KeyRecorder widget;
    turnWheel(&widget, QPoint(0, -120));
    turnWheel(&widget, QPoint(0, -120));
    turnWheel(&widget, QPoint(0, 240)); // a fast turn is still one message
    QCOMPARE(widget.keys, (QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}));
}

void TestWheelKeyFilter::sidewaysScrollingIsLeftAlone()
{
    KeyRecorder widget;
    turnWheel(&widget, QPoint(120, 0));
    turnWheel(&widget, QPoint(0, 0));
    QVERIFY(widget.keys.isEmpty());
    QCOMPARE(widget.wheels, 2);
}

void TestWheelKeyFilter::wheelOverATableMovesTheCurrentRow()
{
    QStandardItemModel model(10, 3);
    QTableView table;
    table.setModel(&model);
    table.resize(300, 200);
    table.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table));
    table.setCurrentIndex(model.index(4, 1));
    // The wheel arrives at the view's viewport, the widget under the mouse.
    turnWheel(table.viewport(), QPoint(0, -120));
    QCOMPARE(table.currentIndex().row(), 5);
    turnWheel(table.viewport(), QPoint(0, -120));
    turnWheel(table.viewport(), QPoint(0, 120));
    QCOMPARE(table.currentIndex().row(), 5);
    QCOMPARE(table.currentIndex().column(), 1);
}

void TestWheelKeyFilter::removedFilterTranslatesNothing()
{
    delete m_filter;
    m_filter = nullptr;
    KeyRecorder widget;
    turnWheel(&widget, QPoint(0, -120));
    QVERIFY(widget.keys.isEmpty());
    QCOMPARE(widget.wheels, 1);
}

QTEST_MAIN(TestWheelKeyFilter)
#include "tst_wheelkeyfilter.moc"
