#include "input/remote_dispatch.h"

#include "input/app_command.h"
#include "input/category_keys.h"
#include "input/remote_report.h"
#include "platform/screen_input.h"

#include <QElapsedTimer>
#include <QTimer>
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
DuplicateFilter& RecentInput() {
    static DuplicateFilter filter;
    return filter;
}

qint64 NowMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

// A key from the display server goes to the screen it came to, which has the focus; input read
// from the devices goes to the focused screen, and nowhere while a message box or dialog is in
// front of it or another program has the focus.
ScreenInput* Target(QWidget* receiver) {
    return receiver ? ScreenInputOf(receiver) : FocusedScreenInput();
}

bool& EventDevicesRead() {
    static bool read = false;
    return read;
}

// Long enough for the remote's own event device to report the press that the display server
// reports too, short enough not to be felt.
constexpr int kPlayPauseHoldMs = 40;

void DeliverReportTo(QWidget* receiver, const QByteArray& report, InputPath path) {
    ScreenInput* target = Target(receiver);
    if (!target)
        return;
    const RawInputMessage message = RawInputMessage::FromReport(report);
    const quint32 code = FetchRemoteReport(message).value_or(0);
    if (RecentInput().Admit(DuplicateFilter::Kind::Report, code, path, NowMs()))
        target->WmInput(message);
}

void DeliverCommandTo(QWidget* receiver, int command, InputPath path) {
    ScreenInput* target = Target(receiver);
    if (target && RecentInput().Admit(DuplicateFilter::Kind::Command, static_cast<quint32>(command),
                                      path, NowMs()))
        target->WmAppCommand(command);
}
} // namespace

void DeliverRemoteReport(const QByteArray& report, InputPath path) {
    DeliverReportTo(nullptr, report, path);
}

void DeliverAppCommand(int command, InputPath path, QWidget* receiver) {
    DeliverCommandTo(receiver, command, path);
}

bool DeliverMediaKey(int qtKey, QWidget* receiver) {
    const int command = AppCommandFromQtKey(qtKey);
    if (command == appcommand::PlayPause && EventDevicesRead()) {
        // It may be a remote's Play key, which its event device reports as Play: that one wins.
        QTimer::singleShot(kPlayPauseHoldMs, receiver, [receiver] {
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

void SetEventDevicesRead(bool read) {
    EventDevicesRead() = read;
}

void ClearRecentRemoteInput() {
    RecentInput().Clear();
}
