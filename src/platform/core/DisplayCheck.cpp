#include "platform/core/DisplayCheck.h"

#include <QByteArray>
#include <QtGlobal>

#ifdef WORDLARK_HAVE_X11
#include <X11/Xlib.h>
#endif

namespace
{

bool x11DisplayReachable()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
#ifdef WORDLARK_HAVE_X11
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XCloseDisplay(display);
#endif
    return true;
}

} // namespace

bool windowingSystemReachable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("wayland"))
        return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (platform.startsWith("xcb"))
        return x11DisplayReachable();
    if (!platform.isEmpty())
        return true; // offscreen, vnc and the like need no display
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || x11DisplayReachable();
}
