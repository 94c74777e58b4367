#include "platform/dialogs/TitleBarButtons.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#ifdef WORDLARK_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
#include <qpa/qplatformwindow.h>
#include <qpa/qplatformwindow_p.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace
{

// One WINDOW value of a window's property; None when it has none.
Window windowProperty(Display* display, Window window, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    Window value = None;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &left, &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1)
        value = *reinterpret_cast<Window*>(data);
    if (data)
        XFree(data);
    return value;
}

// A UTF-8 text property of a window; empty when it has none.
QString textProperty(Display* display, Window window, Atom property)
{
    constexpr long MaxWords = 64; // a name, not a document
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    QString text;
    if (XGetWindowProperty(display, window, property, 0, MaxWords, False, utf8, &type, &format,
                           &count, &left, &data) == Success &&
        type == utf8 && format == 8)
        text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(count));
    if (data)
        XFree(data);
    return text;
}

} // namespace

QString windowManagerName()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // Under the offscreen platform the interface exists but has no display.
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return QString();
    // The window manager names itself on a window of its own, which the root window and that
    // window both point at (a stale pointer left by a window manager that ended does not).
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    const Window own = windowProperty(display, DefaultRootWindow(display), check);
    if (own == None || windowProperty(display, own, check) != own)
        return QString();
    return textProperty(display, own, XInternAtom(display, "_NET_WM_NAME", False));
}

void askForCloseButtonOnly(QWidget* dialog)
{
    if (windowManagerName().compare(QLatin1String("Openbox"), Qt::CaseInsensitive) != 0)
        return;
    QWindow* window = dialog->windowHandle();
    if (!window) {
        dialog->winId(); // creates the window
        window = dialog->windowHandle();
    }
    // Qt's X11 window types of the window, written whenever it sets the window's flags (the
    // first of them is the one a window manager goes by; the dialog's own type follows).
    window->setProperty("_q_xcb_wm_window_type",
                        int(QNativeInterface::Private::QXcbWindow::Toolbar));
    if (QPlatformWindow* native = window->handle())
        native->setWindowFlags(window->flags());
}

#else

QString windowManagerName()
{
    return QString();
}

void askForCloseButtonOnly(QWidget*) {}

#endif
