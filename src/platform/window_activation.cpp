#include "platform/window_activation.h"

#include <QGuiApplication>
#include <QWidget>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <vector>

namespace {
// A connection of our own: its requests and the one event it waits for never mix with Qt's.
Display* OwnDisplay() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

Atom Intern(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

// Reads a property of 32-bit items; empty when it is missing or of another type.
std::vector<unsigned long> Property(Display* display, Window window, Atom name, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, window, name, 0, 1024, False, type, &actualType, &format,
                           &count, &after, &data) == Success &&
        actualType == type && format == 32 && data) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        items.assign(values, values + count);
    }
    if (data)
        XFree(data);
    return items;
}

// A window manager that is running (its check window names itself) and activates on request.
bool WindowManagerActivates(Display* display) {
    const Window root = DefaultRootWindow(display);
    const Atom check = Intern(display, "_NET_SUPPORTING_WM_CHECK");
    const auto wm = Property(display, root, check, XA_WINDOW);
    if (wm.empty() || Property(display, static_cast<Window>(wm[0]), check, XA_WINDOW) != wm)
        return false;
    const Atom active = Intern(display, "_NET_ACTIVE_WINDOW");
    for (unsigned long atom : Property(display, root, Intern(display, "_NET_SUPPORTED"), XA_ATOM))
        if (atom == active)
            return true;
    return false;
}

// The X server's current time: the timestamp of a property change on a window of our own.
Time ServerTime(Display* display) {
    static const Window stamp = [display] {
        XSetWindowAttributes attributes{};
        attributes.event_mask = PropertyChangeMask;
        return XCreateWindow(display, DefaultRootWindow(display), -1, -1, 1, 1, 0, 0, InputOnly,
                             CopyFromParent, CWEventMask, &attributes);
    }();
    const Atom name = Intern(display, "COUCHFRAME_TIMESTAMP");
    XChangeProperty(display, stamp, name, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    XWindowEvent(display, stamp, PropertyChangeMask, &event);
    return event.xproperty.time;
}

void ActivateOnX11(Window target) {
    Display* display = OwnDisplay();
    if (!display)
        return;
    const Time now = ServerTime(display);
    if (WindowManagerActivates(display)) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = target;
        event.xclient.message_type = Intern(display, "_NET_ACTIVE_WINDOW");
        event.xclient.format = 32;
        event.xclient.data.l[0] = 1; // asked by the application itself
        event.xclient.data.l[1] = static_cast<long>(now);
        XSendEvent(display, DefaultRootWindow(display), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XRaiseWindow(display, target);
        XSetInputFocus(display, target, RevertToParent, now);
    }
    XFlush(display);
}
} // namespace

void ActivateWindow(QWidget* window) {
    window->raise();
    window->activateWindow();
    if (QGuiApplication::platformName() == QLatin1String("xcb") && window->isVisible())
        ActivateOnX11(static_cast<Window>(window->winId()));
}
