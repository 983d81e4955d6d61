#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QObject>

#include <memory>

class BusInhibition;
struct _XDisplay;

// Keeps the display from blanking: the X server's own screen saver (XScreenSaver extension) on
// the X display it is given, and the desktop's idle watch over D-Bus (org.freedesktop.ScreenSaver,
// GNOME's session manager) where the bus has them. Both are tied to this process's connections,
// so they also end if the process dies.
class ScreenSaverInhibitor : public QObject {
public:
    // x11Display: the X display to suspend the screen saver of; empty for none.
    ScreenSaverInhibitor(QDBusConnection bus, const QByteArray& x11Display);
    ~ScreenSaverInhibitor() override;

    void SetInhibited(bool on);
    bool Inhibited() const { return inhibited_; }
    // Whether a desktop service has not answered an inhibition yet.
    bool AwaitingAnswers() const;

private:
    _XDisplay* display_ = nullptr;
    bool suspendable_ = false;
    bool inhibited_ = false;
    std::vector<std::unique_ptr<BusInhibition>> bus_;
};

// The run's wish to keep the screen awake, made of the screens' holds: the inhibitor for this
// session is on while any hold is set. One per run, built in main(); the inhibitor's connections
// are made at the first hold.
class ScreenAwake {
public:
    ScreenAwake();
    ~ScreenAwake();
    ScreenAwake(const ScreenAwake&) = delete;
    ScreenAwake& operator=(const ScreenAwake&) = delete;

    // Whether any hold is set.
    bool AnyHeld() const { return holds_ > 0; }

private:
    friend class ScreenAwakeHold;
    void Change(int by);

    int holds_ = 0;
    std::unique_ptr<ScreenSaverInhibitor> inhibitor_;
};

// One screen's wish to keep the screen awake; released when it is destroyed.
class ScreenAwakeHold {
public:
    explicit ScreenAwakeHold(ScreenAwake& awake) : awake_(awake) {}
    ~ScreenAwakeHold() { Set(false); }
    ScreenAwakeHold(const ScreenAwakeHold&) = delete;
    ScreenAwakeHold& operator=(const ScreenAwakeHold&) = delete;

    void Set(bool on);
    bool Held() const { return held_; }

private:
    ScreenAwake& awake_;
    bool held_ = false;
};
