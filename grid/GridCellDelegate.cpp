#include "grid/GridCellDelegate.h"

#include "grid/CellEditing.h"
#include "grid/LengthLimit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QValidator>
#include <algorithm>

namespace {

// Text that reaches the editor without being typed (pasted, dropped) passes
// the same character filter as typed text, character by character. And no
// more of it is taken than the field holds: what would be cut when the row is
// stored is cut here, with a beep, so the person sees where the field ends.
// (The editor's own length limit would cut a paste without a sound.)
class CellTextFilter : public QValidator
{
public:
    CellTextFilter(TCellEditing& grid, int column, int limit, QObject* parent)
        : QValidator(parent), m_grid(grid), m_column(column), m_limit(limit)
    {
    }
    State validate(QString& input, int& pos) const override
    {
        QString admitted = m_grid.FilterCellText(m_column, input);
        if (admitted != input) {
            pos = std::min<int>(pos - static_cast<int>(input.size() - admitted.size()), admitted.size());
            pos = std::max(pos, 0);
        }
        TLengthLimit::Cut(admitted, pos, m_limit);
        if (admitted != input) {
            input = admitted;
            m_grid.Beep();
        }
        return Acceptable;
    }

private:
    TCellEditing& m_grid;
    int m_column;
    int m_limit;
};

} // namespace

TGridCellDelegate::TGridCellDelegate(TCellEditing& grid, QObject* parent)
    : QStyledItemDelegate(parent), m_grid(grid)
{
}

QWidget* TGridCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex& index) const
{
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->setTextMargins(0, 0, 0, 0);
    editor->setContentsMargins(0, 0, 0, 0);
    editor->setValidator(
        new CellTextFilter(m_grid, index.column(), m_grid.CellLimit(index.column()), editor));
    // Deleting or pasting changes the record as much as typing does.
    connect(editor, &QLineEdit::textEdited, editor, [grid = &m_grid] { grid->BeginEdit(); });
    m_editor = editor;
    return editor;
}

void TGridCellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    if (editor == m_editor) {
        m_editor = nullptr;
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

void TGridCellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                             const QModelIndex&) const
{
    editor->setGeometry(option.rect);
}

void TGridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    if (!m_grid.DrawCell(*painter, option.rect, index, text)) {
        QStyledItemDelegate::paint(painter, option, index);
    }
}

bool TGridCellDelegate::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || watched != m_editor) {
        return QStyledItemDelegate::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    switch (m_grid.KeyKind(key)) {
    case TCellEditing::TKeyKind::LeavesCell:
        m_grid.CloseEditor(true);
        m_grid.ProcessKey(key);
        return true;
    case TCellEditing::TKeyKind::Cancels:
        m_grid.ProcessKey(key);
        return true;
    case TCellEditing::TKeyKind::Confirms:
        m_grid.AdmitControlCharacter(key);
        m_grid.CloseEditor(true);
        return true;
    case TCellEditing::TKeyKind::ControlCharacter:
        // Ctrl+V and the other control keys pass the column's filter first.
        return !m_grid.AdmitControlCharacter(key);
    case TCellEditing::TKeyKind::Character:
        // A refused character never reaches the editor.
        return !m_grid.AdmitTypedCharacter(key);
    case TCellEditing::TKeyKind::Other:
        break;
    }
    return false;
}
