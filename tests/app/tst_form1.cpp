#include "FormFixture.h"

#include "grid/LengthLimit.h"

#include "dataset/DataSetErrors.h"
#include "workspace/Workspace.h"

#include <QAccessible>
#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <memory>

namespace {

QStringList entriesOf(QMenu* menu)
{
    QStringList names;
    for (QAction* action : menu->actions()) {
        names << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    }
    return names;
}

QStringList names(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* item : list) {
        out << QString::fromLatin1(item);
    }
    return out;
}

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startStateDisablesTheWorkingEntries();
    void menusHoldEveryEntryInOrderWithShortcutsAndIcons();
    void windowHasItsCaptionClientSizeAndFont();
    void headerFieldsHaveTheirLengthsAndNames();
    void startPanelCoversTheWindowWithCentredPictureAndLine();
    void resizeStretchesBarsGridAndTotals();
    void normalWindowReturnsToItsSizeWhenDragged();
    void typingIntoTotalsBeepsAndChangesNothing();
    void wheelAndVerticalArrowsMoveTheCaretInFields();
    void editingAHeaderFieldStoresItsCodePageBytes();
    void refreshShowsHeaderTotalsAndRowLabel();
    void workingStateEnablesEntriesAndHidesStartPanel();
    void focusMovesToTheNamedControl();
    void keyboardOrderFollowsGridHeaderButtonsTotals();
    void commandErrorsAreShownAndRefusalsAreSilent();
    void closingWithoutChangesAsksNothingAndRemovesTemp();
    void closingWithChangesAndCancelKeepsTheWindow();
    void everyControlCarriesNameAndDescription();
    void menuEntriesReadTheirCaptionAndObjectName();
    void newFromTheMenuEntersTheWorkingState();
    void declinedNewLeavesTheStartState();
    void everyFileFilterOffersFilesWithoutExtension();
    void openDialogHandsOnANameThatNamesNoFile();
    void leftoverWorkIsShownInTheWorkingState();
};

void TestForm1::startStateDisablesTheWorkingEntries()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    auto action = [&](const char* name) { return form.findChild<QAction*>(QString::fromLatin1(name)); };

    QVERIFY(!action("SaveAs1")->isEnabled());
    QVERIFY(!form.findChild<QMenu*>(QStringLiteral("N14"))->menuAction()->isEnabled());
    QVERIFY(!action("N18")->isEnabled());
    QVERIFY(!action("CheckAll1")->isEnabled());
    QVERIFY(!action("Excel1")->isEnabled());
    QVERIFY(action("New1")->isEnabled());
    QVERIFY(action("Open1")->isEnabled());
    QVERIFY(action("Exit1")->isEnabled());
    QVERIFY(!action("N110")->isVisible());
    QVERIFY(form.errors.empty());
    // Start made the working folder.
    QVERIFY(QDir(folder.filePath(QStringLiteral("temp"))).exists());
}

void TestForm1::menusHoldEveryEntryInOrderWithShortcutsAndIcons()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    QStringList menus;
    for (QAction* top : form.menuBar()->actions()) {
        menus << top->menu()->objectName() + QLatin1Char('=') + top->text();
    }
    QCOMPARE(menus, QStringList({QString::fromUtf8("File1=Αρχείο"), QString::fromUtf8("N14=Εκτύπωση"),
                                 QString::fromUtf8("Tools1=Εργαλεία"), QString::fromUtf8("Help1=Βοήθεια")}));

    auto menu = [&](const char* name) { return form.findChild<QMenu*>(QString::fromLatin1(name)); };
    QCOMPARE(entriesOf(menu("File1")), names({"New1", "Open1", "SaveAs1", "-", "Exit1"}));
    QCOMPARE(entriesOf(menu("N14")), names({"N110", "N15", "-", "N20"}));
    QCOMPARE(entriesOf(menu("Tools1")),
             names({"N18", "CheckAll1", "-", "Excel1", "-", "N9", "zip1", "-", "e1"}));
    QCOMPARE(entriesOf(menu("Help1")), names({"N13", "-", "N12"}));

    const std::pair<const char*, const char*> texts[] = {
        {"New1", "Νέο"},
        {"Open1", "Άνοιγμα"},
        {"SaveAs1", "Αποθήκευση ως..."},
        {"Exit1", "Έξοδος"},
        {"N110", "Εκτύπωση 1ης Σελίδας"},
        {"N15", "Αναλυτικές Αμοιβές"},
        {"N20", "Εκτύπωση Συνόλων"},
        {"N18", "Εύρεση..."},
        {"CheckAll1", "Έλεγχος όλων των εγγραφών"},
        {"Excel1", "Εισαγωγή στοιχείων από Excel"},
        {"N9", "Δημιουργία συντόμευσης στην Επιφ. Εργασίας"},
        {"zip1", "Δημιουργία συμπιεσμένου αρχείου (zip)"},
        {"e1", "Σύνδεση με εξυπηρετητή Razeve"},
        {"N13", "Οδηγίες εφαρμογής"},
        {"N12", "Σχετικά..."},
    };
    for (const auto& [name, text] : texts) {
        auto* action = form.findChild<QAction*>(QString::fromLatin1(name));
        QVERIFY2(action != nullptr, name);
        QCOMPARE(action->text(), QString::fromUtf8(text));
        // Every entry but Exit carries an icon that really loaded.
        QCOMPARE(action->icon().isNull(), QByteArray(name) == "Exit1");
        if (!action->icon().isNull()) {
            QVERIFY2(!action->icon().pixmap(16, 16).isNull(), name);
        }
    }

    auto shortcut = [&](const char* name) {
        return form.findChild<QAction*>(QString::fromLatin1(name))->shortcut();
    };
    QCOMPARE(shortcut("Open1"), QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(shortcut("SaveAs1"), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(shortcut("N18"), QKeySequence(Qt::CTRL | Qt::Key_F));
    QCOMPARE(shortcut("CheckAll1"), QKeySequence(Qt::Key_F7));
    QCOMPARE(shortcut("New1"), QKeySequence());
}

void TestForm1::windowHasItsCaptionClientSizeAndFont()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.windowTitle(), QString::fromUtf8("Rozaro - Υποβολή Βεβαιώσεων Αποδοχών Δημοσίου"));
    QCOMPARE(form.centralWidget()->size(), QSize(1007, 660));
    QCOMPARE(form.font().pointSize(), 8);
    QVERIFY(QFontInfo(form.font()).family().contains(QStringLiteral("Sans")));

    auto* headerBar = form.findChild<QLabel*>(QStringLiteral("Panel1"));
    QCOMPARE(headerBar->geometry().top(), 0);
    QCOMPARE(headerBar->height(), 15);
    QVERIFY(headerBar->font().bold());
    QCOMPARE(headerBar->palette().color(QPalette::Window), QColor(48, 159, 192));
    auto* detailBar = form.findChild<QLabel*>(QStringLiteral("Panel2"));
    QCOMPARE(detailBar->geometry().top(), 124);
    QCOMPARE(detailBar->height(), 19);
    QCOMPARE(headerBar->text(), QString::fromUtf8("Στοιχεία Φορέα"));
    QCOMPARE(detailBar->text(), QString::fromUtf8("Αναλυτικές αμοιβές Μισθωτού ή Συνταξιούχου"));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Panel4"))->text(),
             QString::fromUtf8("Σύνολα αποδοχών και λοιπών στοιχείων"));
    auto* grid = form.findChild<QTableView*>(QStringLiteral("dbGrid1"));
    QCOMPARE(grid->geometry().top(), 217);
    QCOMPARE(grid->height(), 352);
    QCOMPARE(form.findChild<QWidget*>(QStringLiteral("Panel3"))->height(), 81);
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label32"))->text(),
             QString::fromUtf8(" Εγγραφές (Πελάτες)"));
}

void TestForm1::headerFieldsHaveTheirLengthsAndNames()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    const std::pair<const char*, int> lengths[] = {
        {"YearOfData", 4},   {"AFM", 9},   {"AntikeimenoErgasion", 16},
        {"CompanyName", 30}, {"Town", 10}, {"Street", 16},
        {"Number", 5},       {"TK", 5},
    };
    for (const auto& [name, length] : lengths) {
        auto* edit = form.findChild<QLineEdit*>(QString::fromLatin1(name));
        QVERIFY2(edit != nullptr, name);
        // The field's width is kept by a limit that beeps, not by the
        // editor's own length, which would cut a paste silently.
        const auto* limit = dynamic_cast<const TLengthLimit*>(edit->validator());
        QVERIFY2(limit != nullptr, name);
        QCOMPARE(limit->Limit(), length);
        QCOMPARE(edit->accessibleDescription(), QString::fromLatin1(name));
    }
    auto* year = form.findChild<QLineEdit*>(QStringLiteral("YearOfData"));
    QCOMPARE(year->accessibleName(), QString::fromUtf8("Έτος που αφορούν τα στοιχεία: (*)"));
    auto* yearLabel = form.findChild<QLabel*>(QStringLiteral("LabelYearOfData"));
    QCOMPARE(yearLabel->text(), QString::fromUtf8("Έτος που αφορούν\nτα στοιχεία: (*)"));
    auto* afmLabel = form.findChild<QLabel*>(QStringLiteral("LabelAFM"));
    QCOMPARE(afmLabel->text(), QString::fromUtf8("ΑΦΜ Φορέα ή \nΕποπτεύοντος Υπουργείου: (*) "));
    QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("Button2"))->toolTip(),
             QString::fromUtf8("Πατήστε για να ταξινομηθούν αλφαβητικά οι εγγραφές "));
    QVERIFY(form.findChild<QLabel*>(QStringLiteral("LabelMandatory"))->font().bold());
}

void TestForm1::startPanelCoversTheWindowWithCentredPictureAndLine()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* panel = form.findChild<QWidget*>(QStringLiteral("Panel5"));
    auto* picture = form.findChild<QLabel*>(QStringLiteral("Image1"));
    auto* line = form.findChild<QLabel*>(QStringLiteral("Label31"));
    QVERIFY(panel->isVisible());
    const QSize outer = form.OuterSize();
    QCOMPARE(panel->geometry(), QRect(QPoint(), outer));
    QVERIFY(panel->geometry().contains(form.centralWidget()->rect()));
    QCOMPARE(picture->size(), QSize(919, 517));
    QVERIFY(!picture->pixmap().isNull());
    QCOMPARE(picture->pos(), QPoint(outer.width() / 2 - 919 / 2, 50));
    QCOMPARE(line->text(),
             QString::fromUtf8("Παρακαλώ επιλέξτε 'Αρχείο' - 'Νέο' ή 'Αρχείο' - Άνοιγμα' για να ξεκινήσετε"));
    QVERIFY(line->font().bold());
    QCOMPARE(line->pos(), QPoint(outer.width() / 2 - line->width() / 2, 517 + 100));
    // Nothing underneath shows through: the panel is the topmost child.
    QCOMPARE(form.centralWidget()->childAt(500, 300)->window(), &form);
    QVERIFY(panel->isAncestorOf(form.centralWidget()->childAt(500, 300)) ||
            form.centralWidget()->childAt(500, 300) == panel);
}

void TestForm1::resizeStretchesBarsGridAndTotals()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QSize normal = form.size();
    form.showMaximized();
    QTRY_VERIFY(form.size() != normal);
    QApplication::processEvents();
    QVERIFY(form.isMaximized());

    const QSize outer = form.OuterSize();
    QCOMPARE(outer, form.centralWidget()->size() + QSize(8, 54));
    auto* grid = form.findChild<QTableView*>(QStringLiteral("dbGrid1"));
    QCOMPARE(grid->width(), outer.width() - 10);
    QCOMPARE(grid->geometry().top(), 217);
    auto* totals = form.findChild<QWidget*>(QStringLiteral("Panel3"));
    QCOMPARE(totals->geometry().top(), outer.height() - 138);
    QCOMPARE(totals->width(), outer.width());
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Panel4"))->width(), outer.width());
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Panel1"))->width(), outer.width());
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Panel2"))->width(), outer.width());
    auto* picture = form.findChild<QLabel*>(QStringLiteral("Image1"));
    QCOMPARE(picture->x(), outer.width() / 2 - 919 / 2);
    QCOMPARE(form.findChild<QWidget*>(QStringLiteral("Panel5"))->size(), outer);
    // The totals stay wholly inside the client area.
    QVERIFY(totals->geometry().bottom() < form.centralWidget()->height());
}

void TestForm1::normalWindowReturnsToItsSizeWhenDragged()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QSize normal = form.size();
    form.resize(700, 500);
    QTRY_COMPARE(form.size(), normal);
    QCOMPARE(form.centralWidget()->size(), QSize(1007, 660));
    // Again and again: every drag is undone, not only the first.
    for (int i = 0; i < 3; ++i) {
        form.resize(900 + i, 600);
        QTRY_COMPARE(form.size(), normal);
    }
}

void TestForm1::typingIntoTotalsBeepsAndChangesNothing()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.workspace().ReplaceTotals(Totals({"1234,5"}, ""));
    form.Refresh();
    auto* edit1 = form.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    typeText(edit1, QStringLiteral("7a"));
    QTest::keyClick(edit1, Qt::Key_Backspace);
    QTest::keyClick(edit1, Qt::Key_Delete);
    QCOMPARE(edit1->text(), QStringLiteral("1234,5"));
    QCOMPARE(form.beeps, 3); // two characters and Backspace; Delete types no character
    QVERIFY(!form.workspace().Modified());
    QCOMPARE(form.workspace().CurrentTotals().GrossPay(), std::string("1234,5"));

    auto* edit9 = form.findChild<QLineEdit*>(QStringLiteral("Edit9"));
    typeText(edit9, QString::fromUtf8("Ω"));
    QCOMPARE(form.beeps, 4);
    QVERIFY(edit9->text().isEmpty());

    // Nor can a tool that puts text in without typing change a total.
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(edit1);
    QVERIFY(box != nullptr && box->editableTextInterface() != nullptr);
    box->editableTextInterface()->replaceText(0, 6, QStringLiteral("99"));
    QCOMPARE(edit1->text(), QStringLiteral("1234,5"));
    QCOMPARE(form.beeps, 5);
}

void TestForm1::wheelAndVerticalArrowsMoveTheCaretInFields()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    auto* street = form.findChild<QLineEdit*>(QStringLiteral("Street"));
    street->setFocus();
    typeText(street, QStringLiteral("ODOS"));
    QCOMPARE(street->cursorPosition(), 4);
    QTest::keyClick(street, Qt::Key_Up);
    QCOMPARE(street->cursorPosition(), 3);
    QTest::keyClick(street, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(street->selectedText(), QStringLiteral("O"));

    // A step of the wheel towards the person is a Down press: one character on.
    street->setCursorPosition(1);
    const QPointF at(5, 5);
    QWheelEvent wheel(at, street->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(street, &wheel);
    QCOMPARE(street->cursorPosition(), 2);
    QCOMPARE(street->text(), QStringLiteral("ODOS"));

    // The totals boxes move their caret the same way, still without a beep.
    form.workspace().ReplaceTotals(Totals({"1234,5"}, ""));
    form.Refresh();
    auto* edit1 = form.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    edit1->setCursorPosition(6);
    QTest::keyClick(edit1, Qt::Key_Up);
    QCOMPARE(edit1->cursorPosition(), 5);
    QCOMPARE(form.beeps, 0);
}

void TestForm1::editingAHeaderFieldStoresItsCodePageBytes()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    auto* name = form.findChild<QLineEdit*>(QStringLiteral("CompanyName"));
    name->setFocus();
    typeText(name, QString::fromUtf8("ΥΠΟΥΡΓΕΙΟ Α"));
    QCOMPARE(form.workspace().Header.CompanyName, std::string("\xD5\xD0\xCF\xD5\xD1\xC3\xC5\xC9\xCF \xC1"));
    QVERIFY(form.workspace().Modified());

    // A change without a typed character still counts as a change.
    form.workspace().SetModified(false);
    QTest::keyClick(name, Qt::Key_Home);
    QTest::keyClick(name, Qt::Key_Delete);
    QCOMPARE(form.workspace().Header.CompanyName, std::string("\xD0\xCF\xD5\xD1\xC3\xC5\xC9\xCF \xC1"));
    QVERIFY(form.workspace().Modified());

    // A character the code page lacks is refused, not stored as "?"; typed,
    // it still marks the declaration changed, as every typed key does.
    form.workspace().SetModified(false);
    const int beeps = form.beeps;
    QTest::keyClick(name, Qt::Key_End);
    typeText(name, QString::fromUtf8("\u4E2D"));
    QCOMPARE(name->text(), QString::fromUtf8("ΠΟΥΡΓΕΙΟ Α"));
    QCOMPARE(form.workspace().Header.CompanyName, std::string("\xD0\xCF\xD5\xD1\xC3\xC5\xC9\xCF \xC1"));
    QCOMPARE(form.beeps, beeps + 1);
    QVERIFY(form.workspace().Modified());
    typeText(name, QStringLiteral("B"));
    QCOMPARE(name->text(), QString::fromUtf8("ΠΟΥΡΓΕΙΟ ΑB"));

    // The field's length is the record's.
    auto* tk = form.findChild<QLineEdit*>(QStringLiteral("TK"));
    typeText(tk, QStringLiteral("1234567"));
    QCOMPARE(form.workspace().Header.TK, std::string("12345"));

    // A tool that puts the text in without typing it changes the declaration
    // as much as the field on the screen.
    form.workspace().SetModified(false);
    QAccessibleInterface* town =
        QAccessible::queryAccessibleInterface(form.findChild<QLineEdit*>(QStringLiteral("Town")));
    QVERIFY(town != nullptr && town->editableTextInterface() != nullptr);
    town->editableTextInterface()->replaceText(0, 0, QString::fromUtf8("ΑΘΗΝΑ"));
    QCOMPARE(form.workspace().Header.Town, std::string("\xC1\xC8\xC7\xCD\xC1"));
    QVERIFY(form.workspace().Modified());
}

void TestForm1::refreshShowsHeaderTotalsAndRowLabel()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    Workspace& ws = form.workspace();
    ws.Header.YearOfData = "2025";
    ws.Header.AFM = "090000045";
    ws.Header.CompanyName = "\xC4\xC7\xCC\xCF\xD3"; // ΔΗΜΟΣ
    ws.Header.Town = "\xC1\xC8\xC7\xCD\xC1";        // ΑΘΗΝΑ
    Totals::Boxes edits;
    for (size_t i = 0; i < edits.size(); ++i) {
        edits[i] = std::to_string(i + 1) + ",5";
    }
    ws.ReplaceTotals(Totals(edits, "12 Εγγραφές-10 μοναδικοί ΑΦΜ"));
    form.Refresh();
    auto text = [&](const char* name) {
        return form.findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    };
    QCOMPARE(text("YearOfData"), QStringLiteral("2025"));
    QCOMPARE(text("AFM"), QStringLiteral("090000045"));
    QCOMPARE(text("CompanyName"), QString::fromUtf8("ΔΗΜΟΣ"));
    QCOMPARE(text("Town"), QString::fromUtf8("ΑΘΗΝΑ"));
    QCOMPARE(text("Street"), QString());
    // The hidden first and father's names of a natural person still hold theirs.
    ws.Header.Name = "\xC3\xC9\xD9\xD1\xC3\xCF\xD3"; // ΓΙΩΡΓΟΣ
    form.Refresh();
    QCOMPARE(text("Name"), QString::fromUtf8("ΓΙΩΡΓΟΣ"));
    QVERIFY(!form.findChild<QLineEdit*>(QStringLiteral("Name"))->isVisibleTo(&form));
    QVERIFY(!form.findChild<QLineEdit*>(QStringLiteral("FatherName"))->isVisibleTo(&form));
    QCOMPARE(text("Edit1"), QStringLiteral("1,5"));
    QCOMPARE(text("Edit9"), QStringLiteral("9,5"));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label32"))->text(),
             QString::fromUtf8("12 Εγγραφές-10 μοναδικοί ΑΦΜ"));
    // A screen reader reads the count now shown, not the caption before it.
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label32"))->accessibleName(),
             QString::fromUtf8("12 Εγγραφές-10 μοναδικοί ΑΦΜ"));
    // Showing values is no change of the person's.
    QVERIFY(!ws.Modified());
}

void TestForm1::workingStateEnablesEntriesAndHidesStartPanel()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    form.EnterWorkingState();
    QVERIFY(!form.findChild<QWidget*>(QStringLiteral("Panel5"))->isVisible());
    QVERIFY(form.findChild<QAction*>(QStringLiteral("SaveAs1"))->isEnabled());
    QVERIFY(form.findChild<QMenu*>(QStringLiteral("N14"))->menuAction()->isEnabled());
    QVERIFY(form.findChild<QLineEdit*>(QStringLiteral("YearOfData"))->isVisible());

    // Later resizes leave the hidden panel alone.
    const QSize normal = form.size();
    form.showMaximized();
    QTRY_VERIFY(form.size() != normal);
    QVERIFY(!form.findChild<QWidget*>(QStringLiteral("Panel5"))->isVisible());

    form.SetGridVisible(false);
    QVERIFY(!form.findChild<QWidget*>(QStringLiteral("dbGrid1"))->isVisible());
    QVERIFY(!form.findChild<QWidget*>(QStringLiteral("DBNavigator1"))->isVisible());
    form.SetGridVisible(true);
    QVERIFY(form.findChild<QWidget*>(QStringLiteral("dbGrid1"))->isVisible());
}

void TestForm1::focusMovesToTheNamedControl()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    form.EnterWorkingState();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.FocusControl(HeaderField::AFM);
    QTRY_COMPARE(QApplication::focusWidget(), form.findChild<QWidget*>(QStringLiteral("AFM")));
    // The program moving the focus is no departure the field checks: an
    // empty AFM is left without its message.
    form.FocusControl(HeaderField::CompanyName);
    QTRY_COMPARE(QApplication::focusWidget(), form.findChild<QWidget*>(QStringLiteral("CompanyName")));
    QVERIFY(form.messages.empty());
}

// The totals are reached in the order they stand on the screen (they were
// reached Edit1, Edit2, Edit3 ... while the screen shows another order).
void TestForm1::keyboardOrderFollowsGridHeaderButtonsTotals()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    const QStringList expected = names({"dbGrid1",     "YearOfData", "AFM",     "AntikeimenoErgasion",
                                        "CompanyName", "Town",       "Street",  "Number",
                                        "TK",          "Button2",    "Button1", "Edit1",
                                        "Edit5",       "Edit6",      "Edit2",   "Edit3",
                                        "Edit4",       "Edit7",      "Edit8",   "Edit9"});
    QWidget* widget = form.findChild<QWidget*>(expected.first());
    QStringList walked;
    for (int i = 0; i < expected.size(); ++i) {
        walked << widget->objectName();
        do {
            widget = widget->nextInFocusChain();
        } while (widget->objectName().isEmpty() || !expected.contains(widget->objectName()));
    }
    QCOMPARE(walked, expected);
    QCOMPARE(widget->objectName(), QStringLiteral("dbGrid1"));
}

void TestForm1::commandErrorsAreShownAndRefusalsAreSilent()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.RunCommand([] { throw EAbort(); });
    QVERIFY(form.errors.empty());
    form.RunCommand([] { throw EDatabaseError("FixedFormatDataSet1: Λάθος"); });
    QCOMPARE(form.errors, std::vector<std::string>{"FixedFormatDataSet1: Λάθος"});
    bool ran = false;
    form.RunCommand([&] { ran = true; });
    QVERIFY(ran);
    QCOMPARE(form.errors.size(), size_t(1));
}

void TestForm1::closingWithoutChangesAsksNothingAndRemovesTemp()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    QVERIFY(QDir(folder.filePath(QStringLiteral("temp"))).exists());
    QVERIFY(form.close());
    QVERIFY(form.questions.empty());
    QVERIFY(form.errors.empty());
    QVERIFY(!QDir(folder.filePath(QStringLiteral("temp"))).exists());
    // The income-kind list is the program's and stays.
    QVERIFY(QFile::exists(folder.filePath(QStringLiteral("Addon/typeofinc.txt"))));
}

void TestForm1::closingWithChangesAndCancelKeepsTheWindow()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    form.workspace().SetModified(true);
    form.answers = {UserInterface::Answer::Cancel};
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    QCOMPARE(form.questions,
             std::vector<std::string>{"Έχετε κάνει αλλαγές. Θέλετε να αποθηκευτούν σε αρχείο;"});
    QCOMPARE(form.captions.front(), (std::vector<std::string>{"Ναι", "Όχι", "Άκυρο"}));
    QVERIFY(QDir(folder.filePath(QStringLiteral("temp"))).exists());

    form.answers = {UserInterface::Answer::No};
    QVERIFY(form.close());
    QVERIFY(!QDir(folder.filePath(QStringLiteral("temp"))).exists());
}

void TestForm1::everyControlCarriesNameAndDescription()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    auto* grid = form.findChild<QTableView*>(QStringLiteral("dbGrid1"));
    QStringList missing;
    for (QWidget* widget : form.centralWidget()->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
                             qobject_cast<QLabel*>(widget) || widget == grid;
        // Qt's own parts inside the grid are named by the grid.
        if (!control || grid->isAncestorOf(widget)) {
            continue;
        }
        if (widget->objectName().isEmpty() || widget->accessibleName().isEmpty() ||
            widget->accessibleDescription() != widget->objectName()) {
            missing << widget->objectName() + QLatin1Char('/') +
                           QString::fromLatin1(widget->metaObject()->className());
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(','))));
    const QStringList navigator = names({"nbFirst", "nbLast", "nbInsert", "nbDelete", "nbPost", "nbCancel"});
    const QStringList hints = {
        QString::fromUtf8("Πρώτη Εγγραφή"),      QString::fromUtf8("Τελευταία Εγγραφή"),
        QString::fromUtf8("Εισαγωγή Εγγραφής"),  QString::fromUtf8("Διαγραφή Εγγραφής"),
        QString::fromUtf8("Αποθήκευση Αλλαγών"), QString::fromUtf8("Ακύρωση Αλλαγών")};
    for (int i = 0; i < navigator.size(); ++i) {
        auto* button = form.findChild<QToolButton*>(navigator[i]);
        QVERIFY(button != nullptr);
        QCOMPARE(button->toolTip(), hints[i]);
        auto* caption = form.findChild<QLabel*>(QStringLiteral("Label") + navigator[i]);
        QCOMPARE(caption->text(), hints[i]);
        QVERIFY(caption->geometry().bottom() < button->geometry().top());
    }
}

// The entries as tools that drive the window reach them: menu bar, menu
// item, its drop-down, the drop-down's items.
void TestForm1::menuEntriesReadTheirCaptionAndObjectName()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(form.menuBar());
    QVERIFY(bar != nullptr);
    QStringList seen;
    QAccessibleInterface* newEntry = nullptr;
    for (int m = 0; m < bar->childCount(); ++m) {
        QAccessibleInterface* item = bar->child(m);
        seen << item->text(QAccessible::Description) + QLatin1Char('=') + item->text(QAccessible::Name);
        QAccessibleInterface* dropDown = item->child(0);
        QVERIFY(dropDown != nullptr);
        for (int e = 0; e < dropDown->childCount(); ++e) {
            QAccessibleInterface* entry = dropDown->child(e);
            if (entry->role() == QAccessible::Separator) {
                seen << QStringLiteral("-");
                continue;
            }
            QCOMPARE(entry->role(), QAccessible::MenuItem);
            seen << entry->text(QAccessible::Description) + QLatin1Char('=') + entry->text(QAccessible::Name);
            if (entry->text(QAccessible::Description) == QLatin1String("New1")) {
                newEntry = entry;
            }
        }
    }
    const QStringList expected =
        QString::fromUtf8(
            "File1=Αρχείο|New1=Νέο|Open1=Άνοιγμα|SaveAs1=Αποθήκευση ως...|-|Exit1=Έξοδος|"
            "N14=Εκτύπωση|N110=Εκτύπωση 1ης Σελίδας|N15=Αναλυτικές Αμοιβές|-|N20=Εκτύπωση Συνόλων|"
            "Tools1=Εργαλεία|N18=Εύρεση...|CheckAll1=Έλεγχος όλων των εγγραφών|-|Excel1=Εισαγωγή στοιχείων "
            "από Excel|-|"
            "N9=Δημιουργία συντόμευσης στην Επιφ. Εργασίας|zip1=Δημιουργία συμπιεσμένου αρχείου (zip)|-|"
            "e1=Σύνδεση με εξυπηρετητή Razeve|Help1=Βοήθεια|N13=Οδηγίες εφαρμογής|-|N12=Σχετικά...")
            .split(QLatin1Char('|'));
    QCOMPARE(seen, expected);

    // Pressing an entry from outside answers at once and runs the command
    // afterwards, so the tool that pressed can answer the question it asks.
    QVERIFY(newEntry != nullptr && newEntry->actionInterface() != nullptr);
    QVERIFY(!newEntry->state().disabled);
    form.answers = {UserInterface::Answer::No};
    newEntry->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(form.questions.empty());
    QTRY_COMPARE(form.questions, std::vector<std::string>{"Δημιουργία νέου αρχείου;"});
}

void TestForm1::newFromTheMenuEntersTheWorkingState()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.answers = {UserInterface::Answer::Yes};
    form.findChild<QAction*>(QStringLiteral("New1"))->trigger();
    QCOMPARE(form.questions, std::vector<std::string>{"Δημιουργία νέου αρχείου;"});
    QVERIFY(form.errors.empty());
    QVERIFY(!form.findChild<QWidget*>(QStringLiteral("Panel5"))->isVisible());
    QVERIFY(form.findChild<QAction*>(QStringLiteral("SaveAs1"))->isEnabled());
    QVERIFY(form.findChild<QMenu*>(QStringLiteral("N14"))->menuAction()->isEnabled());
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label32"))->text(), QString::fromUtf8("0 Εγγραφές"));
    QTRY_COMPARE(QApplication::focusWidget(), form.findChild<QWidget*>(QStringLiteral("YearOfData")));
    QCOMPARE(form.findChild<QTableView*>(QStringLiteral("dbGrid1"))->model()->rowCount(), 0);

    // The sorts run on the empty declaration without complaint.
    form.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    form.findChild<QPushButton*>(QStringLiteral("Button2"))->click();
    QVERIFY(form.errors.empty());
}

void TestForm1::declinedNewLeavesTheStartState()
{
    ProgramFolder folder;
    RecordingForm form(folder.path());
    form.show();
    form.answers = {UserInterface::Answer::No};
    form.findChild<QAction*>(QStringLiteral("New1"))->trigger();
    QVERIFY(form.findChild<QWidget*>(QStringLiteral("Panel5"))->isVisible());
    QVERIFY(!form.findChild<QAction*>(QStringLiteral("SaveAs1"))->isEnabled());
}

void TestForm1::everyFileFilterOffersFilesWithoutExtension()
{
    QCOMPARE(TForm1::DialogFilter("*.*"), QStringLiteral("*"));
    QCOMPARE(TForm1::DialogFilter(""), QString());
    QCOMPARE(TForm1::DialogFilter("*.xls"), QStringLiteral("*.xls"));
    QCOMPARE(TForm1::DialogFilter("*.xls *.*"), QStringLiteral("*.xls *"));
    // What the dialog's own matching makes of the result.
    const QString saved = QStringLiteral("090000045-Rozaro");
    QVERIFY(!QDir::match(QStringLiteral("*.*"), saved));
    QVERIFY(QDir::match(TForm1::DialogFilter("*.*"), saved));
}

void TestForm1::openDialogHandsOnANameThatNamesNoFile()
{
    ProgramFolder folder;
    TForm1 form(folder.path());
    form.show();
    bool typed = false;
    // Types a name into the open dialog once it is up; anything the dialog
    // opens over itself instead of returning is closed with the dialog, so
    // a refusal fails the test rather than hanging it.
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QFileDialog*>(modal); dialog != nullptr && !typed) {
            typed = true;
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            name->setText(QStringLiteral("missing-Rozaro"));
            // From outside this tick, so the tick can come again if the
            // Return key opens something instead of closing the dialog.
            QTimer::singleShot(0, name, [name] { QTest::keyClick(name, Qt::Key_Return); });
        } else if (modal != nullptr) {
            modal->close();
            if (auto* leftOpen = form.findChild<QFileDialog*>()) {
                leftOpen->reject();
            }
        }
    });
    driver.start(20);
    std::string path;
    QVERIFY(form.ChooseOpenFile(folder.path().toStdString(), "*.*", path));
    QCOMPARE(QString::fromStdString(path), folder.filePath(QStringLiteral("missing-Rozaro")));
}

QTEST_MAIN(TestForm1)

// A window left open (the program killed) and the next one in its folder:
// "Ναι" shows the kept header in the working state.
void TestForm1::leftoverWorkIsShownInTheWorkingState()
{
    ProgramFolder folder;
    auto first = std::make_unique<RecordingForm>(folder.path());
    first->workspace().StartNewDeclaration();
    first->workspace().Header.CompanyName = "ABC";
    first->workspace().SetModified(true);

    RecordingForm next(folder.path());
    next.show();
    next.answers.push_back(UserInterface::Answer::Yes);
    next.RunCommand([&next] { next.workspace().RecoverLeftoverWork(); });
    QCOMPARE(next.questions.size(), size_t(1));
    QCOMPARE(next.findChild<QLineEdit*>(QStringLiteral("CompanyName"))->text(), QStringLiteral("ABC"));
    QVERIFY(!next.findChild<QWidget*>(QStringLiteral("Panel5"))->isVisible());
    QVERIFY(next.findChild<QAction*>(QStringLiteral("SaveAs1"))->isEnabled());
    QVERIFY(next.workspace().Modified());
}

#include "tst_form1.moc"
