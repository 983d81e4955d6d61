#include "player/mpv_engine.h"

#include "platform/background_job.h"
#include "platform/byte_path.h"
#include "platform/error.h"
#include "platform/user_folders.h"
#include "player/mpv_frame_renderer.h"
#include "player/mpv_library.h"
#include "player/mpv_names.h"
#include "player/mpv_tracks.h"
#include "player/track_choice.h"
#include "player/wpl_playlist.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QScopeGuard>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <malloc.h>
#include <mutex>
#include <vector>

namespace {
// Speed of the engine's forward scan.
constexpr double kScanSpeed = 5.0;

QByteArray Utf8(const char* text) {
    return QByteArray(text);
}

// Players being shut down on threads of their own. Never destroyed: the last may end during exit.
struct Shutdowns {
    std::mutex mutex;
    std::condition_variable ended;
    int running = 0;
};
Shutdowns& RunningShutdowns() {
    static auto* const shutdowns = new Shutdowns;
    return *shutdowns;
}

// How long the program's exit waits for players still shutting down (a share that woke late).
constexpr std::chrono::seconds kExitWaitForShutdowns{2};

void WaitForShutdownsAtExit() {
    Shutdowns& shutdowns = RunningShutdowns();
    std::unique_lock lock(shutdowns.mutex);
    shutdowns.ended.wait_for(lock, kExitWaitForShutdowns, [&] { return shutdowns.running == 0; });
}

// Shutting mpv down joins its threads, and one may be stuck reading from a stalled share: the
// handle is let go on a thread of its own, so that closing the screen never waits for the share.
// The program's exit waits a little for a shutdown under way, never for a stuck one.
void TerminateInBackground(mpv_handle* handle) {
    static const bool registered = std::atexit(WaitForShutdownsAtExit) == 0;
    (void)registered;
    Shutdowns& shutdowns = RunningShutdowns();
    {
        const std::lock_guard lock(shutdowns.mutex);
        ++shutdowns.running;
    }
    BackgroundJob::RunDetached([terminate = Mpv().terminate_destroy, handle, &shutdowns] {
        terminate(handle);
        // The player's threads leave what they freed in the C library's arenas, between blocks
        // still in use: given back now, or every player opened and closed would add to the size.
        malloc_trim(0);
        const std::lock_guard lock(shutdowns.mutex);
        --shutdowns.running;
        shutdowns.ended.notify_all();
    });
}
} // namespace

MpvOptions ParseMpvOptions(const QString& text) {
    MpvOptions options;
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = item.section(QLatin1Char('='), 0, 0).trimmed();
        const QString value = item.section(QLatin1Char('='), 1).trimmed();
        if (name == QLatin1String(mpvname::AudioOutput) && !value.isEmpty())
            options.audioOutput = value;
        else if (name == QLatin1String(mpvname::VideoOutput) &&
                 (value == QLatin1String(mpvname::VoLibmpv) ||
                  value == QLatin1String(mpvname::VoNull)))
            options.renderVideo = value == QLatin1String(mpvname::VoLibmpv);
        else
            throw AppError(QCoreApplication::translate(
                               "Player", "COUCHFRAME_MPV_OPTIONS: \"%1\" cannot be used "
                                         "(understood: ao=OUTPUT, vo=libmpv, vo=null).")
                               .arg(item.trimmed()));
    }
    return options;
}

MpvOptions MpvEngine::DefaultOptions() {
    if (const auto& standIn = DefaultOptionsSeam().StandIn())
        return *standIn;
    static const MpvOptions fromEnvironment =
        ParseMpvOptions(qEnvironmentVariable("COUCHFRAME_MPV_OPTIONS"));
    return fromEnvironment;
}

Seam<MpvOptions>& MpvEngine::DefaultOptionsSeam() {
    static Seam<MpvOptions> seam;
    return seam;
}

MpvEngine::MpvEngine(const MpvOptions& options, QObject* parent) : MediaEngine(parent) {
    // mpv reads and writes numbers with the C library, so it starts only with LC_NUMERIC "C" and
    // needs it kept while it runs. The application sets it once, right after Qt has set the user's
    // locale; whatever was loaded since (a plug-in, a library) may have changed it, so it is put
    // back here. Only when it differs: setting the locale races with running players' threads.
    if (std::strcmp(std::setlocale(LC_NUMERIC, nullptr), "C") != 0)
        std::setlocale(LC_NUMERIC, "C");
    handle_ = Mpv().create();
    if (!handle_)
        throw AppError(tr("The media player cannot be created."));
    try {
        using namespace mpvname;
        // The owner's mpv.conf (sound device, passthrough, subtitle style) comes first, so that
        // the options the player relies on below always win over it.
        LoadUserConfig();
        SetOption(Config, No);
        SetOption(Terminal, No);
        SetOption(InputDefaultBindings, No);
        SetOption(InputVoKeyboard, No);
        SetOption(Osc, No);
        SetOption(LoadScripts, No);
        SetOption(Ytdl, No);
        SetOption(Idle, Yes);
        SetOption(KeepOpen, No);
        SetOption(ForceWindow, No);
        SetOption(AudioDisplay, AudioDisplayEmbedded);
        SetOption(CoverArtAuto, No);
        // Subtitle files are found by name here, with their languages (FindSubtitleFiles):
        // mpv's own search would add them a second time, with no language or the wrong one.
        SetOption(SubAuto, No);
        if (const QByteArray languages = PreferredLanguages(QLocale::system()).toUtf8();
            !languages.isEmpty()) {
            SetOption(SubtitleLanguages, languages.constData());
            SetOption(AudioLanguages, languages.constData());
        }
        SetOption(VideoTimingOffset, "0");
        SetOption(Hwdec, HwdecAutoSafe);
        // A living-room PC whose sound device is missing or busy still shows the video.
        SetOption(AudioFallbackToNull, Yes);
        SetOption(VideoOutput, options.renderVideo ? VoLibmpv : VoNull);
        if (!options.audioOutput.isEmpty())
            SetOption(AudioOutput, options.audioOutput.toUtf8().constData());
        soundWanted_ = options.audioOutput != QLatin1String(No) &&
                       options.audioOutput != QLatin1String("null");
        Check(Mpv().initialize(handle_), tr("start"));
        Check(Mpv().hook_add(handle_, 0, mpvname::OnLoadHook, 0), tr("watch the opening of items"));
        ObserveProperties();
        Mpv().set_wakeup_callback(handle_, &MpvEngine::OnWakeup, this);
        // The render context must exist before the first file is opened.
        if (options.renderVideo)
            renderer_ = MpvFrameRenderer::Create(handle_, &MpvEngine::OnRenderUpdate, this);
        setVolume(50);
    } catch (...) {
        Destroy();
        throw;
    }
}

MpvEngine::~MpvEngine() {
    Destroy();
}

void MpvEngine::Destroy() {
    if (!handle_)
        return;
    Mpv().set_wakeup_callback(handle_, nullptr, nullptr);
    // mpv would wait in its load hook for a look that never comes.
    entryCheck_.Abandon();
    ContinueLoad();
    renderer_.reset();
    TerminateInBackground(handle_);
    handle_ = nullptr;
}

const char* MpvEngine::RendererKind() const {
    return renderer_ ? renderer_->Kind() : "none";
}

// ---- events ----

void MpvEngine::OnWakeup(void* data) {
    // A foreign thread: only hand the work to the user-interface thread.
    auto* self = static_cast<MpvEngine*>(data);
    if (!self->drainQueued_.exchange(true))
        QMetaObject::invokeMethod(
            self,
            [self] {
                self->drainQueued_ = false;
                self->DrainEvents();
            },
            Qt::QueuedConnection);
}

void MpvEngine::OnRenderUpdate(void* data) {
    auto* self = static_cast<MpvEngine*>(data);
    if (!self->renderQueued_.exchange(true))
        QMetaObject::invokeMethod(
            self,
            [self] {
                self->renderQueued_ = false;
                self->DrawFrame(true);
            },
            Qt::QueuedConnection);
}

namespace {
// What an observed property's change tells.
enum Observed : uint64_t {
    kPositionChange = 1,
    kStateChange,
    kDurationChange,
    kVolumeChange,
    kAudioDevicesChange,
};
} // namespace

void MpvEngine::ObserveProperties() {
    // mpv tells each change as an event: nothing needs to ask again while nothing changes.
    // With their values: the last ones told before an item ends say whether it ended early.
    Mpv().observe_property(handle_, kPositionChange, mpvname::TimePos, MPV_FORMAT_DOUBLE);
    Mpv().observe_property(handle_, kDurationChange, mpvname::Duration, MPV_FORMAT_DOUBLE);
    for (const char* name :
         {mpvname::Pause, mpvname::IdleActive, mpvname::PausedForCache, mpvname::Speed})
        Mpv().observe_property(handle_, kStateChange, name, MPV_FORMAT_NONE);
    for (const char* name : {mpvname::Volume, mpvname::Mute})
        Mpv().observe_property(handle_, kVolumeChange, name, MPV_FORMAT_NONE);
    Mpv().observe_property(handle_, kAudioDevicesChange, mpvname::AudioDeviceList, MPV_FORMAT_NONE);
}

void MpvEngine::AudioDevicesChanged() {
    // The first report is the list at start. Later ones are a device that came or went: HDMI
    // sound while the TV was off, a sound device found after mpv fell back to none. The sound
    // output opens again on what is there now, so sound comes back without a restart.
    if (!std::exchange(audioDevicesKnown_, true) || !soundWanted_ || Loading() || IsStopped())
        return;
    const char* command[] = {mpvname::AudioReload, nullptr};
    Mpv().command(handle_, command);
}

void MpvEngine::DrainEvents() {
    // Every waiting event is taken, even when one of them fails: mpv wakes us only for new ones.
    // A failure is told as one, never passed on into the event loop.
    QPointer<MpvEngine> alive(this);
    bool position = false;
    bool state = false;
    bool duration = false;
    bool volume = false;
    while (alive && handle_) {
        const mpv_event* event = Mpv().wait_event(handle_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        if (event->event_id == MPV_EVENT_PROPERTY_CHANGE) {
            position = position || event->reply_userdata == kPositionChange;
            state = state || event->reply_userdata == kStateChange;
            duration = duration || event->reply_userdata == kDurationChange;
            volume = volume || event->reply_userdata == kVolumeChange;
            if (event->reply_userdata == kAudioDevicesChange)
                AudioDevicesChanged();
            const auto* change = static_cast<const mpv_event_property*>(event->data);
            if (change && change->format == MPV_FORMAT_DOUBLE && change->data) {
                const double value = *static_cast<const double*>(change->data);
                // The furthest point: a late change (the next item of a gapless album starting)
                // must not make an item that played to its end look cut short.
                if (event->reply_userdata == kPositionChange)
                    reached_ = std::max(reached_, value);
                else if (event->reply_userdata == kDurationChange)
                    length_ = value;
            }
            continue;
        }
        state = true;
        try {
            HandleEvent(*event);
        } catch (const AppError& error) {
            emit failed(error.message());
        }
    }
    if (alive)
        Announce(state, position, duration, volume);
}

void MpvEngine::Announce(bool state, bool position, bool duration, bool volume) {
    // Told once for all the events of a wake-up, each only when it changed.
    try {
        if (state) {
            const EngineState now = this->state();
            if (announced_ != now) {
                announced_ = now;
                emit stateChanged(now);
            }
        }
        if (volume)
            emit volumeChanged();
        if (duration)
            emit durationChanged(this->duration());
        if (position)
            emit positionChanged(this->position());
    } catch (const AppError& error) {
        emit failed(error.message());
    }
}

void MpvEngine::HandleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_START_FILE: {
        request_ = Request::LoadStarted;
        picture_ = QImage();
        // Its path is read in the load hook that follows: mpv may be at a later entry by now.
        const auto* start = static_cast<const mpv_event_start_file*>(event.data);
        loadingEntry_ = start ? start->playlist_entry_id : -1;
        loadingPath_ = url_;
        reached_ = 0;
        length_ = 0;
        break;
    }
    case MPV_EVENT_HOOK:
        OpenEntry(static_cast<const mpv_event_hook*>(event.data)->id);
        break;
    case MPV_EVENT_FILE_LOADED:
        if (Loading())
            request_ = Request::Settled;
        lastEntry_ = std::max<qint64>(0, GetInt(mpvname::PlaylistPos, 0));
        loaded_ = loadingEntry_;
        lastPath_ = item();
        FindSubtitleFiles();
        emit itemChanged(lastPath_);
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        // An album cover is decoded by the first restart of its item; the item is told again.
        if (picture_.isNull()) {
            picture_ = ReadMpvAttachedPicture(handle_);
            if (!picture_.isNull())
                emit coverArtChanged(picture_);
        }
        emit playbackRestarted();
        break;
    case MPV_EVENT_END_FILE: {
        EndScan();
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        // A stop or a replaced item is followed by whatever was asked for next.
        if (request_ == Request::LoadStarted && end &&
            (end->reason == MPV_END_FILE_REASON_EOF || end->reason == MPV_END_FILE_REASON_ERROR))
            request_ = Request::Settled;
        if (!end)
            break;
        const QByteArray path = end->playlist_entry_id == loadingEntry_ ? loadingPath_ : url_;
        const bool played =
            end->reason == MPV_END_FILE_REASON_EOF ||
            (end->reason == MPV_END_FILE_REASON_ERROR && loaded_ == end->playlist_entry_id);
        if (played && length_ > 0 && reached_ < length_ - kCutShortMargin)
            // Stopped well before its end: the file could not be read on (a share went away), or
            // it is shorter than it says. Neither an end nor a failure until that is known.
            emit itemCutShort(lastPath_, reached_);
        else if (end->reason == MPV_END_FILE_REASON_EOF)
            emit itemEnded(lastPath_);
        else if (end->reason == MPV_END_FILE_REASON_REDIRECT)
            lineage_.Expanded(end->playlist_entry_id, path, end->playlist_insert_id,
                              end->playlist_insert_num_entries);
        else if (end->reason == MPV_END_FILE_REASON_ERROR &&
                 end->playlist_entry_id != skippedEntry_)
            EntryFailed(end->playlist_entry_id,
                        tr("\"%1\" cannot be played: %2")
                            .arg(QFile::decodeName(path), MpvErrorText(end->error)));
        break;
    }
    case MPV_EVENT_IDLE:
        // Idle from before the latest request (events arrive late) says nothing about it.
        if (request_ == Request::LoadStarted || request_ == Request::Scanning)
            request_ = Request::Settled;
        break;
    default:
        break;
    }
}

namespace {
// The entries as a playlist mpv reads from memory, one line each, as their bytes; a path that a
// line cannot hold as it is (a line break, blanks at its ends, a leading "#") goes as a file URL.
QByteArray MemoryPlaylist(const QByteArrayList& entries) {
    QByteArray text = mpvname::MemoryPlaylist;
    for (const QByteArray& entry : entries) {
        const bool plain = !entry.contains('\n') && !entry.contains('\r') &&
                           entry == entry.trimmed() && !entry.startsWith('#');
        text += plain ? entry : FileUrlOfPath(entry);
        text += '\n';
    }
    return text;
}

// The path of an entry as mpv names it: a file URL of the memory playlist is the file's path.
QByteArray PathOfEntry(const char* name) {
    return PathOfFileUrl(name).value_or(QByteArray(name));
}

// What a look at an entry about to open found.
struct EntryCheck {
    // Why it must not be opened; empty when it may.
    QString refusal;
    // The entries of a ".wpl", which mpv cannot read itself.
    std::optional<QByteArrayList> playlist;
};

EntryCheck CheckEntry(const QByteArrayList& lineage, const QByteArray& path) {
    EntryCheck check{PlaylistLineage::Refusal(lineage, path), std::nullopt};
    if (!check.refusal.isEmpty() || !IsWplPlaylist(path))
        return check;
    try {
        check.playlist = ReadWplPlaylist(path);
    } catch (const AppError& error) {
        check.refusal = error.message();
    } catch (const std::exception& error) {
        check.refusal = QString::fromLocal8Bit(error.what());
    }
    return check;
}
} // namespace

void MpvEngine::OpenEntry(uint64_t hook) {
    GiveUpEntry();
    pendingHook_ = hook;
    // mpv waits until the hook is continued, on every way out of here.
    auto resume = qScopeGuard([this] { ContinueLoad(); });
    // A scan ends with its item: the next one starts at normal speed.
    EndScan();
    SetDouble(mpvname::Speed, 1.0);
    char* path = nullptr;
    if (Mpv().get_property(handle_, mpvname::Path, MPV_FORMAT_STRING, &path) >= 0) {
        loadingPath_ = PathOfEntry(path);
        Mpv().free(path);
    }
    entryCheck_ = BackgroundJob::Start(
        this,
        [lineage = lineage_.Of(loadingEntry_), path = loadingPath_](const JobControl&) {
            return CheckEntry(lineage, path);
        },
        [this](const EntryCheck& check) {
            const auto resumeLoad = qScopeGuard([this] { ContinueLoad(); });
            if (!check.refusal.isEmpty())
                SkipEntry(check.refusal);
            else if (check.playlist)
                SetText(mpvname::StreamOpenFilename, MemoryPlaylist(*check.playlist).constData());
        });
    resume.dismiss();
}

void MpvEngine::ContinueLoad() {
    if (const std::optional<uint64_t> hook = std::exchange(pendingHook_, std::nullopt))
        Mpv().hook_continue(handle_, *hook);
}

void MpvEngine::GiveUpEntry() {
    if (!pendingHook_)
        return;
    entryCheck_.Abandon();
    skippedEntry_ = loadingEntry_;
    const auto resume = qScopeGuard([this] { ContinueLoad(); });
    SetText(mpvname::StreamOpenFilename, mpvname::MemoryPlaylist);
}

void MpvEngine::SkipEntry(const QString& reason) {
    skippedEntry_ = loadingEntry_;
    SetText(mpvname::StreamOpenFilename, mpvname::MemoryPlaylist);
    EntryFailed(loadingEntry_, reason);
}

void MpvEngine::EntryFailed(qint64 entry, const QString& message) {
    if (lineage_.FromPlaylist(entry))
        emit itemSkipped(message);
    else
        emit failed(message);
}

// ---- video ----

QSize MpvEngine::FrameSize() {
    if (stretch_)
        return viewport_;
    // At its own size, shrunk (keeping its shape) when larger than the viewport.
    const QSize video(static_cast<int>(GetInt(mpvname::VideoWidth, 0)),
                      static_cast<int>(GetInt(mpvname::VideoHeight, 0)));
    if (video.isEmpty() || video.width() > viewport_.width() || video.height() > viewport_.height())
        return viewport_;
    return video;
}

void MpvEngine::DrawFrame(bool newFrame) {
    if (!renderer_ || (newFrame && !renderer_->FrameWaiting()))
        return;
    try {
        if (viewport_.isEmpty()) {
            if (newFrame)
                renderer_->Skip();
            return;
        }
        frame_ = renderer_->Render(FrameSize());
    } catch (const AppError& error) {
        // Told once; the sound goes on without pictures.
        renderer_.reset();
        frame_ = QImage();
        emit failed(error.message());
    }
    emit frameChanged();
}

void MpvEngine::setViewport(QSize size, bool stretch) {
    const bool redraw = !frame_.isNull() || stretch != stretch_;
    viewport_ = size;
    stretch_ = stretch;
    if (redraw)
        DrawFrame(false);
}

// ---- commands ----

void MpvEngine::open(const QByteArray& url, bool paused) {
    url_ = url;
    lastEntry_ = 0;
    EndScan();
    if (url.isEmpty()) {
        stop();
        return;
    }
    GiveUpEntry();
    // The path goes to mpv as its bytes: names that are not text are found as well. A ".wpl" is
    // read when mpv comes to open it, as one inside another playlist is.
    lineage_.Reset({});
    SetFlag(mpvname::Pause, paused);
    SetDouble(mpvname::Speed, 1.0);
    Command({Utf8(mpvname::LoadFile), url, Utf8(mpvname::Replace)});
    request_ = Request::LoadRequested;
}

bool MpvEngine::Loading() const {
    return request_ == Request::LoadRequested || request_ == Request::LoadStarted;
}

void MpvEngine::EndScan() {
    if (request_ == Request::Scanning)
        request_ = Request::Settled;
}

bool MpvEngine::IsStopped() {
    return request_ == Request::StopRequested || (!Loading() && GetFlag(mpvname::IdleActive));
}

EngineState MpvEngine::state() {
    if (Loading())
        return EngineState::Loading;
    if (IsStopped())
        return EngineState::Idle;
    if (GetFlag(mpvname::PausedForCache, false))
        return EngineState::Buffering;
    if (GetFlag(mpvname::Pause))
        return EngineState::Paused;
    return request_ == Request::Scanning ? EngineState::Scanning : EngineState::Playing;
}

bool MpvEngine::canScan() {
    return !Loading() && !IsStopped() && GetFlag(mpvname::Seekable, false);
}

void MpvEngine::StepTo(qint64 entry) {
    SetFlag(mpvname::Pause, false);
    SetDouble(mpvname::Speed, 1.0);
    request_ = Request::LoadRequested;
    if (GetInt(mpvname::PlaylistCount, 0) > 0)
        SetInt(mpvname::PlaylistPos, entry);
    else
        open(url_, false);
}

void MpvEngine::play() {
    if (url_.isEmpty())
        return;
    if (IsStopped()) {
        // mpv forgets the item on stop: start the one that was current again.
        StepTo(std::clamp<qint64>(lastEntry_, 0,
                                  std::max<qint64>(0, GetInt(mpvname::PlaylistCount, 0) - 1)));
        return;
    }
    EndScan();
    SetDouble(mpvname::Speed, 1.0);
    SetFlag(mpvname::Pause, false);
}

void MpvEngine::pause() {
    if (IsStopped())
        return;
    EndScan();
    SetDouble(mpvname::Speed, 1.0);
    SetFlag(mpvname::Pause, true);
}

void MpvEngine::stop() {
    GiveUpEntry();
    Command({Utf8(mpvname::Stop), Utf8(mpvname::KeepPlaylist)});
    // mpv keeps "pause" across a stop, which would start the next item paused.
    SetFlag(mpvname::Pause, false);
    SetDouble(mpvname::Speed, 1.0);
    request_ = Request::StopRequested;
}

void MpvEngine::scan() {
    if (!canScan())
        throw AppError(tr("The media player cannot fast forward this media."));
    SetDouble(mpvname::Speed, kScanSpeed);
    SetFlag(mpvname::Pause, false);
    request_ = Request::Scanning;
}

void MpvEngine::next() {
    const qint64 count = GetInt(mpvname::PlaylistCount, 0);
    const qint64 current = IsStopped() ? lastEntry_ : GetInt(mpvname::PlaylistPos, lastEntry_);
    if (count == 0)
        return;
    if (current + 1 < count)
        StepTo(current + 1);
    else if (loop_)
        StepTo(0);
}

void MpvEngine::queueNext(const QByteArray& url) {
    Command({Utf8(mpvname::PlaylistClear)});
    Command({Utf8(mpvname::LoadFile), url, Utf8(mpvname::Append)});
}

void MpvEngine::previous() {
    const qint64 count = GetInt(mpvname::PlaylistCount, 0);
    const qint64 current = IsStopped() ? lastEntry_ : GetInt(mpvname::PlaylistPos, lastEntry_);
    if (count == 0)
        return;
    if (current > 0)
        StepTo(current - 1);
    else if (loop_)
        StepTo(count - 1);
}

double MpvEngine::position() {
    if (Loading() || IsStopped())
        return 0;
    return GetDouble(mpvname::TimePos, 0.0);
}

void MpvEngine::seekTo(double seconds) {
    if (IsStopped())
        return;
    // Before the start is the start; past the end is the end of the item.
    const double length = duration();
    double target = std::max(0.0, seconds);
    if (length > 0)
        target = std::min(target, length);
    Command(
        {Utf8(mpvname::Seek), QByteArray::number(target, 'f', 3), Utf8(mpvname::AbsoluteExact)});
    // The item may end there before its new position is told.
    reached_ = std::max(reached_, target);
}

void MpvEngine::seekBy(double seconds) {
    if (IsStopped())
        return;
    // mpv moves from the position it is at, on its own thread: nothing to pause or wait for.
    Command(
        {Utf8(mpvname::Seek), QByteArray::number(seconds, 'f', 3), Utf8(mpvname::RelativeExact)});
    reached_ = std::max(reached_, position() + seconds);
}

int MpvEngine::volume() {
    return qRound(GetDouble(mpvname::Volume));
}

void MpvEngine::setVolume(int volume) {
    SetDouble(mpvname::Volume, std::clamp(volume, 0, 100));
}

bool MpvEngine::muted() {
    return GetFlag(mpvname::Mute);
}

void MpvEngine::setMute(bool on) {
    SetFlag(mpvname::Mute, on);
}

void MpvEngine::setLoop(bool on) {
    SetText(mpvname::LoopPlaylist, on ? mpvname::LoopForever : mpvname::No);
    loop_ = on;
}

void MpvEngine::setShuffle(bool on) {
    Command({Utf8(on ? mpvname::PlaylistShuffle : mpvname::PlaylistUnshuffle)});
}

double MpvEngine::duration() {
    if (Loading() || IsStopped())
        return 0;
    return GetDouble(mpvname::Duration, 0.0);
}

QByteArray MpvEngine::item() {
    // mpv hands file names back as the bytes it was given, text or not.
    char* path = nullptr;
    if (Mpv().get_property(handle_, mpvname::Path, MPV_FORMAT_STRING, &path) < 0)
        return lastPath_;
    const QByteArray result = PathOfEntry(path);
    Mpv().free(path);
    return result;
}

MediaMetadata MpvEngine::metadata() {
    return ReadMpvMetadata(handle_);
}

QString MpvEngine::cycleTrack(TrackKind kind) {
    if (Loading() || IsStopped())
        return TrackChoiceText(kind, std::nullopt, 0);
    return CycleMpvTrack(handle_, kind);
}

std::vector<TrackFacts> MpvEngine::tracks(TrackKind kind) {
    if (Loading() || IsStopped())
        return {};
    return ReadMpvTracks(handle_, kind, sidecars_);
}

std::optional<TrackFacts> MpvEngine::selectedTrack(TrackKind kind) {
    if (Loading() || IsStopped())
        return std::nullopt;
    return ReadMpvSelectedTrack(handle_, kind, sidecars_);
}

void MpvEngine::selectTrack(TrackKind kind, std::optional<qint64> id) {
    SelectMpvTrack(handle_, kind, id);
}

void MpvEngine::FindSubtitleFiles() {
    const QByteArray item = lastPath_;
    sidecars_.clear();
    subtitleSearch_ = BackgroundJob::Start(
        this, [item](const JobControl&) { return FindSidecarSubtitles(item); },
        [this, item](std::vector<SidecarSubtitle> files) {
            // Another item by now: these are not its files.
            if (files.empty() || lastPath_ != item || Loading() || IsStopped())
                return;
            sidecars_.clear();
            for (SidecarSubtitle& file : files)
                if (AddMpvSubtitleFile(handle_, file))
                    sidecars_.push_back(std::move(file));
            if (!sidecars_.empty())
                emit tracksAdded();
        });
}

QString MpvEngine::PropertyText(const char* name) {
    char* text = nullptr;
    if (Mpv().get_property(handle_, name, MPV_FORMAT_STRING, &text) < 0)
        return {};
    const QString result = QString::fromUtf8(text);
    Mpv().free(text);
    return result;
}

// ---- mpv calls, each checked ----

void MpvEngine::Check(int error, const QString& what) {
    if (error < 0)
        //: %1 is what the player was doing ("start", "read \"volume\""), %2 the reason mpv gives.
        throw AppError(tr("The media player cannot %1: %2").arg(what, MpvErrorText(error)));
}

QString MpvEngine::UserConfigFile() {
    return UserConfigFolder() + QStringLiteral("/mpv.conf");
}

void MpvEngine::LoadUserConfig() {
    // "~~/" in the owner's options (fonts, shaders) means the folder beside the settings store.
    SetOption(mpvname::ConfigDir, QFile::encodeName(UserConfigFolder()).constData());
    const QString file = UserConfigFile();
    if (!QFileInfo(file).isFile())
        return;
    // mpv skips entries it does not understand; a file it cannot parse is only worth a note, the
    // player works without it.
    const int error = Mpv().load_config_file(handle_, QFile::encodeName(file).constData());
    if (error < 0)
        qWarning("couchframe: %s is not used: %s", qUtf8Printable(file),
                 qUtf8Printable(MpvErrorText(error)));
}

void MpvEngine::SetOption(const char* name, const char* value) {
    Check(Mpv().set_option_string(handle_, name, value),
          tr("set the option \"%1\" to \"%2\"").arg(QLatin1String(name), QString::fromUtf8(value)));
}

void MpvEngine::Command(std::initializer_list<QByteArray> arguments) {
    std::vector<const char*> argv;
    for (const QByteArray& argument : arguments)
        argv.push_back(argument.constData());
    argv.push_back(nullptr);
    Check(Mpv().command(handle_, argv.data()),
          tr("run \"%1\"").arg(QString::fromUtf8(*arguments.begin())));
}

namespace {
template <typename T>
std::optional<T> Unavailable(int error, const std::optional<T>& whenUnavailable) {
    if (error == MPV_ERROR_PROPERTY_UNAVAILABLE)
        return whenUnavailable;
    return std::nullopt;
}
} // namespace

bool MpvEngine::GetFlag(const char* name, std::optional<bool> whenUnavailable) {
    int value = 0;
    const int error = Mpv().get_property(handle_, name, MPV_FORMAT_FLAG, &value);
    if (const auto fallback = Unavailable(error, whenUnavailable))
        return *fallback;
    Check(error, tr("read \"%1\"").arg(QLatin1String(name)));
    return value != 0;
}

double MpvEngine::GetDouble(const char* name, std::optional<double> whenUnavailable) {
    double value = 0;
    const int error = Mpv().get_property(handle_, name, MPV_FORMAT_DOUBLE, &value);
    if (const auto fallback = Unavailable(error, whenUnavailable))
        return *fallback;
    Check(error, tr("read \"%1\"").arg(QLatin1String(name)));
    return value;
}

qint64 MpvEngine::GetInt(const char* name, std::optional<qint64> whenUnavailable) {
    int64_t value = 0;
    const int error = Mpv().get_property(handle_, name, MPV_FORMAT_INT64, &value);
    if (const auto fallback = Unavailable(error, whenUnavailable))
        return *fallback;
    Check(error, tr("read \"%1\"").arg(QLatin1String(name)));
    return value;
}

void MpvEngine::SetFlag(const char* name, bool value) {
    int flag = value ? 1 : 0;
    Check(Mpv().set_property(handle_, name, MPV_FORMAT_FLAG, &flag),
          tr("set \"%1\"").arg(QLatin1String(name)));
}

void MpvEngine::SetDouble(const char* name, double value) {
    Check(Mpv().set_property(handle_, name, MPV_FORMAT_DOUBLE, &value),
          tr("set \"%1\"").arg(QLatin1String(name)));
}

void MpvEngine::SetInt(const char* name, qint64 value) {
    int64_t number = value;
    Check(Mpv().set_property(handle_, name, MPV_FORMAT_INT64, &number),
          tr("set \"%1\"").arg(QLatin1String(name)));
}

void MpvEngine::SetText(const char* name, const char* value) {
    Check(Mpv().set_property(handle_, name, MPV_FORMAT_STRING, &value),
          tr("set \"%1\"").arg(QLatin1String(name)));
}
