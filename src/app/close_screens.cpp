#include "app/close_screens.h"

#include "ui/form.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

namespace {
// A screen that holds its close back (a picture still loading) is asked again after this.
constexpr int kRetryMs = 20;

void CloseTopmost(QPointer<QWidget> mainMenu) {
    if (!mainMenu)
        return;
    QWidget* modal = QApplication::activeModalWidget();
    Form* top = Form::Topmost();
    if (modal && !dynamic_cast<Form*>(modal)) {
        modal->close();
    } else if (top && top != mainMenu) {
        Form::CloseScreensInOrder(1);
    } else {
        mainMenu->close();
        return;
    }
    QTimer::singleShot(kRetryMs, mainMenu, [mainMenu] { CloseTopmost(mainMenu); });
}
} // namespace

void CloseEveryScreen(QWidget* mainMenu) {
    CloseTopmost(mainMenu);
}
