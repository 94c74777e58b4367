#include "platform/bars/LockKeys.h"

#include <QGuiApplication>

#ifdef WORDLARK_HAVE_X11
#include <QtGui/qguiapplication_platform.h>

#include <X11/XKBlib.h>

namespace
{

// Reads one named indicator ("Caps Lock", "Num Lock", "Scroll Lock") of the core keyboard.
bool indicatorOn(Display* display, const char* name)
{
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None)
        return false;
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
        return false;
    return on;
}

} // namespace

LockKeyState currentLockKeys()
{
    LockKeyState state;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // Under the offscreen platform the interface exists but has no display.
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return state;
    state.known = true;
    state.capsLock = indicatorOn(display, "Caps Lock");
    state.numLock = indicatorOn(display, "Num Lock");
    state.scrollLock = indicatorOn(display, "Scroll Lock");
    return state;
}

#else

LockKeyState currentLockKeys()
{
    return {};
}

#endif
