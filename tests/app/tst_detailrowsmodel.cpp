#include "app/DetailGridColumns.h"
#include "grid/DataSetTableModel.h"
#include "declaration/DeclarationFile.h"
#include "declaration/GridColumns.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

using declaration::DetailField;

// A detail line in working form with the given fields set.
std::string detailLine(std::initializer_list<std::pair<DetailField, std::string>> values)
{
    std::string line(declaration::RecordWidth, ' ');
    for (const auto& [field, value] : values) {
        const auto& layout = declaration::DetailLayout()[field];
        line.replace(static_cast<size_t>(layout.offset), value.size(), value);
    }
    return line;
}

// The grid's model over the detail rows, with the window's columns.
class DetailRowsModel : public TDataSetTableModel
{
public:
    explicit DetailRowsModel(TFixedFormatDataSet& store) : TDataSetTableModel(store, DetailGridColumns()) {}
    static int FieldOfColumn(int column)
    {
        return gridcolumns::Columns().at(static_cast<size_t>(column)).field;
    }
    static int ColumnWidth(int column) { return DetailGridColumns().at(static_cast<size_t>(column)).width; }
};

} // namespace

class TestDetailRowsModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void showsEveryKeyedFieldUnderItsTitle();
    void decodesTheStoredCodePageBytes();
    void followsRowsAddedAndDeletedInTheStore();
    void closedStoreShowsNoRows();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TFixedFormatDataSet> m_store;
};

void TestDetailRowsModel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QString path = m_dir->filePath(QStringLiteral("record2"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const std::string rows = detailLine({{DetailField::AFM, "090000045"},
                                         {DetailField::SurName, "\xCD\xC9\xCA\xCF\xD5"}, // ΝΙΚΟΥ
                                         {DetailField::TK, "10431"},
                                         {DetailField::TypeInc, "10"},
                                         {DetailField::AkaInc, "1234,5"},
                                         {DetailField::OGAForouAnal, "7"}}) +
                             "\r\n" + detailLine({{DetailField::AFM, "123456783"}}) + "\r\n";
    file.write(rows.data(), static_cast<qint64>(rows.size()));
    file.close();
    m_store = std::make_unique<TFixedFormatDataSet>("FixedFormatDataSet1");
    m_store->SetFileName(path.toStdString());
    m_store->SetSchema(declaration::DetailSchema());
    m_store->Open();
}

void TestDetailRowsModel::cleanup()
{
    m_store.reset();
    m_dir.reset();
}

void TestDetailRowsModel::showsEveryKeyedFieldUnderItsTitle()
{
    DetailRowsModel model(*m_store);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 20);
    auto title = [&](int column) { return model.headerData(column, Qt::Horizontal).toString(); };
    QCOMPARE(title(0), QString::fromUtf8("ΑΦΜ (*)"));
    QCOMPARE(title(7), QStringLiteral("TK")); // the field's own name stands as its title
    QCOMPARE(title(12), QString::fromUtf8("ΚΡΑΤΗΣΕΙΣ  (ΕΚΤΟΣ ΦΟΡΟΥ) (*)"));
    QCOMPARE(title(13), QString::fromUtf8("ΚΑΘΑΡΕΣ ΑΠΟΔΟΧΕΣ   (*)"));
    QCOMPARE(title(19), QString::fromUtf8("ΟΓΑ ΦΟΡΟΥ ΠΟΥ ΑΝΑΛΟΓΕΙ"));
    // Record kind and fillers have no column.
    for (int column = 0; column < model.columnCount(); ++column) {
        const int field = DetailRowsModel::FieldOfColumn(column);
        QVERIFY(field != DetailField::RecordType && field != DetailField::FILLER &&
                field != DetailField::FILLER2);
    }
    QCOMPARE(DetailRowsModel::ColumnWidth(3), 77);
    // The indicator column carries marks, not row numbers.
    QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
}

void TestDetailRowsModel::decodesTheStoredCodePageBytes()
{
    DetailRowsModel model(*m_store);
    auto cell = [&](int row, int column) { return model.data(model.index(row, column)).toString(); };
    QCOMPARE(cell(0, 0), QStringLiteral("090000045"));
    QCOMPARE(cell(0, 1), QString::fromUtf8("ΝΙΚΟΥ"));
    QCOMPARE(cell(0, 7), QStringLiteral("10431"));
    QCOMPARE(cell(0, 8), QStringLiteral("10"));
    QCOMPARE(cell(0, 9), QStringLiteral("1234,5"));
    QCOMPARE(cell(0, 19), QStringLiteral("7"));
    QCOMPARE(cell(1, 0), QStringLiteral("123456783"));
    QCOMPARE(cell(1, 1), QString());
    QVERIFY(!model.data(model.index(0, 0), Qt::EditRole).isValid() ||
            model.data(model.index(0, 0), Qt::EditRole).toString() == cell(0, 0));
}

void TestDetailRowsModel::followsRowsAddedAndDeletedInTheStore()
{
    DetailRowsModel model(*m_store);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_store->Append();
    m_store->FieldByName("AFM").SetAsString("000000050");
    m_store->Post();
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.data(model.index(2, 0)).toString(), QStringLiteral("000000050"));
    m_store->First();
    m_store->Delete();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("123456783"));
}

void TestDetailRowsModel::closedStoreShowsNoRows()
{
    DetailRowsModel model(*m_store);
    m_store->Close();
    QCOMPARE(model.rowCount(), 0);
    m_store->Open();
    QCOMPARE(model.rowCount(), 2);
}

QTEST_MAIN(TestDetailRowsModel)
#include "tst_detailrowsmodel.moc"
