#include "fake_control.h"
#include "input/app_command.h"
#include "manual_clock.h"
#include "message_capture.h"
#include "platform/error.h"
#include "platform/media_session.h"
#include "platform/screen_awake.h"
#include "platform/timer.h"
#include "player/playback_notice.h"
#include "player/player_form.h"
#include "player/screen_note.h"
#include "settings/general.h"
#include "settings/refused_writes.h"
#include "settings/store.h"
#include "stall_shim.h"
#include "test_media.h"
#include "test_services.h"
#include "ui/panel.h"
#include "worker_waits.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
const ShiftState kCtrl{false, true, false};
const ShiftState kCtrlShift{true, true, false};

class PlayerFormTest : public ::testing::Test {
protected:
    PlayerFormTest()
        : control(new FakeEngine),
          form(new TPlayer_Form(std::unique_ptr<MediaEngine>(control), services.Screens())),
          log(control->log) {}
    ~PlayerFormTest() override { delete form.data(); }

    ManualClock clock;
    TestServices services{&clock};
    FakeEngine* control;
    QPointer<TPlayer_Form> form;
    std::shared_ptr<QStringList> log;
};

// ---- layout ----

struct LayoutCase {
    int width, height;
    QRect loop, shuffle, info;
    int font, bar;
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
    *out << c.width << "x" << c.height;
}

class PlayerLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PlayerLayoutTest, WorkedExamplesHold) {
    const LayoutCase& c = GetParam();
    const PlayerLayout layout = ComputePlayerLayout(c.width, c.height);
    EXPECT_EQ(layout.loopPanel, c.loop);
    EXPECT_EQ(layout.shufflePanel, c.shuffle);
    EXPECT_EQ(layout.info, c.info);
    EXPECT_EQ(layout.fontHeight, c.font);
    EXPECT_EQ(layout.progressHeight, c.bar);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, PlayerLayoutTest,
    ::testing::Values(LayoutCase{1920, 1080, QRect(864, 960, 480, 72), QRect(1392, 960, 480, 72),
                                 QRect(48, 48, 1824, 936), -60, 22},
                      LayoutCase{1024, 768, QRect(462, 695, 256, 48), QRect(743, 695, 256, 48),
                                 QRect(25, 25, 974, 693), -36, 16}));

TEST_F(PlayerFormTest, MusicModeShowLaysOutReadsSettingsAndPlays) {
    WriteSettingInt(TestStore(), 0, settingskey::Player, QStringLiteral("Volume"), 33);
    WriteSettingBool(TestStore(), 0, settingskey::Player, QStringLiteral("ShowProgress"), true);
    WriteSettingInt(TestStore(), 0, settingskey::Player, QStringLiteral("SkipSecond"), 4);
    form->setGeometry(QGuiApplication::primaryScreen()->geometry());
    form->MusicPanel->show();
    form->show();
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const PlayerLayout layout = ComputePlayerLayout(screen.width(), screen.height());
    EXPECT_TRUE(form->PNL001->isVisible());
    EXPECT_EQ(form->PNL001->geometry(), layout.loopPanel);
    EXPECT_EQ(form->PNL002->geometry(), layout.shufflePanel);
    EXPECT_EQ(form->Info->geometry(), layout.info);
    EXPECT_EQ(form->PB1->height(), layout.progressHeight);
    EXPECT_TRUE(form->PB1->isVisible());
    EXPECT_EQ(form->PNL001->Color(), kPanelSelectedColor);
    EXPECT_EQ(form->PNL002->Color(), kPanelUnselectedColor);
    EXPECT_EQ(control->level, 33);
    EXPECT_EQ(form->SkipLength(), 4);
    EXPECT_FALSE(form->AutomaticSkip());
    EXPECT_EQ(log->last(), QStringLiteral("play"));
    EXPECT_EQ(form->PNL001->Caption(), QStringLiteral("Loop [Off]"));
    // Loop and shuffle are left at the control's own defaults on show.
    EXPECT_FALSE(log->join(' ').contains(QStringLiteral("loop")));
}

// ---- key map ----

TEST_F(PlayerFormTest, LetterKeysActOnlyWithCtrl) {
    for (int key : {'B', 'F', 'I', 'P', 'S'}) {
        EXPECT_FALSE(form->PressKey(key)) << char(key);
        EXPECT_FALSE(form->PressKey(key, ShiftState{true, false, false})) << char(key);
    }
    EXPECT_TRUE(log->isEmpty());
    EXPECT_TRUE(form->PressKey('F', kCtrl));
    EXPECT_TRUE(form->PressKey('B', kCtrl));
    EXPECT_TRUE(form->PressKey('S', kCtrl));
    EXPECT_EQ(*log, (QStringList{"next", "previous", "stop"}));
}

TEST_F(PlayerFormTest, CtrlPPlaysOrPausesAndEndsAScan) {
    control->current = EngineState::Playing;
    EXPECT_TRUE(form->PressKey('P', kCtrl));
    control->current = EngineState::Scanning;
    EXPECT_TRUE(form->PressKey('P', kCtrl));
    EXPECT_EQ(*log, (QStringList{"pause", "play"}));
}

TEST_F(PlayerFormTest, VolumeStepsStopAtTheEndsAndMuteFlips) {
    control->level = 100;
    EXPECT_TRUE(form->PressKey(vk::F1 + 8)); // F9
    control->level = 0;
    EXPECT_TRUE(form->PressKey(vk::F1 + 9)); // F10
    EXPECT_TRUE(log->isEmpty());
    EXPECT_TRUE(form->PressKey(vk::F1 + 8));
    EXPECT_EQ(control->level, 1);
    EXPECT_TRUE(form->PressKey(vk::F1 + 7)); // F8
    EXPECT_TRUE(control->silent);
    form->WmAppCommand(appcommand::VolumeMute);
    EXPECT_FALSE(control->silent);
}

TEST_F(PlayerFormTest, EnterTogglesTheSelectedSwitchAndArrowsMoveBetweenThem) {
    EXPECT_FALSE(form->PressKey(vk::Left)); // already on the loop panel
    EXPECT_EQ(form->CurTag, 100);
    EXPECT_TRUE(form->PressKey(vk::Return));
    EXPECT_EQ(form->PNL001->Caption(), QStringLiteral("Loop[On]"));
    EXPECT_TRUE(form->PressKey(vk::Return));
    EXPECT_EQ(form->PNL001->Caption(), QStringLiteral("Loop[Off]"));
    EXPECT_FALSE(form->PressKey(vk::Right));
    EXPECT_EQ(form->CurTag, 200);
    EXPECT_EQ(form->PNL002->Color(), kPanelSelectedColor);
    EXPECT_EQ(form->PNL001->Color(), kPanelUnselectedColor);
    EXPECT_FALSE(form->PressKey(vk::Right)); // already on the shuffle panel
    EXPECT_EQ(form->CurTag, 200);
    EXPECT_TRUE(form->PressKey(vk::Return));
    EXPECT_EQ(form->PNL002->Caption(), QStringLiteral("Shuffle[On]"));
    EXPECT_EQ(*log, (QStringList{"loop 1", "loop 0", "shuffle 1"}));
}

TEST_F(PlayerFormTest, MouseOnASwitchSelectsItAndClickTogglesIt) {
    form->Panel_MouseDown(*form->PNL002);
    EXPECT_EQ(form->CurTag, 200);
    EXPECT_EQ(form->PNL002->Color(), kPanelSelectedColor);
    form->Panel_MouseUp(*form->PNL002);
    form->Panel_Click(*form->PNL002);
    EXPECT_EQ(form->PNL002->Caption(), QStringLiteral("Shuffle[On]"));
}

struct SkipCase {
    int key;
    EngineState state;
    double length;
    int skip;
    bool automatic;
};

void PrintTo(const SkipCase& c, std::ostream* out) {
    *out << "key 0x" << std::hex << c.key << std::dec << ", state " << int(c.state) << ", length "
         << c.length << (c.automatic ? ", automatic" : "");
}

class SkipLengthTest : public PlayerFormTest, public ::testing::WithParamInterface<SkipCase> {};

TEST_P(SkipLengthTest, DigitSetsTheSkipLength) {
    const SkipCase& c = GetParam();
    control->current = c.state;
    control->length = c.length;
    EXPECT_FALSE(form->PressKey(c.key)); // digits go on their normal way
    EXPECT_EQ(form->SkipLength(), c.skip);
    EXPECT_EQ(form->AutomaticSkip(), c.automatic);
}

INSTANTIATE_TEST_SUITE_P(
    Digits, SkipLengthTest,
    ::testing::Values(SkipCase{'0', EngineState::Idle, 0, 10, true},
                      SkipCase{'0', EngineState::Paused, 600, 10, true},
                      SkipCase{'0', EngineState::Playing, 30, 1, true},
                      SkipCase{'0', EngineState::Playing, 600, 6, true},
                      SkipCase{vk::Numpad0, EngineState::Playing, 1234, 12, true},
                      SkipCase{'7', EngineState::Playing, 600, 7, false},
                      SkipCase{vk::Numpad0 + 9, EngineState::Idle, 0, 9, false}));

// ---- jumps ----

TEST_F(PlayerFormTest, ScanningControlScansInsteadOfJumping) {
    control->scannable = true;
    EXPECT_TRUE(form->PressKey('F', kCtrlShift));
    EXPECT_EQ(*log, QStringList{"fastForward"});
}

TEST_F(PlayerFormTest, JumpsMoveBySkipLengthFromWhereTheControlIs) {
    form->SetSkipLength(5);
    control->current = EngineState::Playing;
    EXPECT_TRUE(form->PressKey('F', kCtrlShift));
    clock.Advance(TPlayer_Form::kJumpGathering);
    control->current = EngineState::Paused;
    form->FastForward();
    clock.Advance(TPlayer_Form::kJumpGathering);
    EXPECT_TRUE(form->PressKey('B', kCtrlShift));
    clock.Advance(TPlayer_Form::kJumpGathering);
    form->WmAppCommand(appcommand::Rewind);
    clock.Advance(TPlayer_Form::kJumpGathering);
    // Neither paused nor resumed around the move: the control keeps its state itself.
    EXPECT_EQ(*log, (QStringList{"seek by 5", "seek by 5", "seek by -5", "seek by -5"}));
}

TEST_F(PlayerFormTest, QuickJumpPressesAddUpToOneSeekWhoseTargetIsShownAtOnce) {
    form->resize(1920, 1080);
    form->show();
    log->clear();
    form->SetSkipLength(10);
    control->current = EngineState::Playing;
    control->at = 100;
    control->length = 2700;
    for (int press = 0; press < 3; ++press) {
        form->PressKey('F', kCtrlShift);
        clock.Advance(TPlayer_Form::kJumpGathering - std::chrono::milliseconds(1));
    }
    form->PressKey('B', kCtrlShift);
    EXPECT_TRUE(log->isEmpty()); // still gathering
    ASSERT_TRUE(form->Times->isVisible());
    EXPECT_EQ(form->Times->text(), QStringLiteral("0:02:00 / 0:45:00"));
    clock.Advance(TPlayer_Form::kJumpGathering);
    EXPECT_EQ(*log, QStringList{"seek by 20"});
    // Shown as the target even where the seek stops at the start.
    form->PressKey('B', kCtrlShift); // from 0:02:00, where the seek went
    form->PressKey('B', kCtrlShift);
    EXPECT_EQ(form->Times->text(), QStringLiteral("0:01:40 / 0:45:00"));
    control->at = 5;
    form->PressKey('B', kCtrlShift);
    EXPECT_EQ(form->Times->text(), QStringLiteral("0:00:00 / 0:45:00"));
}

TEST_F(PlayerFormTest, AFailedJumpIsReportedAndLaterJumpsWork) {
    MessageCapture messages;
    form->SetSkipLength(2);
    control->failSeeking = true;
    form->FastForward();
    clock.Advance(TPlayer_Form::kJumpGathering);
    EXPECT_EQ(messages.texts, QStringList{"seek failed"});
    control->failSeeking = false;
    form->FastForward();
    clock.Advance(TPlayer_Form::kJumpGathering);
    EXPECT_EQ(*log, QStringList{"seek by 2"});
}

TEST_F(PlayerFormTest, APauseStaysMarkedUntilPlayResumes) {
    form->resize(1920, 1080);
    form->show();
    control->current = EngineState::Paused;
    control->AnnounceState(); // paused from anywhere (the desktop, the remote)
    ASSERT_TRUE(form->PauseMark->isVisible());
    EXPECT_EQ(form->PauseMark->text(), QStringLiteral("Paused"));
    // Readable across the room, clear of the centre where the short indicators come and go.
    EXPECT_EQ(form->PauseMark->font().pixelSize(), 108);
    EXPECT_GT(form->PauseMark->x(), 1920 / 2);
    control->current = EngineState::Playing;
    control->AnnounceState();
    EXPECT_FALSE(form->PauseMark->isVisible());
}

TEST_F(PlayerFormTest, StepsAndCtrlIShowTheTimePlayedAndTheLength) {
    form->resize(1920, 1080);
    form->show();
    control->current = EngineState::Playing;
    control->at = 754;
    control->length = 2700;
    EXPECT_FALSE(form->Times->isVisible());
    form->PressKey('I', kCtrl);
    ASSERT_TRUE(form->Times->isVisible());
    EXPECT_EQ(form->Times->text(), QStringLiteral("0:12:34 / 0:45:00"));
    // Above the progress strip, at the right.
    EXPECT_LE(form->Times->geometry().bottom(), form->PB1->geometry().top());
    EXPECT_GT(form->Times->x(), 1920 / 2);
    form->Times->hide();
    form->WmAppCommand(appcommand::NextTrack);
    EXPECT_TRUE(form->Times->isVisible());
}

// ---- progress and media change ----

TEST_F(PlayerFormTest, ProgressFollowsThePositionOnlyWhenTheLengthIsKnown) {
    control->current = EngineState::Playing;
    form->PB1->setValue(7);
    control->AnnouncePosition();
    EXPECT_EQ(form->PB1->value(), 7);
    control->length = 200;
    control->at = 50.3;
    control->AnnouncePosition();
    EXPECT_EQ(form->PB1->value(), 251);
    control->current = EngineState::Buffering;
    control->at = 100;
    control->AnnounceState();
    EXPECT_EQ(form->PB1->value(), 251);
    // Nothing is read while nothing is announced.
    control->current = EngineState::Playing;
    QCoreApplication::processEvents();
    EXPECT_EQ(form->PB1->value(), 251);
}

TEST_F(PlayerFormTest, MediaChangeResetsTheBarSkipLengthAndCaption) {
    form->SetSkipLength(0);
    form->PB1->setValue(500);
    control->current = EngineState::Playing;
    control->length = 45;
    control->source = "/nowhere/Song.mp3";
    control->ChangeMedia();
    EXPECT_EQ(form->PB1->value(), 0);
    EXPECT_EQ(form->SkipLength(), 1);
    EXPECT_EQ(form->InfoCaption(), QStringLiteral("Song"));
    control->current = EngineState::Loading;
    control->ChangeMedia();
    EXPECT_EQ(form->SkipLength(), 10);
}

TEST_F(PlayerFormTest, FailedPlaylistItemsShowOverTheScreenReadablyAndThenGo) {
    MessageCapture boxes;
    form->setGeometry(QGuiApplication::primaryScreen()->geometry());
    form->show();
    ASSERT_TRUE(form->WMP1->OnItemFailure);
    control->SkipItem(QStringLiteral("\"/media/a.mp4\" cannot be played: unrecognized"));
    ASSERT_TRUE(form->Notice->isVisible());
    EXPECT_TRUE(form->rect().contains(form->Notice->geometry()));
    EXPECT_GE(form->Notice->fontInfo().pixelSize() * 40, form->height());
    EXPECT_EQ(form->Notice->text(),
              QStringLiteral("\"/media/a.mp4\" cannot be played: unrecognized"));
    // A run of failures keeps the newest few, each once.
    for (int i = 1; i <= 5; ++i)
        control->SkipItem(QStringLiteral("item %1").arg(i));
    control->SkipItem(QStringLiteral("item 4"));
    EXPECT_EQ(form->Notice->Lines(), (QStringList{"item 2", "item 3", "item 4", "item 5"}));
    EXPECT_EQ(form->Notice->text(), QStringLiteral("item 2\nitem 3\nitem 4\nitem 5"));
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_TRUE(WaitFor([&] { return form->Notice->isHidden(); },
                        PlaybackNotice::kShownMilliseconds + 5000));
    EXPECT_TRUE(form->Notice->Lines().isEmpty());
}

TEST_F(PlayerFormTest, ProgressToggleFromTheRemoteAlsoStretchesTheVideo) {
    form->resize(640, 480);
    EXPECT_TRUE(form->PressKey('I', kCtrl));
    EXPECT_FALSE(form->PB1->isHidden());
    EXPECT_EQ(form->WMP1->height(), 480 - form->PB1->height());
    EXPECT_FALSE(form->WMP1->stretchToFit());
    form->WmInput(RawInputMessage::FromReport(QByteArray::fromHex("03000002")));
    EXPECT_TRUE(form->PB1->isHidden());
    EXPECT_EQ(form->WMP1->height(), 480);
    EXPECT_TRUE(form->WMP1->stretchToFit());
}

TEST_F(PlayerFormTest, ApplicationCommandsFollowThePlayerTable) {
    for (int command : {appcommand::Play, 0x002E, appcommand::Pause, appcommand::NextTrack,
                        appcommand::PreviousTrack, appcommand::Stop, 0x100A, appcommand::ChannelUp})
        form->WmAppCommand(command);
    EXPECT_EQ(*log, (QStringList{"play", "pause", "next", "previous", "stop"}));
}

TEST_F(PlayerFormTest, ThePlayPauseButtonPausesWhilePlayingAndPlaysOtherwise) {
    control->current = EngineState::Playing;
    form->WmAppCommand(appcommand::PlayPause);
    control->current = EngineState::Paused;
    form->WmAppCommand(appcommand::PlayPause);
    control->current = EngineState::Idle;
    form->WmAppCommand(appcommand::PlayPause);
    EXPECT_EQ(*log, (QStringList{"pause", "play", "play"}));
}

// ---- closing ----

TEST_F(PlayerFormTest, CloseStopsPlaybackAndWritesTheSettings) {
    // Whatever a test before left in the store, the strip starts hidden here.
    WriteSettingBool(TestStore(), 0, settingskey::Player, QStringLiteral("ShowProgress"), false);
    form->show();
    control->level = 64;
    form->SetSkipLength(8);
    form->ToggleProgress(false);
    log->clear();
    EXPECT_TRUE(form->PressKey(vk::Escape));
    EXPECT_EQ(*log, QStringList{"stop"});
    // Closed, the screen no longer listens to the control.
    control->current = EngineState::Playing;
    control->AnnounceState();
    EXPECT_FALSE(services.awake.AnyHeld());
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, settingskey::Player, QStringLiteral("Volume"), -1),
              64);
    EXPECT_TRUE(ReadSettingBool(TestStore(), 0, settingskey::Player, QStringLiteral("ShowProgress"),
                                false));
    EXPECT_FALSE(
        ReadSettingBool(TestStore(), 0, settingskey::Player, QStringLiteral("SkipFlg"), true));
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, settingskey::Player, QStringLiteral("SkipSecond"), -1),
              8);
}

// Another program holds the settings file as the owner closes the player.
TEST_F(PlayerFormTest, ALockedStoreNeitherKeepsPlaybackGoingNorLosesThePreferences) {
    form->show();
    control->current = EngineState::Playing;
    control->level = 33;
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(TestStore().DatabasePath()).constData(), &other),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    MessageCapture messages;
    log->clear();
    EXPECT_NO_THROW(form->PressKey(vk::Escape));
    EXPECT_EQ(*log, QStringList{"stop"});
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(messages.texts.isEmpty());
    clock.Advance(std::chrono::milliseconds(0));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_THAT(messages.texts[0].toStdString(),
                ::testing::HasSubstr(
                    "Not saved: ShowProgress, SkipFlg, SkipSecond, Volume (another program "
                    "is using the settings file)."));
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, settingskey::Player, QStringLiteral("Volume"), -1),
              33);
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    clock.Advance(RefusedWrites::kRetry);
    EXPECT_FALSE(TestStore().HoldsWrites());
    EXPECT_EQ(messages.texts.size(), 1);
}

TEST_F(PlayerFormTest, ControlThatNeverStopsCannotHoldTheScreenOpen) {
    form->show();
    control->current = EngineState::Playing;
    control->stopNeverEnds = true;
    log->clear();
    EXPECT_TRUE(form->PressKey(vk::Delete));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(log->count(QStringLiteral("stop")), 1);
}

TEST_F(PlayerFormTest, ClosingWhilePausedDoesNotStop) {
    form->show();
    control->current = EngineState::Paused;
    control->level = 21;
    log->clear();
    form->PressKey(vk::Escape);
    EXPECT_FALSE(log->contains(QStringLiteral("stop")));
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, settingskey::Player, QStringLiteral("Volume"), -1),
              21);
}
} // namespace

// ---- the desktop: screen kept awake, the media session ----

TEST_F(PlayerFormTest, ScreenStaysAwakeOnlyWhilePlaying) {
    form->show();
    EXPECT_TRUE(services.awake.AnyHeld());
    form->PlayPause();
    control->AnnounceState();
    EXPECT_FALSE(services.awake.AnyHeld()) << "paused";
    form->WmAppCommand(appcommand::Play);
    control->AnnounceState();
    EXPECT_TRUE(services.awake.AnyHeld());
    // The engine gone or stopped under the screen: the next look lets the screen sleep.
    control->current = EngineState::Idle;
    control->AnnounceState();
    EXPECT_FALSE(services.awake.AnyHeld()) << "stopped";
    control->current = EngineState::Playing;
    control->AnnounceState();
    EXPECT_TRUE(services.awake.AnyHeld());
    control->failState = true;
    EXPECT_THROW(control->AnnounceState(), AppError);
    EXPECT_FALSE(services.awake.AnyHeld()) << "state unreadable";
    control->failState = false;
    control->AnnounceState();
    form->close();
    EXPECT_FALSE(services.awake.AnyHeld()) << "closed";
}

TEST_F(PlayerFormTest, DestroyedWhilePlayingReleasesTheScreen) {
    form->show();
    EXPECT_TRUE(services.awake.AnyHeld());
    delete form.data();
    EXPECT_FALSE(services.awake.AnyHeld());
    EXPECT_EQ(services.sessions.Top(), nullptr);
}

struct SessionCommandCase {
    const char* name;
    std::function<void(MediaSession&)> command;
    const char* logged;
};
// Names the case in test names and failure messages.
void PrintTo(const SessionCommandCase& c, std::ostream* out) {
    *out << c.name;
}

class PlayerSessionCommandTest : public PlayerFormTest,
                                 public ::testing::WithParamInterface<SessionCommandCase> {};

TEST_P(PlayerSessionCommandTest, RunsWhatTheKeysRun) {
    control->at = 4;
    control->length = 10;
    form->show();
    log->clear();
    MediaSession* session = services.sessions.Top();
    ASSERT_NE(session, nullptr);
    GetParam().command(*session);
    EXPECT_EQ(log->join(QLatin1Char(',')), QLatin1String(GetParam().logged));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, PlayerSessionCommandTest,
    ::testing::Values(
        SessionCommandCase{"PlayPauseWhilePlayingPauses", [](MediaSession& s) { s.PlayPause(); },
                           "pause"},
        SessionCommandCase{"Play", [](MediaSession& s) { s.Play(); }, "play"},
        SessionCommandCase{"Pause", [](MediaSession& s) { s.Pause(); }, "pause"},
        SessionCommandCase{"Stop", [](MediaSession& s) { s.Stop(); }, "stop"},
        SessionCommandCase{"Next", [](MediaSession& s) { s.Next(); }, "next"},
        SessionCommandCase{"Previous", [](MediaSession& s) { s.Previous(); }, "previous"},
        SessionCommandCase{"SeekForward", [](MediaSession& s) { s.SeekBy(2'500'000); },
                           "position 6.5"},
        SessionCommandCase{"SeekBackBeforeTheStartGoesToTheStart",
                           [](MediaSession& s) { s.SeekBy(-9'000'000); }, "position 0"},
        SessionCommandCase{"SeekPastTheEndGoesToTheNextItem",
                           [](MediaSession& s) { s.SeekBy(7'000'000); }, "next"},
        SessionCommandCase{"SeekTo", [](MediaSession& s) { s.SeekTo(1'250'000); }, "position 1.25"},
        SessionCommandCase{"Volume", [](MediaSession& s) { s.SetVolume(0.254); }, "volume 25"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlayerFormTest, SessionStateShowsTheItemWithItsTags) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("alpha.mp3")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, 10, "Alpha Tone");
    tag.replace(33, 9, "Couchfram");
    tag.replace(63, 5, "Tones");
    file.write(QByteArray(200, 'x') + tag);
    file.close();
    control->source = QFile::encodeName(file.fileName());
    control->length = 3;
    control->at = 1.5;
    WriteSettingInt(TestStore(), 0, settingskey::Player, QStringLiteral("Volume"), 40);
    form->show();
    control->ChangeMedia();
    // The tag is read on a worker; the desktop is told again once it is there.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return services.sessions.Top()->State().title == QStringLiteral("Alpha Tone"); },
        30000));
    const MediaSessionState state = services.sessions.Top()->State();
    EXPECT_EQ(state.status, MediaSessionState::Status::Playing);
    EXPECT_EQ(state.title, "Alpha Tone");
    EXPECT_EQ(state.artists, QStringList{"Couchfram"});
    EXPECT_EQ(state.album, "Tones");
    EXPECT_EQ(state.url, QUrl::fromLocalFile(file.fileName()).toString());
    EXPECT_EQ(state.lengthUs, 3'000'000);
    EXPECT_EQ(state.positionUs, 1'500'000);
    EXPECT_DOUBLE_EQ(state.volume, 0.4);
    EXPECT_TRUE(state.canSeek);
    // A name that is no text keeps its bytes in the URL and shows readably as the title.
    control->source = "/nowhere/\x82\xA0 #1.mp3";
    const MediaSessionState bytes = services.sessions.Top()->State();
    EXPECT_EQ(bytes.url, QStringLiteral("file:///nowhere/%82%A0%20%231.mp3"));
    EXPECT_EQ(bytes.title, QString::fromUtf8("\xE3\x81\x82 #1"));
    // A control that cannot answer shows as stopped rather than breaking the desktop's look.
    control->failState = true;
    EXPECT_EQ(services.sessions.Top()->State().status, MediaSessionState::Status::Stopped);
    control->failState = false;
}

// Enter on a song whose share has stopped answering: the caption, the cover search and what the
// desktop is told never wait for the share.
TEST_F(PlayerFormTest, AStalledShareHoldsNeitherTheCaptionNorTheDesktop) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("alpha.mp3"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, 10, "Alpha Tone");
    file.write(QByteArray(200, 'x') + tag);
    file.close();
    stall_shim_hold(QFile::encodeName(dir.path()).constData());
    control->source = QFile::encodeName(path);
    control->current = EngineState::Playing;
    form->MusicPanel->show();
    form->show();
    control->ChangeMedia();
    ASSERT_EQ(stall_shim_wait_for_stalled(1, 30000), 1);
    // Answered at once, from the name.
    EXPECT_EQ(services.sessions.Top()->State().title, QStringLiteral("alpha"));
    EXPECT_TRUE(form->InfoCaption().startsWith(QStringLiteral("alpha")))
        << form->InfoCaption().toStdString();
    stall_shim_release();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return services.sessions.Top()->State().title == QStringLiteral("Alpha Tone"); },
        30000));
    EXPECT_TRUE(form->InfoCaption().startsWith(QStringLiteral("Alpha Tone")));
    EXPECT_TRUE(WaitForWorkersToEnd());
}

// A file chosen in a folder list: Next and Previous, from the keys, the remote or the desktop,
// step through the other files of its folder and stay at the ends.
TEST_F(PlayerFormTest, NextAndPreviousStepThroughTheFolderOfASingleFile) {
    form->neighbours = {"/films/ep 1.mkv", "/films/ep 2.mkv", "/films/ep 10.mkv"};
    form->WMP1->setURL("/films/ep 2.mkv");
    form->show(); // the desktop's session is there while the screen is
    form->PressKey('F', kCtrl);
    EXPECT_EQ(control->opened, QByteArray("/films/ep 10.mkv"));
    form->WmAppCommand(appcommand::NextTrack); // the last one: stays
    EXPECT_EQ(control->opened, QByteArray("/films/ep 10.mkv"));
    services.sessions.Top()->Previous();
    EXPECT_EQ(control->opened, QByteArray("/films/ep 2.mkv"));
    form->PressKey('B', kCtrl);
    EXPECT_EQ(control->opened, QByteArray("/films/ep 1.mkv"));
    form->PressKey('B', kCtrl); // the first one: stays
    EXPECT_EQ(control->opened, QByteArray("/films/ep 1.mkv"));
    EXPECT_FALSE(log->contains(QStringLiteral("next")) ||
                 log->contains(QStringLiteral("previous")));

    // A playlist steps through its own entries as before.
    form->WMP1->setURL("/tmp/couchframe.wpl");
    form->PressKey('F', kCtrl);
    EXPECT_TRUE(log->contains(QStringLiteral("next")));
}

// The end of a file chosen in a folder list: the next film after a notice counting down, the next
// song at once; the last file, a playlist, or the owner's "no" leave the player where it is.
class ContinueTest : public PlayerFormTest {
protected:
    void SetUp() override {
        form->neighbours = {"/films/ep 1.mkv", "/films/ep 2.mkv", "/films/ep 10.mkv"};
        form->resize(1920, 1080);
        form->MusicPanel->hide();
        form->show();
        Open("/films/ep 2.mkv");
    }
    void TearDown() override { EraseSettingKey(TestStore(), 0, CategorySchema(1).keyPath); }
    void Open(const QByteArray& file) {
        form->WMP1->setURL(file);
        control->source = file;
        control->ChangeMedia();
    }
};

TEST_F(ContinueTest, TheNextFilmFollowsAfterFiveSecondsOfNotice) {
    control->EndItem();
    ASSERT_TRUE(form->Note->isVisible());
    EXPECT_EQ(form->Note->text(), QStringLiteral("Next: ep 10 (5)"));
    clock.Advance(std::chrono::seconds(1));
    EXPECT_EQ(form->Note->text(), QStringLiteral("Next: ep 10 (4)"));
    clock.Advance(std::chrono::seconds(3));
    EXPECT_EQ(control->opened, QByteArray("/films/ep 2.mkv"));
    clock.Advance(std::chrono::seconds(1));
    EXPECT_EQ(control->opened, QByteArray("/films/ep 10.mkv"));
    EXPECT_FALSE(form->Note->isVisible());
    // The last film of the folder: the player stays on it.
    Open("/films/ep 10.mkv");
    control->EndItem();
    EXPECT_FALSE(form->CountingDown());
}

TEST_F(ContinueTest, EscBackAndStopCancelEnterAndNextStartAtOnce) {
    control->EndItem();
    EXPECT_TRUE(form->PressKey(vk::Escape)); // Back arrives as Esc
    EXPECT_TRUE(form->isVisible());          // the player stays on the ended film
    clock.Advance(std::chrono::seconds(10));
    EXPECT_EQ(control->opened, QByteArray("/films/ep 2.mkv"));
    EXPECT_FALSE(form->Note->isVisible());

    control->EndItem();
    form->WmAppCommand(appcommand::Stop);
    clock.Advance(std::chrono::seconds(10));
    EXPECT_EQ(control->opened, QByteArray("/films/ep 2.mkv"));

    control->EndItem();
    EXPECT_TRUE(form->PressKey(vk::Return));
    EXPECT_EQ(control->opened, QByteArray("/films/ep 10.mkv"));
    EXPECT_FALSE(form->CountingDown());

    Open("/films/ep 1.mkv");
    control->EndItem();
    form->WmAppCommand(appcommand::NextTrack);
    EXPECT_EQ(control->opened, QByteArray("/films/ep 2.mkv"));
    clock.Advance(std::chrono::seconds(10));
    EXPECT_EQ(control->opened, QByteArray("/films/ep 2.mkv")); // counted down no more
}

TEST_F(ContinueTest, TheNextSongIsQueuedForAGaplessAlbumAndTheOwnerMayTurnItOff) {
    form->WMP1->hide();
    form->MusicPanel->show();
    Open("/films/ep 1.mkv");
    EXPECT_EQ(control->queued, QByteArray("/films/ep 2.mkv"));
    // The engine goes on by itself; the screen opens nothing and queues the one after.
    control->EndItem();
    control->source = "/films/ep 2.mkv";
    control->ChangeMedia();
    EXPECT_EQ(control->opened, QByteArray("/films/ep 1.mkv"));
    EXPECT_EQ(control->queued, QByteArray("/films/ep 10.mkv"));
    // Next steps from the song playing, not from the file the player was given.
    form->WmAppCommand(appcommand::NextTrack);
    EXPECT_EQ(control->opened, QByteArray("/films/ep 10.mkv"));

    // A song that cannot be queued is opened when the one before ends.
    control->failQueueing = true;
    Open("/films/ep 2.mkv");
    control->EndItem();
    EXPECT_EQ(control->opened, QByteArray("/films/ep 10.mkv"));
    control->failQueueing = false;

    WriteSetting(TestStore(), CategorySchema(1).continueFolder, false);
    form->MusicPanel->hide();
    Open("/films/ep 1.mkv");
    control->EndItem();
    EXPECT_FALSE(form->CountingDown());
    clock.Advance(std::chrono::seconds(10));
    EXPECT_EQ(control->opened, QByteArray("/films/ep 1.mkv"));
}
