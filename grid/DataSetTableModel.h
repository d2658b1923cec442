#pragma once

#include "dataset/FixedFormatDataSet.h"

#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

// One column of the grid: the field it shows and its title (empty: the
// field's own name), and its width in pixels (0: wide enough for the field).
struct TGridColumn
{
    std::string field;
    QString title;
    int width = 0;
};

// The rows of a record store as a table, read on demand from the held lines:
// no row is ever copied. The record being edited or inserted shows the store's
// edit buffer, so a refused row keeps what was typed. Writing a cell writes
// the field of the store's current record, putting it in edit first.
class TDataSetTableModel : public QAbstractTableModel, private TDataSetObserver
{
    Q_OBJECT
public:
    TDataSetTableModel(TFixedFormatDataSet& store, std::vector<TGridColumn> columns,
                       QObject* parent = nullptr);
    ~TDataSetTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    TFixedFormatDataSet& Store() const { return m_store; }
    const TGridColumn& Column(int column) const { return m_columns.at(static_cast<size_t>(column)); }
    // The field a column shows, or null while the store is closed.
    TField* FieldOfColumn(int column) const;
    // The width in characters of a column's field, as the store lays it out
    // (known before the store opens); 0 when the schema lacks the field.
    int FieldSize(int column) const;

    // The row the store's current record stands in; -1 when there is none.
    int CurrentRow() const;
    // The held line a row shows; -1 for the record being inserted.
    int LineOfRow(int row) const;

    // Runs a store operation for the grid; false when it failed or was
    // refused. The window makes it report what went wrong; unset, errors
    // just fail the operation.
    std::function<bool(const std::function<void()>&)> Run;
    bool RunGuarded(const std::function<void()>& operation);

Q_SIGNALS:
    // The store wants the edits the grid holds, before it stores or moves.
    void PendingEditsRequested();
    // The store changed; the views hear what, and then CurrentRecordChanged.
    void AboutToSync();
    // The current record, or the store's state, changed.
    void CurrentRecordChanged();

private:
    void DataSetChanged(TFixedFormatDataSet&) override { Sync(); }
    void StateChanged(TFixedFormatDataSet&) override { Sync(); }
    void Scrolled(TFixedFormatDataSet&) override { Sync(); }
    void RecordChanged(TFixedFormatDataSet&, const TField*) override { Sync(); }
    void UpdateData(TFixedFormatDataSet&) override { Q_EMIT PendingEditsRequested(); }

    // Tells the views what changed since they last heard: the row an
    // insertion added or a delete or cancel took away, or a whole new set.
    void Sync();
    int LiveRowCount() const;
    bool IsEditRow(int row) const;
    void Remember();
    void RemoveRow(int row);

    TFixedFormatDataSet& m_store;
    std::vector<TGridColumn> m_columns;
    // What the views were last told.
    int m_rows = 0;
    int m_insertRow = -1;
    int m_currentRow = -1;
    int32_t m_currentId = 0;
    // While the views hear of a row taken away or added: that row.
    int m_leavingRow = -1;
    int m_arrivingRow = -1;
};
