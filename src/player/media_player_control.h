#pragma once

#include "player/media_tags.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>

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
    // The tags of the container; none from a control that reads no tags.
    virtual MediaMetadata metadata() { return {}; }
    // The picture embedded in the item (an album cover); null while unknown or when there is none.
    virtual QImage embeddedPicture() { return {}; }
};

// The kinds of track a viewer chooses between.
enum class TrackKind { Subtitles, Audio };

// The media player control embedded in the player screen: no buttons or seek bar of its own, no
// error dialogs of its own (failures raise AppError), and a newly set URL starts playing while
// autoStart is on. The screens see only this interface. The control announces its changes: a
// screen reads the state, position and length when told, never on a timer.
class MediaPlayerControl : public QWidget {
    Q_OBJECT

public:
    explicit MediaPlayerControl(QWidget* parent = nullptr) : QWidget(parent) {}

    // Paths are the bytes of the file system, so that any name plays, text or not.
    virtual QByteArray URL() const = 0;
    // Opens a media file or a ".m3u"/".wpl" playlist.
    virtual void setURL(const QByteArray& url) = 0;
    virtual int playState() = 0;
    virtual bool autoStart() const = 0;
    virtual void setAutoStart(bool on) = 0;
    virtual bool enableContextMenu() const = 0;
    virtual void setEnableContextMenu(bool on) = 0;
    // On: the video is scaled to the control's area; off: shown at its own size (shrunk if larger).
    virtual bool stretchToFit() const = 0;
    virtual void setStretchToFit(bool on) = 0;
    virtual MediaControls& controls() = 0;
    virtual MediaSettings& settings() = 0;
    virtual MediaItem& currentMedia() = 0;
    // Selects the next track of the kind (subtitles: after the last one, none) and tells which it
    // is, as the viewer sees it ("Subtitles: English", "Subtitles off"); a control without tracks
    // to choose from answers so.
    virtual QString cycleTrack(TrackKind kind) {
        return kind == TrackKind::Subtitles ? tr("No subtitles") : tr("No other audio track");
    }

signals:
    // The play state, the volume or mute may have changed.
    void stateChanged();
    // The position in the current item, or its length, changed.
    void positionChanged();

public:
    // Raised on the user-interface thread when the current item changes.
    std::function<void()> OnMediaChange;
    // Raised on the user-interface thread, instead of an error, when an item read from a playlist
    // cannot be played or is skipped; playback goes on with the next item.
    std::function<void(const QString& message)> OnItemFailure;

protected:
    void RaiseMediaChange() {
        if (OnMediaChange)
            OnMediaChange();
    }
};
