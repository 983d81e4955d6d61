#pragma once

#include "player/media_tags.h"
#include "player/track_preference.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

// What an engine is doing.
enum class EngineState {
    Idle,      // nothing open: before the first item, after a stop or after the last item
    Loading,   // an item asked for and not yet playing, failed or given up
    Buffering, // waiting for data of the open item
    Playing,
    Paused,
    Scanning, // playing forward at scan speed
};

// The kinds of track a viewer chooses between.
enum class TrackKind { Subtitles, Audio };

// A media engine: plays files and playlists (".m3u", ".wpl") given as file-system bytes, and
// announces every change by its signals, on the user-interface thread. Nothing needs to ask it
// again while nothing changes. Its own event handling never lets an error out: what fails there
// becomes `failed` or `itemSkipped`. A command the engine cannot carry out raises AppError to the
// caller.
class MediaEngine : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual EngineState state() = 0;
    // Seconds from the start of the current item; 0 while nothing is open.
    virtual double position() = 0;
    // Seconds; 0 while unknown.
    virtual double duration() = 0;
    // The current item (an entry of a playlist, not the playlist), as bytes of the file system.
    virtual QByteArray item() = 0;
    // The tags of the current item; none from an engine that reads no tags.
    virtual MediaMetadata metadata() { return {}; }
    // The picture embedded in the item (an album cover); null while unknown or when there is none.
    virtual QImage coverArt() { return {}; }
    virtual int volume() = 0;
    virtual bool muted() = 0;
    // Whether the open item can be scanned through at speed.
    virtual bool canScan() = 0;

    // Opens a media file or a playlist, playing unless `paused`.
    virtual void open(const QByteArray& url, bool paused) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void scan() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    // Puts the item right after the current one, dropping whatever else was queued after it, so
    // that it follows without a gap where the files allow (same audio format).
    virtual void queueNext(const QByteArray& url) = 0;
    // Never before the start nor past the end of the item; playing or paused, it stays so.
    virtual void seekTo(double seconds) = 0;
    virtual void seekBy(double seconds) = 0;
    // Loop: the playlist starts again after its last item, and steps wrap round at its ends.
    virtual void setLoop(bool on) = 0;
    virtual void setShuffle(bool on) = 0;
    // 0 to 100.
    virtual void setVolume(int volume) = 0;
    virtual void setMute(bool on) = 0;
    // Selects the next track of the kind (subtitles: after the last one, none) and tells which it
    // is, as the viewer sees it ("Subtitles: English", "Subtitles off").
    virtual QString cycleTrack(TrackKind kind) = 0;
    // The current item's tracks of the kind, and the one selected (none: off or no tracks).
    virtual std::vector<TrackFacts> tracks(TrackKind kind) = 0;
    virtual std::optional<TrackFacts> selectedTrack(TrackKind kind) = 0;
    // Selects the track with the id, or switches the kind off; raises AppError when refused.
    virtual void selectTrack(TrackKind kind, std::optional<qint64> id) = 0;

    // Video: pictures are drawn for an area of this size, scaled to it (stretch) or at their own
    // size shrunk to fit; an empty size draws nothing.
    virtual void setViewport(QSize size, bool stretch) {
        (void)size;
        (void)stretch;
    }
    // The last picture drawn; null when there is none.
    virtual QImage frame() const { return {}; }

signals:
    void stateChanged(EngineState state);
    // The position in the current item changed, or its length.
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    // Volume or mute changed.
    void volumeChanged();
    // Another item has become current.
    void itemChanged(const QByteArray& item);
    // The current item was played to its end.
    void itemEnded(const QByteArray& item);
    // The current item stopped well before its end, at position (seconds): its file could not be
    // read on (a share that went away) or is shorter than it said. Neither ended nor failed.
    void itemCutShort(const QByteArray& item, double position);
    // The current item's cover picture became known.
    void coverArtChanged(const QImage& picture);
    // An item read from a playlist cannot be played or was refused; playback goes on.
    void itemSkipped(const QString& message);
    // Something the engine was doing failed (an item that cannot be played, a lost renderer).
    void failed(const QString& message);
    // A new picture is ready (frame()).
    void frameChanged();
    // The current item gained tracks after it was loaded (its subtitle files).
    void tracksAdded();
};
