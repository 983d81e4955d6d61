#pragma once

#include "dialogs/browse_folder.h"
#include "modal_hook_scope.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

// Answers every folder browse with the given chooser while it lives.
class FolderChooserScope : public Seam<FolderChooser>::Override {
public:
    explicit FolderChooserScope(FolderChooser chooser)
        : Override(FolderChooserSeam(), std::move(chooser)) {}
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
