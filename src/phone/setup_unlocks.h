#pragma once

#include "platform/clock.h"

#include <QByteArray>
#include <QHash>

#include <chrono>

// The phone sessions that the owner's exit code opened the set-up to, each for kLife on the
// injected clock. Kept in memory only: a restart locks every phone again.
class SetupUnlocks {
public:
    static constexpr std::chrono::minutes kLife{10};

    explicit SetupUnlocks(const Clock& clock) : clock_(clock) {}

    void Unlock(const QByteArray& session);
    bool IsUnlocked(const QByteArray& session);
    void LockAll();

private:
    // Drops the sessions whose time is up.
    void ForgetExpired();

    const Clock& clock_;
    QHash<QByteArray, Clock::TimePoint> until_;
};
