#pragma once

#include <QString>
#include <QWidget>

// Every control carries its object name, the words a screen reader says for
// it (its visible label) and, as its accessible description, the object name
// again, by which tools that drive the window find it.
inline void NameControl(QWidget* widget, const char* objectName, const QString& spoken)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleDescription(QString::fromLatin1(objectName));
    widget->setAccessibleName(spoken);
}
