#include "app/close_screens.h"

#include "ui/form.h"
#include "ui/screen_stack.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>

namespace {
// A screen that holds its close back (a picture still loading) is asked again after this.
constexpr int kRetryMs = 20;

void CloseTopmost(QPointer<ScreenStack> window) {
    if (!window || window->Depth() == 0)
        return;
    if (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
    else if (window->Depth() > 1)
        window->CloseDownTo(1);
    else
        window->Top()->close();
    QTimer::singleShot(kRetryMs, window, [window] { CloseTopmost(window); });
}
} // namespace

void CloseEveryScreen(ScreenStack& window) {
    CloseTopmost(&window);
}
