#pragma once

#include <utility>

// Runs a step on every way out of a scope.
template <typename F> class ScopeExit
{
public:
    explicit ScopeExit(F f) : m_f(std::move(f)) {}
    ~ScopeExit()
    {
        try {
            m_f();
        } catch (...) {
            // Nothing may leave a destructor; the step is a courtesy to the window.
        }
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F m_f;
};
