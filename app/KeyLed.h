#pragma once

// The keyboard's lock keys as switches. The program turns Caps Lock on while
// it is in front, because the tax administration expects names in capitals
// (CapsLockScope says when). On a platform without a reachable keyboard state
// (the offscreen platform of the tests, a Wayland session) reading gives false
// and writing does nothing.
class TKeyLed
{
public:
    enum class Lock { Caps, Num, Scroll };

    virtual ~TKeyLed() = default;
    // Caps Lock can be stood in for: tests watch what the window does with it.
    virtual bool CapsLock() const;
    virtual void SetCapsLock(bool on);
    bool NumLock() const;
    void SetNumLock(bool on);
    bool ScrollLock() const;
    void SetScrollLock(bool on);

private:
    static bool IsOn(Lock lock);
    static void Switch(Lock lock, bool on);
};
