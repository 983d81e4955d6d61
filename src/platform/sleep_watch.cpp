#include "platform/sleep_watch.h"

#include "platform/session_bus.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QScopeGuard>

namespace {
const QString kWho = QStringLiteral("Couchframe");
// Shown by `systemd-inhibit --list` and by desktops that list what delays a suspend.
const char* const kWhy = QT_TRANSLATE_NOOP("Platform", "Pausing playback and keeping its place");
} // namespace

SleepWatch::SleepWatch() : SleepWatch(NoBus()) {}

SleepWatch::SleepWatch(QDBusConnection bus) : bus_(std::move(bus)) {
    if (!bus_.isConnected())
        return;
    // Only logind's own signal counts: anyone on the bus may send one with the same name.
    bus_.connect(QLatin1String(kService), QLatin1String(kPath), QLatin1String(kManager),
                 QStringLiteral("PrepareForSleep"), this, SLOT(PrepareForSleep(bool)));
    TakeLock();
}

SleepWatch::~SleepWatch() = default;

void SleepWatch::PrepareForSleep(bool start) {
    if (start == asleep_)
        return;
    asleep_ = start;
    if (start) {
        // Let go even when a handler fails: logind would otherwise wait its full delay.
        const auto release = qScopeGuard([this] { ReleaseLock(); });
        emit aboutToSleep();
    } else {
        TakeLock();
        emit wokeUp();
    }
}

void SleepWatch::TakeLock() {
    wanted_ = true;
    if (Holding() || asking_ || !bus_.isConnected())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                       QLatin1String(kManager), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << kWho << QCoreApplication::translate("Platform", kWhy)
         << QStringLiteral("delay");
    // A bus without logind answers at once with an error; none is started for us.
    call.setAutoStartService(false);
    asking_ = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(asking_, &QDBusPendingCallWatcher::finished, this, &SleepWatch::LockAnswered);
}

void SleepWatch::ReleaseLock() {
    wanted_ = false;
    // Closing our descriptor is the release; logind sees the pipe's other end hang up.
    lock_ = QDBusUnixFileDescriptor();
}

void SleepWatch::LockAnswered() {
    // The reply holds a copy of the descriptor too: it must go with the watcher, soon.
    asking_->deleteLater();
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *asking_;
    asking_ = nullptr;
    // No logind, or not allowed to delay: the machine sleeps without waiting, quietly.
    if (reply.isError() || !wanted_)
        return;
    lock_ = reply.value();
}
