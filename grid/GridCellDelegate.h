#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>

class QLineEdit;
class TCellEditing;

// Draws the grid's cells and makes the one-line editor a cell is typed in.
// Keys that leave the cell, and every typed character, are handed to the
// grid first: it filters the characters and moves, stores or cancels the row.
class TGridCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    TGridCellDelegate(TCellEditing& grid, QObject* parent);

    // The editor open in the grid, if any.
    QLineEdit* Editor() const { return m_editor; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TCellEditing& m_grid;
    mutable QPointer<QLineEdit> m_editor;
};
