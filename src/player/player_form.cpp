#include "player/player_form.h"

#include "gradient/pgra112.h"
#include "input/app_command.h"
#include "input/remote_report.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/fonts.h"
#include "platform/guessed_text.h"
#include "platform/image_widget.h"
#include "platform/media_session.h"
#include "platform/readable_wait.h"
#include "platform/sleep_watch.h"
#include "player/cover_art.h"
#include "player/media_player_control.h"
#include "player/mpv_engine.h"
#include "player/now_playing.h"
#include "player/playback_notice.h"
#include "player/playback_resume.h"
#include "player/player_media_session.h"
#include "player/screen_note.h"
#include "player/track_memory.h"
#include "settings/general.h"
#include "ui/backdrop.h"
#include "ui/panel.h"
#include "ui/progress_strip.h"
#include "ui/screen_stack.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace {
constexpr int kLoopTag = 100;
constexpr int kShuffleTag = 200;
constexpr StoredColor kSwitchFontColor = 0xC0C0C0;
constexpr int kIndicatorMs = 1500;
constexpr int kTrackChoiceMs = 2000;
constexpr int kResumeNoteMs = 4000;

bool IsPlaying(MediaPlayerControl& control) {
    return control.playState() == playstate::Playing;
}

bool IsSettled(int state) {
    return state == playstate::Stopped || state == playstate::Paused || state == playstate::Playing;
}

// Lines end in CR LF in the caption; the label breaks lines at LF.
QString LabelText(QString caption) {
    return caption.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

Panel* MakeSwitchPanel(QWidget* parent, int tag, const QString& caption) {
    auto* panel = new Panel(parent);
    panel->SetTag(tag);
    panel->SetCaption(caption);
    panel->SetColor(kPanelUnselectedColor);
    panel->SetFontColor(kSwitchFontColor);
    panel->SetBevelWidth(2);
    panel->setFont(ScreenFont(-12, true));
    panel->hide();
    return panel;
}
} // namespace

PlayerLayout ComputePlayerLayout(int width, int height) {
    const int panelHeight = (height / 120) * 8;
    const int panelWidth = width / 4;
    const int margin = (width / 20) / 2;
    const int shuffleLeft = width - panelWidth - margin;
    const int loopLeft = shuffleLeft - panelWidth - margin;
    const int top = height - panelHeight - margin;
    return PlayerLayout{QRect(loopLeft, top, panelWidth, panelHeight),
                        QRect(shuffleLeft, top, panelWidth, panelHeight),
                        QRect(margin, margin, width - 2 * margin, height - 3 * margin),
                        12 - panelHeight, ProgressStripHeight(height)};
}

TPlayer_Form::TPlayer_Form(std::unique_ptr<MediaEngine> engine, const ScreenServices& services)
    : clock_(services.clock), store_(services.store), sessions_(services.sessions),
      sleep_(services.sleep), awake_(services.awake),
      session_(std::make_unique<PlayerMediaSession>(*this)), registration_(services.sessions) {
    setWindowTitle(tr("Player"));
    SetBlackBackground(*this);

    WMP1 = new MediaPlayerControl(std::move(engine), this);
    WMP1->OnMediaChange = [this] { WMP1MediaChange(); };

    MusicPanel = new QWidget(this);
    SetBlackBackground(*MusicPanel);
    Image1 = new ImageWidget(MusicPanel);
    Info = new QLabel(MusicPanel);
    Info->setTextFormat(Qt::PlainText);
    Info->setWordWrap(true);
    Info->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Info->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    Info->setFont(ScreenFont(-12, true));
    PNL001 = MakeSwitchPanel(MusicPanel, kLoopTag, tr("Loop [Off]"));
    PNL002 = MakeSwitchPanel(MusicPanel, kShuffleTag, tr("Shuffle [Off]"));
    for (Panel* panel : {PNL001, PNL002})
        BindPanel(*panel);

    Cover = new QLabel(MusicPanel);
    Cover->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Cover->hide();

    PB1 = MakeProgressStrip(this);

    PG1 = MakeScreenGradient(this, Image1);

    connect(WMP1, &MediaPlayerControl::stateChanged, this, &TPlayer_Form::WMP1StateChange);
    connect(WMP1, &MediaPlayerControl::positionChanged, this, &TPlayer_Form::WMP1PositionChange);
    connect(WMP1, &MediaPlayerControl::itemEnded, this, &TPlayer_Form::WMP1ItemEnded);
    connect(WMP1, &MediaPlayerControl::itemCutShort, this, &TPlayer_Form::WMP1ItemCutShort);
    readable_ = std::make_unique<ReadableWait>(clock_);

    Note = new ScreenNote(this);
    PauseMark = new ScreenNote(this);
    Times = new ScreenNote(this);
    WaitNote = new ScreenNote(this);
    resume_ = std::make_unique<PlaybackResume>(*WMP1, services.index, clock_, *this);
    tracks_ = std::make_unique<TrackMemory>(*WMP1, services.index);
    connect(WMP1, &MediaPlayerControl::tracksAdded, this, [this] {
        if (!IsMusicMode())
            RunReportingErrors([this] { tracks_->Apply(); });
    });
    Notice = new PlaybackNotice(this);
    WMP1->OnItemFailure = [this](const QString& message) { Notice->Show(message); };
    connect(&services.sleep, &SleepWatch::aboutToSleep, this, &TPlayer_Form::Sleep);

    FormCreate();
}

TPlayer_Form::~TPlayer_Form() {
    // The control outlives nothing it calls back into.
    WMP1->OnMediaChange = nullptr;
    WMP1->OnItemFailure = nullptr;
}

void TPlayer_Form::FormCreate() {
    PrevTag = 101;
    CurTag = kLoopTag;
    loopFlag_ = false;
    shuffleFlag_ = false;
}

bool TPlayer_Form::IsMusicMode() const {
    return !MusicPanel->isHidden();
}

void TPlayer_Form::Realign() {
    const QRect client = PlaceProgressStrip(*PB1);
    WMP1->setGeometry(client);
    MusicPanel->setGeometry(client);
    Image1->setGeometry(MusicPanel->rect());
}

void TPlayer_Form::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    Realign();
}

void TPlayer_Form::FollowNewSize() {
    LayOut(size());
    if (IsMusicMode())
        ShowNowPlaying();
}

void TPlayer_Form::LayOut(QSize size) {
    const PlayerLayout layout = ComputePlayerLayout(size.width(), size.height());
    if (IsMusicMode()) {
        PNL001->setGeometry(layout.loopPanel);
        PNL002->setGeometry(layout.shufflePanel);
        const QFont font = ScreenFont(layout.fontHeight, true);
        PNL001->setFont(font);
        PNL002->setFont(font);
        Info->setFont(font);
        Info->setGeometry(layout.info);
        coverBox_ = CoverArtBox(layout.info, layout.loopPanel.top(), layout.info.left());
        PG1->Paint();
    }
    PB1->setFixedHeight(layout.progressHeight);
    Realign();
}

void TPlayer_Form::FormShow() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    Realign();
    if (IsMusicMode()) {
        for (Panel* panel : {PNL001, PNL002})
            panel->show();
        Info->clear();
        infoCaption_.clear();
    }
    LayOut(screen ? screen->geometry().size() : size());
    if (IsMusicMode())
        HighlightPanel(MusicPanel, PrevTag, CurTag);
    PB1->setVisible(ReadSetting(store_, setting::PlayerShowProgress));
    Realign();
    WMP1->settings().setVolume(ReadSetting(store_, setting::PlayerVolume));
    automaticSkip_ = ReadSetting(store_, setting::PlayerSkipFlg);
    skipLength_ = ReadSetting(store_, setting::PlayerSkipSecond);
    WMP1->setFocusPolicy(Qt::NoFocus);
    registration_.Register(session_.get());
    WMP1->controls().play();
    UpdateScreenAwake();
}

void TPlayer_Form::FormKeyDown(int& key, ShiftState shift) {
    if (CountingDown() && (key == vk::Escape || key == vk::Delete || key == vk::Return)) {
        key == vk::Return ? Next() : CancelCountdown();
        key = 0;
        return;
    }
    PrevTag = CurTag;
    auto consume = [&key] { key = 0; };
    switch (key) {
    case vk::Return:
        ToggleMode(CurTag);
        consume();
        break;
    case vk::Escape:
    case vk::Delete:
        close();
        consume();
        break;
    case vk::Left:
        if (CurTag / 100 > 1)
            CurTag -= 100;
        break;
    case vk::Right:
        if (CurTag / 100 < 2)
            CurTag += 100;
        break;
    case 'B':
    case 'F':
        if (shift.ctrl) {
            const bool forward = key == 'F';
            if (shift.shift)
                forward ? FastForward() : FastReverse();
            else
                forward ? Next() : Previous();
            consume();
        }
        break;
    case 'T':
    case 'A':
        if (shift.ctrl) {
            CycleTrack(key == 'T' ? TrackKind::Subtitles : TrackKind::Audio);
            consume();
        }
        break;
    case 'I':
    case 'P':
    case 'S':
        if (shift.ctrl) {
            if (key == 'I') {
                ToggleProgress(false);
                ShowTimes(WMP1->controls().currentPosition());
            } else if (key == 'P')
                PlayPause();
            else
                Stop();
            consume();
        }
        break;
    case vk::F1 + 7: // F8
        ToggleMute();
        consume();
        break;
    case vk::F1 + 8: // F9
        VolumeUp();
        consume();
        break;
    case vk::F1 + 9: // F10
        VolumeDown();
        consume();
        break;
    default:
        if (key >= vk::Digit0 && key <= vk::Digit0 + 9)
            SetSkipLength(key - vk::Digit0);
        else if (key >= vk::Numpad0 && key <= vk::Numpad0 + 9)
            SetSkipLength(key - vk::Numpad0);
        break;
    }
    HighlightPanel(MusicPanel, PrevTag, CurTag);
}

void TPlayer_Form::FormClose() {
    EndWaiting();
    disconnect(WMP1, nullptr, this, nullptr);
    disconnect(&sleep_, nullptr, this, nullptr);
    registration_.Release();
    awake_.Set(false);
    // The screen's own preferences are kept even when the control fails to stop, and playback
    // stops even when its place cannot be kept: the owner closed the player.
    std::exception_ptr failure;
    resume_->Playing(false);
    try {
        if (!IsMusicMode())
            resume_->KeepPosition();
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        // Asked once: the control stops on its own thread, and one that keeps answering
        // "playing" must not hold the screen open.
        if (IsPlaying(*WMP1))
            WMP1->controls().stop();
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    WriteSetting(store_, setting::PlayerShowProgress, !PB1->isHidden());
    WriteSetting(store_, setting::PlayerSkipFlg, automaticSkip_);
    WriteSetting(store_, setting::PlayerSkipSecond, skipLength_);
    WriteSetting(store_, setting::PlayerVolume, WMP1->settings().volume());
    if (failure)
        std::rethrow_exception(failure);
}

void TPlayer_Form::WmInput(const RawInputMessage& message) {
    if (FetchRemoteReport(message) == report::Progress)
        ToggleProgress(true);
}

void TPlayer_Form::WmAppCommand(int command) {
    MediaControls& controls = WMP1->controls();
    switch (command) {
    case appcommand::VolumeMute:
        ToggleMute();
        break;
    case appcommand::VolumeDown:
        VolumeDown();
        break;
    case appcommand::VolumeUp:
        VolumeUp();
        break;
    case appcommand::NextTrack:
        Next();
        break;
    case appcommand::PreviousTrack:
        Previous();
        break;
    case appcommand::Stop:
        Stop();
        break;
    case appcommand::Play:
        controls.play();
        ShowIndicator(PlayStateIndicator(false));
        break;
    case appcommand::Pause:
        controls.pause();
        ShowIndicator(PlayStateIndicator(true));
        break;
    case appcommand::CycleSubtitles:
        CycleTrack(TrackKind::Subtitles);
        break;
    case appcommand::CycleAudioTrack:
        CycleTrack(TrackKind::Audio);
        break;
    case appcommand::PlayPause:
        PlayPause();
        break;
    case appcommand::FastForward:
        FastForward();
        break;
    case appcommand::Rewind:
        FastReverse();
        break;
    default:
        break;
    }
}

void TPlayer_Form::Panel_Click(Panel& panel) {
    ToggleMode(panel.Tag());
}

void TPlayer_Form::WMP1StateChange() {
    UpdateScreenAwake();
    // A pause stays visible until play resumes, whoever paused.
    if (WMP1->playState() == playstate::Paused)
        PauseMark->ShowText(PlayStateIndicator(true), ScreenNote::Size::Mark, 0);
    else
        PauseMark->hide();
    if (!IsMusicMode())
        resume_->Playing(WMP1->playState() == playstate::Playing);
    if (WMP1->playState() == playstate::Buffering) {
        // Data that does not come for a while: the share is asleep or gone. mpv goes on by
        // itself when it comes; until then the owner is told, and the place is kept.
        const unsigned round = ++bufferingRound_;
        clock_.CallAfter(kStalledAfter, this, [this, round] {
            if (round != bufferingRound_ || WMP1->playState() != playstate::Buffering)
                return;
            ShowWaitingFor(WMP1->currentMedia().sourceURL());
            if (!IsMusicMode())
                RunReportingErrors([this] { resume_->KeepPosition(); });
        });
    } else {
        ++bufferingRound_;
        if (!readable_->Waiting())
            WaitNote->hide();
    }
    sessions_.Announce();
    WMP1PositionChange();
}

void TPlayer_Form::WMP1PositionChange() {
    if (!IsSettled(WMP1->playState()))
        return;
    const double length = WMP1->currentMedia().duration();
    if (length != 0)
        PB1->setValue(static_cast<int>(
            std::trunc(WMP1->controls().currentPosition() * kProgressStripMax / length)));
}

void TPlayer_Form::WMP1MediaChange() {
    PB1->setValue(0);
    sessions_.Announce();
    if (automaticSkip_) {
        skipLength_ = 10;
        if (IsSettled(WMP1->playState()))
            skipLength_ = static_cast<int>(std::trunc(WMP1->currentMedia().duration() / 100));
        if (skipLength_ == 0)
            skipLength_ = 1;
    }
    const QByteArray item = WMP1->currentMedia().sourceURL();
    if (item != files_.item) {
        // A file on a share that does not answer must not hold the screen: its tag and cover are
        // read on a worker and shown when they come.
        files_ = {item, std::nullopt, {}};
        readingFiles_ = BackgroundJob::Start(
            this,
            [item, withCover = IsMusicMode()](const JobControl&) {
                return ReadNowPlayingFiles(item, withCover);
            },
            [this](NowPlayingFiles files) {
                files_ = std::move(files);
                ShowNowPlaying();
                sessions_.Announce();
            });
    }
    ShowNowPlaying();
    if (IsMusicMode()) {
        QueueNextSong();
        return;
    }
    // Opened again after a wait for its share: on from where it stopped.
    if (reopenAt_ >= 0 && item == WMP1->URL()) {
        RunReportingErrors([this] { WMP1->controls().setCurrentPosition(reopenAt_); });
        reopenAt_ = -1;
    }
    // A track mpv refuses is told; the item still goes on where it was left.
    RunReportingErrors([this] { tracks_->Apply(); });
    if (const auto resumedAt = resume_->ResumeOnce())
        Note->ShowText(PlaybackResume::ResumeNote(*resumedAt), ScreenNote::Size::Note,
                       kResumeNoteMs);
}

void TPlayer_Form::ShowNowPlaying() {
    MediaItem& item = WMP1->currentMedia();
    const QByteArray source = item.sourceURL();
    infoCaption_ = NowPlayingCaption(source, item.metadata(),
                                     source == files_.item ? files_.tag : std::nullopt);
    Info->setText(LabelText(infoCaption_));
    if (IsMusicMode())
        ShowCover();
}

NowPlayingTags TPlayer_Form::NowPlaying(const QByteArray& item) const {
    return NowPlayingTagsOf(item, item == files_.item ? files_.tag : std::nullopt);
}

QImage TPlayer_Form::CoverPicture() const {
    const QImage embedded = WMP1->currentMedia().embeddedPicture();
    return embedded.isNull() ? files_.folderCover : embedded;
}

void TPlayer_Form::ShowCover() {
    if (coverBox_.isEmpty())
        return; // not laid out yet: the next media change shows it
    const QImage picture = CoverPicture();
    const QRect place = CoverPictureRect(picture.size(), coverBox_);
    Cover->setVisible(!place.isEmpty());
    QRect caption = Info->geometry();
    if (place.isEmpty()) {
        Cover->clear();
        caption.setRight(coverBox_.right());
    } else {
        Cover->setGeometry(place);
        Cover->setPixmap(QPixmap::fromImage(
            picture.scaled(place.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
        // The caption wraps one margin (its own left edge) before the cover, never under it.
        caption.setRight(coverBox_.left() - caption.left() - 1);
    }
    Info->setGeometry(caption);
}

void TPlayer_Form::ShowIndicator(const QString& text) {
    Note->ShowText(text, ScreenNote::Size::Indicator, kIndicatorMs);
}

void TPlayer_Form::Stop() {
    EndWaiting();
    CancelCountdown();
    if (!IsMusicMode())
        resume_->KeepPosition();
    WMP1->controls().stop();
}

void TPlayer_Form::Previous() {
    LeaveItem();
    if (!resume_->StartOver() && !StepToNeighbour(-1))
        WMP1->controls().previous();
    ShowTimes(0);
}

void TPlayer_Form::Next() {
    LeaveItem();
    if (!StepToNeighbour(1))
        WMP1->controls().next();
    ShowTimes(0);
}

bool TPlayer_Form::PlaysOnThroughTheFolder() const {
    return ReadSetting(store_, CategorySchema(IsMusicMode() ? 2 : 1).continueFolder);
}

qsizetype TPlayer_Form::NeighbourIndex() {
    const qsizetype playing = neighbours.indexOf(WMP1->currentMedia().sourceURL());
    return playing >= 0 ? playing : neighbours.indexOf(WMP1->URL());
}

void TPlayer_Form::QueueNextSong() {
    // Queued again at every media change: opening a file anew empties mpv's playlist.
    const qsizetype at = NeighbourIndex();
    queuedSong_.clear();
    if (at < 0 || at + 1 >= neighbours.size() || !PlaysOnThroughTheFolder())
        return;
    try {
        WMP1->queueNext(neighbours[at + 1]);
        queuedSong_ = neighbours[at + 1];
    } catch (const AppError&) {
        // Opened when this one ends instead, with a gap.
    }
}

void TPlayer_Form::WMP1ItemEnded(const QByteArray& item) {
    if (!IsMusicMode())
        resume_->Ended();
    // Told by the item that ended: the player may be on the next one by now.
    const qsizetype at = neighbours.indexOf(item);
    // A playlist goes on by itself; the last file of the folder stays, as does any file while
    // the owner has turned this off.
    if (at < 0 || at + 1 >= neighbours.size() || !PlaysOnThroughTheFolder())
        return;
    if (IsMusicMode()) {
        // An album goes on at once: the queued song is already playing.
        if (queuedSong_ != neighbours[at + 1])
            StepToNeighbour(1);
        return;
    }
    countdown_ = kNextCountdownSeconds + 1;
    CountDown(++countdownRound_);
}

void TPlayer_Form::CountDown(unsigned round) {
    if (round != countdownRound_ || countdown_ <= 0)
        return;
    if (--countdown_ == 0) {
        Note->hide();
        RunReportingErrors([this] { StepToNeighbour(1); });
        return;
    }
    const QByteArray next = neighbours.value(NeighbourIndex() + 1);
    Note->ShowText(
        tr("Next: %1 (%2)").arg(GuessedText(MediaNameWithoutExtension(next))).arg(countdown_),
        ScreenNote::Size::Indicator, 0);
    clock_.CallAfter(std::chrono::seconds(1), this, [this, round] { CountDown(round); });
}

void TPlayer_Form::CancelCountdown() {
    if (countdown_ == 0)
        return;
    countdown_ = 0;
    ++countdownRound_;
    Note->hide();
}

void TPlayer_Form::WMP1ItemCutShort(const QByteArray& item, double position) {
    // A playlist has gone on to its next entry by itself.
    if (item != WMP1->URL() && !neighbours.contains(item))
        return;
    LeaveItem();
    if (!IsMusicMode())
        RunReportingErrors([&] { resume_->KeepPositionAt(item, position); });
    ShowWaitingFor(item);
    readable_->Wait(item, [this, item, position](bool atOnce) {
        WaitNote->hide();
        if (atOnce) {
            // Whole and readable: it was just shorter than it said.
            WMP1ItemEnded(item);
            return;
        }
        reopenAt_ = position;
        RunReportingErrors([&] { WMP1->setURL(item); });
    });
}

void TPlayer_Form::ShowWaitingFor(const QByteArray& item) {
    WaitNote->ShowText(WaitingForFolderOf(item), ScreenNote::Size::Indicator, 0);
}

void TPlayer_Form::EndWaiting() {
    readable_->Stop();
    reopenAt_ = -1;
    ++bufferingRound_;
    WaitNote->hide();
}

void TPlayer_Form::LeaveItem() {
    EndWaiting();
    CancelCountdown();
    ++jumpRound_;
    gatheredJump_ = 0;
}

bool TPlayer_Form::StepToNeighbour(int by) {
    const qsizetype at = NeighbourIndex();
    if (at < 0)
        return false; // a playlist, or a file on its own: the control steps
    const qsizetype to = at + by;
    // At the first or the last file of the folder the player stays where it is.
    if (to >= 0 && to < neighbours.size()) {
        if (!IsMusicMode())
            resume_->KeepPosition();
        WMP1->setURL(neighbours[to]);
    }
    return true;
}

void TPlayer_Form::ShowTimes(double position) {
    Times->ShowText(TimesText(position, WMP1->currentMedia().duration()), ScreenNote::Size::Times,
                    kTimesMs);
}

void TPlayer_Form::CycleTrack(TrackKind kind) {
    Note->ShowText(WMP1->cycleTrack(kind), ScreenNote::Size::Note, kTrackChoiceMs);
    if (!IsMusicMode())
        tracks_->Keep(kind == TrackKind::Subtitles);
}

void TPlayer_Form::UpdateScreenAwake() {
    // A control that cannot tell its state is not known to play: the screen may sleep.
    bool playing = false;
    const auto apply = qScopeGuard([&] { awake_.Set(playing); });
    playing = IsPlaying(*WMP1);
}

void TPlayer_Form::Sleep() {
    CancelCountdown();
    // Both steps are tried; what failed is told once the machine may sleep, as a message box
    // now would hold logind's lock until someone closed it.
    std::exception_ptr failure;
    try {
        if (!IsMusicMode())
            resume_->KeepPosition();
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        const int state = WMP1->playState();
        if (state != playstate::Stopped && state != playstate::Paused)
            WMP1->controls().pause();
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    if (failure)
        QMetaObject::invokeMethod(
            this, [failure] { RunReportingErrors([&] { std::rethrow_exception(failure); }); },
            Qt::QueuedConnection);
}

void TPlayer_Form::PlayPause() {
    const bool pausing = IsPlaying(*WMP1);
    if (pausing)
        WMP1->controls().pause();
    else
        WMP1->controls().play();
    ShowIndicator(PlayStateIndicator(pausing));
}

void TPlayer_Form::FastForward() {
    Jump(true);
}
void TPlayer_Form::FastReverse() {
    Jump(false);
}

void TPlayer_Form::Jump(bool forward) {
    MediaControls& controls = WMP1->controls();
    if (controls.isAvailable(forward ? QStringLiteral("FastForward")
                                     : QStringLiteral("FastReverse"))) {
        forward ? controls.fastForward() : controls.fastReverse();
        return;
    }
    gatheredJump_ += forward ? skipLength_ : -skipLength_;
    const double length = WMP1->currentMedia().duration();
    double target = std::max(0.0, controls.currentPosition() + gatheredJump_);
    if (length > 0)
        target = std::min(target, length);
    ShowTimes(target);
    const unsigned round = ++jumpRound_;
    clock_.CallAfter(kJumpGathering, this, [this, round] {
        if (round == jumpRound_)
            RunReportingErrors([this] { MakeGatheredJump(); });
    });
}

void TPlayer_Form::MakeGatheredJump() {
    // The control moves from where it is and keeps playing or paused as it was; it stops at the
    // item's start and end.
    const double by = std::exchange(gatheredJump_, 0);
    if (by != 0)
        WMP1->controls().seekBy(by);
}

void TPlayer_Form::VolumeUp() {
    MediaSettings& settings = WMP1->settings();
    const int volume = settings.volume();
    if (volume < 100)
        settings.setVolume(volume + 1);
    ShowIndicator(VolumeIndicator(settings.volume()));
}

void TPlayer_Form::VolumeDown() {
    MediaSettings& settings = WMP1->settings();
    const int volume = settings.volume();
    if (volume > 0)
        settings.setVolume(volume - 1);
    ShowIndicator(VolumeIndicator(settings.volume()));
}

void TPlayer_Form::ToggleMute() {
    MediaSettings& settings = WMP1->settings();
    settings.setMute(!settings.mute());
    ShowIndicator(MuteIndicator(settings.mute()));
}

void TPlayer_Form::ToggleProgress(bool fromRemote) {
    PB1->setVisible(PB1->isHidden());
    Realign();
    if (fromRemote)
        WMP1->setStretchToFit(true);
}

void TPlayer_Form::ToggleMode(int tag) {
    if (tag == kLoopTag) {
        loopFlag_ = !loopFlag_;
        PNL001->SetCaption(loopFlag_ ? tr("Loop[On]") : tr("Loop[Off]"));
        WMP1->settings().setMode(QStringLiteral("loop"), loopFlag_);
    } else if (tag == kShuffleTag) {
        shuffleFlag_ = !shuffleFlag_;
        PNL002->SetCaption(shuffleFlag_ ? tr("Shuffle[On]") : tr("Shuffle[Off]"));
        WMP1->settings().setMode(QStringLiteral("shuffle"), shuffleFlag_);
    }
}

void TPlayer_Form::SetSkipLength(int digit) {
    automaticSkip_ = digit == 0;
    if (automaticSkip_) {
        skipLength_ = 10;
        if (IsPlaying(*WMP1))
            skipLength_ = static_cast<int>(std::trunc(WMP1->currentMedia().duration() / 100));
    } else {
        skipLength_ = digit;
    }
    if (skipLength_ == 0)
        skipLength_ = 1;
}

std::unique_ptr<TPlayer_Form> CreatePlayerScreen(const QByteArray& path, int category,
                                                 const ScreenServices& services,
                                                 const QList<QByteArray>& neighbours) {
    auto form = std::make_unique<TPlayer_Form>(std::make_unique<MpvEngine>(), services);
    form->neighbours = neighbours;
    if (category == 1) {
        form->WMP1->show();
        form->WMP1->setStretchToFit(true);
        form->WMP1->setEnableContextMenu(false);
        form->MusicPanel->hide();
    } else {
        form->WMP1->hide();
        form->MusicPanel->show();
    }
    form->WMP1->setURL(path);
    return form;
}
