#pragma once

#include <QObject>
#include <QSize>

class QScreen;
class QWidget;

// Whether a window of this size is worth laying out: the size a real screen gives.
bool IsUsableScreenSize(QSize size);
// Whether a screen is one to show on: an output of at least 320x240, not the placeholder a window
// system puts in while the TV is off (on X a 64x64 fake screen, on Wayland 0x0).
bool IsUsableScreen(const QScreen* screen);
// The screen a window lays itself out for: the one it stands on (before its first showing, the one
// it will open on) if usable, else the primary screen, else the first usable one; null while there
// is none. Looked up each time, never kept: the one the window was on may be gone.
QScreen* UsableScreenFor(const QWidget& window);

// Tells once, after the window system has finished announcing them, that screens came, went,
// changed their size or swapped which is primary: every window that lays itself out from its
// screen listens to one of these.
class ScreenChanges : public QObject {
    Q_OBJECT

public:
    explicit ScreenChanges(QObject* parent);

signals:
    // A screen is being removed; it is still listed.
    void removing();
    // The screens have changed, and the change is whole.
    void changed();

private:
    void Watch(QScreen* screen);
    void ChangedLater();

    bool queued_ = false;
};
