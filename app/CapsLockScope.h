#pragma once

#include <QObject>
#include <functional>
#include <vector>

class TKeyLed;

// Caps Lock is the program's only while one of its windows is in front: the
// tax administration expects names in capitals, but a lock left on when the
// person moves to another program turns a password typed there into capitals.
// So it is switched on while the program is active and given back as the
// person had it when the program loses the activation, while a file, print or
// PDF dialog is open (paths and file names tell capitals from small letters)
// and when the program ends.
class CapsLockScope : public QObject
{
    Q_OBJECT
public:
    // `keyLed` names the lock switches in use at the moment of each change.
    explicit CapsLockScope(std::function<TKeyLed&()> keyLed, QObject* parent = nullptr);
    ~CapsLockScope() override;
    CapsLockScope(const CapsLockScope&) = delete;
    CapsLockScope& operator=(const CapsLockScope&) = delete;

    // From now on the lock follows the program's activation.
    void Follow();
    // Gives the lock back for good: the program ends.
    void Finish();
    // The lock as the person has it outside the program: the one noted when
    // the program took it, or the switch as it stands.
    bool PersonsOwn() const;
    // Corrects the person's own lock (a session that never closed left the
    // desktop's on); given back at once when the program does not hold it.
    void SetPersonsOwn(bool on);
    // Gives the lock back before the switches are replaced, and takes it
    // again with the new ones.
    void Replace(const std::function<void()>& replaceSwitches);

    // While one of these lives, a file, print or PDF dialog is open and every
    // scope gives the lock back.
    class StandardDialog
    {
    public:
        StandardDialog();
        ~StandardDialog();
        StandardDialog(const StandardDialog&) = delete;
        StandardDialog& operator=(const StandardDialog&) = delete;
    };

private:
    void ActivationChanged(Qt::ApplicationState state);
    void Apply();

    std::function<TKeyLed&()> m_keyLed;
    bool m_following = false;
    bool m_finished = false;
    bool m_active = false;
    bool m_held = false;
    bool m_personHadItOn = false;

    static int s_openDialogs;
    static std::vector<CapsLockScope*> s_scopes;
};
