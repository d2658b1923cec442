#include "FormFixture.h"

#include "workspace/Workspace.h"

#include <QAction>
#include <QClipboard>
#include <QDate>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

namespace {

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// Ctrl+V as a keyboard sends it: the key with its control character.
void pasteKey(QWidget* widget)
{
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_V, QString(QChar(0x16)), Qt::ControlModifier);
}

// The main window after "Νέο", active, with the focus in the year field.
class HeaderForm : public RecordingForm
{
public:
    explicit HeaderForm(const QString& folder) : RecordingForm(folder)
    {
        show();
        QApplication::setActiveWindow(this);
        answers = {Answer::Yes};
        findChild<QAction*>(QStringLiteral("New1"))->trigger();
        questions.clear();
    }
    QLineEdit* field(const char* name) const { return findChild<QLineEdit*>(QString::fromLatin1(name)); }

    int fileDialogs = 0;

protected:
    QString RunFileDialog(QFileDialog&) override
    {
        ++fileDialogs;
        return {};
    }
};

} // namespace

class TestHeader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void numberFieldsTakeDigitsAndEveryKeyMarksTheChange();
    void pastedTextPassesTheFieldsFilter();
    void textPastTheFieldsWidthBeeps();
    void leavingAWrongYearOrTaxNumberKeepsTheFocusThere();
    void menuEntriesAreNotHinderedByAWrongField();
    void headerKindSwitchesTheNameLayout();
    void startPanelKeepsTheCoveredFieldsOutOfReach();
};

void TestHeader::numberFieldsTakeDigitsAndEveryKeyMarksTheChange()
{
    ProgramFolder folder;
    HeaderForm form(folder.path());
    Workspace& ws = form.workspace();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    struct Case
    {
        const char* field;
        QString typed;
        QString shown;
        int beeps;
    };
    const Case cases[] = {
        {"YearOfData", QStringLiteral("2a0-2 5"), QStringLiteral("2025"), 3},
        // The letter and the tenth digit, past the field's width, both beep.
        {"AFM", QString::fromUtf8("09Α00000451"), QStringLiteral("090000045"), 2},
        {"TK", QStringLiteral("1056X3"), QStringLiteral("10563"), 1},
        {"Number", QString::fromUtf8("12Α"), QString::fromUtf8("12Α"), 0},
    };
    for (const Case& c : cases) {
        QLineEdit* edit = form.field(c.field);
        edit->setFocus();
        form.beeps = 0;
        typeText(edit, c.typed);
        QCOMPARE(edit->text(), c.shown);
        QCOMPARE(form.beeps, c.beeps);
    }
    QCOMPARE(ws.Header.AFM, std::string("090000045"));
    QCOMPARE(ws.Header.TK, std::string("10563"));

    // A refused key still marks the declaration changed; Backspace passes.
    QLineEdit* afm = form.field("AFM");
    afm->setFocus();
    ws.SetModified(false);
    typeText(afm, QStringLiteral("x"));
    QVERIFY(ws.Modified());
    QTest::keyClick(afm, Qt::Key_Backspace);
    QCOMPARE(afm->text(), QStringLiteral("09000004"));
    // Keys that type nothing do not count.
    ws.SetModified(false);
    QTest::keyClick(afm, Qt::Key_Home);
    QVERIFY(!ws.Modified());
}

void TestHeader::textPastTheFieldsWidthBeeps()
{
    ProgramFolder folder;
    HeaderForm form(folder.path());
    Workspace& ws = form.workspace();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    // Typed: each character past the 16 beeps and is not kept.
    QLineEdit* service = form.field("AntikeimenoErgasion");
    service->setFocus();
    form.beeps = 0;
    typeText(service, QString::fromUtf8("ΔΙΕΥΘΥΝΣΗ ΟΙΚΟΝΟΜΙΚΩΝ"));
    QCOMPARE(service->text(), QString::fromUtf8("ΔΙΕΥΘΥΝΣΗ ΟΙΚΟΝΟ"));
    QCOMPARE(form.beeps, 5);
    QCOMPARE(ws.Header.AntikeimenoErgasion.size(), size_t(16));

    // Pasted into an empty field: one beep, the first 30 kept.
    QLineEdit* company = form.field("CompanyName");
    company->setFocus();
    form.beeps = 0;
    const QString name = QString::fromUtf8("ΠΕΡΙΦΕΡΕΙΑΚΗ ΔΙΕΥΘΥΝΣΗ ΠΡΩΤΟΒΑΘΜΙΑΣ ΕΚΠΑΙΔΕ");
    QCOMPARE(name.size(), 43);
    QGuiApplication::clipboard()->setText(name);
    pasteKey(company);
    QCOMPARE(company->text(), name.left(30));
    QCOMPARE(form.beeps, 1);

    // Pasted in the middle: the paste's end goes, the text after the
    // cursor stays, and the cursor stands after what was kept.
    QLineEdit* town = form.field("Town");
    town->setFocus();
    typeText(town, QString::fromUtf8("ΑΒΓΔ"));
    town->setCursorPosition(2);
    form.beeps = 0;
    QGuiApplication::clipboard()->setText(QStringLiteral("12345678"));
    pasteKey(town);
    QCOMPARE(town->text(), QString::fromUtf8("ΑΒ123456ΓΔ"));
    QCOMPARE(town->cursorPosition(), 8);
    QCOMPARE(form.beeps, 1);
    QCOMPARE(ws.Header.Town.size(), size_t(10));

    // A full field takes nothing more, but a replaced selection fits.
    typeText(town, QStringLiteral("9"));
    QCOMPARE(form.beeps, 2);
    town->selectAll();
    typeText(town, QStringLiteral("7"));
    QCOMPARE(town->text(), QStringLiteral("7"));
    QCOMPARE(form.beeps, 2);
}

void TestHeader::pastedTextPassesTheFieldsFilter()
{
    ProgramFolder folder;
    HeaderForm form(folder.path());
    Workspace& ws = form.workspace();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QGuiApplication::clipboard()->setText(QStringLiteral("1056X"));

    // Ctrl+V is a typed key: refused in a number field, yet a change.
    QLineEdit* tk = form.field("TK");
    tk->setFocus();
    ws.SetModified(false);
    form.beeps = 0;
    pasteKey(tk);
    QCOMPARE(tk->text(), QString());
    QCOMPARE(form.beeps, 1);
    QVERIFY(ws.Modified());
    // Pasted from the context menu: the letter refuses the whole text.
    tk->paste();
    QCOMPARE(tk->text(), QString());
    QCOMPARE(ws.Header.TK, std::string());
    QCOMPARE(form.beeps, 2);
    QGuiApplication::clipboard()->setText(QStringLiteral("10563"));
    tk->paste();
    QCOMPARE(ws.Header.TK, std::string("10563"));

    // Any other field takes the paste.
    QLineEdit* name = form.field("CompanyName");
    name->setFocus();
    ws.SetModified(false);
    pasteKey(name);
    QCOMPARE(name->text(), QStringLiteral("10563"));
    QVERIFY(ws.Modified());

    // A postcode read from a file with other characters in it is corrected
    // key by key; only bringing in another one is refused.
    ws.Header.TK = "1 5X";
    form.Refresh();
    tk->setFocus();
    tk->setCursorPosition(2);
    form.beeps = 0;
    QTest::keyClick(tk, Qt::Key_Backspace);
    QCOMPARE(ws.Header.TK, std::string("15X"));
    QTest::keyClick(tk, Qt::Key_End);
    QTest::keyClick(tk, Qt::Key_Backspace);
    QCOMPARE(ws.Header.TK, std::string("15"));
    QCOMPARE(form.beeps, 0);
    ws.Header.TK = "1X";
    form.Refresh();
    tk->selectAll();
    tk->insert(QStringLiteral("Y"));
    QCOMPARE(tk->text(), QStringLiteral("1X"));
    QCOMPARE(form.beeps, 1);
}

void TestHeader::leavingAWrongYearOrTaxNumberKeepsTheFocusThere()
{
    ProgramFolder folder;
    HeaderForm form(folder.path());
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QLineEdit* year = form.field("YearOfData");
    QLineEdit* afm = form.field("AFM");
    QTRY_COMPARE(QApplication::focusWidget(), year);
    const std::string yearMessage = "Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία";
    const QString nextYear = QString::number(QDate::currentDate().year() + 1);

    for (const QString& wrong : {QString(), QStringLiteral("1899"), nextYear}) {
        year->setText(wrong);
        form.messages.clear();
        form.beeps = 0;
        QTest::keyClick(year, Qt::Key_Tab);
        QCOMPARE(form.messages, std::vector<std::string>{yearMessage});
        QCOMPARE(form.beeps, 1);
        QTRY_COMPARE(QApplication::focusWidget(), year);
    }
    for (const QString& right : {QStringLiteral("1900"), QString::number(QDate::currentDate().year())}) {
        form.FocusControl(HeaderField::YearOfData);
        year->setText(right);
        form.messages.clear();
        QTest::keyClick(year, Qt::Key_Tab);
        QVERIFY(form.messages.empty());
        QTRY_COMPARE(QApplication::focusWidget(), afm);
    }

    // The tax number: checked also when left empty or by the mouse, without a beep.
    form.beeps = 0;
    for (const QString& wrong : {QString(), QStringLiteral("090000046")}) {
        afm->setFocus();
        afm->setText(wrong);
        form.messages.clear();
        QTest::mouseClick(form.field("CompanyName"), Qt::LeftButton);
        QCOMPARE(form.messages, std::vector<std::string>{"Λάθος ΑΦΜ Υπόχρεου"});
        QTRY_COMPARE(QApplication::focusWidget(), afm);
    }
    QCOMPARE(form.beeps, 0);
    // The click that the check stopped presses nothing.
    auto* sortButton = form.findChild<QPushButton*>(QStringLiteral("Button1"));
    QSignalSpy clicks(sortButton, &QPushButton::clicked);
    form.messages.clear();
    QTest::mouseClick(sortButton, Qt::LeftButton);
    QCOMPARE(form.messages, std::vector<std::string>{"Λάθος ΑΦΜ Υπόχρεου"});
    QTRY_COMPARE(QApplication::focusWidget(), afm);
    QCOMPARE(clicks.count(), 0);
    QVERIFY(!sortButton->isDown());
    afm->setText(QStringLiteral("090000045"));
    form.messages.clear();
    QTest::keyClick(afm, Qt::Key_Tab);
    QVERIFY(form.messages.empty());
    QTRY_VERIFY(QApplication::focusWidget() != afm);
}

void TestHeader::menuEntriesAreNotHinderedByAWrongField()
{
    ProgramFolder folder;
    HeaderForm form(folder.path());
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QLineEdit* year = form.field("YearOfData");
    QTRY_COMPARE(QApplication::focusWidget(), year);
    year->setText(QStringLiteral("1899"));
    form.answers = {UserInterface::Answer::No}; // do not save the changes
    form.findChild<QAction*>(QStringLiteral("Open1"))->trigger();
    QCOMPARE(form.fileDialogs, 1);
    QVERIFY(form.messages.empty());
    QCOMPARE(QApplication::focusWidget(), year);
}

void TestHeader::headerKindSwitchesTheNameLayout()
{
    ProgramFolder folder;
    HeaderForm form(folder.path());
    Workspace& ws = form.workspace();
    auto* panel = form.findChild<QWidget*>(QStringLiteral("Panel6"));
    auto* person = form.findChild<QRadioButton*>(QStringLiteral("RadioButton2"));
    auto* entity = form.findChild<QRadioButton*>(QStringLiteral("RadioButton1"));
    auto* caption = form.findChild<QLabel*>(QStringLiteral("LabelCompanyName"));
    QVERIFY(!panel->isVisible());
    QVERIFY(entity->isChecked());
    const auto nameFieldsShown = [&] {
        for (const char* name : {"Name", "FatherName", "LabelName", "LabelFatherName"}) {
            if (!form.findChild<QWidget*>(QString::fromLatin1(name))->isVisibleTo(&form)) {
                return false;
            }
        }
        return true;
    };

    ws.SetModified(false);
    person->click();
    QCOMPARE(caption->text(), QString::fromUtf8("Επωνυμο: (*)"));
    QVERIFY(nameFieldsShown());
    QVERIFY(ws.Header.NaturalPerson);
    QVERIFY(ws.Modified());

    ws.SetModified(false);
    entity->click();
    QCOMPARE(caption->text(), QString::fromUtf8("Επωνυμία Επιχείρησης: (*)"));
    QVERIFY(!form.findChild<QWidget*>(QStringLiteral("Name"))->isVisibleTo(&form));
    QVERIFY(!form.findChild<QWidget*>(QStringLiteral("LabelFatherName"))->isVisibleTo(&form));
    QVERIFY(!ws.Header.NaturalPerson);
    QVERIFY(ws.Modified());

    // Checking the button without a click is the same choice.
    ws.SetModified(false);
    person->setChecked(true);
    QVERIFY(ws.Header.NaturalPerson);
    QVERIFY(nameFieldsShown());
    QVERIFY(ws.Modified());

    // New puts the header back to a legal entity.
    form.answers = {UserInterface::Answer::No, UserInterface::Answer::Yes};
    form.findChild<QAction*>(QStringLiteral("New1"))->trigger();
    QVERIFY(entity->isChecked());
    QVERIFY(!nameFieldsShown());
    QVERIFY(!ws.Modified());
}

void TestHeader::startPanelKeepsTheCoveredFieldsOutOfReach()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    // Tab in the start state reaches nothing under the panel, so the unseen
    // year field is neither typed into nor left with its message.
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(&form, Qt::Key_Tab);
        QTest::keyClick(&form, Qt::Key_1);
    }
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused == nullptr || !qobject_cast<QLineEdit*>(focused));
    QVERIFY(form.messages.empty());
    QVERIFY(!form.workspace().Modified());

    // Once uncovered, the fields take the focus by keyboard again.
    form.answers = {UserInterface::Answer::Yes};
    form.findChild<QAction*>(QStringLiteral("New1"))->trigger();
    QLineEdit* year = form.findChild<QLineEdit*>(QStringLiteral("YearOfData"));
    QTRY_COMPARE(QApplication::focusWidget(), year);
    year->setText(QString::number(QDate::currentDate().year()));
    QTest::keyClick(year, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), form.findChild<QWidget*>(QStringLiteral("AFM")));
    QVERIFY(form.messages.empty());
}

QTEST_MAIN(TestHeader)
#include "tst_header.moc"
