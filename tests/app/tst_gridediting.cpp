#include "FormFixture.h"

#include "grid/DataSetTableModel.h"
#include "grid/IndicatorColumn.h"
#include "grid/MultiLineGrid.h"
#include "grid/TitleRow.h"
#include "grid/WrapCaption.h"
#include "text/Cp1253.h"
#include "workspace/Workspace.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

namespace {

using Answer = UserInterface::Answer;

// The window with a save dialog that names a chosen file.
class GridForm : public RecordingForm
{
public:
    using RecordingForm::RecordingForm;
    QString savePath, openPath;
    bool ChooseOpenFile(const std::string&, const std::string&, std::string& path) override
    {
        path = openPath.toStdString();
        return !openPath.isEmpty();
    }
    bool ChooseSaveFile(const std::string&, const std::string&, const std::string&,
                        std::string& path) override
    {
        path = savePath.toStdString();
        return !savePath.isEmpty();
    }
};

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

// Keys go where the keyboard is, as a person's keys do: the press to the
// focused control, the release to whatever has the focus after it.
QWidget* focused()
{
    return QApplication::focusWidget();
}

void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyPress(focused(), k, modifiers);
    QTest::keyRelease(focused(), k, modifiers);
}

void type(const QString& text)
{
    for (const QChar ch : text) {
        QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// One row as typed: the text of each column in order; empty ones are passed with Tab.
using Row = std::vector<QString>;

class Session
{
public:
    ProgramFolder folder;
    GridForm form{folder.path()};
    TMultiLineGrid* grid = form.findChild<TMultiLineGrid*>(QStringLiteral("dbGrid1"));
    TFixedFormatDataSet& rows = form.workspace().FixedFormatDataSet1;

    Session()
    {
        form.workspace().Today = [] { return QDate(2026, 12, 7); };
        form.show();
        QApplication::setActiveWindow(&form);
        if (!QTest::qWaitForWindowActive(&form)) {
            qWarning("window not active");
        }
        form.answers = {Answer::Yes};
        form.findChild<QAction*>(QStringLiteral("New1"))->trigger();
        form.questions.clear();
        // Leaving the year or the tax number empty for the rows is refused, so
        // they hold valid values before the keyboard goes to the grid.
        form.findChild<QLineEdit*>(QStringLiteral("YearOfData"))->setText(QStringLiteral("2025"));
        form.findChild<QLineEdit*>(QStringLiteral("AFM"))->setText(QStringLiteral("090000045"));
        grid->setFocus();
    }

    // Types the row from the first column of the current row on, leaving the
    // keyboard in the last column typed.
    void keyRow(const Row& row)
    {
        key(Qt::Key_Home);
        for (size_t column = 0; column < row.size(); ++column) {
            if (column > 0) {
                key(Qt::Key_Tab);
            }
            type(row[column]);
        }
    }
    // Rows A and B stored, the keyboard on A.
    void keyTwoRows();
    QString cell(int row, int column) const { return grid->model()->index(row, column).data().toString(); }
    std::string stored(int line, const char* field) const
    {
        return rows.FieldText(line, rows.FieldByName(field).Index());
    }
};

const Row RowA = {QStringLiteral("123456783"),
                  u("ΠΑΠΑΣ"),
                  u("ΓΙΩΡΓΟΣ"),
                  {},
                  u("ΑΘΗΝΑ"),
                  {},
                  {},
                  QStringLiteral("11141"),
                  QStringLiteral("10"),
                  QStringLiteral("1000,5"),
                  {},
                  {},
                  QStringLiteral("200"),
                  {},
                  QStringLiteral("50"),
                  QStringLiteral("50"),
                  {},
                  QStringLiteral("25")};
const Row RowB = {QStringLiteral("100000003"),
                  u("ΚΩΣΤΑ"),
                  {},
                  {},
                  {},
                  {},
                  {},
                  {},
                  QStringLiteral("21"),
                  QStringLiteral("500"),
                  {},
                  {},
                  QStringLiteral("0"),
                  {}};
const Row RowC = {QStringLiteral("200000006"),
                  u("ΝΙΚΟΥ"),
                  u("ΜΑΡΙΑ"),
                  {},
                  {},
                  {},
                  {},
                  {},
                  QStringLiteral("11"),
                  QStringLiteral("300,25"),
                  {},
                  {},
                  QStringLiteral("100,25"),
                  {},
                  {},
                  {},
                  u("Β2")};

void Session::keyTwoRows()
{
    keyRow(RowA);
    key(Qt::Key_Down);
    keyRow(RowB);
    key(Qt::Key_Up);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestGridEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captionsWrapAfterTheirDelimiters();
    void gridHasItsTitleAndRowHeightsAndWideEnoughColumns();
    void threeRowsKeyedInAreSavedAsExpected();
    void refusedRowKeepsThePersonOnItWithWhatWasTyped();
    void netPayIsFilledOnEnteringItsColumn();
    void incomeKindBoxTakesTheCodeAndTabReturnsToGrossPay();
    void columnsFilterTypedAndPastedCharacters();
    void deleteAsksAndOnlyYesDeletes();
    void insertAppendAndTheUntouchedNewRow();
    void anEditorOpenedAndClosedLeavesTheRowStored();
    void beforePostHookSeesTheTextStillInTheEditor();
    void wheelAndTabPastTheLastColumnMoveBetweenRows();
    void storingANewRowKeepsTheColumn();
    void theKeyboardLeavesTheGrid();
    void sortShowsTheAfmColumnAndDropsAnUntouchedNewRow();
    void cellEditorsTakeNoMoreThanTheFieldHolds();
};

void TestGridEditing::captionsWrapAfterTheirDelimiters()
{
    const auto chars = [](const QString& text) { return static_cast<int>(text.size()); };
    // Titles break only at blanks: never inside "ΠΑΡ/ΘΗΚΕ" or "(*)", and
    // the blanks between words start no line.
    QCOMPARE(WrapCaption(u("ΦΟΡΟΣ ΠΟΥ ΠΑΡΑΚΡΑΤΗ- ΘΗΚΕ"), 10, chars),
             QStringList({u("ΦΟΡΟΣ ΠΟΥ"), u("ΠΑΡΑΚΡΑΤΗ-"), u("ΘΗΚΕ")}));
    QCOMPARE(WrapCaption(u("ΥΠΟΚ/ΜΑ"), 3, chars), QStringList({u("ΥΠΟΚ/ΜΑ")}));
    QCOMPARE(WrapCaption(u("ΕΙΔΟΣ ΑΠΟΔΟΧΩΝ (*)"), 13, chars), QStringList({u("ΕΙΔΟΣ"), u("ΑΠΟΔΟΧΩΝ (*)")}));
    QCOMPARE(WrapCaption(u("ΚΑΘΑΡΕΣ ΑΠΟΔΟΧΕΣ   (*)"), 10, chars),
             QStringList({u("ΚΑΘΑΡΕΣ"), u("ΑΠΟΔΟΧΕΣ"), u("(*)")}));
    // A line's closing blank does not push its last word onto the next.
    QCOMPARE(WrapCaption(u("ΑΑΑ ΒΒΒ "), 7, chars), QStringList({u("ΑΑΑ ΒΒΒ ")}));
    QCOMPARE(WrapCaption(u("ΑΚΑΘΑΡΙΣΤΕΣ"), 3, chars), QStringList({u("ΑΚΑΘΑΡΙΣΤΕΣ")}));
    QCOMPARE(WrapCaption(QString(), 3, chars), QStringList({QString()}));
    // Lines that were followed are trimmed, the last keeps its blank ...
    QCOMPARE(WrapCaption(u("ΑΑΑ ΒΒΒ "), 4, chars), QStringList({u("ΑΑΑ"), u("ΒΒΒ ")}));
    // ... so a right-aligned last line stands a blank's width further left.
    const QFontMetrics metrics(QApplication::font());
    const QRect cell(0, 0, 200, 45);
    const auto lastLeft = [&](const QString& caption) {
        return TTitleRow::LayOut(caption, cell, Qt::AlignRight, metrics).back().left;
    };
    QVERIFY(lastLeft(u("ΑΑΑ ΒΒΒ ")) < lastLeft(u("ΑΑΑ ΒΒΒ")));
    QCOMPARE(TTitleRow::LayOut(u("ΠΟΛΗ"), cell, Qt::AlignLeft, metrics).front().left, 2);
}

void TestGridEditing::gridHasItsTitleAndRowHeightsAndWideEnoughColumns()
{
    Session s;
    QCOMPARE(s.grid->horizontalHeader()->height(), s.grid->TitleHeight());
    QCOMPARE(s.grid->TitleHeight(), 45);
    QCOMPARE(s.grid->verticalHeader()->defaultSectionSize(), 17);
    // Setting the row height, even to what it is, puts the title row back to its height.
    s.grid->horizontalHeader()->setFixedHeight(20);
    s.grid->SetRowHeight(17);
    QCOMPARE(s.grid->horizontalHeader()->height(), 45);
    QVERIFY(s.grid->TitleRow()->RaisedEdges());
    s.grid->SetLinesShown(false);
    QVERIFY(!s.grid->TitleRow()->RaisedEdges() && !s.grid->showGrid());
    s.grid->SetLinesShown(true);
    QCOMPARE(s.grid->columnWidth(3), 77);
    // The tax number column shows all nine digits, the surname eighteen capitals.
    const QFontMetrics metrics(s.grid->font());
    QVERIFY(s.grid->columnWidth(0) >= metrics.horizontalAdvance(QStringLiteral("999999999")));
    QVERIFY(s.grid->columnWidth(1) >= metrics.horizontalAdvance(u("ΠΑΠΑΔΟΠΟΥΛΟΠΟΥΛΟΣ")));
    QCOMPARE(s.grid->model()->headerData(7, Qt::Horizontal).toString(), QStringLiteral("TK"));
    QCOMPARE(s.grid->accessibleDescription(), QStringLiteral("dbGrid1"));
    auto* box = s.form.findChild<QComboBox*>(QStringLiteral("DBLookupComboBox1"));
    QCOMPARE(box->accessibleDescription(), QStringLiteral("DBLookupComboBox1"));
    QVERIFY(!box->isVisible());
    QCOMPARE(box->count(), 13);
    QCOMPARE(box->itemText(0), QStringLiteral("10"));
}

// Header and rows keyed through the window, saved: the file holds exactly the
// records the rules make of them (built by hand in the golden folder).
void TestGridEditing::threeRowsKeyedInAreSavedAsExpected()
{
    Session s;
    const QString golden = QStringLiteral(ROZARO_TEST_DATA "/grid/keyed_three_rows/");
    for (const QByteArray& line : readFile(golden + QStringLiteral("header")).split('\n')) {
        const qsizetype equals = line.indexOf('=');
        auto* field = s.form.findChild<QLineEdit*>(QString::fromLatin1(line.left(equals)));
        if (equals < 0 || field == nullptr) {
            continue;
        }
        field->clear();
        field->setFocus();
        type(cp1253::toUnicode(line.mid(equals + 1).trimmed().toStdString()));
    }
    s.grid->setFocus();
    s.keyRow(RowA);
    key(Qt::Key_Down);
    s.keyRow(RowB);
    key(Qt::Key_Down);
    s.keyRow(RowC);
    QCOMPARE(s.rows.RecordCount(), 2);
    QCOMPARE(s.rows.State(), TDataSetState::dsInsert);
    // Saving stores the row being keyed first.
    s.form.savePath = s.folder.filePath(QStringLiteral("out"));
    s.form.findChild<QAction*>(QStringLiteral("SaveAs1"))->trigger();
    QCOMPARE(s.form.messages, std::vector<std::string>{});
    QCOMPARE(s.form.errors, std::vector<std::string>{});
    QCOMPARE(s.form.questions, std::vector<std::string>{});
    QCOMPARE(readFile(s.form.savePath), readFile(golden + QStringLiteral("expected")));
    // Opened again and saved again, it is the same file.
    s.form.openPath = s.form.savePath;
    s.form.findChild<QAction*>(QStringLiteral("Open1"))->trigger();
    QCOMPARE(s.grid->model()->rowCount(), 3);
    s.form.savePath = s.folder.filePath(QStringLiteral("again"));
    s.form.findChild<QAction*>(QStringLiteral("SaveAs1"))->trigger();
    QCOMPARE(readFile(s.form.savePath), readFile(golden + QStringLiteral("expected")));
    QVERIFY(s.form.messages.empty() && s.form.errors.empty());
}

void TestGridEditing::refusedRowKeepsThePersonOnItWithWhatWasTyped()
{
    Session s;
    s.keyRow(RowB);
    key(Qt::Key_Down); // stored; a new row follows
    QCOMPARE(s.rows.RecordCount(), 1);
    key(Qt::Key_Home);
    type(QStringLiteral("123456783"));
    key(Qt::Key_Up);
    QCOMPARE(s.form.messages.size(), size_t(1));
    QCOMPARE(s.grid->currentIndex().row(), 1);
    QCOMPARE(s.rows.State(), TDataSetState::dsInsert);
    QCOMPARE(s.cell(1, 0), QStringLiteral("123456783"));
    QCOMPARE(TIndicatorColumn::MarkOf(*s.grid->Model(), 1), TIndicatorColumn::TMark::Insert);
    // The mouse on another row is refused the same way.
    const QRect first = s.grid->visualRect(s.grid->model()->index(0, 1));
    QTest::mouseClick(s.grid->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    QCOMPARE(s.form.messages.size(), size_t(2));
    QCOMPARE(s.grid->currentIndex().row(), 1);
    QCOMPARE(s.rows.RecordCount(), 1);
    // Esc gives the row up.
    key(Qt::Key_Escape);
    QCOMPARE(s.rows.State(), TDataSetState::dsBrowse);
    QCOMPARE(s.grid->model()->rowCount(), 1);
    QCOMPARE(s.grid->currentIndex().row(), 0);
    QCOMPARE(TIndicatorColumn::MarkOf(*s.grid->Model(), 0), TIndicatorColumn::TMark::Current);
}

void TestGridEditing::netPayIsFilledOnEnteringItsColumn()
{
    Session s;
    s.keyRow({QStringLiteral("123456783"),
              {},
              {},
              {},
              {},
              {},
              {},
              {},
              {},
              QStringLiteral("100"),
              {},
              {},
              QStringLiteral("200")});
    QVERIFY(s.form.messages.empty());
    key(Qt::Key_Tab);
    QCOMPARE(s.form.messages,
             std::vector<std::string>{"Οι Καθαρές Αποδοχές βγαίνουν αρνητικές. Ελέγξτε τα ποσά των διάφορων "
                                      "κρατήσεων καθώς και τις Ακαθάριστες αποδοχές"});
    QCOMPARE(s.cell(0, 13), QStringLiteral("0"));
    // Back to the deductions, lower them, and in again.
    key(Qt::Key_Backtab);
    type(QStringLiteral("0,25"));
    key(Qt::Key_Tab);
    QCOMPARE(s.cell(0, 13), QStringLiteral("99,75"));
    QCOMPARE(s.form.messages.size(), size_t(1));
}

void TestGridEditing::incomeKindBoxTakesTheCodeAndTabReturnsToGrossPay()
{
    Session s;
    auto* box = s.form.findChild<QComboBox*>(QStringLiteral("DBLookupComboBox1"));
    s.grid->setCurrentIndex(s.grid->model()->index(0, 0));
    s.keyRow({QStringLiteral("123456783"), {}, {}, {}, {}, {}, {}, {}, {}});
    QCOMPARE(s.grid->SelectedIndex(), 8);
    QVERIFY(box->isVisible());
    const QRect cell = s.grid->visualRect(s.grid->currentIndex());
    QCOMPARE(box->pos(), s.grid->viewport()->mapTo(box->parentWidget(), cell.topLeft()));
    QCOMPARE(box->width(), cell.width());
    type(QStringLiteral("2"));
    QCOMPARE(focused(), box);
    QVERIFY(s.form.LookupEntered());
    type(QStringLiteral("1"));
    QCOMPARE(box->currentText(), QStringLiteral("21"));
    QCOMPARE(s.rows.FieldByName("TypeInc").AsString(), "21");
    key(Qt::Key_Tab);
    QCOMPARE(focused(), s.grid);
    QCOMPARE(s.grid->SelectedIndex(), 9);
    QCOMPARE(s.grid->currentIndex().row(), 0);
    QVERIFY(!s.form.LookupEntered());
    QVERIFY(!box->isVisible());
    QCOMPARE(s.cell(0, 8), QStringLiteral("21"));

    // Tab with the list open leaves the box too; the entry the list points
    // at is not taken.
    key(Qt::Key_Backtab);
    type(QStringLiteral("1"));
    QCOMPARE(box->currentText(), QStringLiteral("10"));
    box->showPopup();
    QVERIFY(box->view()->isVisible());
    key(Qt::Key_Down);
    key(Qt::Key_Tab);
    QVERIFY(!box->view()->isVisible());
    QCOMPARE(focused(), s.grid);
    QCOMPARE(s.grid->SelectedIndex(), 9);
    QCOMPARE(s.rows.FieldByName("TypeInc").AsString(), "10");

    // Shift+Tab from the box goes back to its cell, and the next Tab moves on
    // by one column only.
    key(Qt::Key_Backtab);
    type(QStringLiteral("1"));
    QCOMPARE(focused(), box);
    key(Qt::Key_Backtab);
    QCOMPARE(focused(), s.grid);
    QCOMPARE(s.grid->SelectedIndex(), 8);
    key(Qt::Key_Tab);
    QCOMPARE(s.grid->SelectedIndex(), 9);
    // Leaving the box with the mouse, for another cell, leaves Tab to move
    // by one column too.
    key(Qt::Key_Backtab);
    type(QStringLiteral("1"));
    QCOMPARE(focused(), box);
    const QModelIndex name = s.grid->model()->index(0, 2);
    QTest::mouseClick(s.grid->viewport(), Qt::LeftButton, {}, s.grid->visualRect(name).center());
    QCOMPARE(focused(), s.grid);
    QCOMPARE(s.grid->SelectedIndex(), 2);
    key(Qt::Key_Tab);
    QCOMPARE(s.grid->SelectedIndex(), 3);
}

void TestGridEditing::columnsFilterTypedAndPastedCharacters()
{
    Session s;
    type(QStringLiteral("12a3"));
    QCOMPARE(s.form.beeps, 1);
    key(Qt::Key_Tab);
    type(u("Ά-1."));
    for (int i = 0; i < 8; ++i) {
        key(Qt::Key_Tab);
    }
    type(QStringLiteral("12,5,.-"));
    QCOMPARE(s.form.beeps, 4);
    QCOMPARE(s.form.workspace().Modified(), true);
    QCOMPARE(s.cell(0, 0), QStringLiteral("123"));
    QCOMPARE(s.cell(0, 1), u("Ά-1."));
    auto* editor = qobject_cast<QLineEdit*>(focused());
    QVERIFY(editor != nullptr);
    QCOMPARE(editor->text(), QStringLiteral("12,5"));
    // Ctrl+V types a character the amount filter refuses; text pasted from
    // the editor's menu keeps what typing would have kept.
    editor->clear();
    QApplication::clipboard()->setText(QStringLiteral("7a,5,1"));
    QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_V, QString(QChar(0x16)), Qt::ControlModifier);
    QCOMPARE(editor->text(), QString());
    QCOMPARE(s.form.beeps, 5);
    editor->paste();
    QCOMPARE(editor->text(), QStringLiteral("7,51"));
    QCOMPARE(s.form.beeps, 6);
    key(Qt::Key_Tab);
    QCOMPARE(s.rows.FieldByName("AkaInc").AsString(), "7,51");
    // In a column that takes anything, Ctrl+V pastes; Tab, Enter and Esc are
    // typed characters too, and none of them beeps.
    s.grid->setCurrentIndex(s.grid->model()->index(0, 1));
    key(Qt::Key_Return);
    editor = qobject_cast<QLineEdit*>(focused());
    QVERIFY(editor != nullptr);
    editor->selectAll();
    QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_V, QString(QChar(0x16)), Qt::ControlModifier);
    QCOMPARE(editor->text(), QStringLiteral("7a,5,1"));
    key(Qt::Key_Escape);
    s.form.workspace().SetModified(false);
    for (const Qt::Key k : {Qt::Key_Tab, Qt::Key_Return, Qt::Key_Escape}) {
        s.form.workspace().SetModified(false);
        key(k);
        QVERIFY(s.form.workspace().Modified());
    }
    QCOMPARE(s.form.beeps, 6);
}

void TestGridEditing::deleteAsksAndOnlyYesDeletes()
{
    Session s;
    s.keyTwoRows();
    QCOMPARE(s.rows.RecordCount(), 2);
    const std::string totals = s.form.workspace().CurrentTotals().GrossPay();
    auto* nbDelete = s.form.findChild<QToolButton*>(QStringLiteral("nbDelete"));
    QVERIFY(nbDelete->isEnabled());
    s.form.answers = {Answer::No, Answer::Cancel};
    nbDelete->click();
    nbDelete->click(); // closed with Escape
    QCOMPARE(s.form.questions, std::vector<std::string>(2, "Είστε σίγουρος;"));
    QCOMPARE(s.form.captions.back(), std::vector<std::string>({"Ναι", "Όχι"}));
    s.form.answers = {Answer::Cancel};
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(s.form.questions.back(), "Delete record?");
    QCOMPARE(s.rows.RecordCount(), 2);
    QCOMPARE(s.form.workspace().CurrentTotals().GrossPay(), totals);

    s.form.answers = {Answer::Yes};
    s.form.workspace().SetModified(false);
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(s.rows.RecordCount(), 1);
    QVERIFY(s.form.workspace().Modified()); // closing asks before the delete is lost
    QCOMPARE(s.cell(0, 0), QStringLiteral("100000003"));
    QCOMPARE(s.form.workspace().CurrentTotals().GrossPay(), std::string("500"));
    s.form.answers = {Answer::Yes};
    nbDelete->click();
    QCOMPARE(s.rows.RecordCount(), 0);
    QVERIFY(!nbDelete->isEnabled());
}

void TestGridEditing::insertAppendAndTheUntouchedNewRow()
{
    Session s;
    QAbstractItemModelTester tester(s.grid->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    s.keyTwoRows();
    QCOMPARE(s.rows.RecordCount(), 2);
    QCOMPARE(s.grid->currentIndex().row(), 0);

    // Insert puts a new row before the current one.
    key(Qt::Key_Insert);
    QCOMPARE(s.grid->model()->rowCount(), 3);
    QCOMPARE(s.grid->currentIndex().row(), 0);
    QCOMPARE(s.cell(1, 0), QStringLiteral("123456783"));
    QVERIFY(s.form.workspace().NewRecordPending());
    // Left untouched, it goes.
    key(Qt::Key_Down);
    QCOMPARE(s.grid->model()->rowCount(), 2);
    QCOMPARE(s.grid->currentIndex().row(), 0);
    QCOMPARE(s.cell(0, 0), QStringLiteral("123456783"));
    // Typing into a stored row edits it.
    s.grid->setCurrentIndex(s.grid->model()->index(0, 1));
    type(u("Σ"));
    QCOMPARE(s.rows.State(), TDataSetState::dsEdit);
    QVERIFY(!s.form.workspace().NewRecordPending());
    QCOMPARE(TIndicatorColumn::MarkOf(*s.grid->Model(), 0), TIndicatorColumn::TMark::Edit);
    key(Qt::Key_Escape);
    QCOMPARE(s.cell(0, 1), u("ΠΑΠΑΣ"));
    // A letter made with a dead key (the accent first) comes from the input
    // method as text, not as a key: it starts the edit all the same, and a
    // column of digits refuses it with a beep.
    QInputMethodEvent accented;
    accented.setCommitString(u("Ά"));
    QApplication::sendEvent(focused(), &accented);
    QCOMPARE(s.rows.State(), TDataSetState::dsEdit);
    QCOMPARE(qobject_cast<QLineEdit*>(focused())->text(), u("Ά"));
    key(Qt::Key_Escape);
    QCOMPARE(s.cell(0, 1), u("ΠΑΠΑΣ"));
    s.grid->setCurrentIndex(s.grid->model()->index(0, 0));
    const int beeps = s.form.beeps;
    QInputMethodEvent inDigits;
    inDigits.setCommitString(u("Ά"));
    QApplication::sendEvent(focused(), &inDigits);
    QCOMPARE(s.form.beeps, beeps + 1);
    QCOMPARE(s.rows.State(), TDataSetState::dsBrowse);

    // Down on the last row appends; Up leaves it untouched and it goes.
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    QCOMPARE(s.grid->model()->rowCount(), 3);
    QCOMPARE(s.grid->currentIndex().row(), 2);
    key(Qt::Key_Down); // an untouched new row stays the last
    QCOMPARE(s.grid->model()->rowCount(), 3);
    key(Qt::Key_Up);
    QCOMPARE(s.grid->model()->rowCount(), 2);
    QCOMPARE(s.grid->currentIndex().row(), 1);
    QCOMPARE(s.rows.RecordCount(), 2);
    QVERIFY(s.form.messages.empty());

    // The navigator acts on the same rows.
    s.form.findChild<QToolButton*>(QStringLiteral("nbFirst"))->click();
    QCOMPARE(s.grid->currentIndex().row(), 0);
    s.form.findChild<QToolButton*>(QStringLiteral("nbInsert"))->click();
    QCOMPARE(s.grid->model()->rowCount(), 3);
    QVERIFY(s.form.findChild<QToolButton*>(QStringLiteral("nbCancel"))->isEnabled());
    s.form.findChild<QToolButton*>(QStringLiteral("nbCancel"))->click();
    QCOMPARE(s.grid->model()->rowCount(), 2);
    s.form.findChild<QToolButton*>(QStringLiteral("nbLast"))->click();
    QCOMPARE(s.grid->currentIndex().row(), 1);
}

// Only typing changes a row: an editor opened and closed again, by Enter or by
// moving on, leaves the stored row as it was, and nothing asks to store it.
void TestGridEditing::anEditorOpenedAndClosedLeavesTheRowStored()
{
    Session s;
    s.keyTwoRows();
    QCOMPARE(s.rows.State(), TDataSetState::dsBrowse);
    for (const int column : {1, 9}) {
        s.grid->setCurrentIndex(s.grid->model()->index(0, column));
        key(Qt::Key_Return);
        QVERIFY(s.grid->EditorOpen());
        key(column == 1 ? Qt::Key_Return : Qt::Key_Tab);
        QVERIFY(!s.grid->EditorOpen());
        QCOMPARE(s.rows.State(), TDataSetState::dsBrowse);
        QCOMPARE(TIndicatorColumn::MarkOf(*s.grid->Model(), 0), TIndicatorColumn::TMark::Current);
    }
    key(Qt::Key_Down);
    QCOMPARE(s.grid->currentIndex().row(), 1);
    QVERIFY(s.form.messages.empty());
    QVERIFY(s.form.questions.empty());
}

// The row checks read the fields; what is still in the cell editor when the
// store is asked to store must be there by then.
void TestGridEditing::beforePostHookSeesTheTextStillInTheEditor()
{
    Session s;
    std::string seen;
    const auto checks = s.rows.BeforePost;
    s.rows.BeforePost = [&seen, checks](TFixedFormatDataSet& store) {
        seen = store.FieldByName("AFM").AsString();
        checks(store);
    };
    type(QStringLiteral("123456783"));
    QVERIFY(qobject_cast<QLineEdit*>(focused()) != nullptr);
    s.form.findChild<QToolButton*>(QStringLiteral("nbPost"))->click();
    QCOMPARE(seen, std::string("123456783"));
    QCOMPARE(s.form.messages.size(), size_t(1)); // the row lacks its other fields
}

void TestGridEditing::wheelAndTabPastTheLastColumnMoveBetweenRows()
{
    Session s;
    s.keyTwoRows();
    const auto turn = [&s](int angle) {
        QWheelEvent wheel(QPointF(5, 5), s.grid->viewport()->mapToGlobal(QPoint(5, 5)), QPoint(),
                          QPoint(0, angle), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(s.grid->viewport(), &wheel);
    };
    turn(-120); // towards the person: one row down
    QCOMPARE(s.grid->currentIndex().row(), 1);
    QCOMPARE(s.rows.RecNo(), s.rows.Lines()[1].Id);
    turn(120);
    QCOMPARE(s.grid->currentIndex().row(), 0);
    // Tab past the last column stores the row and goes on to the next one.
    s.grid->setCurrentIndex(s.grid->model()->index(0, 19));
    type(QStringLiteral("0"));
    QCOMPARE(s.rows.State(), TDataSetState::dsEdit);
    key(Qt::Key_Tab);
    QCOMPARE(s.rows.State(), TDataSetState::dsBrowse);
    QCOMPARE(s.grid->currentIndex(), s.grid->model()->index(1, 0));
    key(Qt::Key_Backtab);
    QCOMPARE(s.grid->currentIndex(), s.grid->model()->index(0, 19));
    QVERIFY(s.form.messages.empty());
}

// Storing a new row on the way to another keeps the keyboard in its column:
// Down goes straight down, a click lands on the cell clicked.
void TestGridEditing::storingANewRowKeepsTheColumn()
{
    Session s;
    s.keyRow(RowA);
    key(Qt::Key_Down);
    QCOMPARE(s.rows.RecordCount(), 1);
    QCOMPARE(s.grid->currentIndex(), s.grid->model()->index(1, 17));
    s.keyRow(RowB);
    const QRect cell = s.grid->visualRect(s.grid->model()->index(0, 3));
    QTest::mouseClick(s.grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QCOMPARE(s.rows.RecordCount(), 2);
    QCOMPARE(s.grid->currentIndex(), s.grid->model()->index(0, 3));
    QVERIFY(s.form.messages.empty());
}

// The keyboard used to be caught in the grid: Tab wrapped row after row and
// Shift+Tab stopped at the first cell.
void TestGridEditing::theKeyboardLeavesTheGrid()
{
    Session s;
    s.keyTwoRows();
    const auto named = [&](const char* name) {
        return s.form.findChild<QWidget*>(QString::fromLatin1(name));
    };
    // Ctrl+Tab from an open editor: its text is in the row, still unstored.
    s.grid->setCurrentIndex(s.grid->model()->index(0, 2));
    type(u("ΝΙΚΟΣ"));
    key(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(focused(), named("YearOfData"));
    QCOMPARE(s.rows.State(), TDataSetState::dsEdit);
    QCOMPARE(s.rows.FieldByName("Name").AsString(), cp1253::fromUnicode(u("ΝΙΚΟΣ")));
    // Back: the control before the grid is the last of the totals on screen.
    s.grid->setFocus();
    key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(focused(), named("Edit9"));
    s.grid->setFocus();
    // Shift+Tab moves back within the grid down to its first cell, then out.
    key(Qt::Key_Backtab);
    key(Qt::Key_Backtab);
    QCOMPARE(focused(), s.grid);
    QCOMPARE(s.grid->currentIndex(), s.grid->model()->index(0, 0));
    key(Qt::Key_Backtab);
    QCOMPARE(focused(), named("Edit9"));
    // From the income-kind box over its cell too.
    s.grid->setFocus();
    s.grid->setCurrentIndex(s.grid->model()->index(0, 8));
    type(QStringLiteral("1"));
    QCOMPARE(focused(), named("DBLookupComboBox1"));
    key(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(focused(), named("YearOfData"));
    QVERIFY(!s.form.LookupEntered());
    // The navigator is the mouse's: no Tab stop before the grid.
    for (const char* button : {"nbFirst", "nbLast", "nbInsert", "nbDelete", "nbPost", "nbCancel"}) {
        QCOMPARE(named(button)->focusPolicy(), Qt::NoFocus);
    }
}

// A new row nobody typed into (Down on the last row) used to stop a sort with
// the message about the required fields; it is dropped and the sort goes on.
// After it the grid shows the tax numbers and has the keyboard.
void TestGridEditing::sortShowsTheAfmColumnAndDropsAnUntouchedNewRow()
{
    Session s;
    s.keyTwoRows();
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    QCOMPARE(s.rows.State(), TDataSetState::dsInsert);
    s.grid->setCurrentIndex(s.grid->model()->index(2, 18));
    QVERIFY(s.grid->horizontalScrollBar()->value() > 0);
    s.form.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    QVERIFY(s.form.messages.empty());
    QCOMPARE(s.rows.RecordCount(), 2);
    QCOMPARE(s.grid->model()->rowCount(), 2);
    QCOMPARE(s.stored(0, "AFM"), std::string("100000003"));
    QCOMPARE(focused(), s.grid);
    QCOMPARE(s.grid->SelectedIndex(), 0);
    QCOMPARE(s.grid->horizontalScrollBar()->value(), 0);
}

// The editor used to take any length and the row lost the end silently when
// stored: typing or pasting past the field's width now beeps and keeps what fits.
void TestGridEditing::cellEditorsTakeNoMoreThanTheFieldHolds()
{
    Session s;
    s.keyTwoRows();
    s.grid->setCurrentIndex(s.grid->model()->index(0, 2));
    type(u("ΚΩΝΣΤΑΝΤΙΝΟΣ"));
    auto* editor = qobject_cast<QLineEdit*>(focused());
    QVERIFY(editor != nullptr);
    QCOMPARE(editor->text(), u("ΚΩΝΣΤΑΝΤΙ"));
    QCOMPARE(s.form.beeps, 3);
    // A paste in the middle keeps its beginning and the text after the caret.
    editor->setText(u("ΑΒ"));
    editor->setCursorPosition(1);
    QApplication::clipboard()->setText(QStringLiteral("123456789"));
    editor->paste();
    QCOMPARE(editor->text(), u("Α1234567Β"));
    QCOMPARE(editor->cursorPosition(), 8);
    QCOMPARE(s.form.beeps, 4);
    key(Qt::Key_Tab);
    QCOMPARE(s.rows.FieldByName("Name").AsString(), cp1253::fromUnicode(u("Α1234567Β")));
}

QTEST_MAIN(TestGridEditing)
#include "tst_gridediting.moc"
