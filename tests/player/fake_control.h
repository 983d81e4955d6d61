#pragma once

#include "platform/error.h"
#include "player/media_engine.h"

#include <QStringList>

#include <memory>

// A media engine that only records what the screen asks of it, with a state the test sets and
// changes it announces on cue. For the key map and jump rules, where real playback timing would
// make tests flaky.
class FakeEngine : public MediaEngine {
public:
    // The call log outlives the engine, so a test can look at it after the screen is gone.
    std::shared_ptr<QStringList> log = std::make_shared<QStringList>();
    EngineState current = EngineState::Idle;
    bool scannable = false;
    bool stopNeverEnds = false; // stop leaves the state as it was
    bool failSeeking = false;   // seeks raise an error
    bool failState = false;     // state raises an error
    double at = 0;
    double length = 0;
    int level = 50;
    bool silent = false;
    QByteArray source;
    QByteArray opened;
    QByteArray queued; // what follows the current item without a gap
    bool failQueueing = false;

    EngineState state() override;
    double position() override { return at; }
    double duration() override { return length; }
    QByteArray item() override { return source; }
    int volume() override { return level; }
    bool muted() override { return silent; }
    bool canScan() override { return scannable; }

    void open(const QByteArray& url, bool paused) override;
    void play() override { Record("play", EngineState::Playing); }
    void pause() override { Record("pause", EngineState::Paused); }
    void stop() override { Record("stop", stopNeverEnds ? current : EngineState::Idle); }
    void scan() override { Record("fastForward", EngineState::Scanning); }
    void next() override { Record("next", current); }
    void previous() override { Record("previous", current); }
    void queueNext(const QByteArray& url) override {
        if (failQueueing)
            throw AppError(QStringLiteral("queue failed"));
        queued = url;
    }
    void seekTo(double seconds) override;
    void seekBy(double seconds) override;
    void setLoop(bool on) override { log->append(QStringLiteral("loop %1").arg(on)); }
    void setShuffle(bool on) override { log->append(QStringLiteral("shuffle %1").arg(on)); }
    void setVolume(int volume) override;
    void setMute(bool on) override { silent = on; }
    QString cycleTrack(TrackKind kind) override;
    std::vector<TrackFacts> tracks(TrackKind kind) override { return Of(kind).all; }
    std::optional<TrackFacts> selectedTrack(TrackKind kind) override;
    void selectTrack(TrackKind kind, std::optional<qint64> id) override { Of(kind).selected = id; }

    // The item's tracks of each kind and the one selected.
    struct Tracks {
        std::vector<TrackFacts> all;
        std::optional<qint64> selected;
    };
    Tracks subtitles;
    Tracks audio;
    Tracks& Of(TrackKind kind) { return kind == TrackKind::Subtitles ? subtitles : audio; }

    // What a real engine tells by itself when playback changes.
    void AnnounceState() { emit stateChanged(current); }
    void AnnouncePosition() { emit positionChanged(at); }
    void ChangeMedia() { emit itemChanged(source); }
    void SkipItem(const QString& message) { emit itemSkipped(message); }
    void EndItem() { emit itemEnded(source); }
    void CutShort() { emit itemCutShort(source, at); }
    void AddTracks() { emit tracksAdded(); }

private:
    void Record(const char* call, EngineState next) {
        log->append(QLatin1String(call));
        current = next;
    }
};
