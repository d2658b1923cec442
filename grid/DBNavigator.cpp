#include "grid/DBNavigator.h"

#include "grid/DataSetTableModel.h"

#include <QAbstractButton>

TDBNavigator::TDBNavigator(TDataSetTableModel& model,
                           const std::array<QAbstractButton*, ButtonCount>& buttons, QObject* parent)
    : QObject(parent), m_model(model), m_buttons(buttons)
{
    for (int i = 0; i < ButtonCount; ++i) {
        connect(m_buttons[static_cast<size_t>(i)], &QAbstractButton::clicked, this,
                [this, i] { Click(static_cast<TNavigateBtn>(i)); });
    }
    connect(&m_model, &TDataSetTableModel::CurrentRecordChanged, this, &TDBNavigator::UpdateButtons);
    UpdateButtons();
}

void TDBNavigator::Click(TNavigateBtn button)
{
    if (!m_buttons[static_cast<size_t>(button)]->isEnabled()) {
        return;
    }
    if (BeforeAction && !BeforeAction(button)) {
        return;
    }
    TFixedFormatDataSet& store = m_model.Store();
    m_model.RunGuarded([&store, button] {
        switch (button) {
        case nbFirst:
            store.First();
            break;
        case nbLast:
            store.Last();
            break;
        case nbInsert:
            store.Insert();
            break;
        case nbDelete:
            store.Delete();
            break;
        case nbPost:
            store.Post();
            break;
        case nbCancel:
            store.Cancel();
            break;
        case ButtonCount:
            break;
        }
    });
    UpdateButtons();
}

void TDBNavigator::UpdateButtons()
{
    const TFixedFormatDataSet& store = m_model.Store();
    const bool active = store.Active();
    const bool editing = store.State() == TDataSetState::dsEdit || store.State() == TDataSetState::dsInsert;
    const bool canModify = active && store.CanModify();
    const std::array<bool, ButtonCount> enabled = {
        active && (!store.Bof() || editing),
        active && (!store.Eof() || editing),
        canModify,
        canModify && !store.IsEmpty(),
        active && editing,
        active && editing,
    };
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i]->setEnabled(enabled[i]);
    }
}
