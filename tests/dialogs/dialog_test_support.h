#pragma once

#include "dialogs/browse_folder.h"
#include "platform/modal.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

// Runs every modal dialog through the given hook while it lives.
class ModalHookScope {
public:
    explicit ModalHookScope(ModalHook hook) : previous_(SetModalHook(std::move(hook))) {}
    ~ModalHookScope() { SetModalHook(std::move(previous_)); }
    ModalHookScope(const ModalHookScope&) = delete;
    ModalHookScope& operator=(const ModalHookScope&) = delete;

private:
    ModalHook previous_;
};

// Answers every folder browse with the given chooser while it lives.
class FolderChooserScope {
public:
    explicit FolderChooserScope(FolderChooser chooser)
        : previous_(SetFolderChooser(std::move(chooser))) {}
    ~FolderChooserScope() { SetFolderChooser(std::move(previous_)); }
    FolderChooserScope(const FolderChooserScope&) = delete;
    FolderChooserScope& operator=(const FolderChooserScope&) = delete;

private:
    FolderChooser previous_;
};

// Shows a window and makes it the active one, so that focus, Tab and accelerators work headless.
inline bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Types text as key presses; characters beyond ASCII arrive as keys with text only, the way an
// input method delivers them.
inline void TypeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
