#include "app/QtGreek.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

bool InstallQtGreek(QCoreApplication& app)
{
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
