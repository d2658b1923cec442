#include "app/DetailRowsModel.h"

#include "text/Cp1253.h"
#include "workspace/DeclarationFile.h"

#include <array>

namespace {

struct Column
{
    declaration::DetailField field;
    const char* title; // nullptr: the field's own name stands as title
    int width;
};

using declaration::DetailField;

const std::array<Column, 20> Columns{{
    {DetailField::AFM, "ΑΦΜ (*)", 0},
    {DetailField::SurName, "ΕΠΩΝΥΜΟ", 0},
    {DetailField::Name, "ΟΝΟΜΑ", 75},
    {DetailField::FatherName, "ΟΝΟΜΑ ΠΑΤΕΡΑ Ή ΣΥΖΥΓΟΥ", 77},
    {DetailField::City, "ΠΟΛΗ", 75},
    {DetailField::Street, "ΟΔΟΣ", 0},
    {DetailField::StreetNo, "ΑΡΙΘΜΟΣ", 0},
    {DetailField::TK, nullptr, 0},
    {DetailField::TypeInc, "ΕΙΔΟΣ ΑΠΟΔΟΧΩΝ (*)", 65},
    {DetailField::AkaInc, "ΑΚΑΘΑΡΙΣΤΕΣ ΑΠΟΔΟΧΕΣ (*)", 72},
    {DetailField::Xartosimo, "ΧΑΡΤΟΣΗΜΟ", 0},
    {DetailField::OGAXart, "ΟΓΑ ΧΑΡΤΟΣΗΜΟΥ", 72},
    {DetailField::Kratiseis, "ΚΡΑΤΗΣΕΙΣ  (ΕΚΤΟΣ ΦΟΡΟΥ) (*)", 65},
    {DetailField::Kathares, "ΚΑΘΑΡΕΣ ΑΠΟΔΟΧΕΣ   (*)", 65},
    {DetailField::ForosParakr, "ΦΟΡΟΣ ΠΟΥ ΠΑΡΑΚΡΑΤΗ- ΘΗΚΕ", 72},
    {DetailField::ForosAnal, "ΦΟΡΟΣ ΠΟΥ ΑΝΑΛΟΓΕΙ", 72},
    {DetailField::Ypokatastima, "ΥΠΟΚ/ΜΑ ΜΙΣΘΩΤΟΥ", 65},
    {DetailField::Hmeres, "ΣΥΝΟΛΟ ΗΜΕΡΩΝ ΑΠ/ΣΗΣ", 65},
    {DetailField::OGAForouParakr, "ΟΓΑ ΦΟΡΟΥ ΠΟΥ ΠΑΡ/ΘΗΚΕ", 72},
    {DetailField::OGAForouAnal, "ΟΓΑ ΦΟΡΟΥ ΠΟΥ ΑΝΑΛΟΓΕΙ", 72},
}};

} // namespace

DetailRowsModel::DetailRowsModel(TFixedFormatDataSet& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store)
{
    m_store.AddObserver(this);
}

DetailRowsModel::~DetailRowsModel()
{
    m_store.RemoveObserver(this);
}

int DetailRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_store.Lines().size());
}

int DetailRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(Columns.size());
}

QVariant DetailRowsModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const auto& line = m_store.Lines()[static_cast<size_t>(index.row())].Text;
    return cp1253::toUnicode(
        declaration::DetailFieldText(line, Columns[static_cast<size_t>(index.column())].field));
}

QVariant DetailRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    if (section >= columnCount()) {
        return {};
    }
    const Column& column = Columns[static_cast<size_t>(section)];
    if (column.title == nullptr) {
        return QString::fromLatin1(declaration::DetailLayout()[column.field].name);
    }
    return QString::fromUtf8(column.title);
}

int DetailRowsModel::FieldOfColumn(int column)
{
    return Columns.at(static_cast<size_t>(column)).field;
}

int DetailRowsModel::ColumnWidth(int column)
{
    return Columns.at(static_cast<size_t>(column)).width;
}

void DetailRowsModel::Reload()
{
    beginResetModel();
    endResetModel();
}
