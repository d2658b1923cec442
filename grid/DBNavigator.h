#pragma once

#include <QObject>
#include <array>
#include <functional>

class QAbstractButton;
class TDataSetTableModel;

// The record navigator: six buttons that move to the first or last record,
// insert, delete, store or cancel, each enabled while it can act.
class TDBNavigator : public QObject
{
    Q_OBJECT
public:
    enum TNavigateBtn { nbFirst, nbLast, nbInsert, nbDelete, nbPost, nbCancel, ButtonCount };

    TDBNavigator(TDataSetTableModel& model, const std::array<QAbstractButton*, ButtonCount>& buttons,
                 QObject* parent = nullptr);

    // Runs before a button acts; false stops it.
    std::function<bool(TNavigateBtn button)> BeforeAction;

    // Acts as a press of the button does.
    void Click(TNavigateBtn button);
    // Enables the buttons for the store's state and position.
    void UpdateButtons();

private:
    TDataSetTableModel& m_model;
    std::array<QAbstractButton*, ButtonCount> m_buttons;
};
