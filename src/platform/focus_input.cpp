#include "platform/focus_input.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {
constexpr xcb_window_t kPointerRoot = 1;

// An X server without a window manager leaves the keyboard focus on PointerRoot: keys go to the
// window under the pointer, and Qt never sees one of its windows activated. That window is then
// the focused one.
QWidget* WindowTakingKeysUnderPointerRoot() {
    // The offscreen platform offers the X11 interface too, without a connection.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection))
        return nullptr;
    xcb_get_input_focus_reply_t* focus =
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    const bool pointerRoot = focus && focus->focus == kPointerRoot;
    std::free(focus);
    if (!pointerRoot)
        return nullptr;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_query_pointer_reply_t* pointer =
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr);
    const xcb_window_t under = pointer ? pointer->child : XCB_NONE;
    std::free(pointer);
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->internalWinId() == under)
            return window;
    return nullptr;
}
} // namespace

QWidget* FocusedWindow() {
    QWidget* active = QApplication::activeWindow();
    if (!active)
        active = WindowTakingKeysUnderPointerRoot();
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != active)
        return nullptr;
    return active;
}

void PressKeyAtFocus(int qtKey, bool autoRepeat) {
    QWidget* window = FocusedWindow();
    if (!window)
        return;
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QString text;
    if (qtKey == Qt::Key_Return)
        text = QStringLiteral("\r");
    else if (qtKey >= Qt::Key_Space && qtKey <= Qt::Key_AsciiTilde)
        text = QChar(qtKey);
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text, autoRepeat);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text, autoRepeat);
    QApplication::sendEvent(target, &release);
}
