#include "FormFixture.h"
#include "app/AboutBox.h"
#include "app/UserManual.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

namespace {

const QString ResourceFolder = QStringLiteral(ROZARO_SOURCE_DIR "/resources");

void typeKey(QWidget* window, int key)
{
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : window;
    QTest::keyClick(target, static_cast<Qt::Key>(key));
}

QString pageName(const TUserManual& manual)
{
    return QFileInfo(manual.Page().toLocalFile()).fileName();
}

QStringList unnamedControls(QWidget* window)
{
    QStringList missing;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->objectName().isEmpty() || widget->objectName().startsWith(QLatin1String("qt_")) ||
            widget->parentWidget()->inherits("QAbstractScrollArea"))
            continue;
        if (widget->accessibleName().isEmpty() || widget->accessibleDescription() != widget->objectName())
            missing << widget->objectName();
    }
    return missing;
}

} // namespace

class TestAuxWindows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aboutBoxCountsTheHiddenSequenceOncePerKey();
    void aboutBoxHasItsLayoutAndTexts();
    void manualLinksLoadTheirPages();
    void helpPagesLinkOnlyToPagesThatExist();
    void manualComesBackRestoredOnTheSetupPage();
    void auxiliaryEntriesWorkInTheStartState();
};

void TestAuxWindows::aboutBoxCountsTheHiddenSequenceOncePerKey()
{
    TAboutBox box;
    QStringList shown;
    box.ShowContact = [&](const QString& text) { shown << text; };
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    auto type = [&](std::initializer_list<int> keys) {
        for (int key : keys)
            typeKey(&box, key);
        return box.Counter();
    };
    QCOMPARE(box.Counter(), 0);
    QCOMPARE(type({Qt::Key_R}), 1);
    QCOMPARE(type({Qt::Key_R}), 0); // the first key twice in a row
    QCOMPARE(type({Qt::Key_R, Qt::Key_O, Qt::Key_Z}), 3);
    QCOMPARE(type({Qt::Key_Q, Qt::Key_1}), 3); // keys outside the sequence leave it alone
    QCOMPARE(type({Qt::Key_O}), 0);            // a letter out of its place
    QCOMPARE(type({Qt::Key_F12}), 0);
    QVERIFY(shown.isEmpty());
    QCOMPARE(type({Qt::Key_R, Qt::Key_O, Qt::Key_Z, Qt::Key_A, Qt::Key_N}), 5);
    type({Qt::Key_F12});
    QCOMPARE(shown, QStringList{QString::fromUtf8(TAboutBox::ContactText)});
    QCOMPARE(box.Counter(), 5);
    QCOMPARE(type({Qt::Key_R}), 0);

    // Every opening starts afresh.
    TAboutBox second;
    QCOMPARE(second.Counter(), 0);
}

void TestAuxWindows::aboutBoxHasItsLayoutAndTexts()
{
    TAboutBox box;
    QCOMPARE(box.windowTitle(), QString::fromUtf8("Σχετικά"));
    QCOMPARE(box.size(), QSize(298, 213));
    QCOMPARE(box.findChild<QLabel*>(QStringLiteral("ProductName"))->text(),
             QString::fromUtf8("Rozaro\n Έκδοση για Εκκαθαριστές\nΔημοσίου"));
    auto* line = box.findChild<QLabel*>(QStringLiteral("Comments"));
    QCOMPARE(line->text(),
             QString::fromUtf8("Ηλεκτρονική Υποβολή Οριστικών Δηλώσεων Φόρου Μισθωτών Υπηρεσιών"));
    QVERIFY(line->wordWrap());
    auto* ok = box.findChild<QPushButton*>(QStringLiteral("OKButton"));
    QVERIFY(ok->isDefault());
    const QStringList missing = unnamedControls(&box);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(','))));
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    ok->click();
    QVERIFY(!box.isVisible());

    // Centred on the screen, not on a main window moved into a corner.
    QWidget owner;
    owner.setGeometry(0, 0, 400, 300);
    owner.show();
    TAboutBox owned(&owner);
    owned.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owned));
    const QPoint offset = owned.frameGeometry().center() - owned.screen()->availableGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 4, qPrintable(QString::number(offset.manhattanLength())));
}

void TestAuxWindows::manualLinksLoadTheirPages()
{
    TUserManual manual(ResourceFolder);
    QCOMPARE(manual.windowTitle(), QString::fromUtf8("Οδηγίες εφαρμογής"));
    QCOMPARE(manual.size(), QSize(944, 638));
    QCOMPARE(pageName(manual), QStringLiteral("setup.htm"));
    manual.show();
    QVERIFY(QTest::qWaitForWindowExposed(&manual));
    auto* viewer = manual.findChild<QTextBrowser*>(QStringLiteral("WebBrowser1"));
    QCOMPARE(viewer->size(), QSize(761, 633));

    const struct
    {
        const char* label;
        const char* caption;
        const char* page;
    } links[] = {{"Label3", "Οδηγίες χρήσης εφαρμογής", "usermanual.htm"},
                 {"Label4", "Όροι χρήσης εφαρμογής", "oroi.htm"},
                 {"Label2", "Οδηγίες εγκατάστασης", "setup.htm"}};
    for (const auto& link : links) {
        auto* label = manual.findChild<QLabel*>(QString::fromLatin1(link.label));
        QCOMPARE(label->text(), QString::fromUtf8(link.caption));
        QVERIFY(label->font().bold());
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(label, Qt::LeftButton);
        QCOMPARE(pageName(manual), QString::fromLatin1(link.page));
        // The page itself is there and is the one its link names.
        QCOMPARE(viewer->documentTitle(), QString::fromUtf8(link.caption));
    }
    // A focused link opens with Enter as well.
    auto* usage = manual.findChild<QLabel*>(QStringLiteral("Label3"));
    usage->setFocus();
    QTest::keyClick(usage, Qt::Key_Return);
    QCOMPARE(pageName(manual), QStringLiteral("usermanual.htm"));
    QCOMPARE(manual.findChild<QPushButton*>(QStringLiteral("Button1"))->text(),
             QString::fromUtf8("Εκτύπωση"));
    const QStringList missing = unnamedControls(&manual);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(','))));
}

void TestAuxWindows::helpPagesLinkOnlyToPagesThatExist()
{
    const QDir help(ResourceFolder + QStringLiteral("/Help"));
    // A link within its own page names no file: "#part".
    const QRegularExpression href(QStringLiteral("href=\"([^\"#:]*)(#[^\"]*)?\""));
    const QRegularExpression anchor(QStringLiteral("id=\"([^\"]+)\""));
    for (const char* page : {"setup.htm", "usermanual.htm", "oroi.htm"}) {
        QFile file(help.filePath(QString::fromLatin1(page)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        for (const auto& match : href.globalMatch(html)) {
            const QString target =
                match.captured(1).isEmpty() ? QString::fromLatin1(page) : match.captured(1);
            QVERIFY2(help.exists(target),
                     qPrintable(QString::fromLatin1(page) + QStringLiteral(" -> ") + target));
            if (match.captured(2).isEmpty())
                continue;
            QFile linked(help.filePath(target));
            QVERIFY(linked.open(QIODevice::ReadOnly));
            const QString id = match.captured(2).mid(1);
            QVERIFY2(
                QString::fromUtf8(linked.readAll()).contains(QStringLiteral("id=\"") + id + QLatin1Char('"')),
                qPrintable(QString::fromLatin1(page) + QStringLiteral(" -> #") + id));
        }
    }
}

void TestAuxWindows::manualComesBackRestoredOnTheSetupPage()
{
    TUserManual manual(ResourceFolder);
    manual.Present(TUserManual::Usage);
    QVERIFY(QTest::qWaitForWindowExposed(&manual));
    manual.showMinimized();
    QVERIFY(manual.isMinimized());
    manual.Present(TUserManual::Setup);
    QVERIFY(!manual.isMinimized());
    QVERIFY(manual.isVisible());
    QCOMPARE(pageName(manual), QStringLiteral("setup.htm"));
}

void TestAuxWindows::auxiliaryEntriesWorkInTheStartState()
{
    ProgramFolder folder;
    QDir().mkpath(folder.filePath(QStringLiteral("Help")));
    for (const char* page : {"setup.htm", "usermanual.htm", "oroi.htm"})
        QFile::copy(ResourceFolder + QStringLiteral("/Help/") + QString::fromLatin1(page),
                    folder.filePath(QStringLiteral("Help/")) + QString::fromLatin1(page));
    RecordingForm form(folder.path());
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto action = [&](const char* name) { return form.findChild<QAction*>(QString::fromLatin1(name)); };
    for (const char* name : {"N9", "zip1", "e1", "N13", "N12"})
        QVERIFY2(action(name)->isEnabled(), name);

    // F1 in the main window brings up the usage page; the menu entry the setup page.
    QTest::keyClick(form.findChild<QLineEdit*>(QStringLiteral("YearOfData")), Qt::Key_F1);
    TUserManual& manual = form.UserManual();
    QVERIFY(manual.isVisible());
    QCOMPARE(pageName(manual), QStringLiteral("usermanual.htm"));
    QCOMPARE(manual.Page().toLocalFile(), folder.filePath(QStringLiteral("Help/usermanual.htm")));
    action("N13")->trigger();
    QCOMPARE(pageName(manual), QStringLiteral("setup.htm"));

    // The about box is modal and made for this opening only.
    QPointer<TAboutBox> opened;
    DuringModal(
        [&] {
            opened = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
            if (opened)
                opened->accept();
        },
        [&] { action("N12")->trigger(); });
    QVERIFY(opened.isNull());
    QVERIFY(form.errors.empty() && form.messages.empty());

    // The shortcut lands in the desktop folder of the person running the program.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    action("N9")->trigger();
    QVERIFY(QFileInfo::exists(home.filePath(QString::fromUtf8("Desktop/Rozaro - Έκδοση Δημοσίου.desktop"))));
    QVERIFY(form.messages.empty());

    // Closing the program closes the manual with it.
    form.close();
    QVERIFY(!manual.isVisible());
}

QTEST_MAIN(TestAuxWindows)
#include "tst_auxwindows.moc"
