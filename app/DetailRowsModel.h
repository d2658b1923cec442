#pragma once

#include "dataset/FixedFormatDataSet.h"

#include <QAbstractTableModel>

// A read-only view of the rows held by the detail store, one column per
// field the person keys in, titled as on the paper form.
class DetailRowsModel : public QAbstractTableModel, private TDataSetObserver
{
    Q_OBJECT
public:
    explicit DetailRowsModel(TFixedFormatDataSet& store, QObject* parent = nullptr);
    ~DetailRowsModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The field a column shows, and the column's preferred width (0: as wide as the field needs).
    static int FieldOfColumn(int column);
    static int ColumnWidth(int column);

private:
    void DataSetChanged(TFixedFormatDataSet&) override { Reload(); }
    void StateChanged(TFixedFormatDataSet&) override { Reload(); }
    void RecordChanged(TFixedFormatDataSet&, const TField*) override { Reload(); }
    void Reload();

    TFixedFormatDataSet& m_store;
};
