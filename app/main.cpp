#include "app/Form1.h"
#include "app/Form2.h"
#include "app/InstanceGuard.h"
#include "app/PrintForm.h"
#include "app/QtGreek.h"
#include "app/QuestionBox.h"
#include "workspace/ProgramFolders.h"
#include "workspace/Workspace.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    UseGreekSystemLocale();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Rozaro"));
    InstallQtGreek(app);
    QIcon icon(QStringLiteral(":/icons/rozaro.png"));
    icon.addFile(QStringLiteral(":/icons/rozaro-256.png"));
    QApplication::setWindowIcon(icon);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));

    InstanceGuard guard;
    // The lock lies beside the working files it protects.
    if (!guard.Acquire(ProgramFolders::ForRunningProgram().working)) {
        QMessageBox refusal(QMessageBox::NoIcon, QString::fromUtf8(TForm1::ApplicationTitle),
                            QString::fromUtf8("Η εφαρμογή εκτελείται ήδη από αυτόν τον φάκελο."),
                            QMessageBox::Ok);
        // Like every other box of the program: the caption without a picture.
        refusal.button(QMessageBox::Ok)->setIcon(QIcon());
        QuestionBox::KeepTitleWhole(refusal);
        refusal.exec();
        return 1;
    }

    TForm1 form1;
    TForm2 form2(&form1);
    form1.SetWaitWindow(&form2);
    TPrintForm printForm(&form1);
    form1.SetPrintWindow(&printForm);
    // The folder is ours now: work that a program left in it without closing
    // is offered back before anything else.
    form1.RunCommand([&form1] { form1.RecoverLeftoverWork(); });
    form1.show();
    // A desktop without a window manager activates nothing by itself, and
    // the menu shortcuts work only in the active window.
    form1.activateWindow();
    return QApplication::exec();
}
