#pragma once

#include "declaration/DeclarationCheck.h"

#include <QFrame>

#include <functional>
#include <vector>

class QLabel;
class QListView;
class QStringListModel;
class QToolButton;

// The list under the grid of what the check of all rows found: one line per
// problem, named by its row, its AFM and its surname. Enter or a double click
// on a line hands its problem to RowChosen; Escape or the close button hides
// the panel and hands the keyboard to Closed.
class ProblemPanel : public QFrame
{
public:
    explicit ProblemPanel(QWidget* parent = nullptr);

    // Replaces what the panel lists; the first line becomes the current one.
    void ShowProblems(std::vector<DeclarationCheck::Problem> problems);
    const std::vector<DeclarationCheck::Problem>& Problems() const { return m_problems; }
    // The line as the list shows it (UTF-8 in, record data converted from cp1253).
    static QString LineText(const DeclarationCheck::Problem& problem);
    // How many problems and warnings the list holds, or that none were found.
    static QString TitleText(const std::vector<DeclarationCheck::Problem>& problems);

    QListView* List() const { return m_list; }
    QLabel* Title() const { return m_title; }

    std::function<void(const DeclarationCheck::Problem&)> RowChosen;
    std::function<void()> Closed;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Choose(int line);
    void Close();

    std::vector<DeclarationCheck::Problem> m_problems;
    QLabel* m_title = nullptr;
    QToolButton* m_close = nullptr;
    QListView* m_list = nullptr;
    QStringListModel* m_model = nullptr;
};
