#include "app/Form1.h"
#include "app/Form1Layout.h"

#include "app/ProblemPanel.h"
#include "declaration/DeclarationCheck.h"
#include "grid/MultiLineGrid.h"
#include "workspace/BusyWindow.h"
#include "workspace/Workspace.h"

#include <QApplication>
#include <QListView>

#include <algorithm>

using namespace form1;

namespace {

// Title, five lines of the list and its scroll bar; the grid gives up as much while the panel shows.
constexpr int ProblemPanelHeight = 124;

} // namespace

void TForm1::BuildProblemPanel(QWidget* client)
{
    m_problemPanel = new ProblemPanel(client);
    m_problemPanel->hide();
    m_problemPanel->RowChosen = [this](const DeclarationCheck::Problem& problem) {
        RunCommand([this, &problem] { GoToProblemRow(problem.lineId); });
    };
    m_problemPanel->Closed = [this] {
        SetProblemPanelShown(false);
        m_grid->setFocus(Qt::OtherFocusReason);
    };
}

// The panel takes the lower part of the grid's place, so that nothing else
// of the window moves and the grid keeps its width.
void TForm1::PlaceProblemPanel()
{
    if (m_problemPanel == nullptr || m_grid == nullptr) {
        return;
    }
    const QRect grid = m_grid->geometry();
    m_problemPanel->setGeometry(grid.left(), grid.bottom() + 1, grid.width(), ProblemPanelHeight);
}

void TForm1::SetProblemPanelShown(bool shown)
{
    if (shown != m_gridMadeRoom) {
        m_grid->resize(m_grid->width(),
                       m_grid->height() + (shown ? -ProblemPanelHeight : ProblemPanelHeight));
        m_gridMadeRoom = shown;
    }
    m_problemPanel->setVisible(shown);
    PlaceProblemPanel();
}

std::vector<DeclarationCheck::Problem> TForm1::CheckStoredRows()
{
    const BusyWindow busy(*this);
    return DeclarationCheck::Run(m_workspace->FixedFormatDataSet1.Lines(), m_workspace->Header.AFM);
}

void TForm1::ShowProblems(std::vector<DeclarationCheck::Problem> problems)
{
    m_problemPanel->ShowProblems(std::move(problems));
    SetProblemPanelShown(true);
    m_problemPanel->List()->setFocus(Qt::OtherFocusReason);
}

// The row being typed is stored first (its own checks speak for it), so that
// the list speaks of every row the declaration holds.
void TForm1::CheckAll1Click()
{
    if (m_workspace->StorePendingRow() == Workspace::StoreOutcome::Refused) {
        return;
    }
    ShowProblems(CheckStoredRows());
}

// Rows sorted or imported stand under new numbers: a list on show is made
// anew, so that its lines name the rows where they now are and lead to them.
void TForm1::RefreshShownProblems()
{
    if (m_gridMadeRoom) {
        m_problemPanel->ShowProblems(CheckStoredRows());
    }
}

// A declaration that arrives with rows the checks would refuse says so; a
// list left from the one before goes at once. The rows are checked on a
// thread of their own, so that the window shows them without waiting.
void TForm1::Open1Click()
{
    const Workspace::OpenOutcome outcome = m_workspace->Open();
    if (outcome != Workspace::OpenOutcome::Opened && outcome != Workspace::OpenOutcome::OpenedWithoutTotals) {
        return;
    }
    SetProblemPanelShown(false);
    StartOpenCheck();
}

void TForm1::StartOpenCheck()
{
    if (m_openCheck.valid()) {
        m_openCheck.wait();
    }
    const int round = ++m_openCheckRound;
    m_openCheckFile = m_workspace->FileName();
    m_openCheckRows = m_workspace->FixedFormatDataSet1.Lines().size();
    m_openCheckModified = m_workspace->Modified();
    m_openCheckFocus = QApplication::focusWidget();
    m_openCheck =
        std::async(std::launch::async, [this, round, lines = m_workspace->FixedFormatDataSet1.Lines(),
                                        afm = m_workspace->Header.AFM] {
            std::vector<DeclarationCheck::Problem> problems = DeclarationCheck::Run(lines, afm);
            QMetaObject::invokeMethod(
                this, [this, round] { DeliverOpenCheck(round); }, Qt::QueuedConnection);
            return problems;
        });
}

void TForm1::FinishOpenCheck()
{
    DeliverOpenCheck(m_openCheckRound);
}

// A list made for rows since replaced (another file, a new declaration, rows
// added or deleted in between) is dropped: the check command makes a fresh one.
void TForm1::DeliverOpenCheck(int round)
{
    if (round != m_openCheckRound || !m_openCheck.valid()) {
        return;
    }
    std::vector<DeclarationCheck::Problem> problems;
    try {
        problems = m_openCheck.get();
    } catch (const std::exception& e) {
        ShowError(e.what());
        return;
    }
    const auto& rows = m_workspace->FixedFormatDataSet1;
    // A row stored or the rows sorted since (the declaration became changed)
    // may no longer be where the list would point.
    const bool changedSince = m_workspace->Modified() && !m_openCheckModified;
    if (m_workspace->FileName() != m_openCheckFile || rows.Lines().size() != m_openCheckRows ||
        changedSince || !DeclarationCheck::AnyRowRefused(problems, DeclarationCheck::Answer::Yes)) {
        return;
    }
    // A person who has moved on keeps the keyboard where it is; the list only shows.
    const bool movedOn = QApplication::focusWidget() != m_openCheckFocus ||
                         rows.State() == TDataSetState::dsEdit || rows.State() == TDataSetState::dsInsert;
    if (movedOn) {
        m_problemPanel->ShowProblems(std::move(problems));
        SetProblemPanelShown(true);
    } else {
        ShowProblems(std::move(problems));
    }
}

// The row is found by its line's id: sorting, inserting or deleting since the
// check moved it, or took it away.
void TForm1::GoToProblemRow(int32_t lineId)
{
    if (m_workspace->StorePendingRow() == Workspace::StoreOutcome::Refused) {
        return;
    }
    auto& rows = m_workspace->FixedFormatDataSet1;
    const auto& lines = rows.Lines();
    if (!rows.Active() ||
        std::none_of(lines.begin(), lines.end(),
                     [lineId](const TFixedFormatDataSet::TLine& line) { return line.Id == lineId; })) {
        Beep();
        return;
    }
    rows.GotoBookmark(lineId);
    ShowGridFromAfm();
}
