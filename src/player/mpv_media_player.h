#pragma once

#include "platform/seam.h"
#include "player/media_player_control.h"
#include "player/playlist_lineage.h"

#include <QImage>

#include <atomic>
#include <memory>
#include <optional>

struct mpv_handle;
struct mpv_event;
class MpvFrameRenderer;

// Outputs of a player: normal use lets mpv pick the sound output and draws the video inside the
// widget; tests and benchmarks use the null outputs.
struct MpvOptions {
    QString audioOutput;     // empty: mpv's own choice; "null": no sound device
    bool renderVideo = true; // false: no video output at all
    bool operator==(const MpvOptions&) const = default;
};

// Outputs from text of mpv's "name=value,..." form; only ao (any output) and vo (libmpv or null)
// are understood. Raises AppError naming what it cannot use.
MpvOptions ParseMpvOptions(const QString& text);

// The media player control on libmpv. mpv's events reach the user-interface thread through its
// wakeup callback; video is drawn through the render API into this widget.
class MpvMediaPlayer : public MediaPlayerControl,
                       private MediaControls,
                       private MediaSettings,
                       private MediaItem {
    Q_OBJECT

public:
    explicit MpvMediaPlayer(const MpvOptions& options = DefaultOptions(),
                            QWidget* parent = nullptr);
    ~MpvMediaPlayer() override;

    // The outputs new players get: those of the environment variable COUCHFRAME_MPV_OPTIONS (a
    // machine without sound runs with "ao=null"), or of a stand-in in the seam (the null outputs).
    static MpvOptions DefaultOptions();
    static Seam<MpvOptions>& DefaultOptionsSeam();

    QByteArray URL() const override { return url_; }
    void setURL(const QByteArray& url) override;
    int playState() override;
    bool autoStart() const override { return autoStart_; }
    void setAutoStart(bool on) override { autoStart_ = on; }
    bool enableContextMenu() const override { return enableContextMenu_; }
    void setEnableContextMenu(bool on) override { enableContextMenu_ = on; }
    bool stretchToFit() const override { return stretchToFit_; }
    void setStretchToFit(bool on) override;
    MediaControls& controls() override { return *this; }
    MediaSettings& settings() override { return *this; }
    MediaItem& currentMedia() override { return *this; }
    QString cycleTrack(TrackKind kind) override;

    // The owner's mpv options: $XDG_CONFIG_HOME/couchframe/mpv.conf, read when it exists.
    static QString UserConfigFile();

    // What mpv reports for a property, as text (diagnostics); empty when unavailable.
    QString PropertyText(const char* name);
    // "OpenGL", "software", or "none" without video output.
    const char* RendererKind() const;
    // The last video frame drawn.
    const QImage& LastFrame() const { return frame_; }

signals:
    // The current item has started playing or moved to a new position.
    void playbackRestarted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // MediaControls
    bool isAvailable(const QString& item) override;
    void play() override;
    void pause() override;
    void stop() override;
    void fastForward() override;
    void fastReverse() override;
    void next() override;
    void previous() override;
    double currentPosition() override;
    void setCurrentPosition(double seconds) override;
    void seekBy(double seconds) override;
    // MediaSettings
    int volume() override;
    void setVolume(int volume) override;
    bool mute() override;
    void setMute(bool mute) override;
    void setMode(const QString& mode, bool on) override;
    // MediaItem
    double duration() override;
    QByteArray sourceURL() override;
    MediaMetadata metadata() override;
    QImage embeddedPicture() override;

    static void OnWakeup(void* data);
    static void OnRenderUpdate(void* data);
    void ObserveProperties();
    void DrainEvents();
    void HandleEvent(const mpv_event& event);
    // mpv waits in its load hook until this has looked at the entry it is about to open.
    void OpenEntry();
    // The entry about to open is not opened (an empty playlist stands in for it); mpv goes on.
    void SkipEntry(const QString& reason);
    // An entry that failed: on the screen when it came from a playlist and someone listens,
    // otherwise raised as an error.
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
    QImage picture_; // the current item's album cover

    QByteArray url_;
    QByteArray loadingPath_; // the item being opened, for the message when it cannot be played
    qint64 loadingEntry_ = -1;
    qint64 skippedEntry_ = -1;
    PlaylistLineage lineage_;
    QByteArray lastPath_; // the current (or last) item
    qint64 lastEntry_ = 0;
    bool autoStart_ = true;
    bool enableContextMenu_ = false;
    bool stretchToFit_ = false;
    bool loop_ = false;
    // What the player asked of mpv that mpv's own properties do not tell yet.
    enum class State {
        Settled,       // none of the below: mpv's properties say playing, paused or idle
        LoadRequested, // a load asked for: until mpv starts it, earlier events do not end it
        LoadStarted,   // mpv started the load; its end, failure or idleness ends it
        StopRequested, // stopped: mpv stays idle until the next load is asked for
        Scanning,      // fast forward at scan speed
    };
    State state_ = State::Settled;
};
