// Every standard dialog the program shows speaks Greek: the texts of Qt's own
// widgets come from the program's Greek catalogue. Each dialog is opened as
// the program opens it and every visible text is searched for a Latin word.
#include "FormFixture.h"
#include "app/PrintForm.h"
#include "app/QtGreek.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QRegularExpression>
#include <QTabBar>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

// Latin words a Greek desktop shows as they are: a file type's name, units.
const QStringList Allowed{QStringLiteral("PDF"), QStringLiteral("mm"), QStringLiteral("LTR")};

// The Latin words of a text shown to the person, leaving out file patterns
// ("PDF (*.pdf)") and paths.
QStringList LatinWords(QString text)
{
    text.remove(QLatin1Char('&'));
    text.remove(QRegularExpression(QStringLiteral("\\([^)]*\\*[^)]*\\)")));
    text.remove(QRegularExpression(QStringLiteral("\\S*/\\S*")));
    text.remove(QRegularExpression(QStringLiteral("\\*\\.\\S*")));
    QStringList words;
    auto it = QRegularExpression(QStringLiteral("[A-Za-z]{2,}")).globalMatch(text);
    while (it.hasNext()) {
        const QString word = it.next().captured();
        if (!Allowed.contains(word))
            words << word;
    }
    return words;
}

// Every text of `root` the person can see: labels, buttons, group and tab
// titles, column headers, the chosen entry of a list and the window title.
QStringList VisibleTexts(QWidget* root)
{
    QStringList texts{root->windowTitle()};
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(root))
            continue;
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            texts << group->title();
        else if (auto* combo = qobject_cast<QComboBox*>(w); combo && !combo->isEditable())
            texts << combo->currentText();
        if (auto* tabs = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                texts << tabs->tabText(i);
        if (auto* header = qobject_cast<QHeaderView*>(w); header && header->model())
            for (int i = 0; i < header->count(); ++i)
                if (!header->isSectionHidden(i))
                    texts << header->model()->headerData(i, header->orientation()).toString();
    }
    // Without the marks of the keyboard accelerators, as the person reads them.
    texts.replaceInStrings(QStringLiteral("&"), QString());
    return texts;
}

QStringList MenuTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
    return texts;
}

// With ROZARO_DIALOG_SHOTS set to a folder, each dialog is also saved as a
// picture there, to be looked at as the person sees it.
void Shoot(QWidget* dialog)
{
    static int count = 0;
    const QString folder = qEnvironmentVariable("ROZARO_DIALOG_SHOTS");
    if (!folder.isEmpty())
        dialog->grab().save(QStringLiteral("%1/dialog-%2.png").arg(folder).arg(++count));
}

// The texts that still carry a Latin word, each with its words.
QStringList Untranslated(const QStringList& texts)
{
    QStringList found;
    for (const QString& text : texts)
        if (const QStringList words = LatinWords(text); !words.isEmpty())
            found << text + QStringLiteral(" → ") + words.join(QLatin1Char(' '));
    return found;
}

// Runs `open`, which shows a modal dialog, and reads the dialog's texts while it is up.
QStringList TextsOfModal(const std::function<void()>& open)
{
    QStringList texts;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr)
            return;
        texts = VisibleTexts(dialog);
        Shoot(dialog);
        // The print dialog keeps its options folded away until asked.
        for (auto* more : dialog->findChildren<QAbstractButton*>())
            if (more->isVisible() && more->text().endsWith(QStringLiteral(">>"))) {
                more->click();
                QCoreApplication::processEvents();
                texts << VisibleTexts(dialog);
                Shoot(dialog);
            }
        if (auto* box = qobject_cast<QDialog*>(dialog))
            box->reject();
    });
    open();
    return texts;
}

bool greekSystemLocale = false;

// The main window with its file dialogs read instead of run.
class DialogReadingForm : public TForm1
{
public:
    using TForm1::TForm1;
    QStringList texts;
    QStringList cells; // of the files listed in the detail view

protected:
    QString RunFileDialog(QFileDialog& dialog) override
    {
        dialog.show();
        QCoreApplication::processEvents();
        texts << VisibleTexts(&dialog);
        // The detail view adds the column headers.
        if (auto* detail = dialog.findChild<QAbstractButton*>(QStringLiteral("detailModeButton")))
            detail->click();
        QCoreApplication::processEvents();
        texts << VisibleTexts(&dialog);
        if (auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("treeView"))) {
            // The folder is read in the background.
            for (int wait = 0; wait < 100 && view->model()->rowCount(view->rootIndex()) == 0; ++wait)
                QTest::qWait(20);
            for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
                for (int column = 0; column < view->model()->columnCount(view->rootIndex()); ++column)
                    cells << view->model()->index(row, column, view->rootIndex()).data().toString();
        }
        Shoot(&dialog);
        dialog.hide();
        return {};
    }
};

} // namespace

class TestGreekDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(InstallQtGreek(*QCoreApplication::instance())); }

    void textFinderSeesLatinWordsOnly()
    {
        QCOMPARE(LatinWords(QStringLiteral("&Cancel")), QStringList{QStringLiteral("Cancel")});
        QVERIFY(LatinWords(QStringLiteral("PDF (*.pdf) /tmp/rozaro 12 Αρχεία τύπου:")).isEmpty());
    }

    void fileDialogsOfTheMainWindow()
    {
        ProgramFolder folder;
        DialogReadingForm form(folder.path());
        QFile large(folder.filePath(QStringLiteral("large.txt")));
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(1550000));
        large.close();
        std::string path;
        form.ChooseOpenFile(folder.path().toStdString(), "*.*", path);
        form.ChooseSaveFile(folder.path().toStdString(), "123-Rozaro", "", path);
        QVERIFY(form.texts.contains(QString::fromUtf8("Αναζήτηση σε:")));
        QVERIFY(form.texts.contains(QString::fromUtf8("Αρχεία τύπου:")));
        QVERIFY(form.texts.contains(QString::fromUtf8("Όνομα")));
        QVERIFY(form.texts.contains(QString::fromUtf8("Ημερομηνία τροποποίησης")));
        QCOMPARE(Untranslated(form.texts), QStringList());
        // Sizes and numbers as a Greek desktop shows them, though this one is not.
        QVERIFY2(form.cells.contains(QLocale::system().formattedDataSize(1550000)),
                 qPrintable(form.cells.join(QLatin1Char('|'))));
        QVERIFY2(form.cells.join(QLatin1Char('|')).contains(QStringLiteral("1,48")),
                 qPrintable(form.cells.join(QLatin1Char('|'))));
    }

    void systemLocaleIsGreekWhileTheDesktopKeepsItsOwn()
    {
        QVERIFY(greekSystemLocale);
        QCOMPARE(QLocale::system().language(), QLocale::Greek);
        QCOMPARE(QLocale::system().toString(1.5), QStringLiteral("1,5"));
        // Nothing else sees the change: not the programs started from here.
        QCOMPARE(qgetenv("LC_ALL"), QByteArray("C.UTF-8"));
    }

    void pageSetupShowsNoFillerText()
    {
        TPrintForm window;
        QPrinter printer;
        int pageSetups = 0;
        bool previewShown = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr)
                return;
            // The page setup opens from the print dialog's properties button.
            auto* properties = dialog->findChild<QAbstractButton*>(QStringLiteral("properties"));
            if (properties != nullptr && properties->isEnabled()) {
                QTimer::singleShot(0, [&] {
                    QWidget* setup = QApplication::activeModalWidget();
                    for (QWidget* widget : setup->findChildren<QWidget*>()) {
                        pageSetups += widget->inherits("QPageSetupWidget") ? 1 : 0;
                        if (widget->objectName() == QLatin1String("preview"))
                            previewShown = previewShown || widget->isVisible();
                    }
                    if (auto* box = qobject_cast<QDialog*>(setup))
                        box->reject();
                });
                properties->click();
            }
            if (auto* box = qobject_cast<QDialog*>(dialog))
                box->reject();
        });
        window.ChoosePrinter(printer);
        QVERIFY(pageSetups > 0);
        QVERIFY(!previewShown);
    }

    void printAndPdfDialogsOfThePrintWindow()
    {
        TPrintForm window;
        QStringList texts = TextsOfModal([&] { window.ChoosePdfFile(QStringLiteral("report.pdf")); });
        QVERIFY(texts.contains(QString::fromUtf8("Αποθήκευση")));
        QPrinter printer;
        const QStringList print = TextsOfModal([&] { window.ChoosePrinter(printer); });
        QVERIFY(print.contains(QString::fromUtf8("Αντίγραφα:")));
        QVERIFY(print.contains(QString::fromUtf8("Άκυρο")));
        QCOMPARE(Untranslated(texts + print), QStringList());
    }

    void messageBoxesAndContextMenus()
    {
        ProgramFolder folder;
        TForm1 form(folder.path());
        QStringList texts = TextsOfModal([&] { form.ShowMessage("Μήνυμα"); });
        QVERIFY(texts.contains(QString::fromUtf8("Εντάξει")));

        QLineEdit* field = form.findChild<QLineEdit*>();
        QVERIFY(field != nullptr);
        std::unique_ptr<QMenu> fieldMenu(field->createStandardContextMenu());
        texts << MenuTexts(fieldMenu.get());
        QVERIFY(texts.contains(QString::fromUtf8("Επιλογή όλων")));

        TPrintForm window;
        QTextBrowser* browser = window.findChild<QTextBrowser*>();
        QVERIFY(browser != nullptr);
        browser->setHtml(QStringLiteral("<a href=\"x\">x</a>"));
        std::unique_ptr<QMenu> viewMenu(browser->createStandardContextMenu(QPoint(2, 2)));
        texts << MenuTexts(viewMenu.get());
        QCOMPARE(Untranslated(texts), QStringList());
    }
};

// The desktop speaks another language: its locale is plain C.
int main(int argc, char* argv[])
{
    qputenv("LC_ALL", "C.UTF-8");
    greekSystemLocale = UseGreekSystemLocale();
    QApplication app(argc, argv);
    TestGreekDialogs test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_greekdialogs.moc"
