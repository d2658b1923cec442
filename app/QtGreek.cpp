#include "app/QtGreek.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

namespace {

// Hides the page preview of the page setup before it first shows.
class PagePreviewHider : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The preview is the page setup's box named "preview"; the group
        // around it, titled for it alone, goes with it.
        if (event->type() == QEvent::Polish && watched->isWidgetType() &&
            watched->objectName() == QLatin1String("preview")) {
            auto* preview = static_cast<QWidget*>(watched);
            QWidget* setup = preview->parentWidget();
            while (setup != nullptr && !setup->inherits("QPageSetupWidget")) {
                setup = setup->parentWidget();
            }
            if (setup != nullptr) {
                QWidget* group = preview->parentWidget();
                (group != setup && group->inherits("QGroupBox") ? group : preview)->setVisible(false);
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

bool UseGreekSystemLocale()
{
    // Qt reads the desktop's locale from the environment once, at its first
    // use: it is read now under the Greek one, and the environment is put
    // back for the C library and for the programs this one starts.
    const bool wasSet = qEnvironmentVariableIsSet("LC_ALL");
    const QByteArray desktop = qgetenv("LC_ALL");
    qputenv("LC_ALL", "el_GR.UTF-8");
    const bool greek = QLocale::system().language() == QLocale::Greek;
    if (wasSet) {
        qputenv("LC_ALL", desktop);
    } else {
        qunsetenv("LC_ALL");
    }
    return greek;
}

bool InstallQtGreek(QCoreApplication& app)
{
    app.installEventFilter(new PagePreviewHider(&app));
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral(":/translations/qtbase_el.qm"))) {
        delete translator;
        return false;
    }
    // Dates and numbers in the dialogs (file sizes, modification dates) as
    // the texts around them.
    QLocale::setDefault(QLocale(QLocale::Greek, QLocale::Greece));
    return QCoreApplication::installTranslator(translator);
}
