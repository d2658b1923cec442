#include "app/Form1.h"
#include "app/Form1Layout.h"

#include "app/ControlNames.h"
#include "app/DetailGridColumns.h"
#include "grid/DBNavigator.h"
#include "grid/DataSetTableModel.h"
#include "grid/MultiLineGrid.h"
#include "text/Cp1253.h"
#include "declaration/DeclarationFile.h"
#include "declaration/GridColumns.h"
#include "workspace/Workspace.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTreeView>
#include <algorithm>

using namespace form1;

void TForm1::BuildGrid(QWidget* client)
{
    std::vector<TGridColumn> columns = DetailGridColumns();
    m_grid = new TMultiLineGrid(client);
    NameControl(m_grid, "dbGrid1", utf8("Αναλυτικές αμοιβές"));
    m_rowsModel = new TDataSetTableModel(m_workspace->FixedFormatDataSet1, std::move(columns), m_grid);
    m_rowsModel->Run = [this](const std::function<void()>& operation) {
        return RunStoreOperation(operation);
    };
    m_grid->SetModel(m_rowsModel);
    m_grid->SetTitleHeight(GridTitleHeight);
    // A row is never lower than a line of the grid's font with air above,
    // so the accents of capitals are drawn whole in whatever font the
    // desktop gives.
    m_grid->SetRowHeight(std::max(GridRowHeight, m_grid->TextTop() + m_grid->fontMetrics().height() + 4));
    // The titles are set for columns as narrow as their amounts: in the
    // window's font the longer words would be cut at the column's edges.
    QFont titles = m_grid->horizontalHeader()->font();
    titles.setStretch(QFont::Condensed);
    m_grid->horizontalHeader()->setFont(titles);
    m_grid->setGeometry(GridLeft, GridTop, ClientWidth + FrameWidth - GridWidthMargin, GridHeight);

    m_grid->KeyPress = [this](QChar& key) { DBGrid1KeyPress(key); };
    m_grid->FilterText = [this](int column, const QString& text) {
        return m_workspace->FilterPastedGridText(column, text);
    };
    m_grid->ColEnter = [this](int column) { dbGrid1ColEnter(column); };
    m_grid->ColExit = [this](int column) { dbGrid1ColExit(column); };
    m_grid->KeyUp = [this](QKeyEvent* key) { dbGrid1KeyUp(key); };
    m_grid->ConfirmDelete = [this] { return GridConfirmDelete(); };
    m_grid->OnBeep = [this] { Beep(); };
    m_grid->DrawColumnCell = [this](QPainter& painter, const QRect& cell, int column, const QString& text,
                                    bool currentRow, bool focused) {
        DBGrid1DrawColumnCell(painter, cell, column, text, currentRow, focused);
    };

    m_DBNavigator1 = new TDBNavigator(*m_rowsModel, m_navButtons, this);
    m_DBNavigator1->BeforeAction = [this](TDBNavigator::TNavigateBtn button) {
        return DBNavigator1BeforeAction(button);
    };

    BuildIncomeKindBox(client);
}

void TForm1::BuildIncomeKindBox(QWidget* client)
{
    m_DBLookupComboBox1 = new QComboBox(client);
    NameControl(m_DBLookupComboBox1, "DBLookupComboBox1", utf8("Είδος αποδοχών"));
    auto* list = new QTreeView(m_DBLookupComboBox1);
    list->setRootIsDecorated(false);
    list->setHeaderHidden(true);
    list->setAllColumnsShowFocus(true);
    m_DBLookupComboBox1->setView(list);
    list->setMinimumWidth(IncomeKindListWidth);
    m_DBLookupComboBox1->setModel(new QStandardItemModel(0, 2, m_DBLookupComboBox1));
    m_DBLookupComboBox1->hide();
    m_DBLookupComboBox1->installEventFilter(this);
    list->installEventFilter(this);
    connect(m_DBLookupComboBox1, &QComboBox::activated, this, [this](int index) {
        const QString code = m_DBLookupComboBox1->itemText(index);
        RunCommand([this, &code] { m_workspace->ChooseIncomeKind(cp1253::fromUnicode(code)); });
    });
    // The box stands over the income-kind cell while that cell, or the box,
    // has the keyboard; it follows the cell as the grid scrolls.
    connect(qApp, &QApplication::focusChanged, this, [this] { PlaceIncomeKindBox(); });
    connect(m_rowsModel, &TDataSetTableModel::CurrentRecordChanged, this, [this] { PlaceIncomeKindBox(); });
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { PlaceIncomeKindBox(); });
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { PlaceIncomeKindBox(); });
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { PlaceIncomeKindBox(); });
}

void TForm1::FillIncomeKindBox()
{
    auto* list = static_cast<QStandardItemModel*>(m_DBLookupComboBox1->model());
    list->removeRows(0, list->rowCount());
    const TFixedFormatDataSet& kinds = m_workspace->FixedFormatDataSet2;
    if (!kinds.Active()) {
        return;
    }
    for (int line = 0; line < kinds.RecordCount(); ++line) {
        list->appendRow({new QStandardItem(cp1253::toUnicode(kinds.FieldText(line, 0))),
                         new QStandardItem(cp1253::toUnicode(kinds.FieldText(line, 1)))});
    }
    auto* view = static_cast<QTreeView*>(m_DBLookupComboBox1->view());
    view->resizeColumnToContents(0);
}

void TForm1::PlaceIncomeKindBox()
{
    QComboBox* box = m_DBLookupComboBox1;
    if (box == nullptr || m_grid == nullptr) {
        return;
    }
    QWidget* focus = QApplication::focusWidget();
    const QModelIndex cell = m_grid->currentIndex();
    const bool onCell =
        m_grid->isVisible() && cell.isValid() && cell.column() == gridcolumns::TypeIncColumn &&
        (focus == m_grid || m_grid->isAncestorOf(focus) || focus == box || box->view()->isVisible());
    if (!onCell) {
        box->hide();
        return;
    }
    const QRect rect = m_grid->visualRect(cell);
    const QPoint topLeft = m_grid->viewport()->mapTo(m_client, rect.topLeft());
    box->setGeometry(topLeft.x(), topLeft.y(), rect.width(),
                     std::max(rect.height(), box->sizeHint().height()));
    if (focus != box) {
        // The box shows the row's kind until the person picks another.
        const QString code = cell.data().toString();
        box->setCurrentIndex(box->findText(code, Qt::MatchExactly));
    }
    box->show();
    box->raise();
}

void TForm1::DBGrid1DrawColumnCell(QPainter& painter, const QRect& cell, int, const QString& text,
                                   bool currentRow, bool focused)
{
    QColor background = currentRow ? ActiveBorderColour : QColor(Qt::white);
    QColor ink = palette().color(QPalette::Text);
    if (focused) {
        background = InactiveCaptionColour;
        ink = Qt::white;
    }
    painter.save();
    painter.setClipRect(cell);
    painter.fillRect(cell, background);
    painter.setPen(ink);
    // The text starts at the cell's left edge, with no margin, and at its
    // top unless the accents need room above.
    painter.drawText(cell.adjusted(0, m_grid->TextTop(), 0, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();
}

bool TForm1::DBNavigator1BeforeAction(int button)
{
    if (button != TDBNavigator::nbDelete) {
        return true;
    }
    // Only "Ναι" deletes: closing the question is no consent.
    return AskWithCaptions("Είστε σίγουρος;", YesButton | NoButton, {"Ναι", "Όχι"}) == Answer::Yes;
}

bool TForm1::GridConfirmDelete()
{
    return AskWithCaptions("Delete record?", YesButton | NoButton, {"Ναι", "Όχι"}) == Answer::Yes;
}

// After a sort or a find the person looks for the row by its tax number:
// the grid shows that column of the current row and has the keyboard.
void TForm1::ShowGridFromAfm()
{
    const int row = m_rowsModel->CurrentRow();
    if (row >= 0) {
        m_grid->setCurrentIndex(m_rowsModel->index(row, gridcolumns::AfmColumn));
    }
    m_grid->horizontalScrollBar()->setValue(0);
    m_grid->setFocus(Qt::OtherFocusReason);
}

bool TForm1::RunStoreOperation(const std::function<void()>& operation)
{
    bool done = false;
    RunCommand([&] {
        operation();
        done = true;
    });
    return done;
}
