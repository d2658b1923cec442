#pragma once

#include <QHeaderView>

// The title row of the grid: each column's caption wrapped over as many lines
// as the row's height shows, centred by default, on the button face with a
// raised edge while the grid draws its lines.
class TTitleRow : public QHeaderView
{
    Q_OBJECT
public:
    explicit TTitleRow(QWidget* parent = nullptr);

    // The edge is drawn only while the grid shows both its column and row lines.
    void SetRaisedEdges(bool raised);
    bool RaisedEdges() const { return m_raised; }

    // Where the lines of a title stand in a cell of `width` pixels: the
    // wrapped lines and the left of each, by the column's alignment.
    struct TLine
    {
        QString text;
        int left;
    };
    static std::vector<TLine> LayOut(const QString& caption, const QRect& cell, Qt::Alignment alignment,
                                     const QFontMetrics& metrics);

    // How many lines of a title a row of `height` pixels shows.
    static int LinesShown(int height, const QFontMetrics& metrics);
    // The least width, from `width` on, at which the title's lines all fit
    // a cell of `height` pixels: each line within the cell's width, and no
    // more lines than the cell shows.
    static int FittingWidth(const QString& caption, int width, int height, const QFontMetrics& metrics);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    bool m_raised = true;
};
