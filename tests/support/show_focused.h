#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

// Shows a window and waits until it has the keyboard focus, as the display server gives it
// (QTest's own wait counts a dialog active already while its parent is).
inline bool ShowFocused(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitFor([&window] { return QApplication::activeWindow() == &window; });
}
