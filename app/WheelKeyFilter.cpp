#include "app/WheelKeyFilter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>

bool WheelKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Wheel || !watched->isWidgetType()) {
        return QObject::eventFilter(watched, event);
    }
    const auto* wheel = static_cast<QWheelEvent*>(event);
    // Sideways scrolling and the empty begin/end events of touchpads carry
    // no vertical turn; they keep their own meaning instead of becoming a
    // stray Down press.
    const int turn = wheel->angleDelta().y();
    if (turn == 0) {
        return QObject::eventFilter(watched, event);
    }
    QKeyEvent press(QEvent::KeyPress, turn > 0 ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(watched, &press);
    return true;
}
