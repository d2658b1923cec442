#include "app/Form1.h"
#include "app/Form1Layout.h"

#include "grid/MultiLineGrid.h"
#include "text/Cp1253.h"
#include "declaration/GridColumns.h"
#include "declaration/Helpers.h"
#include "workspace/Workspace.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTimer>
#include <map>

using namespace form1;

namespace {

// Takes one mouse press out of the program's way.
class MousePressDrop : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!m_dropped &&
            (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
            m_dropped = true;
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_dropped = false;
};

} // namespace

// Typing into the header: every character marks the declaration changed,
// also one the field's filter then drops, so closing never loses a keystroke
// without asking. True when the key is dropped.
bool TForm1::HeaderKeyPress(const HeaderSlot& slot, const QKeyEvent& key)
{
    const QString typed = key.text();
    // Tab moves between fields, Delete edits without a character: neither is typed.
    if (typed.isEmpty() || key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab ||
        key.key() == Qt::Key_Delete) {
        return false;
    }
    m_workspace->SetModified(true);
    if (!slot.digitsOnly) {
        return false;
    }
    for (QChar c : typed) {
        char16_t character = c.unicode();
        DigitsOnlyKey(character, *this);
        if (character == 0) {
            return true;
        }
    }
    return false;
}

void TForm1::HeaderFocusChanged(QWidget* old, QWidget* now)
{
    // Only the person leaving a field for another control of this window is
    // checked: not a box or menu opening over it, nor the program placing
    // the focus.
    if (m_focusByProgram || old == nullptr || now == nullptr || now->window() != this) {
        return;
    }
    const bool byMouse = QGuiApplication::mouseButtons() != Qt::NoButton;
    bool passed = true;
    if (old == FieldNamed(HeaderField::YearOfData)) {
        RunCommand([this, &passed] { passed = m_workspace->YearOfDataExit(); });
    } else if (old == FieldNamed(HeaderField::AFM)) {
        RunCommand([this, &passed] { passed = m_workspace->AFMExit(); });
    }
    if (!passed && byMouse) {
        DropPendingMousePress();
    }
}

// The click that took the focus from a field whose check failed is handed to
// the control it landed on only after the check: the focus is back in the
// field by then, so the click must not press a button or move the grid to
// another row behind the person's back.
void TForm1::DropPendingMousePress()
{
    auto* drop = new MousePressDrop(this);
    qApp->installEventFilter(drop);
    // The click is delivered before the event loop turns again.
    QTimer::singleShot(0, drop, &QObject::deleteLater);
}

namespace {

// Whether `after` holds a character other than a digit that `before` did not
// already hold (as many times).
bool BringsInNonDigits(const QString& before, const QString& after)
{
    std::map<char16_t, int> held;
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    for (QChar c : before) {
        if (!isDigit(c)) {
            ++held[c.unicode()];
        }
    }
    return std::any_of(after.begin(), after.end(),
                       [&](QChar c) { return !isDigit(c) && --held[c.unicode()] < 0; });
}
} // namespace

void TForm1::HeaderEdited(QLineEdit* edit, const HeaderSlot& slot, const QString& text)
{
    const auto value = slot.value;
    std::string bytes;
    // A character the declaration file cannot hold would be written as "?"
    // while the field still showed it; a pasted letter in a number field
    // would pass where a typed one cannot: refuse both as typed. A number
    // field read from a file with other characters in it can still be
    // corrected piece by piece: only a change that brings one in is refused.
    if (!cp1253::fromUnicodeChecked(text, bytes) ||
        (slot.digitsOnly && BringsInNonDigits(cp1253::toUnicode(m_workspace->Header.*value), text))) {
        Beep();
        const int cursor = edit->cursorPosition();
        const QScopedValueRollback<bool> showing(m_showingValues, true);
        edit->setText(cp1253::toUnicode(m_workspace->Header.*value));
        edit->setCursorPosition(std::max(0, cursor - static_cast<int>(text.size() - edit->text().size())));
        return;
    }
    m_workspace->Header.*value = std::move(bytes);
    // Any change the person makes counts as unsaved, also one made without
    // typing a character (Delete, cut, paste), so closing never drops it
    // without asking.
    m_workspace->SetModified(true);
}

void TForm1::DBGrid1KeyPress(QChar& key)
{
    char16_t typed = key.unicode();
    const Workspace::GridKey verdict =
        m_workspace->FilterGridKey(m_grid->SelectedIndex(), m_grid->EditorText(), typed);
    if (verdict == Workspace::GridKey::ToIncomeKindBox) {
        // The box takes the character as typed: it searches its codes.
        PlaceIncomeKindBox();
        m_DBLookupComboBox1->show();
        m_DBLookupComboBox1->setFocus(Qt::OtherFocusReason);
        // A code typed anew is searched from its first character, whatever
        // was typed into the box just before.
        m_DBLookupComboBox1->view()->keyboardSearch(QString());
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(key));
        QCoreApplication::sendEvent(m_DBLookupComboBox1, &press);
        key = QChar();
        return;
    }
    key = verdict == Workspace::GridKey::Drop ? QChar() : QChar(typed);
}

void TForm1::dbGrid1ColEnter(int column)
{
    if (column == gridcolumns::KatharesColumn) {
        RunCommand([this] { m_workspace->FillNetPay(); });
    }
    PlaceIncomeKindBox();
}

void TForm1::dbGrid1ColExit(int column)
{
    if (column == gridcolumns::TypeIncColumn) {
        m_DBLookupComboBox1->hide();
    }
}

void TForm1::dbGrid1KeyUp(QKeyEvent* key)
{
    // Tab out of the income-kind box lands back in the grid on the same
    // cell; its release moves the grid on to the gross pay.
    if (key->key() == Qt::Key_Tab && m_lookupEntered) {
        m_lookupEntered = false;
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(m_grid, &tab);
    }
}

// The box is last in the keyboard order and the grid first: Tab from the box
// goes round to the grid, whose release then moves on to the gross pay.
// Shift+Tab goes back to the box's own cell, and nothing moves on.
void TForm1::LeaveIncomeKindBox(const QKeyEvent& key)
{
    if (key.key() == Qt::Key_Backtab) {
        m_lookupEntered = false;
    }
    m_grid->setFocus(Qt::TabFocusReason);
}

void TForm1::DBLookupComboBox1Enter()
{
    m_lookupEntered = true;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_client && event->type() == QEvent::Resize) {
        FormResize();
        return false;
    }
    if (m_DBLookupComboBox1 != nullptr && watched == m_DBLookupComboBox1->view() &&
        event->type() == QEvent::KeyPress) {
        // Tab with the list open leaves the box as it does with the list
        // closed: the list closes without taking the entry it points at, and
        // the keyboard goes round to the grid.
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            (key->modifiers() & Qt::ControlModifier) == 0) {
            m_DBLookupComboBox1->hidePopup();
            LeaveIncomeKindBox(*key);
            return true;
        }
        return QMainWindow::eventFilter(watched, event);
    }
    if (watched == m_DBLookupComboBox1 && m_grid != nullptr) {
        if (event->type() == QEvent::FocusIn) {
            DBLookupComboBox1Enter();
        } else if (event->type() == QEvent::FocusOut) {
            // Only the Tab that leaves the box is owed a move on; the box
            // left by the mouse or by a command owes nothing to the next Tab.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::TabFocusReason && reason != Qt::PopupFocusReason &&
                reason != Qt::ActiveWindowFocusReason) {
                m_lookupEntered = false;
            }
        } else if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
                LeaveIncomeKindBox(*key);
                if ((key->modifiers() & Qt::ControlModifier) != 0) {
                    // Ctrl+Tab leaves the grid from its box as from its cells.
                    m_lookupEntered = false;
                    QCoreApplication::sendEvent(m_grid, key);
                }
                return true;
            }
        }
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        // The one-line fields take the vertical arrows, and so the turns of
        // the mouse wheel, as a move of the caret back or on by one character.
        const auto* arrow = static_cast<QKeyEvent*>(event);
        if ((arrow->key() == Qt::Key_Up || arrow->key() == Qt::Key_Down) &&
            qobject_cast<QLineEdit*>(watched)) {
            QKeyEvent sideways(QEvent::KeyPress, arrow->key() == Qt::Key_Up ? Qt::Key_Left : Qt::Key_Right,
                               arrow->modifiers());
            QCoreApplication::sendEvent(watched, &sideways);
            return true;
        }
        for (const HeaderSlot& slot : HeaderSlots) {
            if (watched == FieldNamed(slot.field)) {
                bool dropped = false;
                RunCommand([&] { dropped = HeaderKeyPress(slot, *static_cast<QKeyEvent*>(event)); });
                return dropped || QMainWindow::eventFilter(watched, event);
            }
        }
        for (QLineEdit* edit : m_edits) {
            if (watched != edit) {
                continue;
            }
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->text().isEmpty()) {
                break;
            }
            Beep();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
