#include "FormFixture.h"

#include "app/Form2.h"
#include "app/ProblemPanel.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QTableView>
#include <QTest>

namespace {

std::string Pad(const std::string& text, size_t width)
{
    return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}
std::string Cents(const std::string& digits, size_t width)
{
    return std::string(width - digits.size(), '0') + digits;
}

// A detail record in file form: gross, deductions and net in cents, the
// due tax as given, every other amount zero.
std::string Record3(const std::string& afm, const std::string& surname, const std::string& net,
                    const std::string& due = "0")
{
    return "3" + afm + " " + Pad(surname, 18) + Pad("NAME", 9) + Pad("", 3) + Pad("", 10) + Pad("", 16) +
           Pad("", 5) + Pad("", 5) + "10" + Cents("100000", 10) + Cents("0", 8) + Cents("0", 7) +
           Cents("20000", 9) + Cents(net, 10) + Cents("0", 9) + Cents(due, 9) + Pad("0", 6) + "000" +
           Cents("0", 8) + Cents("0", 8) + "    ";
}

std::string Declaration(const std::vector<std::string>& rows)
{
    std::string text =
        Pad("0JL10    202601012025", 170) + "\r\n" +
        Pad("12025" + Pad("MINISTRY", 30) + "0094014201" + Pad("SERVICE", 16) + Pad("ATHENS", 10), 170) +
        "\r\n";
    for (const auto& row : rows)
        text += row + "\r\n";
    return text;
}

const QString kNet = QString::fromUtf8("Οι Καθαρές αποδοχές δε συμφωνούν με τα υπόλοιπα ποσά που έχετε "
                                       "δηλώσει.Ελέγξτε τα ποσά των διάφορων κρατήσεων καθώς και τις "
                                       "Ακαθάριστες αποδοχές");

// The main window with its open dialog answered by the file the test names.
class CheckingForm : public RecordingForm
{
public:
    explicit CheckingForm(const QString& folder) : RecordingForm(folder)
    {
        show();
        QApplication::setActiveWindow(this);
        if (!QTest::qWaitForWindowActive(this)) {
            qWarning("window not active");
        }
    }
    std::string chosen;
    bool ChooseOpenFile(const std::string&, const std::string&, std::string& path) override
    {
        path = chosen;
        return true;
    }

    // `replies` answer the questions Open asks, such as whether to save a changed declaration first.
    void Open(const ProgramFolder& folder, const char* name, const std::string& bytes,
              std::deque<UserInterface::Answer> replies = {})
    {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        file.close();
        chosen = file.fileName().toStdString();
        answers = std::move(replies);
        Trigger("Open1");
    }
    void Trigger(const char* entry) { findChild<QAction*>(QString::fromLatin1(entry))->trigger(); }

    ProblemPanel* Panel() const { return findChild<ProblemPanel*>(QStringLiteral("ProblemPanel")); }
    QListView* List() const { return Panel()->List(); }
    QTableView* Grid() const { return findChild<QTableView*>(QStringLiteral("dbGrid1")); }
    QStringList Lines() const
    {
        QStringList lines;
        for (int i = 0; i < List()->model()->rowCount(); ++i)
            lines << List()->model()->index(i, 0).data().toString();
        return lines;
    }
};

} // namespace

class TestProblemPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openingBadRowsListsThemAndEachLineLeadsToItsRow();
    void checkCommandListsWarningsAndSaysWhenNothingIsFound();
};

void TestProblemPanel::openingBadRowsListsThemAndEachLineLeadsToItsRow()
{
    ProgramFolder folder;
    CheckingForm form(folder.path());
    QVERIFY(!form.Panel()->isVisible());
    const int gridHeight = form.Grid()->height();

    form.Open(folder, "bad.txt",
              Declaration({Record3("090000045", "ALPHA", "80000"), Record3("123456783", "BETA", "79900"),
                           Record3("044455563", "GAMMA", "80000"), Record3("090000045", "DELTA", "80000")}));
    QVERIFY(form.errors.empty());
    // The rows are checked while the window already shows them: the list follows.
    QTRY_VERIFY(form.Panel()->isVisible());
    QCOMPARE(form.List()->accessibleName(), QString::fromUtf8("Προβλήματα"));
    QCOMPARE(form.List()->accessibleDescription(), QStringLiteral("ProblemList"));
    QCOMPARE(form.Panel()->Title()->text(),
             QString::fromUtf8("Έλεγχος όλων των εγγραφών: 2 προβλήματα, 0 προειδοποιήσεις"));
    QCOMPARE(
        form.Lines(),
        QStringList({QString::fromUtf8("Γραμμή 2 — 123456783 — BETA: ") + kNet,
                     QString::fromUtf8("Γραμμή 4 — 090000045 — DELTA: Ο ΑΦΜ: 090000045 έχει εισαχθεί 2 "
                                       "φορές στις αναλυτικές αμοιβές με τον ίδιο κωδικό Είδους Αποδοχών")}));
    // The panel takes its place under the grid, which is shorter by as much.
    QVERIFY(form.Grid()->height() < gridHeight);
    QCOMPARE(form.Panel()->geometry().top(), form.Grid()->geometry().bottom() + 1);
    QCOMPARE(QApplication::focusWidget(), form.List());
    // A line wider than the panel shows whole as its tip.
    QCOMPARE(form.List()->model()->index(0, 0).data(Qt::ToolTipRole).toString(), form.Lines().front());

    // Enter on the second line: the grid stands on row 4 and has the keyboard.
    form.List()->setCurrentIndex(form.List()->model()->index(1, 0));
    QTest::keyClick(form.List(), Qt::Key_Return);
    QCOMPARE(form.Grid()->currentIndex().row(), 3);
    QVERIFY(form.Grid()->hasFocus());

    // A double click on the first line: row 2.
    const QRect first = form.List()->visualRect(form.List()->model()->index(0, 0));
    QTest::mouseClick(form.List()->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(form.List()->viewport(), Qt::LeftButton, {}, first.center());
    QCOMPARE(form.Grid()->currentIndex().row(), 1);
    QVERIFY(form.Grid()->hasFocus());
    QVERIFY(form.errors.empty());

    // Sorted, the rows stand under new numbers: the list on show follows them.
    form.findChild<QAbstractButton*>(QStringLiteral("Button2"))->click();
    QCOMPARE(form.Lines().size(), 2);
    QVERIFY(form.Lines()[0].startsWith(QString::fromUtf8("Γραμμή 2 — 123456783 — BETA")));
    QVERIFY(form.Lines()[1].startsWith(QString::fromUtf8("Γραμμή 3 — 090000045 — DELTA")));
    form.List()->setCurrentIndex(form.List()->model()->index(1, 0));
    QTest::keyClick(form.List(), Qt::Key_Return);
    QCOMPARE(form.Grid()->currentIndex().row(), 2);

    // A declaration whose rows pass closes the list of the one before (the
    // sorted one is left unsaved).
    form.Open(folder, "good.txt", Declaration({Record3("090000045", "ALPHA", "80000")}),
              {UserInterface::Answer::No});
    QVERIFY(!form.Panel()->isVisible());
    QCOMPARE(form.Grid()->height(), gridHeight);
}

void TestProblemPanel::checkCommandListsWarningsAndSaysWhenNothingIsFound()
{
    ProgramFolder folder;
    CheckingForm form(folder.path());
    QVERIFY(!form.findChild<QAction*>(QStringLiteral("CheckAll1"))->isEnabled());
    auto* wait = new TForm2(&form);
    form.SetWaitWindow(wait);

    // Only questions: the file opens without the list.
    form.Open(folder, "asks.txt", Declaration({Record3("044455563", "GAMMA", "80000", "33000")}));
    QVERIFY(!form.Panel()->isVisible());
    QVERIFY(form.findChild<QAction*>(QStringLiteral("CheckAll1"))->isEnabled());

    // The entry (F7) lists them as warnings, and asks nothing.
    form.questions.clear();
    form.Trigger("CheckAll1");
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(form.Panel()->isVisible());
    QVERIFY(form.questions.empty());
    QVERIFY(!wait->isVisible());
    QCOMPARE(form.Panel()->Title()->text(),
             QString::fromUtf8("Έλεγχος όλων των εγγραφών: 0 προβλήματα, 1 προειδοποίηση"));
    QCOMPARE(form.Lines(),
             QStringList(QString::fromUtf8("Γραμμή 1 — 044455563 — GAMMA (προειδοποίηση): Ο Φόρος που "
                                           "Αναλογεί είναι μεγαλύτερος του 40% των Καθαρών Αποδοχών. Είστε "
                                           "βέβαιος ότι θέλετε να συνεχίσετε με την αποθήκευση;")));

    // Escape closes the panel and gives the grid back its place and the keyboard.
    const int shortened = form.Grid()->height();
    QTest::keyClick(form.List(), Qt::Key_Escape);
    QVERIFY(!form.Panel()->isVisible());
    QVERIFY(form.Grid()->height() > shortened);
    QCOMPARE(form.focusWidget(), form.Grid());

    // An empty declaration: the title says nothing was found.
    form.answers = {UserInterface::Answer::Yes};
    form.Trigger("New1");
    form.Trigger("CheckAll1");
    QCOMPARE(form.Panel()->Title()->text(),
             QString::fromUtf8("Έλεγχος όλων των εγγραφών: δεν βρέθηκαν προβλήματα"));
    QCOMPARE(form.List()->model()->rowCount(), 0);
}

QTEST_MAIN(TestProblemPanel)
#include "tst_problempanel.moc"
