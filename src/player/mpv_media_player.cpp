#include "player/mpv_media_player.h"

#include "platform/application.h"
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
#include <QPainter>
#include <QPointer>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <vector>

namespace {
// Speed of the control's own forward scan.
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

MpvOptions MpvMediaPlayer::DefaultOptions() {
    if (const auto& standIn = DefaultOptionsSeam().StandIn())
        return *standIn;
    static const MpvOptions fromEnvironment =
        ParseMpvOptions(qEnvironmentVariable("COUCHFRAME_MPV_OPTIONS"));
    return fromEnvironment;
}

Seam<MpvOptions>& MpvMediaPlayer::DefaultOptionsSeam() {
    static Seam<MpvOptions> seam;
    return seam;
}

MpvMediaPlayer::MpvMediaPlayer(const MpvOptions& options, QWidget* parent)
    : MediaPlayerControl(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);

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
        SetOption(SubAuto, SubAutoFuzzy);
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
        Check(Mpv().initialize(handle_), tr("start"));
        Check(Mpv().hook_add(handle_, 0, mpvname::OnLoadHook, 0), tr("watch the opening of items"));
        ObserveProperties();
        Mpv().set_wakeup_callback(handle_, &MpvMediaPlayer::OnWakeup, this);
        // The render context must exist before the first file is opened.
        if (options.renderVideo)
            renderer_ = MpvFrameRenderer::Create(handle_, &MpvMediaPlayer::OnRenderUpdate, this);
        setVolume(50);
    } catch (...) {
        Destroy();
        throw;
    }
}

MpvMediaPlayer::~MpvMediaPlayer() {
    Destroy();
}

void MpvMediaPlayer::Destroy() {
    if (!handle_)
        return;
    Mpv().set_wakeup_callback(handle_, nullptr, nullptr);
    renderer_.reset();
    TerminateInBackground(handle_);
    handle_ = nullptr;
}

const char* MpvMediaPlayer::RendererKind() const {
    return renderer_ ? renderer_->Kind() : "none";
}

// ---- events ----

void MpvMediaPlayer::OnWakeup(void* data) {
    // A foreign thread: only hand the work to the user-interface thread.
    auto* self = static_cast<MpvMediaPlayer*>(data);
    if (!self->drainQueued_.exchange(true))
        QMetaObject::invokeMethod(
            self,
            [self] {
                self->drainQueued_ = false;
                self->DrainEvents();
            },
            Qt::QueuedConnection);
}

void MpvMediaPlayer::OnRenderUpdate(void* data) {
    auto* self = static_cast<MpvMediaPlayer*>(data);
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
// What an observed property's change tells the screens.
enum Observed : uint64_t { kPositionChange = 1, kStateChange = 2 };
} // namespace

void MpvMediaPlayer::ObserveProperties() {
    // mpv tells each change as an event: nothing needs to ask again while nothing changes.
    for (const char* name : {mpvname::TimePos, mpvname::Duration})
        Mpv().observe_property(handle_, kPositionChange, name, MPV_FORMAT_NONE);
    for (const char* name : {mpvname::Pause, mpvname::IdleActive, mpvname::PausedForCache,
                             mpvname::Volume, mpvname::Mute, mpvname::Speed})
        Mpv().observe_property(handle_, kStateChange, name, MPV_FORMAT_NONE);
}

void MpvMediaPlayer::DrainEvents() {
    // Every waiting event is taken, even when one of them fails: mpv wakes us only for new ones.
    // A failure is reported here, once the events are taken, never passed on into the event loop.
    std::exception_ptr failure;
    QPointer<MpvMediaPlayer> alive(this);
    bool position = false;
    bool state = false;
    while (alive && handle_) {
        const mpv_event* event = Mpv().wait_event(handle_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        if (event->event_id == MPV_EVENT_PROPERTY_CHANGE) {
            position = position || event->reply_userdata == kPositionChange;
            state = state || event->reply_userdata == kStateChange;
            continue;
        }
        state = true;
        try {
            HandleEvent(*event);
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    // Told once for all the events of a wake-up.
    if (alive && state)
        emit stateChanged();
    if (alive && position)
        emit positionChanged();
    if (failure)
        RunReportingErrors([&failure] { std::rethrow_exception(failure); });
}

void MpvMediaPlayer::HandleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_START_FILE: {
        state_ = State::LoadStarted;
        picture_ = QImage();
        // Its path is read in the load hook that follows: mpv may be at a later entry by now.
        const auto* start = static_cast<const mpv_event_start_file*>(event.data);
        loadingEntry_ = start ? start->playlist_entry_id : -1;
        loadingPath_ = url_;
        break;
    }
    case MPV_EVENT_HOOK: {
        const auto* hook = static_cast<const mpv_event_hook*>(event.data);
        // mpv waits until the hook is continued, on every way out of it.
        struct Continue {
            mpv_handle* handle;
            uint64_t id;
            ~Continue() { Mpv().hook_continue(handle, id); }
        } resume{handle_, hook->id};
        OpenEntry();
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        if (Loading())
            state_ = State::Settled;
        lastEntry_ = std::max<qint64>(0, GetInt(mpvname::PlaylistPos, 0));
        lastPath_ = sourceURL();
        RaiseMediaChange();
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        // An album cover is decoded by the first restart of its item; the item is told again.
        if (picture_.isNull()) {
            picture_ = ReadMpvAttachedPicture(handle_);
            if (!picture_.isNull())
                RaiseMediaChange();
        }
        emit playbackRestarted();
        break;
    case MPV_EVENT_END_FILE: {
        EndScan();
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        // A stop or a replaced item is followed by whatever was asked for next.
        if (state_ == State::LoadStarted && end &&
            (end->reason == MPV_END_FILE_REASON_EOF || end->reason == MPV_END_FILE_REASON_ERROR))
            state_ = State::Settled;
        if (!end)
            break;
        const QByteArray path = end->playlist_entry_id == loadingEntry_ ? loadingPath_ : url_;
        if (end->reason == MPV_END_FILE_REASON_REDIRECT)
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
        if (state_ == State::LoadStarted || state_ == State::Scanning)
            state_ = State::Settled;
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
} // namespace

void MpvMediaPlayer::OpenEntry() {
    // A scan ends with its item: the next one starts at normal speed.
    EndScan();
    SetDouble(mpvname::Speed, 1.0);
    char* path = nullptr;
    if (Mpv().get_property(handle_, mpvname::Path, MPV_FORMAT_STRING, &path) >= 0) {
        loadingPath_ = PathOfEntry(path);
        Mpv().free(path);
    }
    const QString refusal = lineage_.Refusal(loadingEntry_, loadingPath_);
    if (!refusal.isEmpty()) {
        SkipEntry(refusal);
        return;
    }
    // mpv cannot read ".wpl": it gets the entries as a playlist of its own kind.
    if (!IsWplPlaylist(loadingPath_))
        return;
    QByteArrayList entries;
    try {
        entries = ReadWplPlaylist(loadingPath_);
    } catch (const AppError& error) {
        SkipEntry(error.message());
        return;
    }
    SetText(mpvname::StreamOpenFilename, MemoryPlaylist(entries).constData());
}

void MpvMediaPlayer::SkipEntry(const QString& reason) {
    skippedEntry_ = loadingEntry_;
    SetText(mpvname::StreamOpenFilename, mpvname::MemoryPlaylist);
    EntryFailed(loadingEntry_, reason);
}

void MpvMediaPlayer::EntryFailed(qint64 entry, const QString& message) {
    if (OnItemFailure && lineage_.FromPlaylist(entry)) {
        OnItemFailure(message);
        return;
    }
    throw AppError(message);
}

// ---- video ----

QSize MpvMediaPlayer::FrameSize() {
    if (stretchToFit_)
        return size();
    // At its own size, shrunk (keeping its shape) when larger than the control.
    const QSize video(static_cast<int>(GetInt(mpvname::VideoWidth, 0)),
                      static_cast<int>(GetInt(mpvname::VideoHeight, 0)));
    if (video.isEmpty() || video.width() > width() || video.height() > height())
        return size();
    return video;
}

void MpvMediaPlayer::DrawFrame(bool newFrame) {
    if (!renderer_ || (newFrame && !renderer_->FrameWaiting()))
        return;
    try {
        if (!isVisible() || size().isEmpty()) {
            if (newFrame)
                renderer_->Skip();
            return;
        }
        frame_ = renderer_->Render(FrameSize());
    } catch (const AppError&) {
        // Reported once; the sound goes on without pictures.
        renderer_.reset();
        frame_ = QImage();
        throw;
    }
    update();
}

void MpvMediaPlayer::setStretchToFit(bool on) {
    stretchToFit_ = on;
    DrawFrame(false);
}

void MpvMediaPlayer::resizeEvent(QResizeEvent* event) {
    MediaPlayerControl::resizeEvent(event);
    if (!frame_.isNull())
        DrawFrame(false);
}

void MpvMediaPlayer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!frame_.isNull())
        painter.drawImage((width() - frame_.width()) / 2, (height() - frame_.height()) / 2, frame_);
}

// ---- the control ----

void MpvMediaPlayer::setURL(const QByteArray& url) {
    url_ = url;
    lastEntry_ = 0;
    EndScan();
    if (url.isEmpty()) {
        stop();
        return;
    }
    const bool wpl = IsWplPlaylist(url);
    // The path goes to mpv as its bytes: names that are not text are found as well.
    const QByteArrayList entries = wpl ? ReadWplPlaylist(url) : QByteArrayList{url};
    lineage_.Reset(wpl ? QByteArrayList{url} : QByteArrayList{});
    SetFlag(mpvname::Pause, !autoStart_);
    SetDouble(mpvname::Speed, 1.0);
    Command({Utf8(mpvname::LoadFile), entries.first(), Utf8(mpvname::Replace)});
    for (qsizetype i = 1; i < entries.size(); ++i)
        Command({Utf8(mpvname::LoadFile), entries[i], Utf8(mpvname::Append)});
    state_ = State::LoadRequested;
}

bool MpvMediaPlayer::Loading() const {
    return state_ == State::LoadRequested || state_ == State::LoadStarted;
}

void MpvMediaPlayer::EndScan() {
    if (state_ == State::Scanning)
        state_ = State::Settled;
}

bool MpvMediaPlayer::IsStopped() {
    return state_ == State::StopRequested || (!Loading() && GetFlag(mpvname::IdleActive));
}

int MpvMediaPlayer::playState() {
    if (Loading())
        return playstate::Transitioning;
    if (IsStopped())
        return playstate::Stopped;
    if (GetFlag(mpvname::PausedForCache, false))
        return playstate::Buffering;
    if (GetFlag(mpvname::Pause))
        return playstate::Paused;
    return state_ == State::Scanning ? playstate::ScanForward : playstate::Playing;
}

bool MpvMediaPlayer::isAvailable(const QString& item) {
    if (item.compare(QLatin1String("FastForward"), Qt::CaseInsensitive) == 0)
        return !Loading() && !IsStopped() && GetFlag(mpvname::Seekable, false);
    // mpv has no reverse scan at speed (its backward playback is a slow decode-ahead mode), and the
    // control answers only for the scans.
    return false;
}

void MpvMediaPlayer::StepTo(qint64 entry) {
    SetFlag(mpvname::Pause, false);
    SetDouble(mpvname::Speed, 1.0);
    state_ = State::LoadRequested;
    if (GetInt(mpvname::PlaylistCount, 0) > 0)
        SetInt(mpvname::PlaylistPos, entry);
    else
        setURL(url_);
}

void MpvMediaPlayer::play() {
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

void MpvMediaPlayer::pause() {
    if (IsStopped())
        return;
    EndScan();
    SetDouble(mpvname::Speed, 1.0);
    SetFlag(mpvname::Pause, true);
}

void MpvMediaPlayer::stop() {
    Command({Utf8(mpvname::Stop), Utf8(mpvname::KeepPlaylist)});
    // mpv keeps "pause" across a stop, which would start the next item paused.
    SetFlag(mpvname::Pause, false);
    SetDouble(mpvname::Speed, 1.0);
    state_ = State::StopRequested;
}

void MpvMediaPlayer::fastForward() {
    if (!isAvailable(QStringLiteral("FastForward")))
        throw AppError(tr("The media player cannot fast forward this media."));
    SetDouble(mpvname::Speed, kScanSpeed);
    SetFlag(mpvname::Pause, false);
    state_ = State::Scanning;
}

void MpvMediaPlayer::fastReverse() {
    throw AppError(tr("The media player cannot fast reverse this media."));
}

void MpvMediaPlayer::next() {
    const qint64 count = GetInt(mpvname::PlaylistCount, 0);
    const qint64 current = IsStopped() ? lastEntry_ : GetInt(mpvname::PlaylistPos, lastEntry_);
    if (count == 0)
        return;
    if (current + 1 < count)
        StepTo(current + 1);
    else if (loop_)
        StepTo(0);
}

void MpvMediaPlayer::previous() {
    const qint64 count = GetInt(mpvname::PlaylistCount, 0);
    const qint64 current = IsStopped() ? lastEntry_ : GetInt(mpvname::PlaylistPos, lastEntry_);
    if (count == 0)
        return;
    if (current > 0)
        StepTo(current - 1);
    else if (loop_)
        StepTo(count - 1);
}

double MpvMediaPlayer::currentPosition() {
    if (Loading() || IsStopped())
        return 0;
    return GetDouble(mpvname::TimePos, 0.0);
}

void MpvMediaPlayer::setCurrentPosition(double seconds) {
    if (IsStopped())
        return;
    // Before the start is the start; past the end is the end of the item.
    const double length = duration();
    double target = std::max(0.0, seconds);
    if (length > 0)
        target = std::min(target, length);
    Command(
        {Utf8(mpvname::Seek), QByteArray::number(target, 'f', 3), Utf8(mpvname::AbsoluteExact)});
}

void MpvMediaPlayer::seekBy(double seconds) {
    if (IsStopped())
        return;
    // mpv moves from the position it is at, on its own thread: nothing to pause or wait for.
    Command(
        {Utf8(mpvname::Seek), QByteArray::number(seconds, 'f', 3), Utf8(mpvname::RelativeExact)});
}

int MpvMediaPlayer::volume() {
    return qRound(GetDouble(mpvname::Volume));
}

void MpvMediaPlayer::setVolume(int volume) {
    SetDouble(mpvname::Volume, std::clamp(volume, 0, 100));
}

bool MpvMediaPlayer::mute() {
    return GetFlag(mpvname::Mute);
}
void MpvMediaPlayer::setMute(bool mute) {
    SetFlag(mpvname::Mute, mute);
}

void MpvMediaPlayer::setMode(const QString& mode, bool on) {
    if (mode.compare(QLatin1String("loop"), Qt::CaseInsensitive) == 0) {
        SetText(mpvname::LoopPlaylist, on ? mpvname::LoopForever : mpvname::No);
        loop_ = on;
    } else if (mode.compare(QLatin1String("shuffle"), Qt::CaseInsensitive) == 0) {
        Command({Utf8(on ? mpvname::PlaylistShuffle : mpvname::PlaylistUnshuffle)});
    } else {
        throw AppError(tr("The media player has no play mode \"%1\".").arg(mode));
    }
}

double MpvMediaPlayer::duration() {
    if (Loading() || IsStopped())
        return 0;
    return GetDouble(mpvname::Duration, 0.0);
}

QByteArray MpvMediaPlayer::sourceURL() {
    // mpv hands file names back as the bytes it was given, text or not.
    char* path = nullptr;
    if (Mpv().get_property(handle_, mpvname::Path, MPV_FORMAT_STRING, &path) < 0)
        return lastPath_;
    const QByteArray result = PathOfEntry(path);
    Mpv().free(path);
    return result;
}

MediaMetadata MpvMediaPlayer::metadata() {
    return ReadMpvMetadata(handle_);
}

QImage MpvMediaPlayer::embeddedPicture() {
    return picture_;
}

QString MpvMediaPlayer::cycleTrack(TrackKind kind) {
    if (Loading() || IsStopped())
        return TrackChoiceText(kind, std::nullopt, 0);
    return CycleMpvTrack(handle_, kind);
}

QString MpvMediaPlayer::PropertyText(const char* name) {
    char* text = nullptr;
    if (Mpv().get_property(handle_, name, MPV_FORMAT_STRING, &text) < 0)
        return {};
    const QString result = QString::fromUtf8(text);
    Mpv().free(text);
    return result;
}

// ---- mpv calls, each checked ----

void MpvMediaPlayer::Check(int error, const QString& what) {
    if (error < 0)
        //: %1 is what the player was doing ("start", "read \"volume\""), %2 the reason mpv gives.
        throw AppError(tr("The media player cannot %1: %2").arg(what, MpvErrorText(error)));
}

QString MpvMediaPlayer::UserConfigFile() {
    return UserConfigFolder() + QStringLiteral("/mpv.conf");
}

void MpvMediaPlayer::LoadUserConfig() {
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

void MpvMediaPlayer::SetOption(const char* name, const char* value) {
    Check(Mpv().set_option_string(handle_, name, value),
          tr("set the option \"%1\" to \"%2\"").arg(QLatin1String(name), QString::fromUtf8(value)));
}

void MpvMediaPlayer::Command(std::initializer_list<QByteArray> arguments) {
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

bool MpvMediaPlayer::GetFlag(const char* name, std::optional<bool> whenUnavailable) {
    int value = 0;
    const int error = Mpv().get_property(handle_, name, MPV_FORMAT_FLAG, &value);
    if (const auto fallback = Unavailable(error, whenUnavailable))
        return *fallback;
    Check(error, tr("read \"%1\"").arg(QLatin1String(name)));
    return value != 0;
}

double MpvMediaPlayer::GetDouble(const char* name, std::optional<double> whenUnavailable) {
    double value = 0;
    const int error = Mpv().get_property(handle_, name, MPV_FORMAT_DOUBLE, &value);
    if (const auto fallback = Unavailable(error, whenUnavailable))
        return *fallback;
    Check(error, tr("read \"%1\"").arg(QLatin1String(name)));
    return value;
}

qint64 MpvMediaPlayer::GetInt(const char* name, std::optional<qint64> whenUnavailable) {
    int64_t value = 0;
    const int error = Mpv().get_property(handle_, name, MPV_FORMAT_INT64, &value);
    if (const auto fallback = Unavailable(error, whenUnavailable))
        return *fallback;
    Check(error, tr("read \"%1\"").arg(QLatin1String(name)));
    return value;
}

void MpvMediaPlayer::SetFlag(const char* name, bool value) {
    int flag = value ? 1 : 0;
    Check(Mpv().set_property(handle_, name, MPV_FORMAT_FLAG, &flag),
          tr("set \"%1\"").arg(QLatin1String(name)));
}

void MpvMediaPlayer::SetDouble(const char* name, double value) {
    Check(Mpv().set_property(handle_, name, MPV_FORMAT_DOUBLE, &value),
          tr("set \"%1\"").arg(QLatin1String(name)));
}

void MpvMediaPlayer::SetInt(const char* name, qint64 value) {
    int64_t number = value;
    Check(Mpv().set_property(handle_, name, MPV_FORMAT_INT64, &number),
          tr("set \"%1\"").arg(QLatin1String(name)));
}

void MpvMediaPlayer::SetText(const char* name, const char* value) {
    Check(Mpv().set_property(handle_, name, MPV_FORMAT_STRING, &value),
          tr("set \"%1\"").arg(QLatin1String(name)));
}
