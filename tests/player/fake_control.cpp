#include "fake_control.h"

#include "platform/error.h"

EngineState FakeEngine::state() {
    if (failState)
        throw AppError(QStringLiteral("state unknown"));
    return current;
}

void FakeEngine::open(const QByteArray& url, bool paused) {
    opened = url;
    current = paused ? EngineState::Paused : EngineState::Loading;
}

void FakeEngine::seekTo(double seconds) {
    if (failSeeking)
        throw AppError(QStringLiteral("seek failed"));
    log->append(QStringLiteral("position %1").arg(seconds));
    at = seconds;
}

void FakeEngine::seekBy(double seconds) {
    if (failSeeking)
        throw AppError(QStringLiteral("seek failed"));
    log->append(QStringLiteral("seek by %1").arg(seconds));
    at += seconds;
}

void FakeEngine::setVolume(int volume) {
    log->append(QStringLiteral("volume %1").arg(volume));
    level = volume;
}

QString FakeEngine::cycleTrack(TrackKind kind) {
    log->append(kind == TrackKind::Subtitles ? QStringLiteral("cycle subtitles")
                                             : QStringLiteral("cycle audio"));
    return QStringLiteral("Subtitles: English (1 of 2)");
}
