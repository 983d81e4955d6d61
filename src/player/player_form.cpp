#include "player/player_form.h"

#include "app/panel.h"
#include "gradient/pgra112.h"
#include "input/app_command.h"
#include "platform/fonts.h"
#include "platform/image_widget.h"
#include "platform/modal.h"
#include "platform/timer.h"
#include "player/media_player_control.h"
#include "player/mpv_media_player.h"
#include "player/now_playing.h"
#include "player/playback_notice.h"
#include "settings/general.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>

#include <cmath>
#include <exception>

namespace {
constexpr int kLoopTag = 100;
constexpr int kShuffleTag = 200;
constexpr StoredColor kSwitchFontColor = 0xC0C0C0;
constexpr StoredColor kProgressBarColor = 0x00FF00;
// A control that keeps answering "playing" to stop must not hold the screen open.
constexpr int kStopAttempts = 5;
const QString kVolume = QStringLiteral("Volume");
const QString kShowProgress = QStringLiteral("ShowProgress");
const QString kSkipFlg = QStringLiteral("SkipFlg");
const QString kSkipSecond = QStringLiteral("SkipSecond");

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
                        12 - panelHeight, height / 48};
}

TPlayer_Form::TPlayer_Form(MediaPlayerControl* control, QWidget* parent) : Form(parent) {
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    WMP1 = control ? control : new MpvMediaPlayer();
    WMP1->setParent(this);
    WMP1->OnMediaChange = [this] { WMP1MediaChange(); };

    MusicPanel = new QWidget(this);
    MusicPanel->setAutoFillBackground(true);
    MusicPanel->setPalette(black);
    Image1 = new ImageWidget(MusicPanel);
    Info = new QLabel(MusicPanel);
    Info->setTextFormat(Qt::PlainText);
    Info->setWordWrap(true);
    Info->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Info->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    Info->setFont(ScreenFont(-12, true));
    PNL001 = MakeSwitchPanel(MusicPanel, kLoopTag, QStringLiteral("Loop [Off]"));
    PNL002 = MakeSwitchPanel(MusicPanel, kShuffleTag, QStringLiteral("Shuffle [Off]"));
    for (Panel* panel : {PNL001, PNL002}) {
        panel->onMouseDown = [this](Panel& p) { Panel_MouseDown(p); };
        panel->onMouseUp = [this](Panel& p) { Panel_MouseUp(p); };
        panel->onClick = [this](Panel& p) { Panel_Click(p); };
    }

    PB1 = new QProgressBar(this);
    PB1->setRange(0, 1000);
    PB1->setTextVisible(false);
    PB1->hide();

    PG1 = new TPGradation(this);
    PG1->SetTargetImage(Image1);
    PG1->SetEndColor(clGradientActiveCaption);
    PG1->SetDelay(3);
    PG1->SetGradationMode(mdVertical);

    Timer1 = new Timer(this);
    Timer1->setInterval(500);
    Timer1->onTimer = [this] { Timer1Timer(); };
    Timer1->setEnabled(true);

    Notice = new PlaybackNotice(this);
    WMP1->OnItemFailure = [this](const QString& message) { Notice->Show(message); };

    FormCreate();
}

TPlayer_Form::~TPlayer_Form() {
    // The control outlives nothing it calls back into.
    WMP1->OnMediaChange = nullptr;
    WMP1->OnItemFailure = nullptr;
}

void TPlayer_Form::FormCreate() {
    prevTag_ = 101;
    curTag_ = kLoopTag;
    loopFlag_ = false;
    shuffleFlag_ = false;
}

bool TPlayer_Form::IsMusicMode() const {
    return !MusicPanel->isHidden();
}

void TPlayer_Form::Realign() {
    const int barHeight = PB1->isHidden() ? 0 : PB1->height();
    PB1->setGeometry(0, height() - PB1->height(), width(), PB1->height());
    const QRect client(0, 0, width(), height() - barHeight);
    WMP1->setGeometry(client);
    MusicPanel->setGeometry(client);
    Image1->setGeometry(MusicPanel->rect());
}

void TPlayer_Form::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    Realign();
}

void TPlayer_Form::FormShow() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->geometry().size() : this->size();
    const PlayerLayout layout = ComputePlayerLayout(size.width(), size.height());
    Realign();
    if (IsMusicMode()) {
        for (Panel* panel : {PNL001, PNL002})
            panel->show();
        PNL001->setGeometry(layout.loopPanel);
        PNL002->setGeometry(layout.shufflePanel);
        const QFont font = ScreenFont(layout.fontHeight, true);
        PNL001->setFont(font);
        PNL002->setFont(font);
        Info->setFont(font);
        Info->clear();
        infoCaption_.clear();
        Info->setGeometry(layout.info);
        PG1->Paint();
        HighlightPanel(MusicPanel, prevTag_, curTag_);
    }
    PB1->setFixedHeight(layout.progressHeight);
    PB1->setVisible(ReadSettingBool(0, settingskey::Player, kShowProgress, false));
    PB1->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: %1; }")
                           .arg(ToQColor(kProgressBarColor).name()));
    Realign();
    WMP1->settings().setVolume(ReadSettingInt(0, settingskey::Player, kVolume, 80));
    automaticSkip_ = ReadSettingBool(0, settingskey::Player, kSkipFlg, false);
    skipLength_ = ReadSettingInt(0, settingskey::Player, kSkipSecond, 2);
    WMP1->setFocusPolicy(Qt::NoFocus);
    WMP1->controls().play();
}

void TPlayer_Form::FormKeyDown(int& key, ShiftState shift) {
    prevTag_ = curTag_;
    auto consume = [&key] { key = 0; };
    switch (key) {
    case vk::Return:
        ToggleMode(curTag_);
        consume();
        break;
    case vk::Escape:
    case vk::Delete:
        close();
        consume();
        break;
    case vk::Left:
        if (curTag_ / 100 > 1)
            curTag_ -= 100;
        break;
    case vk::Right:
        if (curTag_ / 100 < 2)
            curTag_ += 100;
        break;
    case 'B':
    case 'F':
        if (shift.ctrl) {
            const bool forward = key == 'F';
            if (shift.shift)
                forward ? FastForward() : FastReverse();
            else
                forward ? WMP1->controls().next() : WMP1->controls().previous();
            consume();
        }
        break;
    case 'I':
    case 'P':
    case 'S':
        if (shift.ctrl) {
            if (key == 'I')
                ToggleProgress(false);
            else if (key == 'P')
                PlayPause();
            else
                WMP1->controls().stop();
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
    HighlightPanel(MusicPanel, prevTag_, curTag_);
}

void TPlayer_Form::FormClose() {
    Timer1->setEnabled(false);
    // The screen's own preferences are kept even when the control fails to stop.
    std::exception_ptr failure;
    try {
        for (int attempt = 0; attempt < kStopAttempts && IsPlaying(*WMP1); ++attempt)
            WMP1->controls().stop();
    } catch (...) {
        failure = std::current_exception();
    }
    WriteSettingBool(0, settingskey::Player, kShowProgress, !PB1->isHidden());
    WriteSettingBool(0, settingskey::Player, kSkipFlg, automaticSkip_);
    WriteSettingInt(0, settingskey::Player, kSkipSecond, skipLength_);
    WriteSettingInt(0, settingskey::Player, kVolume, WMP1->settings().volume());
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
        controls.next();
        break;
    case appcommand::PreviousTrack:
        controls.previous();
        break;
    case appcommand::Stop:
        controls.stop();
        break;
    case appcommand::Play:
        controls.play();
        break;
    case appcommand::Pause:
        controls.pause();
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

void TPlayer_Form::Panel_MouseDown(Panel& panel) {
    prevTag_ = curTag_;
    const int tag = PressPanel(panel);
    if (tag >= 100) {
        curTag_ = tag;
        HighlightPanel(MusicPanel, prevTag_, tag);
    }
}

void TPlayer_Form::Panel_MouseUp(Panel& panel) {
    const int tag = ReleasePanel(panel);
    if (tag >= 100)
        curTag_ = tag;
}

void TPlayer_Form::Timer1Timer() {
    if (!IsSettled(WMP1->playState()))
        return;
    const double length = WMP1->currentMedia().duration();
    if (length != 0)
        PB1->setValue(
            static_cast<int>(std::trunc(WMP1->controls().currentPosition() * 1000 / length)));
}

void TPlayer_Form::WMP1MediaChange() {
    PB1->setValue(0);
    if (automaticSkip_) {
        skipLength_ = 10;
        if (IsSettled(WMP1->playState()))
            skipLength_ = static_cast<int>(std::trunc(WMP1->currentMedia().duration() / 100));
        if (skipLength_ == 0)
            skipLength_ = 1;
    }
    infoCaption_ = NowPlayingCaption(WMP1->currentMedia().sourceURL());
    Info->setText(LabelText(infoCaption_));
}

void TPlayer_Form::PlayPause() {
    if (IsPlaying(*WMP1))
        WMP1->controls().pause();
    else
        WMP1->controls().play();
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
    if (seekBusy_)
        return;
    // Read before the flag is set: a failing read must not leave every later jump blocked.
    const bool wasPlaying = IsPlaying(*WMP1);
    seekBusy_ = true;
    // Pending messages may close and destroy the screen; nothing of it is touched after that.
    const QPointer<TPlayer_Form> alive(this);
    auto letMessagesRun = [&alive] {
        QCoreApplication::processEvents();
        return !alive.isNull();
    };
    auto resume = [&] {
        std::exception_ptr failure;
        if (wasPlaying) {
            try {
                controls.play();
            } catch (...) {
                failure = std::current_exception();
            }
        }
        if (letMessagesRun())
            seekBusy_ = false;
        if (failure)
            std::rethrow_exception(failure);
    };
    try {
        if (!letMessagesRun())
            return;
        if (wasPlaying)
            controls.pause();
        if (!letMessagesRun())
            return;
        const double position = controls.currentPosition();
        if (forward) {
            const double length = WMP1->currentMedia().duration();
            controls.setCurrentPosition(length >= position ? position + skipLength_ : length);
        } else {
            controls.setCurrentPosition(position >= 1.0 ? position - skipLength_ : 0);
        }
        if (!letMessagesRun())
            return;
    } catch (...) {
        if (alive)
            resume();
        throw;
    }
    resume();
}

void TPlayer_Form::VolumeUp() {
    MediaSettings& settings = WMP1->settings();
    const int volume = settings.volume();
    if (volume < 100)
        settings.setVolume(volume + 1);
}

void TPlayer_Form::VolumeDown() {
    MediaSettings& settings = WMP1->settings();
    const int volume = settings.volume();
    if (volume > 0)
        settings.setVolume(volume - 1);
}

void TPlayer_Form::ToggleMute() {
    MediaSettings& settings = WMP1->settings();
    settings.setMute(!settings.mute());
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
        PNL001->SetCaption(loopFlag_ ? QStringLiteral("Loop[On]") : QStringLiteral("Loop[Off]"));
        WMP1->settings().setMode(QStringLiteral("loop"), loopFlag_);
    } else if (tag == kShuffleTag) {
        shuffleFlag_ = !shuffleFlag_;
        PNL002->SetCaption(shuffleFlag_ ? QStringLiteral("Shuffle[On]")
                                        : QStringLiteral("Shuffle[Off]"));
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

std::unique_ptr<TPlayer_Form> CreatePlayerScreen(const QString& path, int category) {
    auto form = std::make_unique<TPlayer_Form>();
    form->PlaceFullScreen();
    if (category == 1) {
        form->WMP1->show();
        form->WMP1->setGeometry(form->rect());
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

void ShowPlayer(const QString& path, int category) {
    // Destroyed when its modal run returns, on every way out, unless something destroyed it
    // already.
    QPointer<TPlayer_Form> form = CreatePlayerScreen(path, category).release();
    struct Destroy {
        QPointer<TPlayer_Form>& form;
        ~Destroy() { delete form.data(); }
    } destroy{form};
    ExecModal(*form);
}
