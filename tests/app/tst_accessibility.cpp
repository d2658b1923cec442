#include "FormFixture.h"

#include "app/AboutBox.h"
#include "app/Find.h"
#include "app/PrintForm.h"
#include "app/UserManual.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTextEdit>

namespace {

// The controls a person works with: buttons, fields, lists and views. Parts
// that a control is made of (the field inside a combo box, a view's cell
// editor) speak through their control and are left out.
bool IsControl(QWidget* widget)
{
    for (QWidget* up = widget->parentWidget(); up != nullptr; up = up->parentWidget()) {
        if (qobject_cast<QComboBox*>(up) || qobject_cast<QAbstractItemView*>(up))
            return false;
    }
    // Qt's own helpers (the menu bar's overflow button) are named "qt_…".
    if (qobject_cast<QHeaderView*>(widget) || widget->objectName().startsWith(QLatin1String("qt_")))
        return false;
    return qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
           qobject_cast<QComboBox*>(widget) || qobject_cast<QAbstractItemView*>(widget) ||
           qobject_cast<QTextEdit*>(widget);
}

// Every control of `window` without the name a screen reader says or the
// description by which tools find it.
QStringList Unnamed(QWidget* window)
{
    QStringList missing;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (IsControl(widget) && (widget->accessibleName().isEmpty() || widget->accessibleDescription().isEmpty()))
            missing << QStringLiteral("%1 %2 '%3' '%4'")
                           .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName(),
                                widget->accessibleName(), widget->accessibleDescription());
    }
    return missing;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyControlOfEveryWindowIsNamed();
};

void TestAccessibility::everyControlOfEveryWindowIsNamed()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    form.answers = {UserInterface::Answer::Yes};
    form.findChild<QAction*>(QStringLiteral("New1"))->trigger();
    QCOMPARE(Unnamed(&form).join(u'\n'), QString());
    QCOMPARE(Unnamed(form.findChild<TFind*>()).join(u'\n'), QString());

    TPrintForm print;
    QCOMPARE(Unnamed(&print).join(u'\n'), QString());
    TUserManual manual(folder.path());
    QCOMPARE(Unnamed(&manual).join(u'\n'), QString());
    TAboutBox about;
    QCOMPARE(Unnamed(&about).join(u'\n'), QString());
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
