#pragma once

#include <QHeaderView>

class TDataSetTableModel;

// The narrow column left of the rows: a mark on the current record only (an
// arrow while browsing, an I-beam while it is edited, a star while it is
// being inserted), and no row numbers.
class TIndicatorColumn : public QHeaderView
{
    Q_OBJECT
public:
    static constexpr int Width = 11;

    enum class TMark { None, Current, Edit, Insert };

    explicit TIndicatorColumn(QWidget* parent = nullptr);

    // The mark a row carries for the store's state.
    static TMark MarkOf(const TDataSetTableModel& model, int row);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sizeHint() const override;
};
