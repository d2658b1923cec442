#pragma once

#include <QString>

class QKeyEvent;
class QModelIndex;
class QPainter;
class QRect;

// What the cell editor and the cell painter ask of the grid they work in:
// the grid filters what is typed or pasted, decides what a key does, and
// moves, stores or cancels the row.
class TCellEditing
{
public:
    // How a key typed in a cell editor acts.
    enum class TKeyKind { Character, ControlCharacter, LeavesCell, Cancels, Confirms, Other };

    virtual TKeyKind KeyKind(const QKeyEvent* key) const = 0;
    // The grid's handling of a key the editor does not keep.
    virtual void ProcessKey(QKeyEvent* key) = 0;
    // Runs a typed character through the grid's filter; false when it was dropped.
    virtual bool AdmitTypedCharacter(const QKeyEvent* key) = 0;
    // Runs the character of a control key (Ctrl+V, and the Tab, Enter and
    // Esc the grid acts on) through the filter; false when it was dropped.
    virtual bool AdmitControlCharacter(const QKeyEvent* key) = 0;
    // Closes the cell editor, handing its text to the store first or not.
    virtual void CloseEditor(bool handIn) = 0;
    // Moves the store onto the current row's record for editing; false when refused.
    virtual bool BeginEdit() = 0;
    virtual void Beep() = 0;
    // Of text put into a cell of `column` without typing, what is kept.
    virtual QString FilterCellText(int column, const QString& text) const = 0;
    // How many characters the cell's field holds.
    virtual int CellLimit(int column) const = 0;
    // Draws a data cell; false leaves it to be drawn as any table draws it.
    virtual bool DrawCell(QPainter& painter, const QRect& cell, const QModelIndex& index,
                          const QString& text) const = 0;

protected:
    ~TCellEditing() = default;
};
