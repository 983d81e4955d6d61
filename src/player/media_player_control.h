#pragma once

#include "player/media_engine.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

// Play states as the control reports them. Only 1, 2 and 3 are relied on; scanning and loading have
// their own values, so they count as neither playing nor paused.
namespace playstate {
constexpr int Undefined = 0;
constexpr int Stopped = 1;
constexpr int Paused = 2;
constexpr int Playing = 3;
constexpr int ScanForward = 4;
constexpr int ScanReverse = 5;
constexpr int Buffering = 6;
constexpr int Transitioning = 9;
} // namespace playstate

// The play state a control reports for what its engine is doing.
int PlayStateOf(EngineState state);

// Transport of the control: play, pause, stop, scans, playlist steps and the position.
class MediaControls {
public:
    virtual ~MediaControls() = default;
    // Whether the control can do the named action ("FastForward", "FastReverse") on the current
    // media.
    virtual bool isAvailable(const QString& item) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void fastForward() = 0;
    virtual void fastReverse() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    // Seconds from the start of the current item; 0 when nothing is open.
    virtual double currentPosition() = 0;
    virtual void setCurrentPosition(double seconds) = 0;
    // Moves by seconds from where the item is (back when negative), never before its start nor
    // past its end; playing or paused, it stays so.
    virtual void seekBy(double seconds) = 0;
};

// Playback preferences: loudness, mute and the playlist modes "loop" and "shuffle".
class MediaSettings {
public:
    virtual ~MediaSettings() = default;
    virtual int volume() = 0;
    virtual void setVolume(int volume) = 0;
    virtual bool mute() = 0;
    virtual void setMute(bool mute) = 0;
    virtual void setMode(const QString& mode, bool on) = 0;
};

// The item being played.
class MediaItem {
public:
    virtual ~MediaItem() = default;
    // Seconds; 0 while unknown.
    virtual double duration() = 0;
    // Path or URL of the item (an entry of a playlist, not the playlist), as bytes of the file
    // system.
    virtual QByteArray sourceURL() = 0;
    // The tags of the container.
    virtual MediaMetadata metadata() = 0;
    // The picture embedded in the item (an album cover); null while unknown or when there is none.
    virtual QImage embeddedPicture() = 0;
};

// The media player control embedded in the player screen, as the screen's handlers know it: a
// thin face over a media engine, with no buttons or seek bar of its own and no error dialogs of its
// own (commands raise AppError; what fails while playing is shown as an error message). A newly
// set URL starts playing while autoStart is on. It draws the engine's video pictures, and tells
// its changes: a screen reads the state, position and length when told, never on a timer.
class MediaPlayerControl : public QWidget,
                           private MediaControls,
                           private MediaSettings,
                           private MediaItem {
    Q_OBJECT

public:
    explicit MediaPlayerControl(std::unique_ptr<MediaEngine> engine, QWidget* parent = nullptr);
    ~MediaPlayerControl() override;

    MediaEngine& Engine() const { return *engine_; }

    // Paths are the bytes of the file system, so that any name plays, text or not.
    QByteArray URL() const { return url_; }
    // Opens a media file or a ".m3u"/".wpl" playlist.
    void setURL(const QByteArray& url);
    int playState();
    bool autoStart() const { return autoStart_; }
    void setAutoStart(bool on) { autoStart_ = on; }
    bool enableContextMenu() const { return enableContextMenu_; }
    void setEnableContextMenu(bool on) { enableContextMenu_ = on; }
    // On: the video is scaled to the control's area; off: shown at its own size (shrunk if larger).
    bool stretchToFit() const { return stretchToFit_; }
    void setStretchToFit(bool on);
    MediaControls& controls() { return *this; }
    MediaSettings& settings() { return *this; }
    MediaItem& currentMedia() { return *this; }
    QString cycleTrack(TrackKind kind) { return engine_->cycleTrack(kind); }
    void queueNext(const QByteArray& url) { engine_->queueNext(url); }
    std::vector<TrackFacts> tracks(TrackKind kind) { return engine_->tracks(kind); }
    std::optional<TrackFacts> selectedTrack(TrackKind kind) { return engine_->selectedTrack(kind); }
    void selectTrack(TrackKind kind, std::optional<qint64> id) { engine_->selectTrack(kind, id); }

signals:
    // The play state, the volume or mute may have changed.
    void stateChanged();
    // The position in the current item, or its length, changed.
    void positionChanged();
    // The item was played to its end.
    void itemEnded(const QByteArray& item);
    void itemCutShort(const QByteArray& item, double position);
    // The current item gained tracks after it was loaded (its subtitle files).
    void tracksAdded();

public:
    // Raised on the user-interface thread when the current item changes, or its cover is known.
    std::function<void()> OnMediaChange;
    // Raised on the user-interface thread, instead of an error, when an item read from a playlist
    // cannot be played or is skipped; playback goes on with the next item.
    std::function<void(const QString& message)> OnItemFailure;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // MediaControls
    bool isAvailable(const QString& item) override;
    void play() override { engine_->play(); }
    void pause() override { engine_->pause(); }
    void stop() override { engine_->stop(); }
    void fastForward() override { engine_->scan(); }
    void fastReverse() override;
    void next() override { engine_->next(); }
    void previous() override { engine_->previous(); }
    double currentPosition() override { return engine_->position(); }
    void setCurrentPosition(double seconds) override { engine_->seekTo(seconds); }
    void seekBy(double seconds) override { engine_->seekBy(seconds); }
    // MediaSettings
    int volume() override { return engine_->volume(); }
    void setVolume(int volume) override { engine_->setVolume(volume); }
    bool mute() override { return engine_->muted(); }
    void setMute(bool on) override { engine_->setMute(on); }
    void setMode(const QString& mode, bool on) override;
    // MediaItem
    double duration() override { return engine_->duration(); }
    QByteArray sourceURL() override { return engine_->item(); }
    MediaMetadata metadata() override { return engine_->metadata(); }
    QImage embeddedPicture() override { return engine_->coverArt(); }

    void MediaChanged();
    void ItemSkipped(const QString& message);
    // Tells the engine the area its pictures are drawn for: none while the control is hidden.
    void UpdateViewport();

    std::unique_ptr<MediaEngine> engine_;
    QByteArray url_;
    bool autoStart_ = true;
    bool enableContextMenu_ = false;
    bool stretchToFit_ = false;
};
