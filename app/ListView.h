#pragma once

#include "printing/ListPages.h"

#include <QAbstractScrollArea>
#include <optional>

// The detailed payments list shown as the pages it prints, one under the
// other across the view's width. Only the pages in sight are painted, so a
// payroll of tens of thousands of rows opens at once.
class ListView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    // Shows `list` from its first page; nothing clears the view.
    void SetList(std::optional<ListPages> list);
    int PageCount() const { return m_list ? m_list->PageCount() : 0; }
    // The words of the list, for reading it out.
    QString PlainText() const { return m_list ? m_list->PlainText() : QString(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    qreal Scale() const;
    qreal PageHeight() const; // a page with its margins and foot, in the list's units
    void UpdateRange();

    std::optional<ListPages> m_list;
    qreal m_foot = 0;
};
