#include "input/input_router.h"

#include "input/app_command.h"
#include "input/key_repeat.h"
#include "input/remote_report.h"
#include "platform/focus_input.h"
#include "platform/screen_input.h"

namespace {
qint64 Milliseconds(Clock::TimePoint time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

// A radio remote's reports and a phone on Wi-Fi may lose the release of a held button.
bool ReleaseMayBeLost(InputPath path) {
    return path == InputPath::HidRaw || path == InputPath::Phone;
}

bool DeliverToScreen(ScreenInput& screen, const InputCommand& command) {
    switch (command.kind) {
    case InputCommand::Kind::Key:
        return screen.KeyDown(command.value, command.shift);
    case InputCommand::Kind::AppCommand:
        // Application commands are never passed on, whether or not the screen acts on them.
        screen.WmAppCommand(command.value);
        return true;
    case InputCommand::Kind::Report:
        screen.WmInput(RawInputMessage::FromReport(
            command.report.isEmpty() ? ReportFromCode(static_cast<quint32>(command.value))
                                     : command.report));
        return true;
    }
    return false;
}
} // namespace

bool DeliverTo(ScreenInput& screen, const InputCommand& command) {
    return DeliverToScreen(screen, command);
}

InputRouter::~InputRouter() = default;

bool InputRouter::Admitted(const InputCommand& command, InputPath path) {
    const qint64 now = Milliseconds(clock_.Now());
    switch (command.kind) {
    case InputCommand::Kind::Key:
        return true;
    case InputCommand::Kind::AppCommand:
        return filter_.Admit(DuplicateFilter::Kind::Command, static_cast<quint32>(command.value),
                             path, now);
    case InputCommand::Kind::Report:
        return filter_.Admit(DuplicateFilter::Kind::Report, static_cast<quint32>(command.value),
                             path, now);
    }
    return false;
}

bool InputRouter::Deliver(const InputCommand& command, QWidget* receiver, bool repeat) {
    if (ScreenInput* screen = ScreenInputOf(receiver))
        return DeliverToScreen(*screen, command);
    // A dialog or box in front answers a device's or phone's keys in its own way.
    if (command.kind != InputCommand::Kind::Key)
        return false;
    const int qtKey = QtKeyFromVirtualKey(command.value);
    if (qtKey)
        PressKeyAtFocus(qtKey, repeat);
    return qtKey != 0;
}

bool InputRouter::Press(const InputCommand& command, InputPath path, QWidget* receiver) {
    held_.reset();
    if (command == InputCommand::Command(appcommand::PlayPause) &&
        path == InputPath::DisplayServer && eventDevicesRead_ && receiver) {
        // It may be a remote's Play key, which its event device reports as Play: that one wins.
        clock_.CallAfter(kPlayPauseHold, receiver, [this, command, path, receiver] {
            if (Admitted(command, path))
                Deliver(command, receiver, false);
        });
        return true;
    }
    if (!Admitted(command, path))
        return true; // the same press came by another path and has acted
    QWidget* target = receiver ? receiver : FocusedWindow();
    if (!target)
        return false;
    const Clock::TimePoint now = clock_.Now();
    const unsigned number = ++holds_;
    held_.emplace(Held{command, path, target, target->window(), now, now, ReleaseMayBeLost(path),
                       number, nullptr});
    const bool taken = Deliver(command, target, false);
    if (StillHeld(number) && key_repeat::Repeats(command))
        ScheduleRepeat(key_repeat::kDelay);
    return taken;
}

void InputRouter::Hold(const InputCommand& command, InputPath path) {
    if (!held_ || held_->path != path || !(held_->command == command))
        return;
    held_->lastSign = clock_.Now();
    held_->silenceEnds = true; // this source repeats a held button: silence means let go
}

void InputRouter::Release(const InputCommand& command, InputPath path) {
    if (held_ && held_->path == path && held_->command == command)
        held_.reset();
}

void InputRouter::PressOrHold(const InputCommand& command, InputPath path) {
    if (held_ && held_->path == path && held_->command == command && !Silent())
        Hold(command, path);
    else
        Press(command, path);
}

void InputRouter::Tap(const InputCommand& command, InputPath path, QWidget* receiver) {
    Press(command, path, receiver);
    Release(command, path);
}

void InputRouter::ReleaseAll(InputPath path) {
    if (held_ && held_->path == path)
        held_.reset();
}

bool InputRouter::StillHeld(unsigned number) const {
    return held_ && held_->number == number;
}

bool InputRouter::Silent() const {
    return held_->silenceEnds && clock_.Now() - held_->lastSign >= key_repeat::kSilence;
}

void InputRouter::ScheduleRepeat(std::chrono::milliseconds after) {
    held_->repeats = std::make_unique<QObject>();
    clock_.CallAfter(after, held_->repeats.get(), [this] { Repeat(); });
}

void InputRouter::Repeat() {
    // A lost release, a screen closed, or the focus gone to a dialog or another program ends it.
    if (!held_ || Silent() || !held_->receiver || !held_->window ||
        FocusedWindow() != held_->window) {
        held_.reset();
        return;
    }
    const unsigned number = held_->number;
    Deliver(held_->command, held_->receiver, true);
    if (!StillHeld(number) || !held_->receiver)
        return; // the repeat opened or closed a screen
    const ScreenInput* screen = ScreenInputOf(held_->receiver);
    const bool onList = held_->command.kind == InputCommand::Kind::Key && screen &&
                        screen->ScrollsList(held_->command.value);
    const auto heldFor =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock_.Now() - held_->since);
    ScheduleRepeat(key_repeat::NextInterval(heldFor, onList));
}
