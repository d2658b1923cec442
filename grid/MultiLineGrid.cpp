#include "grid/MultiLineGrid.h"

#include "grid/DataSetTableModel.h"
#include "grid/GridCellDelegate.h"
#include "grid/IndicatorColumn.h"
#include "grid/TitleRow.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>

TMultiLineGrid::TMultiLineGrid(QWidget* parent) : QTableView(parent)
{
    m_titles = new TTitleRow(this);
    setHorizontalHeader(m_titles);
    m_indicator = new TIndicatorColumn(this);
    setVerticalHeader(m_indicator);
    m_delegate = new TGridCellDelegate(*this, this);
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::NoSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed);
    // Tab and Shift+Tab move between cells and rows; Ctrl+Tab and
    // Ctrl+Shift+Tab, and Shift+Tab on the first cell, leave the grid.
    setTabKeyNavigation(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    m_titles->setSectionResizeMode(QHeaderView::Interactive);
    m_titles->setFixedHeight(m_titleHeight);
    m_indicator->setDefaultSectionSize(m_rowHeight);
    m_indicator->setMinimumSectionSize(1);
}

void TMultiLineGrid::SetModel(TDataSetTableModel* model)
{
    m_model = model;
    setModel(model);
    connect(model, &TDataSetTableModel::PendingEditsRequested, this, &TMultiLineGrid::HandInPendingEdit);
    // While the model tells of a change, the views move their current cell
    // themselves (a row taken away); that is no move of the person's.
    connect(model, &TDataSetTableModel::AboutToSync, this, [this] { ++m_syncing; });
    connect(model, &TDataSetTableModel::CurrentRecordChanged, this, [this] {
        FollowStore();
        --m_syncing;
    });
    FitColumns();
    m_titles->setFixedHeight(m_titleHeight);
    FollowStore();
}

void TMultiLineGrid::SetLinesShown(bool shown)
{
    setShowGrid(shown);
    m_titles->SetRaisedEdges(shown);
}

void TMultiLineGrid::SetTitleHeight(int height)
{
    if (height != m_titleHeight) {
        m_titleHeight = height;
        m_titles->setFixedHeight(height);
    }
}

void TMultiLineGrid::SetRowHeight(int height)
{
    if (height != m_rowHeight) {
        m_rowHeight = height;
        m_indicator->setDefaultSectionSize(height);
    }
    m_titles->setFixedHeight(m_titleHeight);
}

int TMultiLineGrid::TextTop() const
{
    const QFontMetrics metrics = fontMetrics();
    return std::max(0, -(metrics.ascent() + metrics.boundingRect(QString::fromUtf8("ΆΈΉΊΌΎΏΪΫ")).top()));
}

int TMultiLineGrid::DefaultColumnWidth(int column) const
{
    const int size = m_model->FieldSize(column);
    // Wide enough for the field full of digits or of capitals: the AFM shows
    // all nine digits, a surname all its letters.
    const QFontMetrics metrics = fontMetrics();
    int widest = 0;
    for (const QChar ch : QStringLiteral("0123456789")) {
        widest = std::max(widest, metrics.horizontalAdvance(ch));
    }
    int capitals = 0;
    const QString greek = QString::fromUtf8("ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ");
    for (const QChar ch : greek) {
        capitals += metrics.horizontalAdvance(ch);
    }
    widest =
        std::max(widest, (capitals + static_cast<int>(greek.size()) - 1) / static_cast<int>(greek.size()));
    return size * widest + 4;
}

void TMultiLineGrid::FitColumns()
{
    if (m_model == nullptr) {
        return;
    }
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const int width = m_model->Column(column).width;
        // Never so narrow that the title would be cut or run into the next one.
        setColumnWidth(column, TTitleRow::FittingWidth(m_model->headerData(column, Qt::Horizontal).toString(),
                                                       width > 0 ? width : DefaultColumnWidth(column),
                                                       m_titleHeight, QFontMetrics(m_titles->font())));
    }
}

int TMultiLineGrid::SelectedIndex() const
{
    return currentIndex().isValid() ? currentIndex().column() : 0;
}

bool TMultiLineGrid::EditorOpen() const
{
    return m_delegate->Editor() != nullptr;
}

QString TMultiLineGrid::EditorText() const
{
    return EditorOpen() ? m_delegate->Editor()->text() : QString();
}

bool TMultiLineGrid::Run(const std::function<void()>& operation)
{
    return m_model != nullptr && m_model->RunGuarded(operation);
}

QString TMultiLineGrid::FilterCellText(int column, const QString& text) const
{
    return FilterText ? FilterText(column, text) : text;
}

int TMultiLineGrid::CellLimit(int column) const
{
    return m_model->FieldSize(column);
}

bool TMultiLineGrid::DrawCell(QPainter& painter, const QRect& cell, const QModelIndex& index,
                              const QString& text) const
{
    if (!DrawColumnCell) {
        return false;
    }
    const bool currentRow = index.row() == m_model->CurrentRow();
    const bool focused = index == currentIndex() && hasFocus();
    DrawColumnCell(painter, cell, index.column(), text, currentRow, focused);
    return true;
}

void TMultiLineGrid::Beep()
{
    if (OnBeep) {
        OnBeep();
    } else {
        QApplication::beep();
    }
}

bool TMultiLineGrid::BeginEdit()
{
    if (m_model == nullptr || !m_model->Store().Active()) {
        return false;
    }
    TFixedFormatDataSet& store = m_model->Store();
    if (store.State() == TDataSetState::dsEdit || store.State() == TDataSetState::dsInsert) {
        return true;
    }
    return Run([&store] { store.Edit(); });
}

void TMultiLineGrid::HandInPendingEdit()
{
    if (QLineEdit* editor = m_delegate->Editor()) {
        commitData(editor);
    }
}

void TMultiLineGrid::CloseEditor(bool handIn)
{
    if (QLineEdit* editor = m_delegate->Editor()) {
        if (handIn) {
            commitData(editor);
        }
        closeEditor(editor, QAbstractItemDelegate::NoHint);
        setFocus(Qt::OtherFocusReason);
    }
}

TMultiLineGrid::TKeyKind TMultiLineGrid::KeyKind(const QKeyEvent* key) const
{
    const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
    switch (key->key()) {
    case Qt::Key_Escape:
        return TKeyKind::Cancels;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return TKeyKind::Confirms;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Insert:
        return TKeyKind::LeavesCell;
    case Qt::Key_Delete:
        return modifiers == Qt::ControlModifier ? TKeyKind::LeavesCell : TKeyKind::Other;
    default:
        break;
    }
    const QString text = key->text();
    if (text.size() != 1) {
        return TKeyKind::Other;
    }
    const QChar ch = text.front();
    // Ctrl with a letter types a control character (Ctrl+V the paste key).
    if (ch.unicode() < 0x20 && ch.unicode() != 0x08 &&
        (modifiers & (Qt::AltModifier | Qt::MetaModifier)) == 0) {
        return TKeyKind::ControlCharacter;
    }
    if ((modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
        return TKeyKind::Other;
    }
    return (ch.unicode() >= 0x20 && ch.unicode() != 0x7F) || ch.unicode() == 0x08 ? TKeyKind::Character
                                                                                  : TKeyKind::Other;
}

bool TMultiLineGrid::AdmitTypedCharacter(const QKeyEvent* key)
{
    // The character that opened the editor was judged before it opened.
    if (m_forwarding) {
        return true;
    }
    QChar ch = key->text().front();
    if (KeyPress) {
        KeyPress(ch);
    }
    if (ch.isNull()) {
        return false;
    }
    return BeginEdit();
}

bool TMultiLineGrid::AdmitControlCharacter(const QKeyEvent* key)
{
    char16_t code = 0;
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        code = u'\t';
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        code = u'\r';
        break;
    case Qt::Key_Escape:
        code = 0x1B;
        break;
    default:
        code = key->text().isEmpty() ? 0 : key->text().front().unicode();
        break;
    }
    if (code == 0 || !KeyPress) {
        return true;
    }
    QChar ch(code);
    KeyPress(ch);
    return !ch.isNull();
}

void TMultiLineGrid::keyPressEvent(QKeyEvent* event)
{
    ProcessKey(event);
}

void TMultiLineGrid::ProcessKey(QKeyEvent* key)
{
    if (!HandleKey(key)) {
        QTableView::keyPressEvent(key);
    }
}

bool TMultiLineGrid::HandleKey(QKeyEvent* key)
{
    const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
        (modifiers & Qt::ControlModifier) != 0) {
        LeaveGrid(key->key() == Qt::Key_Tab && (modifiers & Qt::ShiftModifier) == 0);
        return true;
    }
    if (m_model == nullptr || !m_model->Store().Active()) {
        return false;
    }
    switch (KeyKind(key)) {
    case TKeyKind::ControlCharacter:
        // A refused control key does nothing; an admitted one acts as usual.
        return !AdmitControlCharacter(key);
    case TKeyKind::Cancels:
    case TKeyKind::Confirms:
        AdmitControlCharacter(key);
        break;
    case TKeyKind::LeavesCell:
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            AdmitControlCharacter(key);
        }
        break;
    default:
        break;
    }
    switch (key->key()) {
    case Qt::Key_Escape:
        CancelRow();
        return true;
    case Qt::Key_Insert:
        if (modifiers == Qt::NoModifier) {
            TFixedFormatDataSet& store = m_model->Store();
            Run([&store] { store.Insert(); });
            FollowStore();
            return true;
        }
        break;
    case Qt::Key_Delete:
        if (modifiers == Qt::ControlModifier) {
            DeleteRow();
            return true;
        }
        break;
    case Qt::Key_Down:
        if (modifiers == Qt::NoModifier && currentIndex().row() == m_model->rowCount() - 1) {
            AppendRow();
            return true;
        }
        break;
    case Qt::Key_Tab:
        TabAcross(true);
        return true;
    case Qt::Key_Backtab:
        TabAcross(false);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (currentIndex().isValid()) {
            edit(currentIndex());
        }
        return true;
    default:
        break;
    }
    if (KeyKind(key) == TKeyKind::Character) {
        StartTyping(key);
        return true;
    }
    return false;
}

void TMultiLineGrid::StartTyping(QKeyEvent* key)
{
    if (!AdmitTypedCharacter(key) || !currentIndex().isValid()) {
        return;
    }
    // The editor opens with the cell's text selected, and the character
    // typed replaces it.
    const QScopedValueRollback<bool> forwarding(m_forwarding, true);
    // Only an admitted character opens the editor by typing.
    const EditTriggers triggers = editTriggers();
    setEditTriggers(triggers | QAbstractItemView::AnyKeyPressed);
    edit(currentIndex(), QAbstractItemView::AnyKeyPressed, key);
    setEditTriggers(triggers);
}

// A letter made with a dead key (the accent, then the letter) or by an input
// method reaches the grid as text, not as a key press. It is typed as a key
// would be: filtered by its column, and opening the cell's editor with it.
void TMultiLineGrid::inputMethodEvent(QInputMethodEvent* event)
{
    const QString text = event->commitString();
    if (text.isEmpty() || !event->preeditString().isEmpty() || m_model == nullptr ||
        !m_model->Store().Active()) {
        QTableView::inputMethodEvent(event);
        return;
    }
    event->accept();
    for (const QChar ch : text) {
        QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        if (QLineEdit* editor = m_delegate->Editor()) {
            QCoreApplication::sendEvent(editor, &typed);
        } else {
            ProcessKey(&typed);
        }
    }
}

void TMultiLineGrid::keyReleaseEvent(QKeyEvent* event)
{
    if (KeyUp) {
        KeyUp(event);
    }
    QTableView::keyReleaseEvent(event);
}

void TMultiLineGrid::AppendRow()
{
    TFixedFormatDataSet& store = m_model->Store();
    // A new row nobody typed into stays the last one.
    if (store.State() == TDataSetState::dsInsert && !store.Modified()) {
        return;
    }
    Run([&store] { store.Append(); });
    FollowStore();
}

void TMultiLineGrid::LeaveGrid(bool forward)
{
    CloseEditor(true);
    // The item view's own step would turn this into a move between cells.
    QAbstractScrollArea::focusNextPrevChild(forward);
}

void TMultiLineGrid::TabAcross(bool forward)
{
    const QModelIndex at = currentIndex();
    if (!at.isValid()) {
        if (!forward) {
            LeaveGrid(false);
        }
        return;
    }
    const int lastColumn = m_model->columnCount() - 1;
    const int lastRow = m_model->rowCount() - 1;
    if (forward && at.column() < lastColumn) {
        setCurrentIndex(at.siblingAtColumn(at.column() + 1));
    } else if (!forward && at.column() > 0) {
        setCurrentIndex(at.siblingAtColumn(at.column() - 1));
    } else if (forward && at.row() < lastRow) {
        setCurrentIndex(m_model->index(at.row() + 1, 0));
    } else if (forward) {
        AppendRow();
        const int row = m_model->CurrentRow();
        if (row >= 0 && row != at.row()) {
            setCurrentIndex(m_model->index(row, 0));
        }
    } else if (at.row() > 0) {
        setCurrentIndex(m_model->index(at.row() - 1, lastColumn));
    } else {
        LeaveGrid(false);
    }
}

void TMultiLineGrid::CancelRow()
{
    CloseEditor(false);
    TFixedFormatDataSet& store = m_model->Store();
    Run([&store] { store.Cancel(); });
    FollowStore();
}

void TMultiLineGrid::DeleteRow()
{
    TFixedFormatDataSet& store = m_model->Store();
    if (store.IsEmpty() && store.State() != TDataSetState::dsInsert) {
        return;
    }
    if (ConfirmDelete && !ConfirmDelete()) {
        return;
    }
    CloseEditor(false);
    Run([&store] { store.Delete(); });
    FollowStore();
}

void TMultiLineGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    // The base hands in and closes the editor of the cell being left.
    QTableView::currentChanged(current, previous);
    if (current.isValid()) {
        m_column = current.column();
    }
    if (m_following || m_syncing > 0 || m_model == nullptr || !current.isValid()) {
        return;
    }
    if (previous.isValid() && current.row() != previous.row()) {
        MoveStoreTo(current.row());
    }
    const int column = currentIndex().column();
    if (previous.isValid() && column != previous.column()) {
        if (ColExit) {
            ColExit(previous.column());
        }
        if (ColEnter) {
            ColEnter(column);
        }
    }
}

void TMultiLineGrid::MoveStoreTo(int row)
{
    const int line = m_model->LineOfRow(row);
    TFixedFormatDataSet& store = m_model->Store();
    if (line >= 0 && line < store.RecordCount()) {
        // The record is found again by its id: storing the row being left
        // may add a line before it.
        const int32_t id = store.Lines()[static_cast<size_t>(line)].Id;
        Run([&store, id] { store.GotoBookmark(id); });
    }
    FollowStore();
}

void TMultiLineGrid::FollowStore()
{
    const QScopedValueRollback<bool> following(m_following, true);
    if (m_model == nullptr) {
        return;
    }
    // A cell editor left open over a record that is no longer edited (the
    // edit was cancelled or stored elsewhere) would show stale text.
    const TDataSetState state = m_model->Store().State();
    if (state != TDataSetState::dsEdit && state != TDataSetState::dsInsert && EditorOpen() &&
        m_delegate->Editor()->isModified()) {
        CloseEditor(false);
    }
    const int row = m_model->CurrentRow();
    if (row < 0) {
        if (currentIndex().isValid()) {
            selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
        }
    } else {
        const int column = currentIndex().isValid() ? currentIndex().column() : m_column;
        const QModelIndex target = m_model->index(row, column);
        if (target != currentIndex()) {
            selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
            scrollTo(target);
        }
    }
    m_indicator->viewport()->update();
    viewport()->update();
}

void TMultiLineGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    viewport()->update();
}

void TMultiLineGrid::focusOutEvent(QFocusEvent* event)
{
    QTableView::focusOutEvent(event);
    viewport()->update();
}
