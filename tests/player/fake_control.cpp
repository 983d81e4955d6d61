#include "fake_control.h"

#include <algorithm>

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
    // The next track, then none, as mpv cycles.
    Tracks& tracks = Of(kind);
    auto at = std::find_if(tracks.all.begin(), tracks.all.end(),
                           [&](const TrackFacts& t) { return t.id == tracks.selected; });
    if (at == tracks.all.end())
        tracks.selected = tracks.all.empty() ? std::nullopt : std::optional(tracks.all[0].id);
    else if (++at == tracks.all.end())
        tracks.selected.reset();
    else
        tracks.selected = at->id;
    return QStringLiteral("Subtitles: English (1 of 2)");
}

std::optional<TrackFacts> FakeEngine::selectedTrack(TrackKind kind) {
    for (const TrackFacts& track : Of(kind).all)
        if (track.id == Of(kind).selected)
            return track;
    return std::nullopt;
}
