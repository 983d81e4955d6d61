#pragma once

#include "platform/background_job.h"
#include "platform/seam.h"
#include "player/media_engine.h"
#include "player/playlist_lineage.h"
#include "player/sidecar_subtitles.h"

#include <QImage>

#include <atomic>
#include <memory>
#include <optional>

struct mpv_handle;
struct mpv_event;
class MpvFrameRenderer;

// Outputs of a player: normal use lets mpv pick the sound output and draws the video; tests and
// benchmarks use the null outputs.
struct MpvOptions {
    QString audioOutput;     // empty: mpv's own choice; "null": no sound device
    bool renderVideo = true; // false: no video output at all
    bool operator==(const MpvOptions&) const = default;
};

// Outputs from text of mpv's "name=value,..." form; only ao (any output) and vo (libmpv or null)
// are understood. Raises AppError naming what it cannot use.
MpvOptions ParseMpvOptions(const QString& text);

// The media engine on libmpv. mpv's wakeup callback only queues the draining of its events on the
// user-interface thread; the properties that make up the state are observed, so a paused engine
// wakes nothing. Video is drawn through the render API into frames of the viewport's size.
class MpvEngine : public MediaEngine {
    Q_OBJECT

public:
    explicit MpvEngine(const MpvOptions& options = DefaultOptions(), QObject* parent = nullptr);
    ~MpvEngine() override;

    // The outputs new engines get: those of the environment variable COUCHFRAME_MPV_OPTIONS (a
    // machine without sound runs with "ao=null"), or of a stand-in in the seam (the null outputs).
    static MpvOptions DefaultOptions();
    static Seam<MpvOptions>& DefaultOptionsSeam();
    // The owner's mpv options: $XDG_CONFIG_HOME/couchframe/mpv.conf, read when it exists.
    static QString UserConfigFile();

    EngineState state() override;
    double position() override;
    double duration() override;
    QByteArray item() override;
    MediaMetadata metadata() override;
    QImage coverArt() override { return picture_; }
    int volume() override;
    bool muted() override;
    bool canScan() override;

    void open(const QByteArray& url, bool paused) override;
    void play() override;
    void pause() override;
    void stop() override;
    void scan() override;
    void next() override;
    void previous() override;
    void queueNext(const QByteArray& url) override;
    void seekTo(double seconds) override;
    void seekBy(double seconds) override;
    void setLoop(bool on) override;
    void setShuffle(bool on) override;
    void setVolume(int volume) override;
    void setMute(bool on) override;
    QString cycleTrack(TrackKind kind) override;
    std::vector<TrackFacts> tracks(TrackKind kind) override;
    std::optional<TrackFacts> selectedTrack(TrackKind kind) override;
    void selectTrack(TrackKind kind, std::optional<qint64> id) override;

    void setViewport(QSize size, bool stretch) override;
    QImage frame() const override { return frame_; }

    // What mpv reports for a property, as text (diagnostics); empty when unavailable.
    QString PropertyText(const char* name);
    // "OpenGL", "software", or "none" without video output.
    const char* RendererKind() const;

signals:
    // The current item has started playing or moved to a new position.
    void playbackRestarted();

private:
    static void OnWakeup(void* data);
    static void OnRenderUpdate(void* data);
    void ObserveProperties();
    void DrainEvents();
    void HandleEvent(const mpv_event& event);
    // Tells what the events of one wake-up changed.
    void Announce(bool state, bool position, bool duration, bool volume);
    // mpv waits in its load hook until the entry it is about to open has been looked at: on a
    // worker, since a playlist's real name is looked up and a ".wpl" is read where it lies, and
    // a share that sleeps may hold the load but never the screen.
    void OpenEntry(uint64_t hook);
    // Lets mpv go on from its load hook.
    void ContinueLoad();
    // A new load or a stop came while an entry was being looked at: the entry is skipped without
    // a word and mpv goes on.
    void GiveUpEntry();
    // The entry about to open is not opened (an empty playlist stands in for it); mpv goes on.
    void SkipEntry(const QString& reason);
    // An entry that failed: skipped when it came from a playlist, else a failure.
    void EntryFailed(qint64 entry, const QString& message);
    void DrawFrame(bool newFrame);
    QSize FrameSize();
    // Nothing is open: stopped, or idle after the last item.
    bool IsStopped();
    // Moves to a playlist entry (which starts it), or plays the open URL again.
    void StepTo(qint64 entry);
    // A load asked for or started and not yet loaded, ended or given up.
    bool Loading() const;
    // A scan at speed is over; any other state stands.
    void EndScan();
    // Looks for the loaded item's subtitle files on a worker and adds what it finds.
    void FindSubtitleFiles();
    void AudioDevicesChanged();

    void LoadUserConfig();
    void SetOption(const char* name, const char* value);
    void Command(std::initializer_list<QByteArray> arguments);
    bool GetFlag(const char* name, std::optional<bool> whenUnavailable = {});
    double GetDouble(const char* name, std::optional<double> whenUnavailable = {});
    qint64 GetInt(const char* name, std::optional<qint64> whenUnavailable = {});
    void SetFlag(const char* name, bool value);
    void SetDouble(const char* name, double value);
    void SetInt(const char* name, qint64 value);
    void SetText(const char* name, const char* value);
    void Check(int error, const QString& what);
    void Destroy();

    mpv_handle* handle_ = nullptr;
    std::unique_ptr<MpvFrameRenderer> renderer_;
    std::atomic<bool> drainQueued_{false};
    std::atomic<bool> renderQueued_{false};
    QImage frame_;
    QSize viewport_;
    bool stretch_ = false;
    QImage picture_;                        // the current item's album cover
    std::vector<SidecarSubtitle> sidecars_; // the subtitle files added to the current item

    QByteArray url_;
    QByteArray loadingPath_; // the item being opened, for the message when it cannot be played
    qint64 loadingEntry_ = -1;
    qint64 skippedEntry_ = -1;
    std::optional<uint64_t> pendingHook_; // the load hook mpv waits in
    PlaylistLineage lineage_;
    QByteArray lastPath_; // the current (or last) item
    qint64 lastEntry_ = 0;
    qint64 loaded_ = -1; // the playlist entry last loaded
    // The furthest position the current item was seen at, and its length as last told, seconds.
    double reached_ = 0;
    double length_ = 0;
    // An item that ends further than this before its length did not play to its end.
    static constexpr double kCutShortMargin = 5;
    bool loop_ = false;
    bool soundWanted_ = true;              // not told to play without a sound device
    bool audioDevicesKnown_ = false;       // the device list at start was reported
    std::optional<EngineState> announced_; // the state last told
    // What the engine asked of mpv that mpv's own properties do not tell yet.
    enum class Request {
        Settled,       // none of the below: mpv's properties say playing, paused or idle
        LoadRequested, // a load asked for: until mpv starts it, earlier events do not end it
        LoadStarted,   // mpv started the load; its end, failure or idleness ends it
        StopRequested, // stopped: mpv stays idle until the next load is asked for
        Scanning,      // forward at scan speed
    };
    Request request_ = Request::Settled;
    // Last: dropped first, so a search that answers late finds nothing gone.
    BackgroundJob entryCheck_;
    BackgroundJob subtitleSearch_;
};
