#include "grid/DataSetTableModel.h"

#include "text/Cp1253.h"

#include <algorithm>

TDataSetTableModel::TDataSetTableModel(TFixedFormatDataSet& store, std::vector<TGridColumn> columns,
                                       QObject* parent)
    : QAbstractTableModel(parent), m_store(store), m_columns(std::move(columns))
{
    m_rows = LiveRowCount();
    Remember();
    m_store.AddObserver(this);
}

TDataSetTableModel::~TDataSetTableModel()
{
    m_store.RemoveObserver(this);
}

int TDataSetTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TDataSetTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

int TDataSetTableModel::LiveRowCount() const
{
    if (!m_store.Active()) {
        return 0;
    }
    return m_store.RecordCount() + (m_store.State() == TDataSetState::dsInsert ? 1 : 0);
}

TField* TDataSetTableModel::FieldOfColumn(int column) const
{
    if (!m_store.Active() || column < 0 || column >= columnCount()) {
        return nullptr;
    }
    return m_store.FindField(Column(column).field);
}

int TDataSetTableModel::FieldSize(int column) const
{
    if (const TField* field = FieldOfColumn(column)) {
        return field->Size();
    }
    const TFixedFormatDataSet::TFieldDef* def = m_store.FindFieldDef(Column(column).field);
    return def != nullptr ? def->Size : 0;
}

int TDataSetTableModel::CurrentRow() const
{
    if (!m_store.Active()) {
        return -1;
    }
    const int lines = m_store.RecordCount();
    if (m_store.State() == TDataSetState::dsInsert) {
        return std::clamp(m_store.InsertPosition(), 0, lines);
    }
    if (m_store.IsEmpty() || m_store.CurrentLine() < 0 || m_store.CurrentLine() >= lines) {
        return -1;
    }
    return m_store.CurrentLine();
}

int TDataSetTableModel::LineOfRow(int row) const
{
    // While the views hear of a change they still see the rows as they were.
    if (m_leavingRow >= 0) {
        return row == m_leavingRow ? -1 : (row < m_leavingRow ? row : row - 1);
    }
    if (m_arrivingRow >= 0) {
        return row;
    }
    if (m_store.State() == TDataSetState::dsInsert) {
        const int insertRow = CurrentRow();
        if (row == insertRow) {
            return -1;
        }
        return row < insertRow ? row : row - 1;
    }
    return row;
}

bool TDataSetTableModel::IsEditRow(int row) const
{
    const TDataSetState state = m_store.State();
    return m_leavingRow < 0 && m_arrivingRow < 0 &&
           (state == TDataSetState::dsInsert || state == TDataSetState::dsEdit) && row == CurrentRow();
}

QVariant TDataSetTableModel::data(const QModelIndex& index, int role) const
{
    if ((role != Qt::DisplayRole && role != Qt::EditRole) || !index.isValid() || index.row() >= m_rows) {
        return {};
    }
    const TField* field = FieldOfColumn(index.column());
    if (field == nullptr) {
        return {};
    }
    if (IsEditRow(index.row())) {
        return cp1253::toUnicode(field->AsString());
    }
    const int line = LineOfRow(index.row());
    // The views may ask for a row the store took away before they heard of it.
    if (line < 0 || line >= m_store.RecordCount()) {
        return {};
    }
    return cp1253::toUnicode(m_store.FieldText(line, field->Index()));
}

bool TDataSetTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() != CurrentRow()) {
        return false;
    }
    TField* field = FieldOfColumn(index.column());
    std::string bytes;
    if (field == nullptr || !cp1253::fromUnicodeChecked(value.toString(), bytes)) {
        return false;
    }
    // A cell left as it was writes nothing, so merely opening and closing
    // its editor never puts the record in edit.
    if (field->AsString() == bytes) {
        return true;
    }
    return RunGuarded([this, field, &bytes] {
        const TDataSetState state = m_store.State();
        if (state != TDataSetState::dsEdit && state != TDataSetState::dsInsert) {
            m_store.Edit();
        }
        field->SetAsString(bytes);
    });
}

Qt::ItemFlags TDataSetTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant TDataSetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        const TGridColumn& column = Column(section);
        return column.title.isEmpty() ? QString::fromStdString(column.field) : column.title;
    }
    if (role == Qt::TextAlignmentRole) {
        return static_cast<int>(Qt::AlignCenter);
    }
    return {};
}

bool TDataSetTableModel::RunGuarded(const std::function<void()>& operation)
{
    if (Run) {
        return Run(operation);
    }
    try {
        operation();
        return true;
    } catch (...) {
        return false;
    }
}

void TDataSetTableModel::Remember()
{
    m_insertRow = m_store.State() == TDataSetState::dsInsert ? CurrentRow() : -1;
    m_currentRow = CurrentRow();
    const int line = m_insertRow < 0 ? m_currentRow : -1;
    m_currentId = line >= 0 ? m_store.Lines()[static_cast<size_t>(line)].Id : 0;
}

void TDataSetTableModel::RemoveRow(int row)
{
    m_leavingRow = row;
    beginRemoveRows({}, row, row);
    m_rows -= 1;
    m_leavingRow = -1;
    endRemoveRows();
}

void TDataSetTableModel::Sync()
{
    Q_EMIT AboutToSync();
    const int live = LiveRowCount();
    const bool inserting = m_store.State() == TDataSetState::dsInsert;
    const auto& lines = m_store.Lines();
    // Only a delete takes a held line away: the record that was current.
    auto currentGone = [&] {
        return m_currentId != 0 && std::none_of(lines.begin(), lines.end(),
                                                [this](const auto& line) { return line.Id == m_currentId; });
    };
    if (live == m_rows) {
        if (m_rows > 0) {
            Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
        }
    } else if (live == m_rows + 1 && inserting && m_insertRow < 0) {
        m_arrivingRow = CurrentRow();
        beginInsertRows({}, m_arrivingRow, m_arrivingRow);
        m_rows = live;
        m_arrivingRow = -1;
        endInsertRows();
    } else if (live == m_rows - 1 && !inserting && m_insertRow >= 0 &&
               static_cast<int>(lines.size()) == live) {
        // The insertion was cancelled (or taken back by a delete).
        RemoveRow(m_insertRow);
    } else if (live == m_rows - 1 && !inserting && m_insertRow < 0 && m_currentRow >= 0 && currentGone()) {
        RemoveRow(m_currentRow);
    } else {
        beginResetModel();
        m_rows = live;
        endResetModel();
    }
    Remember();
    Q_EMIT CurrentRecordChanged();
}
