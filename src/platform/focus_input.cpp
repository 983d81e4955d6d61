#include "platform/focus_input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

QWidget* FocusedWindow() {
    QWidget* active = QApplication::activeWindow();
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
