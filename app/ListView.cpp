#include "app/ListView.h"

#include "printing/ReportDocument.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

constexpr int Gap = 10;      // grey between the pages and around them, in pixels
constexpr qreal Margin = 38; // the paper's margin around the printed area, about 10 mm

} // namespace

ListView::ListView(QWidget* parent) : QAbstractScrollArea(parent)
{
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(20);
    setFocusPolicy(Qt::StrongFocus);
}

void ListView::SetList(std::optional<ListPages> list)
{
    m_list = std::move(list);
    if (m_list) {
        m_list->LayOut(
            ReportDocument::PageArea(ReportDocument::Paper(true), ReportDocument::Face(), &m_foot));
    }
    UpdateRange();
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

qreal ListView::Scale() const
{
    if (!m_list)
        return 1;
    return std::max(0.1, (viewport()->width() - 2.0 * Gap) / (m_list->Area().width() + 2 * Margin));
}

qreal ListView::PageHeight() const
{
    return m_list ? m_list->Area().height() + m_foot + 2 * Margin : 0;
}

void ListView::UpdateRange()
{
    const int total = static_cast<int>(PageCount() * (PageHeight() * Scale() + Gap)) + Gap;
    verticalScrollBar()->setRange(0, std::max(0, total - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
}

void ListView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateRange();
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    // Home and End go to the list's head and its totals.
    if (event->key() == Qt::Key_Home || event->key() == Qt::Key_End) {
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(event->key() == Qt::Key_Home ? bar->minimum() : bar->maximum());
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void ListView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().dark());
    if (!m_list)
        return;
    const qreal scale = Scale();
    const qreal step = PageHeight() * scale + Gap;
    const qreal top = verticalScrollBar()->value();
    const int first = std::max(0, static_cast<int>((top - Gap) / step));
    for (int page = first; page < PageCount(); ++page) {
        const qreal y = Gap + page * step - top;
        if (y > viewport()->height())
            break;
        painter.save();
        painter.translate(Gap, y);
        painter.scale(scale, scale);
        const QSizeF area = m_list->Area();
        painter.fillRect(QRectF(0, 0, area.width() + 2 * Margin, PageHeight()), Qt::white);
        painter.translate(Margin, Margin);
        painter.setFont(ReportDocument::Face());
        painter.drawText(QRectF(0, area.height(), area.width(), m_foot), Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("%1 / %2").arg(page + 1).arg(PageCount()));
        painter.setClipRect(QRectF(QPointF(), area));
        m_list->PaintPage(painter, page);
        painter.restore();
    }
}
