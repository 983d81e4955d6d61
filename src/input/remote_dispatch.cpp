#include "input/remote_dispatch.h"

#include "input/app_command.h"
#include "input/category_keys.h"
#include "input/remote_report.h"
#include "platform/screen_input.h"

#include <QWidget>

#include <algorithm>

bool DuplicateFilter::Admit(Kind kind, quint32 value, InputPath path, qint64 nowMs) {
    if (kind == Kind::Command)
        value = static_cast<quint32>(SamePressCommand(static_cast<int>(value)));
    std::erase_if(recent_, [nowMs](const Delivery& d) { return nowMs - d.time > kWindowMs; });
    const auto same = [&](const Delivery& d) { return d.kind == kind && d.value == value; };
    if (std::any_of(recent_.begin(), recent_.end(),
                    [&](const Delivery& d) { return same(d) && d.path != path; }))
        return false;
    std::erase_if(recent_, same);
    recent_.push_back({kind, value, path, nowMs});
    return true;
}

namespace {
// A key from the display server goes to the screen it came to, which has the focus; input read
// from the devices goes to the focused screen, and nowhere while a message box or dialog is in
// front of it or another program has the focus.
ScreenInput* Target(QWidget* receiver) {
    return receiver ? ScreenInputOf(receiver) : FocusedScreenInput();
}
} // namespace

qint64 RemoteDispatch::NowMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock_.Now().time_since_epoch())
        .count();
}

void RemoteDispatch::DeliverReportTo(QWidget* receiver, const QByteArray& report, InputPath path) {
    ScreenInput* target = Target(receiver);
    if (!target)
        return;
    const RawInputMessage message = RawInputMessage::FromReport(report);
    const quint32 code = FetchRemoteReport(message).value_or(0);
    if (filter_.Admit(DuplicateFilter::Kind::Report, code, path, NowMs()))
        target->WmInput(message);
}

void RemoteDispatch::DeliverCommandTo(QWidget* receiver, int command, InputPath path) {
    ScreenInput* target = Target(receiver);
    if (target &&
        filter_.Admit(DuplicateFilter::Kind::Command, static_cast<quint32>(command), path, NowMs()))
        target->WmAppCommand(command);
}

void RemoteDispatch::DeliverRemoteReport(const QByteArray& report, InputPath path) {
    DeliverReportTo(nullptr, report, path);
}

void RemoteDispatch::DeliverAppCommand(int command, InputPath path, QWidget* receiver) {
    DeliverCommandTo(receiver, command, path);
}

bool RemoteDispatch::DeliverMediaKey(int qtKey, QWidget* receiver) {
    const int command = AppCommandFromQtKey(qtKey);
    if (command == appcommand::PlayPause && eventDevicesRead_) {
        // It may be a remote's Play key, which its event device reports as Play: that one wins.
        clock_.CallAfter(kPlayPauseHold, receiver, [this, receiver] {
            DeliverCommandTo(receiver, appcommand::PlayPause, InputPath::DisplayServer);
        });
        return true;
    }
    if (command) {
        DeliverCommandTo(receiver, command, InputPath::DisplayServer);
        return true;
    }
    if (const quint32 code = CategoryReportFromQtKey(qtKey)) {
        DeliverReportTo(receiver, ReportFromCode(code), InputPath::DisplayServer);
        return true;
    }
    return false;
}

bool DeliverMediaKeyTo(int qtKey, ScreenInput& screen) {
    if (const int command = AppCommandFromQtKey(qtKey)) {
        screen.WmAppCommand(command);
        return true;
    }
    if (const quint32 code = CategoryReportFromQtKey(qtKey)) {
        screen.WmInput(RawInputMessage::FromReport(ReportFromCode(code)));
        return true;
    }
    return false;
}
