#include "FormFixture.h"

#include "app/Find.h"
#include "app/KeyLed.h"
#include "app/PrintForm.h"
#include "fileio/AtomicWriter.h"
#include "workspace/WorkKeeper.h"
#include "workspace/Workspace.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <array>
#include <cerrno>
#include <deque>
#include <functional>

namespace {

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// Caps Lock as a switch the test can read.
class StubKeyLed : public TKeyLed
{
public:
    explicit StubKeyLed(bool& on) : m_on(on) {}
    bool CapsLock() const override { return m_on; }
    void SetCapsLock(bool on) override { m_on = on; }

private:
    bool& m_on;
};

// The main window after "Νέο", with its file dialogs answered from a queue
// (an empty answer cancels) and its Caps Lock stood in for.
class CommandsForm : public RecordingForm
{
public:
    explicit CommandsForm(const QString& folder) : RecordingForm(folder)
    {
        SetKeyLed(std::make_unique<StubKeyLed>(capsLock));
        show();
        QApplication::setActiveWindow(this);
        if (!QTest::qWaitForWindowActive(this)) {
            qWarning("window not active");
        }
        answers = {Answer::Yes};
        findChild<QAction*>(QStringLiteral("New1"))->trigger();
        questions.clear();
        Workspace& ws = workspace();
        ws.Header.YearOfData = "2025";
        ws.Header.AFM = "094014201";
        ws.Header.CompanyName = "MINISTRY";
        // Made-up numbers: the import mode keeps the number questions away.
        ws.SetImporting(true);
    }

    void AddRow(const char* afm, const char* surname)
    {
        TFixedFormatDataSet& rows = workspace().FixedFormatDataSet1;
        rows.Append();
        rows.FieldByName("AFM").SetAsString(afm);
        rows.FieldByName("SurName").SetAsString(surname);
        rows.FieldByName("TypeInc").SetAsString("10");
        rows.FieldByName("AkaInc").SetAsString("1000");
        rows.FieldByName("Kratiseis").SetAsString("0");
        rows.FieldByName("Kathares").SetAsString("1000");
        rows.Post();
    }

    bool capsLock = false; // as the person had it before the program started
    std::deque<QString> fileAnswers;
    std::vector<bool> capsLockDuringDialogs;

protected:
    QString RunFileDialog(QFileDialog&) override
    {
        capsLockDuringDialogs.push_back(capsLock);
        const QString answer = fileAnswers.empty() ? QString() : fileAnswers.front();
        if (!fileAnswers.empty()) {
            fileAnswers.pop_front();
        }
        return answer;
    }
};

// Runs `inside` on the find dialog once it is up, and says whether it came up.
bool withFindDialog(CommandsForm& form, const std::function<void(TFind&)>& inside)
{
    bool shown = false;
    DuringModal(
        [&] {
            if (auto* find = qobject_cast<TFind*>(QApplication::activeModalWidget())) {
                shown = true;
                inside(*find);
                if (find->isVisible()) {
                    find->reject();
                }
            }
        },
        [&] { form.findChild<QAction*>(QStringLiteral("N18"))->trigger(); });
    return shown;
}

template <typename T> T* child(QObject& parent, const char* name)
{
    return parent.findChild<T*>(QString::fromLatin1(name));
}

// Chooses the field, the whole-words box and the text, and presses "ΟΚ".
void search(TFind& find, bool byAfm, bool wholeWords, const QString& text)
{
    child<QRadioButton>(find, byAfm ? "RadioButton1" : "RadioButton2")->click();
    child<QCheckBox>(find, "CheckBox2")->setChecked(wholeWords);
    QLineEdit* edit = child<QLineEdit>(find, "Edit1");
    edit->clear();
    typeText(edit, text);
    child<QPushButton>(find, "Button1")->click();
}

} // namespace

class TestWindowCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findMovesToTheFirstMatchAndSaysWhenNothingMatches();
    void findDialogFiltersItsTextAndKeepsItsState();
    void findStoresThePendingRowFirst();
    void fileDialogsOpenWithCapsLockOff();
    void capsLockIsOnOnlyWhileTheProgramIsInFront();
    void capsLockLeftOnByASessionThatNeverClosedIsGivenBack();
    void closingAfterAnUnfinishedSaveKeepsTheWindowOpen();
    void saveAsNewAndOpenThroughTheFileDialogs();
    void aFailingDiskKeepsTheFileTheRowsAndTheFlag();
};

void TestWindowCommands::findMovesToTheFirstMatchAndSaysWhenNothingMatches()
{
    ProgramFolder folder;
    CommandsForm form(folder.path());
    QVERIFY(form.findChild<QAction*>(QStringLiteral("N18"))->isEnabled());
    form.AddRow("090000045", "PAPAS");
    form.AddRow("123456783", "ANTONIOU");
    form.AddRow("000000050", "PAPADOPOULOS");
    TFixedFormatDataSet& rows = form.workspace().FixedFormatDataSet1;

    struct Case
    {
        bool byAfm;
        bool wholeWords;
        const char* key;
        int line;            // the current row afterwards
        const char* message; // the warning, if any
    };
    const Case cases[] = {
        {true, true, "123456783", 1, nullptr},
        {false, true, "PAPADOPOULOS", 2, nullptr},
        {false, false, "PAPA", 0, nullptr},
        {false, false, "ADOP", 0, "Δεν βρέθηκε το Επώνυμο"},
        {false, true, "papas", 0, "Δεν βρέθηκε το Επώνυμο"},
        {true, true, "12345678", 0, "Δεν βρέθηκε ο ΑΦΜ"},
        {true, false, "12345678", 1, nullptr},
    };
    auto* grid = form.findChild<QTableView*>(QStringLiteral("dbGrid1"));
    for (const Case& c : cases) {
        rows.Last();
        form.messages.clear();
        grid->setCurrentIndex(grid->model()->index(grid->model()->rowCount() - 1, 18));
        QVERIFY(withFindDialog(
            form, [&](TFind& find) { search(find, c.byAfm, c.wholeWords, QString::fromLatin1(c.key)); }));
        QCOMPARE(rows.CurrentLine(), c.line);
        QCOMPARE(form.messages, c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        if (c.message == nullptr) {
            // A found row is shown from its tax number, with the keyboard in the grid.
            QCOMPARE(grid->currentIndex(), grid->model()->index(c.line, 0));
            QCOMPARE(grid->horizontalScrollBar()->value(), 0);
            QTRY_COMPARE(QApplication::focusWidget(), grid);
        }
    }

    // "Ακύρωση" and Escape leave the row where it was.
    for (bool escape : {false, true}) {
        rows.Last();
        QVERIFY(withFindDialog(form, [&](TFind& find) {
            typeText(child<QLineEdit>(find, "Edit1"), QStringLiteral("X"));
            if (escape) {
                QTest::keyClick(&find, Qt::Key_Escape);
            } else {
                child<QPushButton>(find, "Button2")->click();
            }
        }));
        QCOMPARE(rows.CurrentLine(), 2);
    }
    QVERIFY(form.errors.empty());
}

void TestWindowCommands::findDialogFiltersItsTextAndKeepsItsState()
{
    ProgramFolder folder;
    CommandsForm form(folder.path());
    form.AddRow("090000045", "PAPAS");
    QVERIFY(withFindDialog(form, [&](TFind& find) {
        QCOMPARE(find.windowTitle(), QString::fromUtf8("Εύρεση"));
        QCOMPARE(find.size(), QSize(TFind::ClientWidth, TFind::ClientHeight));
        QVERIFY(child<QRadioButton>(find, "RadioButton1")->isChecked());
        QVERIFY(child<QCheckBox>(find, "CheckBox2")->isChecked());
        for (QWidget* control : find.findChildren<QWidget*>()) {
            QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
            QCOMPARE(control->accessibleDescription(), control->objectName());
        }
        // By tax number: digits only, nine at most, a beep for each other key.
        QLineEdit* edit = child<QLineEdit>(find, "Edit1");
        form.beeps = 0;
        typeText(edit, QStringLiteral("12a34-567890"));
        QCOMPARE(edit->text(), QStringLiteral("123456789"));
        QCOMPARE(form.beeps, 2);
        // By surname: any key, 27 at most; the digits typed so far stay.
        child<QRadioButton>(find, "RadioButton2")->click();
        typeText(edit, QString::fromUtf8("Α-") + QString(30, QLatin1Char('B')));
        QCOMPARE(edit->text().size(), 27);
        QCOMPARE(form.beeps, 2);
        edit->setText(QStringLiteral("PAP"));
        child<QCheckBox>(find, "CheckBox2")->setChecked(false);
        child<QPushButton>(find, "Button1")->click();
    }));
    QVERIFY(form.messages.empty());

    // The next time the dialog holds what was left in it.
    QVERIFY(withFindDialog(form, [&](TFind& find) {
        QVERIFY(child<QRadioButton>(find, "RadioButton2")->isChecked());
        QVERIFY(!child<QCheckBox>(find, "CheckBox2")->isChecked());
        QCOMPARE(child<QLineEdit>(find, "Edit1")->text(), QStringLiteral("PAP"));
        // Back to the tax number, a pasted letter is refused like a typed one.
        child<QRadioButton>(find, "RadioButton1")->click();
        QLineEdit* edit = child<QLineEdit>(find, "Edit1");
        edit->clear();
        form.beeps = 0;
        edit->insert(QStringLiteral("12X")); // as the context menu's paste puts text in
        QCOMPARE(edit->text(), QString());
        QCOMPARE(form.beeps, 1);
        find.reject();
    }));
}

void TestWindowCommands::findStoresThePendingRowFirst()
{
    ProgramFolder folder;
    CommandsForm form(folder.path());
    form.AddRow("090000045", "PAPAS");
    TFixedFormatDataSet& rows = form.workspace().FixedFormatDataSet1;

    // A row the checks refuse keeps the dialog shut; their message is all.
    rows.Edit();
    rows.FieldByName("Kathares").SetAsString("999");
    QVERIFY(!withFindDialog(form, [](TFind&) {}));
    QCOMPARE(form.messages.size(), size_t(1));
    QVERIFY(form.messages[0].rfind("Οι Καθαρές αποδοχές δε συμφωνούν", 0) == 0);
    QCOMPARE(rows.State(), TDataSetState::dsEdit);

    // A row that cannot even be read: the error shows, the row stays in edit.
    form.messages.clear();
    rows.FieldByName("AkaInc").SetAsString("12AB");
    QVERIFY(!withFindDialog(form, [](TFind&) {}));
    QCOMPARE(form.errors, std::vector<std::string>{"'12AB' is not a valid floating point value"});
    QCOMPARE(rows.State(), TDataSetState::dsEdit);
    QCOMPARE(rows.FieldByName("AkaInc").AsString(), std::string("12AB"));

    // A good row is stored before the dialog opens.
    rows.FieldByName("AkaInc").SetAsString("999");
    QVERIFY(withFindDialog(form, [](TFind& find) { find.reject(); }));
    QCOMPARE(rows.State(), TDataSetState::dsBrowse);
    QCOMPARE(rows.FieldText(0, 11), std::string("999"));
}

void TestWindowCommands::fileDialogsOpenWithCapsLockOff()
{
    ProgramFolder folder;
    CommandsForm form(folder.path());
    std::string path;
    QVERIFY(form.capsLock);
    QVERIFY(!form.ChooseOpenFile(folder.path().toStdString(), "*.*", path));
    QVERIFY(!form.ChooseSaveFile(folder.path().toStdString(), "x", "", path));
    QCOMPARE(form.capsLockDuringDialogs, (std::vector<bool>{false, false}));
    QVERIFY(form.capsLock);
    // Switched off by the person inside the program, it is on again once the
    // program is in front after the dialog (it used to stay off).
    form.capsLock = false;
    QVERIFY(!form.ChooseOpenFile(folder.path().toStdString(), "*.*", path));
    QVERIFY(form.capsLock);
}

// Caps Lock is on while the program is in front and given back as the person
// had it whenever it is not: another program active, a standard dialog open
// (the print window's PDF and print dialogs too), the program ended. It used
// to stay on for every program from start to exit.
// A killed session leaves the desktop's lock on, and the next start would
// take that for the person's own: the one that session kept is given back.
void TestWindowCommands::capsLockLeftOnByASessionThatNeverClosedIsGivenBack()
{
    // The switches as the killed session left them: on, and the program
    // takes that for the person's own. The form sees the lock through them.
    class LeftOnKeyLed : public StubKeyLed
    {
    public:
        LeftOnKeyLed(bool& seen) : StubKeyLed(m_on), m_seen(seen) {}
        void SetCapsLock(bool on) override { StubKeyLed::SetCapsLock(m_seen = on); }

    private:
        bool m_on = true;
        bool& m_seen;
    };
    ProgramFolder folder;
    CommandsForm form(folder.path());
    form.SetKeyLed(std::make_unique<LeftOnKeyLed>(form.capsLock));
    SessionState kept;
    kept.personCapsLock = 0;
    WorkKeeper(folder.path().toStdString()).Restart(kept, {});
    form.RecoverLeftoverWork();
    QCOMPARE(form.workspace().PersonCapsLock, 0);
    std::string path;
    QVERIFY(!form.ChooseOpenFile(folder.path().toStdString(), "*.*", path));
    QCOMPARE(form.capsLockDuringDialogs, std::vector<bool>{false});
    QVERIFY(form.capsLock);
}

void TestWindowCommands::capsLockIsOnOnlyWhileTheProgramIsInFront()
{
    ProgramFolder folder;
    CommandsForm form(folder.path());
    QVERIFY(form.capsLock);
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
    QVERIFY(!form.capsLock);
    // Switched on by the person in another program: still on when given back.
    form.capsLock = true;
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
    QVERIFY(form.capsLock);
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
    QVERIFY(form.capsLock);
    form.capsLock = false;
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
    QVERIFY(form.capsLock);

    TPrintForm print(&form);
    std::vector<bool> during;
    print.ChoosePdfFile = [&](const QString&) {
        during.push_back(form.capsLock);
        return QString();
    };
    print.ChoosePrinter = [&](QPrinter&) {
        during.push_back(form.capsLock);
        return false;
    };
    print.SavePdfClick();
    print.Button1Click();
    QCOMPARE(during, (std::vector<bool>{false, false}));
    QVERIFY(form.capsLock);

    form.close();
    QVERIFY(!form.capsLock);
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
    QVERIFY(!form.capsLock);
}

// "Ναι" to the closing question and the save dialog cancelled used to close
// the window and lose the changes; the window stays open with them.
void TestWindowCommands::closingAfterAnUnfinishedSaveKeepsTheWindowOpen()
{
    ProgramFolder folder;
    CommandsForm form(folder.path());
    form.AddRow("090000045", "PAPAS");
    form.workspace().SetModified(true);
    form.answers = {UserInterface::Answer::Yes};
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    QCOMPARE(form.workspace().FixedFormatDataSet1.RecordCount(), 1);
    QVERIFY(QFile::exists(folder.filePath(QString::fromLatin1(WorkKeeper::BaseFile))));
}

void TestWindowCommands::saveAsNewAndOpenThroughTheFileDialogs()
{
    ProgramFolder folder;
    CommandsForm form(folder.path());
    Workspace& ws = form.workspace();
    form.AddRow("090000045", "PAPAS");
    ws.SetModified(true);
    const QString saved = folder.filePath(QStringLiteral("094014201-Rozaro"));
    auto trigger = [&](const char* entry) {
        form.findChild<QAction*>(QString::fromLatin1(entry))->trigger();
    };

    // "Ναι" to saving the changes, then the save dialog cancelled: New keeps
    // the declaration and does not ask its own question.
    form.answers = {UserInterface::Answer::Yes};
    form.fileAnswers = {QString()};
    trigger("New1");
    QCOMPARE(form.questions,
             std::vector<std::string>{"Έχετε κάνει αλλαγές. Θέλετε να αποθηκευτούν σε αρχείο;"});
    QCOMPARE(ws.FixedFormatDataSet1.RecordCount(), 1);
    QVERIFY(ws.Modified());

    form.fileAnswers = {saved};
    trigger("SaveAs1");
    QVERIFY(QFile::exists(saved));
    QVERIFY(!ws.Modified());

    // Replacing the file: closing the question keeps the file as it is.
    QFile::resize(saved, 10);
    form.questions.clear();
    form.answers.clear(); // the question is closed without an answer
    form.fileAnswers = {saved};
    trigger("SaveAs1");
    QCOMPARE(form.questions.size(), size_t(1));
    QCOMPARE(QFileInfo(saved).size(), qint64(10));
    form.answers = {UserInterface::Answer::Yes};
    form.fileAnswers = {saved};
    trigger("SaveAs1");
    QCOMPARE(QFileInfo(saved).size(), qint64(4 * 172));

    // The saved file opens again into the window.
    form.answers = {UserInterface::Answer::Yes};
    trigger("New1");
    QCOMPARE(ws.FixedFormatDataSet1.RecordCount(), 0);
    form.fileAnswers = {saved};
    trigger("Open1");
    QCOMPARE(ws.FixedFormatDataSet1.RecordCount(), 1);
    QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("AFM"))->text(), QStringLiteral("094014201"));
    QCOMPARE(form.capsLockDuringDialogs, std::vector<bool>(5, false));
    QVERIFY(form.errors.empty());
}

// A disk that fills up: Save as over a good file fails with the reason shown
// and takes nothing away; a sort works on the rows in memory and says once
// that the work is no longer kept safe against a crash.
void TestWindowCommands::aFailingDiskKeepsTheFileTheRowsAndTheFlag()
{
    ProgramFolder folder;
    CommandsForm form(folder.path());
    Workspace& ws = form.workspace();
    form.AddRow("123456783", "ZETA");
    form.AddRow("090000045", "ALPHA");
    const QString saved = folder.filePath(QStringLiteral("out.txt"));
    form.fileAnswers = {saved};
    form.findChild<QAction*>(QStringLiteral("SaveAs1"))->trigger();
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    file.close();
    QVERIFY(!good.isEmpty());

    struct FullDisk
    {
        FullDisk()
        {
            AtomicWriter::Calls().Write = [](int, const void*, size_t) -> ssize_t {
                errno = ENOSPC;
                return -1;
            };
        }
        ~FullDisk() { AtomicWriter::Calls() = AtomicWriter::RealCalls(); }
    };
    auto lineOf = [&](const char* name) {
        return form.findChild<QLabel*>(QString::fromLatin1(name))->text();
    };
    const QString label = lineOf("Label32");
    const std::array<std::string, 9> totals = ws.CurrentTotals().Edits();
    auto texts = [&ws] {
        std::vector<std::string> out;
        for (const auto& line : ws.FixedFormatDataSet1.Lines())
            out.push_back(line.Text);
        return out;
    };
    const std::vector<std::string> rows = texts();
    ws.SetModified(true);
    {
        FullDisk full;
        ws.SetModified(true);
        form.answers = {UserInterface::Answer::Yes};
        form.fileAnswers = {saved};
        form.findChild<QAction*>(QStringLiteral("SaveAs1"))->trigger();
        QCOMPARE(form.errors.size(), size_t(1));
        QVERIFY(form.errors[0].find("Δεν υπάρχει αρκετός ελεύθερος χώρος στον δίσκο.") != std::string::npos);
        QVERIFY(ws.Modified());

        // The sort works in memory and says, once, that the work is no
        // longer kept safe against a crash.
        form.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        QCOMPARE(form.errors.size(), size_t(2));
        QVERIFY(form.errors[1].find("δεν φυλάσσεται πια") != std::string::npos);
        QVERIFY(form.errors[1].find("Δεν υπάρχει αρκετός ελεύθερος χώρος στον δίσκο.") != std::string::npos);
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), good);
    QCOMPARE(lineOf("Label32"), label);
    QVERIFY(ws.CurrentTotals().Edits() == totals);
    QCOMPARE(ws.FixedFormatDataSet1.RecordCount(), 2);
    std::vector<std::string> byAfm = rows;
    std::sort(byAfm.begin(), byAfm.end());
    QVERIFY(texts() == byAfm);
    QVERIFY(ws.Modified());
    // Έξοδος still asks about the rows no file holds.
    form.answers = {UserInterface::Answer::Cancel};
    QVERIFY(!ws.CloseQuery());
}

QTEST_MAIN(TestWindowCommands)
#include "tst_windowcommands.moc"
