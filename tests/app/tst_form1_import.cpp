#include "FormFixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

// The import entry of the Tools menu, with the open dialog answered.
class ImportingForm : public RecordingForm
{
public:
    using RecordingForm::RecordingForm;
    std::string chosen;
    std::vector<std::string> filters;
    bool ChooseOpenFile(const std::string&, const std::string& filter, std::string& path) override
    {
        filters.push_back(filter);
        path = chosen;
        return true;
    }
};

class TestForm1Import : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void importEntryAddsTheSheetRowsToTheGrid();
};

void TestForm1Import::importEntryAddsTheSheetRowsToTheGrid()
{
    ProgramFolder folder;
    ImportingForm form(folder.path());
    form.show();
    QAction* entry = form.findChild<QAction*>(QStringLiteral("Excel1"));
    QVERIFY(!entry->isEnabled());
    form.answers = {UserInterface::Answer::Yes};
    form.findChild<QAction*>(QStringLiteral("New1"))->trigger();
    QVERIFY(entry->isEnabled());

    const QString csv = folder.filePath(QStringLiteral("rows.csv"));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("090000045;A;;;;;;;10;1000;0;0;200;800;0;0;;100;0;0\r\n"
               "123;B;;;;;;;11;500;0;0;0;500;0;0;;10;0;0\r\n");
    file.close();
    form.chosen = csv.toStdString();
    entry->trigger();

    QCOMPARE(form.filters, std::vector<std::string>{"*.xls;;*.xlsx;;*.ods;;*.csv"});
    QVERIFY(form.errors.empty());
    QCOMPARE(form.messages,
             std::vector<std::string>{"Η εισαγωγή στοιχείων από Excel ολοκληρώθηκε. Υπάρχουν 1 "
                                      "λανθασμένοι ΑΦΜ στα στοιχεία που εισήχθησαν.\nΓραμμή 2: «123»"});
    auto* grid = form.findChild<QTableView*>(QStringLiteral("dbGrid1"));
    QCOMPARE(grid->model()->rowCount(), 2);
    // The import command's wait window has gone and given the grid back.
    QVERIFY(grid->isVisible());
    QCOMPARE(grid->model()->index(0, 0).data().toString().trimmed(), QStringLiteral("123"));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label32"))->text(),
             QString::fromUtf8("2 Εγγραφές-2 μοναδικοί ΑΦΜ"));

    // A row the row checks refuse stops the import there: the rows before it
    // stay stored, and it waits at the top of the grid with the sheet's values.
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("094014201;C;;;;;;;12;300;0;0;0;300;0;0;;10;0;0\r\n"
               "094019245;D;;;;;;;12;300;0;0;0;300;0;0;;366;0;0\r\n"
               "094014201;E;;;;;;;13;300;0;0;0;300;0;0;;10;0;0\r\n");
    file.close();
    form.messages.clear();
    entry->trigger();
    QCOMPARE(form.messages,
             (std::vector<std::string>{"Οι ημέρες απασχόλησης πρέπει να είναι <= 365. Διορθώστε το για να "
                                       "προχωρήσει η αποθήκευση.",
                                       "Παρουσιάστηκαν σφάλματα κατά την εισαγωγή των στοιχείων. Η "
                                       "εισαγωγή διακόπηκε\nΗ εισαγωγή σταμάτησε στη γραμμή 2 του φύλλου. "
                                       "Καταχωρίστηκε η γραμμή 1."}));
    QCOMPARE(grid->model()->rowCount(), 4);
    QCOMPARE(grid->model()->index(0, 0).data().toString().trimmed(), QStringLiteral("094019245"));
    QCOMPARE(grid->model()->index(1, 0).data().toString().trimmed(), QStringLiteral("094014201"));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label32"))->text(),
             QString::fromUtf8("3 Εγγραφές-3 μοναδικοί ΑΦΜ"));
    QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QStringLiteral("1800"));
}

QTEST_MAIN(TestForm1Import)
#include "tst_form1_import.moc"
