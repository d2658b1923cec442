#include "grid/TitleRow.h"

#include "grid/WrapCaption.h"

#include <QPainter>
#include <algorithm>

TTitleRow::TTitleRow(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
}

namespace {

// A line is as high as the font draws "Wg", ascent and descent together,
// with two pixels of air above it.
int LineStep(const QFontMetrics& metrics)
{
    return metrics.height() + 2;
}

} // namespace

int TTitleRow::LinesShown(int height, const QFontMetrics& metrics)
{
    return std::max(1, height / LineStep(metrics));
}

int TTitleRow::FittingWidth(const QString& caption, int width, int height, const QFontMetrics& metrics)
{
    const int lines = LinesShown(height, metrics);
    // Two pixels of air on either side; on one line the title always fits.
    const int widest = metrics.horizontalAdvance(caption.trimmed()) + 4;
    for (; width < widest; ++width) {
        const QStringList wrapped = WrapCaption(caption, width - 4, metrics);
        if (wrapped.size() <= lines && std::all_of(wrapped.begin(), wrapped.end(), [&](const QString& line) {
                return metrics.horizontalAdvance(line.trimmed()) <= width - 4;
            })) {
            return width;
        }
    }
    return width;
}

void TTitleRow::SetRaisedEdges(bool raised)
{
    if (raised != m_raised) {
        m_raised = raised;
        viewport()->update();
    }
}

std::vector<TTitleRow::TLine> TTitleRow::LayOut(const QString& caption, const QRect& cell,
                                                Qt::Alignment alignment, const QFontMetrics& metrics)
{
    std::vector<TLine> lines;
    // Two pixels of air on either side of the text.
    for (const QString& text : WrapCaption(caption, cell.width() - 4, metrics)) {
        const int width = metrics.horizontalAdvance(text);
        int left = 0;
        if (alignment & Qt::AlignLeft) {
            left = cell.left() + 2;
        } else if (alignment & Qt::AlignRight) {
            left = cell.left() + cell.width() - width - 3;
        } else if (alignment & Qt::AlignHCenter) {
            left = cell.left() + cell.width() / 2 - width / 2;
        }
        lines.push_back({text, left});
    }
    return lines;
}

void TTitleRow::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid() || model() == nullptr) {
        return;
    }
    painter->save();
    const QColor face = palette().color(QPalette::Button);
    painter->fillRect(rect, face);
    const QVariant font = model()->headerData(logicalIndex, orientation(), Qt::FontRole);
    if (font.isValid()) {
        painter->setFont(font.value<QFont>());
    }
    const QFontMetrics metrics = painter->fontMetrics();
    const QVariant align = model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole);
    const Qt::Alignment alignment = align.isValid() ? Qt::Alignment(align.toInt()) : defaultAlignment();
    const QString caption = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();

    // Lines below the cell are cut off: the row's height decides how many show.
    painter->setClipRect(rect);
    painter->setPen(palette().color(QPalette::WindowText));
    painter->setBackground(face);
    painter->setBackgroundMode(Qt::OpaqueMode);
    int top = rect.top();
    for (const TLine& line : LayOut(caption, rect, alignment, metrics)) {
        painter->drawText(QPoint(line.left, top + 2 + metrics.ascent()), line.text);
        top += LineStep(metrics);
    }
    painter->setBackgroundMode(Qt::TransparentMode);

    if (m_raised) {
        // A raised inner edge: the shadow on the bottom and right, then the
        // light on the top and left.
        const QRect edge = rect.adjusted(0, 0, -1, -1);
        painter->setPen(palette().color(QPalette::Dark));
        painter->drawLine(edge.bottomLeft(), edge.bottomRight());
        painter->drawLine(edge.topRight(), edge.bottomRight());
        painter->setPen(palette().color(QPalette::Light));
        painter->drawLine(edge.topLeft(), edge.topRight());
        painter->drawLine(edge.topLeft(), edge.bottomLeft());
    }
    painter->restore();
}
