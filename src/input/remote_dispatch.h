#pragma once

#include "platform/clock.h"

#include <QByteArray>
#include <QtGlobal>

#include <chrono>
#include <vector>

class QWidget;
class ScreenInput;

// The ways a remote button or media key reaches the program. One press may arrive by two of them
// (a HID remote gives a raw report and, through its kernel driver, a key), so each delivery names
// its path and a press seen on another path just before counts once.
enum class InputPath { DisplayServer, HidRaw, EventDevice };

// Recognises one press that arrives by two paths: the same report code or command from another
// path within the window is dropped; repeats on one path (a held button) all pass.
class DuplicateFilter {
public:
    static constexpr qint64 kWindowMs = 250;
    enum class Kind { Report, Command };

    bool Admit(Kind kind, quint32 value, InputPath path, qint64 nowMs);
    void Clear() { recent_.clear(); }

private:
    struct Delivery {
        Kind kind;
        quint32 value;
        InputPath path;
        qint64 time;
    };
    std::vector<Delivery> recent_;
};

// What one run of the program makes of its remote input: the duplicate check across paths, and
// the moment a display-server Play/Pause waits for the remote's own Play. Built once, in main(),
// and handed to the screen stack and the device readers.
class RemoteDispatch {
public:
    explicit RemoteDispatch(Clock& clock) : clock_(clock) {}

    // Hands a raw report to the focused screen's WmInput (none while a message box or dialog is in
    // front of it, or another program has the focus).
    void DeliverRemoteReport(const QByteArray& report, InputPath path);
    // Hands an application command to the focused screen's WmAppCommand, likewise; or to the
    // given window's screen, for commands that come from outside the keyboard focus (a desktop's
    // remote over D-Bus).
    void DeliverAppCommand(int command, InputPath path, QWidget* receiver = nullptr);
    // A key from the display server: a media key becomes its application command, a category key
    // its report, both for the screen of the window the key came to. Returns whether the key was
    // one of those (then it goes nowhere else). While a remote's event device is read, Play/Pause
    // acts a moment later, after the Play that the device reports for the same press, if any.
    bool DeliverMediaKey(int qtKey, QWidget* receiver);
    // Whether a remote's event device is being read.
    void SetEventDevicesRead(bool read) { eventDevicesRead_ = read; }

    // Long enough for the remote's own event device to report the press that the display server
    // reports too, short enough not to be felt.
    static constexpr std::chrono::milliseconds kPlayPauseHold{40};

private:
    qint64 NowMs() const;
    void DeliverReportTo(QWidget* receiver, const QByteArray& report, InputPath path);
    void DeliverCommandTo(QWidget* receiver, int command, InputPath path);

    Clock& clock_;
    DuplicateFilter filter_;
    bool eventDevicesRead_ = false;
};

// A media or category key straight to the given screen, for a screen that stands on no stack (a
// test driving one screen): no other path can bring the same press there.
bool DeliverMediaKeyTo(int qtKey, ScreenInput& screen);
