#include "app/CapsLockScope.h"

#include "app/KeyLed.h"

#include <QGuiApplication>
#include <algorithm>

int CapsLockScope::s_openDialogs = 0;
std::vector<CapsLockScope*> CapsLockScope::s_scopes;

CapsLockScope::CapsLockScope(std::function<TKeyLed&()> keyLed, QObject* parent)
    : QObject(parent), m_keyLed(std::move(keyLed))
{
    s_scopes.push_back(this);
    m_active = QGuiApplication::applicationState() == Qt::ApplicationActive;
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &CapsLockScope::ActivationChanged);
}

CapsLockScope::~CapsLockScope()
{
    Finish();
    s_scopes.erase(std::remove(s_scopes.begin(), s_scopes.end(), this), s_scopes.end());
}

void CapsLockScope::Follow()
{
    m_following = true;
    Apply();
}

void CapsLockScope::Finish()
{
    m_finished = true;
    Apply();
}

void CapsLockScope::Replace(const std::function<void()>& replaceSwitches)
{
    const bool following = m_following;
    m_following = false;
    Apply();
    replaceSwitches();
    m_following = following;
    Apply();
}

bool CapsLockScope::PersonsOwn() const
{
    return m_held ? m_personHadItOn : m_keyLed().CapsLock();
}

void CapsLockScope::SetPersonsOwn(bool on)
{
    m_personHadItOn = on;
    if (!m_held)
        m_keyLed().SetCapsLock(on);
}

void CapsLockScope::ActivationChanged(Qt::ApplicationState state)
{
    m_active = state == Qt::ApplicationActive;
    Apply();
}

void CapsLockScope::Apply()
{
    const bool wanted = m_following && !m_finished && m_active && s_openDialogs == 0;
    if (wanted == m_held) {
        return;
    }
    TKeyLed& keyLed = m_keyLed();
    if (wanted) {
        m_personHadItOn = keyLed.CapsLock();
        keyLed.SetCapsLock(true);
    } else {
        keyLed.SetCapsLock(m_personHadItOn);
    }
    m_held = wanted;
}

CapsLockScope::StandardDialog::StandardDialog()
{
    ++s_openDialogs;
    for (CapsLockScope* scope : s_scopes) {
        scope->Apply();
    }
}

CapsLockScope::StandardDialog::~StandardDialog()
{
    --s_openDialogs;
    for (CapsLockScope* scope : s_scopes) {
        scope->Apply();
    }
}
