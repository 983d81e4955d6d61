#include "phone/pairing_throttle.h"

bool PairingThrottle::TurnsAway(const QHostAddress& peer) {
    ForgetOldTries();
    return tries_.value(peer).size() >= kWrongTriesPerMinute;
}

void PairingThrottle::CountWrongTry(const QHostAddress& peer) {
    tries_[peer].append(clock_.Now());
}

void PairingThrottle::ForgetOldTries() {
    const Clock::TimePoint since = clock_.Now() - kWindow;
    for (auto peer = tries_.begin(); peer != tries_.end();) {
        peer->removeIf([since](Clock::TimePoint at) { return at <= since; });
        peer = peer->isEmpty() ? tries_.erase(peer) : std::next(peer);
    }
}
