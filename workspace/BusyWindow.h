#pragma once

#include "declaration/UserInterface.h"

// A long job runs with the busy cursor and the wait window over a hidden
// grid; the window comes back however the job ends.
class BusyWindow
{
public:
    explicit BusyWindow(UserInterface& ui) : m_ui(ui)
    {
        m_ui.SetBusyCursor(true);
        m_ui.SetGridVisible(false);
        m_ui.ShowWaitWindow();
    }
    ~BusyWindow()
    {
        try {
            m_ui.SetGridVisible(true);
            m_ui.HideWaitWindow();
            m_ui.SetBusyCursor(false);
        } catch (...) {
            // Nothing may leave a destructor.
        }
    }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

private:
    UserInterface& m_ui;
};
