#pragma once

#include "input/duplicate_filter.h"
#include "input/input_command.h"
#include "platform/clock.h"

#include <QPointer>
#include <QWidget>

#include <chrono>
#include <memory>
#include <optional>

class ScreenInput;

// The one way every button reaches the screens, whatever its source: X keys, a remote's raw
// reports and event device, media keys, the desktop's media controls, a phone. Each source tells
// presses and releases; the router hands a press to the focused screen's handlers (FormKeyDown
// through KeyDown, WmInput, WmAppCommand) and makes the repeats of a held button itself, on the
// injected clock. Built once, in main(), and handed to the screen stack and the sources.
class InputRouter {
public:
    explicit InputRouter(Clock& clock) : clock_(clock) {}
    ~InputRouter();
    InputRouter(const InputRouter&) = delete;
    InputRouter& operator=(const InputRouter&) = delete;

    // A button went down. It goes to the given screen (a key the display server brought to it),
    // else to the focused screen; a key from a device or phone goes to a dialog in front as if
    // typed. None while another program has the focus. Returns whether it was taken: a key no
    // screen takes goes on its normal way.
    bool Press(const InputCommand& command, InputPath path, QWidget* receiver = nullptr);
    // The source's own repeat of a held button: never delivered, it only tells that the button
    // is still down.
    void Hold(const InputCommand& command, InputPath path);
    void Release(const InputCommand& command, InputPath path);
    // For a source that repeats a held button and may say nothing when it is let go: a press, or
    // the hold of the same button pressed on it before and not silent since.
    void PressOrHold(const InputCommand& command, InputPath path);
    // A button that has no release of its own (a call from the desktop's media controls).
    void Tap(const InputCommand& command, InputPath path, QWidget* receiver = nullptr);
    // The source is gone, or lost track of its buttons: nothing of it is held any more.
    void ReleaseAll(InputPath path);
    // A screen came or went: a held button does not go on into the next screen.
    void EndHold() { held_.reset(); }

    // Whether a remote's event device is being read.
    void SetEventDevicesRead(bool read) { eventDevicesRead_ = read; }
    // Long enough for the remote's own event device to report the press that the display server
    // reports too, short enough not to be felt.
    static constexpr std::chrono::milliseconds kPlayPauseHold{40};

private:
    struct Held {
        InputCommand command;
        InputPath path;
        QPointer<QWidget> receiver;
        QPointer<QWidget> window;
        Clock::TimePoint since;
        Clock::TimePoint lastSign;
        bool silenceEnds;
        unsigned number; // which hold of the run, to tell it from a later one
        // The pending repeat's context: destroying it drops the repeat.
        std::unique_ptr<QObject> repeats;
    };

    bool Admitted(const InputCommand& command, InputPath path);
    bool Deliver(const InputCommand& command, QWidget* receiver, bool repeat);
    void ScheduleRepeat(std::chrono::milliseconds after);
    void Repeat();
    bool Silent() const;
    bool StillHeld(unsigned number) const;

    Clock& clock_;
    DuplicateFilter filter_;
    std::optional<Held> held_;
    unsigned holds_ = 0;
    bool eventDevicesRead_ = false;
};

// A button straight to the given screen, for a screen that stands on no stack (a test driving one
// screen): no other path can bring the same press there, and nothing repeats.
bool DeliverTo(ScreenInput& screen, const InputCommand& command);
