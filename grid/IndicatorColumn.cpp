#include "grid/IndicatorColumn.h"

#include "grid/DataSetTableModel.h"

#include <QPainter>
#include <QPolygon>

TIndicatorColumn::TIndicatorColumn(QWidget* parent) : QHeaderView(Qt::Vertical, parent)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setFixedWidth(Width);
}

QSize TIndicatorColumn::sizeHint() const
{
    return {Width, QHeaderView::sizeHint().height()};
}

TIndicatorColumn::TMark TIndicatorColumn::MarkOf(const TDataSetTableModel& model, int row)
{
    if (row < 0 || row != model.CurrentRow()) {
        return TMark::None;
    }
    switch (model.Store().State()) {
    case TDataSetState::dsEdit:
        return TMark::Edit;
    case TDataSetState::dsInsert:
        return TMark::Insert;
    default:
        return TMark::Current;
    }
}

void TIndicatorColumn::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    painter->save();
    painter->fillRect(rect, palette().color(QPalette::Button));
    painter->setPen(palette().color(QPalette::Dark));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());

    const auto* model = qobject_cast<const TDataSetTableModel*>(this->model());
    const TMark mark = model != nullptr ? MarkOf(*model, logicalIndex) : TMark::None;
    const QPoint c = rect.center();
    painter->setPen(palette().color(QPalette::WindowText));
    painter->setBrush(palette().color(QPalette::WindowText));
    switch (mark) {
    case TMark::Current:
        painter->drawPolygon(
            QPolygon({QPoint(c.x() - 2, c.y() - 4), QPoint(c.x() + 2, c.y()), QPoint(c.x() - 2, c.y() + 4)}));
        break;
    case TMark::Edit:
        painter->drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
        painter->drawLine(c.x() - 2, c.y() - 4, c.x() + 2, c.y() - 4);
        painter->drawLine(c.x() - 2, c.y() + 4, c.x() + 2, c.y() + 4);
        break;
    case TMark::Insert:
        painter->drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
        painter->drawLine(c.x() - 3, c.y() - 2, c.x() + 3, c.y() + 2);
        painter->drawLine(c.x() - 3, c.y() + 2, c.x() + 3, c.y() - 2);
        break;
    case TMark::None:
        break;
    }
    painter->restore();
}
