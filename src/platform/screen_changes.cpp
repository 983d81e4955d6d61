#include "platform/screen_changes.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

bool IsUsableScreenSize(QSize size) {
    return size.width() >= 320 && size.height() >= 240;
}

bool IsUsableScreen(const QScreen* screen) {
    return screen && IsUsableScreenSize(screen->geometry().size());
}

QScreen* UsableScreenFor(const QWidget& window) {
    const QWindow* handle = window.window()->windowHandle();
    QScreen* screen = handle ? handle->screen() : window.screen();
    if (IsUsableScreen(screen))
        return screen;
    if (IsUsableScreen(QGuiApplication::primaryScreen()))
        return QGuiApplication::primaryScreen();
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto usable = std::find_if(screens.begin(), screens.end(), IsUsableScreen);
    return usable == screens.end() ? nullptr : *usable;
}

ScreenChanges::ScreenChanges(QObject* parent) : QObject(parent) {
    for (QScreen* screen : QGuiApplication::screens())
        Watch(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        Watch(screen);
        ChangedLater();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] {
        emit removing();
        ChangedLater();
    });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this] { ChangedLater(); });
}

void ScreenChanges::Watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { ChangedLater(); });
}

void ScreenChanges::ChangedLater() {
    // A screen being removed is still listed while it is announced; the change is whole once the
    // window system's events of it have been handled.
    if (std::exchange(queued_, true))
        return;
    QTimer::singleShot(0, this, [this] {
        queued_ = false;
        emit changed();
    });
}
