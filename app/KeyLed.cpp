#include "app/KeyLed.h"

#include <QGuiApplication>

#ifdef ROZARO_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/keysym.h>
// Xlib defines names that clash with Qt's enums further down the line.
#undef Bool
#undef None
#undef KeyPress
#undef KeyRelease
#undef Status
#endif

namespace {

#ifdef ROZARO_HAVE_X11
Display* x11Display()
{
    auto* app = qGuiApp;
    if (app == nullptr) {
        return nullptr;
    }
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->display() : nullptr;
}

// The modifier bit a lock key drives; 0 when the keyboard map binds the key to
// no modifier (Scroll Lock usually), and then there is nothing to switch.
unsigned int lockMask(Display* display, TKeyLed::Lock lock)
{
    switch (lock) {
    case TKeyLed::Lock::Num:
        return XkbKeysymToModifiers(display, XK_Num_Lock);
    case TKeyLed::Lock::Scroll:
        return XkbKeysymToModifiers(display, XK_Scroll_Lock);
    case TKeyLed::Lock::Caps:
        break;
    }
    return LockMask;
}

// Scroll Lock drives no modifier in the usual keyboard maps; its state is
// then the state of its light.
Atom scrollLight(Display* display)
{
    return XInternAtom(display, "Scroll Lock", False);
}
#endif

} // namespace

bool TKeyLed::CapsLock() const
{
    return IsOn(Lock::Caps);
}
void TKeyLed::SetCapsLock(bool on)
{
    Switch(Lock::Caps, on);
}
bool TKeyLed::NumLock() const
{
    return IsOn(Lock::Num);
}
void TKeyLed::SetNumLock(bool on)
{
    Switch(Lock::Num, on);
}
bool TKeyLed::ScrollLock() const
{
    return IsOn(Lock::Scroll);
}
void TKeyLed::SetScrollLock(bool on)
{
    Switch(Lock::Scroll, on);
}

bool TKeyLed::IsOn(Lock lock)
{
#ifdef ROZARO_HAVE_X11
    Display* display = x11Display();
    if (display == nullptr) {
        return false;
    }
    const unsigned int mask = lockMask(display, lock);
    if (mask == 0 && lock == Lock::Scroll) {
        int index = 0;
        int lit = 0;
        return XkbGetNamedIndicator(display, scrollLight(display), &index, &lit, nullptr, nullptr) != 0 &&
               lit != 0;
    }
    XkbStateRec state{};
    if (mask == 0 || XkbGetState(display, XkbUseCoreKbd, &state) != Success) {
        return false;
    }
    return (state.locked_mods & mask) != 0;
#else
    (void)lock;
    return false;
#endif
}

void TKeyLed::Switch(Lock lock, bool on)
{
#ifdef ROZARO_HAVE_X11
    Display* display = x11Display();
    if (display == nullptr) {
        return;
    }
    const unsigned int mask = lockMask(display, lock);
    if (mask == 0 && lock == Lock::Scroll) {
        XkbSetNamedIndicator(display, scrollLight(display), True, on ? True : False, False, nullptr);
        XFlush(display);
        return;
    }
    if (mask == 0) {
        return;
    }
    XkbLockModifiers(display, XkbUseCoreKbd, mask, on ? mask : 0);
    XFlush(display);
#else
    (void)lock;
    (void)on;
#endif
}
