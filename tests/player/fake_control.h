#pragma once

#include "player/media_player_control.h"

#include <QStringList>

#include <memory>

// A media player control that only records what the screen asks of it, with a state the test sets.
// For the key map and jump rules, where real playback timing would make tests flaky.
class FakeControl : public MediaPlayerControl,
                    public MediaControls,
                    public MediaSettings,
                    public MediaItem {
public:
    // The call log outlives the control, so a test can look at it after the screen is gone.
    std::shared_ptr<QStringList> log = std::make_shared<QStringList>();
    int state = playstate::Stopped;
    bool canScanForward = false;
    bool canScanReverse = false;
    bool stopNeverEnds = false; // stop leaves the state at playing
    bool failSeeking = false;   // setCurrentPosition raises an error
    bool failState = false;     // playState raises an error
    double position = 0;
    double length = 0;
    int level = 50;
    bool muted = false;
    QByteArray source;

    QByteArray URL() const override { return url_; }
    void setURL(const QByteArray& url) override { url_ = url; }
    int playState() override;
    bool autoStart() const override { return true; }
    void setAutoStart(bool) override {}
    bool enableContextMenu() const override { return contextMenu_; }
    void setEnableContextMenu(bool on) override { contextMenu_ = on; }
    bool stretchToFit() const override { return stretch_; }
    void setStretchToFit(bool on) override { stretch_ = on; }
    MediaControls& controls() override { return *this; }
    MediaSettings& settings() override { return *this; }
    MediaItem& currentMedia() override { return *this; }
    QString cycleTrack(TrackKind kind) override {
        log->append(kind == TrackKind::Subtitles ? QStringLiteral("cycle subtitles")
                                                 : QStringLiteral("cycle audio"));
        return QStringLiteral("Subtitles: English (1 of 2)");
    }

    bool isAvailable(const QString& item) override {
        return item == QLatin1String("FastForward") ? canScanForward : canScanReverse;
    }
    void play() override { Record("play", playstate::Playing); }
    void pause() override { Record("pause", playstate::Paused); }
    void stop() override { Record("stop", stopNeverEnds ? state : playstate::Stopped); }
    void fastForward() override { Record("fastForward", playstate::ScanForward); }
    void fastReverse() override { Record("fastReverse", playstate::ScanReverse); }
    void next() override { Record("next", state); }
    void previous() override { Record("previous", state); }
    double currentPosition() override { return position; }
    void setCurrentPosition(double seconds) override;
    void seekBy(double seconds) override;
    int volume() override { return level; }
    void setVolume(int volume) override;
    bool mute() override { return muted; }
    void setMute(bool on) override { muted = on; }
    void setMode(const QString& mode, bool on) override {
        log->append(QStringLiteral("%1 %2").arg(mode).arg(on));
    }
    double duration() override { return length; }
    QByteArray sourceURL() override { return source; }

    void ChangeMedia() { RaiseMediaChange(); }
    // What the real control tells by itself when mpv reports a change.
    void AnnounceState() { emit stateChanged(); }
    void AnnouncePosition() { emit positionChanged(); }

private:
    void Record(const char* call, int newState) {
        log->append(QLatin1String(call));
        state = newState;
    }
    QByteArray url_;
    bool contextMenu_ = true;
    bool stretch_ = false;
};
