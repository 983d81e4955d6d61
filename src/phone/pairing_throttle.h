#pragma once

#include "platform/clock.h"

#include <QHash>
#include <QHostAddress>
#include <QList>

#include <chrono>

// Wrong tries at a code (pairing, or the set-up's exit code), counted per peer address on the
// injected clock: a peer that made kWrongTriesPerMinute of them within a minute is turned away
// until the oldest is a minute old.
class PairingThrottle {
public:
    static constexpr int kWrongTriesPerMinute = 5;
    static constexpr std::chrono::minutes kWindow{1};

    explicit PairingThrottle(const Clock& clock) : clock_(clock) {}

    bool TurnsAway(const QHostAddress& peer);
    void CountWrongTry(const QHostAddress& peer);

private:
    // Drops the tries older than the window, and peers left with none.
    void ForgetOldTries();

    const Clock& clock_;
    QHash<QHostAddress, QList<Clock::TimePoint>> tries_;
};
