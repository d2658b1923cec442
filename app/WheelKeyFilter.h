#pragma once

#include <QObject>

// Installed on the application: every turn of the mouse wheel becomes a press
// of the Up key (wheel turned away from the user) or the Down key (towards
// the user), delivered to the widget under the wheel. Turning the wheel over
// the grid so moves the current row one row per step, as a keyboard user
// would, instead of scrolling rows out of sight of the editor.
class WheelKeyFilter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
