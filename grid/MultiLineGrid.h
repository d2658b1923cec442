#pragma once

#include "grid/CellEditing.h"

#include <QTableView>
#include <functional>

class QLineEdit;
class TDataSetTableModel;
class TGridCellDelegate;
class TIndicatorColumn;
class TTitleRow;

// The data grid over a record store: one row per record, one column per
// field, titles wrapped over a title row of its own height, an indicator
// column, and in-place editing. The grid's current row is the store's current
// record: moving to another row stores the row being edited (or drops a new
// one nobody typed into), and a refused row keeps the grid on it.
class TMultiLineGrid : public QTableView, public TCellEditing
{
    Q_OBJECT
public:
    explicit TMultiLineGrid(QWidget* parent = nullptr);

    void SetModel(TDataSetTableModel* model);
    TDataSetTableModel* Model() const { return m_model; }

    int TitleHeight() const { return m_titleHeight; }
    void SetTitleHeight(int height);
    int RowHeight() const { return m_rowHeight; }
    // How far below a cell's top its text starts: room for the accents of
    // capitals where the screen's scaling rounds them above the font's
    // ascent (none at 100%).
    int TextTop() const;
    void SetRowHeight(int height);
    TTitleRow* TitleRow() const { return m_titles; }
    // Column and row lines come and go together; the titles are raised only
    // while they show.
    void SetLinesShown(bool shown);
    // Gives every column its own width, or one wide enough for its field
    // full of digits or capitals (and the longest word of its title).
    void FitColumns();
    TIndicatorColumn* IndicatorColumn() const { return m_indicator; }

    // The current column (the field the keyboard is in).
    int SelectedIndex() const;
    // The text of the open cell editor; empty when no cell is being edited.
    QString EditorText() const;
    bool EditorOpen() const;

    // What the window adds, each called on the grid's own thread:
    // a character typed in the grid or its editor (set it to null to drop it);
    std::function<void(QChar& key)> KeyPress;
    // text put into a cell of `column` without typing: what of it is kept;
    std::function<QString(int column, const QString& text)> FilterText;
    // the keyboard entering or leaving a column (by its index);
    std::function<void(int column)> ColEnter;
    std::function<void(int column)> ColExit;
    // a key released over the grid;
    std::function<void(QKeyEvent* key)> KeyUp;
    // the grid's own question before Ctrl+Delete deletes the current row;
    std::function<bool()> ConfirmDelete;
    // drawing a data cell; unset, cells are drawn as any table draws them;
    std::function<void(QPainter& painter, const QRect& cell, int column, const QString& text, bool currentRow,
                       bool focused)>
        DrawColumnCell;
    // the refusal of a character.
    std::function<void()> OnBeep;

    // Moves the store onto the current row's record for editing (an empty
    // store starts a new record); false when it refused.
    bool BeginEdit() override;
    // Closes the cell editor, handing its text to the store first or not.
    void CloseEditor(bool handIn) override;
    // Hands the cell editor's text to the store, leaving the editor open.
    void HandInPendingEdit();

    // TCellEditing: the typed and pasted characters go through KeyPress and
    // FilterText, cells are drawn by DrawColumnCell.
    TKeyKind KeyKind(const QKeyEvent* key) const override;
    void ProcessKey(QKeyEvent* key) override;
    bool AdmitTypedCharacter(const QKeyEvent* key) override;
    bool AdmitControlCharacter(const QKeyEvent* key) override;
    void Beep() override;
    QString FilterCellText(int column, const QString& text) const override;
    int CellLimit(int column) const override;
    bool DrawCell(QPainter& painter, const QRect& cell, const QModelIndex& index,
                  const QString& text) const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool HandleKey(QKeyEvent* key);
    void FollowStore();
    void MoveStoreTo(int row);
    void AppendRow();
    void TabAcross(bool forward);
    // Hands the focus to the next or previous control of the window.
    void LeaveGrid(bool forward);
    void CancelRow();
    void DeleteRow();
    void StartTyping(QKeyEvent* key);
    bool Run(const std::function<void()>& operation);
    int DefaultColumnWidth(int column) const;

    TDataSetTableModel* m_model = nullptr;
    TTitleRow* m_titles = nullptr;
    TIndicatorColumn* m_indicator = nullptr;
    TGridCellDelegate* m_delegate = nullptr;
    int m_titleHeight = 17;
    int m_rowHeight = 17;
    // The grid is following the store, not the person: moving its current
    // cell must not move the store back.
    bool m_following = false;
    int m_syncing = 0;
    bool m_forwarding = false; // the key that opens the editor goes on to it
    // The column the keyboard is in, kept while the views lose their current
    // cell for a moment (a stored new row, a row taken away).
    int m_column = 0;
};
