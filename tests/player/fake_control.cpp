#include "fake_control.h"

#include "platform/error.h"

void FakeControl::setCurrentPosition(double seconds) {
    if (failSeeking)
        throw AppError(QStringLiteral("seek failed"));
    log->append(QStringLiteral("position %1").arg(seconds));
    position = seconds;
}

void FakeControl::seekBy(double seconds) {
    if (failSeeking)
        throw AppError(QStringLiteral("seek failed"));
    log->append(QStringLiteral("seek by %1").arg(seconds));
    position += seconds;
}

int FakeControl::playState() {
    if (failState)
        throw AppError(QStringLiteral("state unknown"));
    return state;
}

void FakeControl::setVolume(int volume) {
    log->append(QStringLiteral("volume %1").arg(volume));
    level = volume;
}
