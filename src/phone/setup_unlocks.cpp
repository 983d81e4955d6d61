#include "phone/setup_unlocks.h"

void SetupUnlocks::Unlock(const QByteArray& session) {
    until_.insert(session, clock_.Now() + kLife);
}

bool SetupUnlocks::IsUnlocked(const QByteArray& session) {
    ForgetExpired();
    return until_.contains(session);
}

void SetupUnlocks::LockAll() {
    until_.clear();
}

void SetupUnlocks::ForgetExpired() {
    const Clock::TimePoint now = clock_.Now();
    until_.removeIf([now](const auto& entry) { return entry.value() <= now; });
}
