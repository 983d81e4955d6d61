#include "input/app_command.h"
#include "input/input_router.h"
#include "input/key_repeat.h"
#include "input/remote_report.h"
#include "manual_clock.h"
#include "recording_forms.h"
#include "ui/screen_stack.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
using Kind = DuplicateFilter::Kind;

TEST(DuplicateFilter, DropsThePressSeenOnAnotherPathJustBefore) {
    DuplicateFilter filter;
    EXPECT_TRUE(filter.Admit(Kind::Report, report::Video, InputPath::EventDevice, 1000));
    EXPECT_FALSE(filter.Admit(Kind::Report, report::Video, InputPath::DisplayServer, 1010));
    EXPECT_FALSE(filter.Admit(Kind::Report, report::Video, InputPath::HidRaw, 1020));
}

TEST(DuplicateFilter, PassesRepeatsOnOnePath) {
    DuplicateFilter filter;
    for (qint64 t : {0, 40, 80, 120})
        EXPECT_TRUE(filter.Admit(Kind::Command, appcommand::NextTrack, InputPath::EventDevice, t));
    // While the button is held on both paths, one path's stream goes through.
    EXPECT_FALSE(filter.Admit(Kind::Command, appcommand::NextTrack, InputPath::DisplayServer, 130));
}

TEST(DuplicateFilter, PassesOtherInputAndLaterPresses) {
    DuplicateFilter filter;
    EXPECT_TRUE(filter.Admit(Kind::Report, report::Video, InputPath::EventDevice, 0));
    EXPECT_TRUE(filter.Admit(Kind::Report, report::Music, InputPath::DisplayServer, 5));
    EXPECT_TRUE(filter.Admit(Kind::Command, int(report::Video), InputPath::DisplayServer, 5));
    EXPECT_TRUE(filter.Admit(Kind::Report, report::Video, InputPath::DisplayServer,
                             DuplicateFilter::kWindowMs + 1));
}

TEST(DuplicateFilter, PlayPauseFromTheDisplayServerIsTheRemotesPlayKey) {
    DuplicateFilter filter;
    EXPECT_TRUE(filter.Admit(Kind::Command, appcommand::Play, InputPath::EventDevice, 0));
    EXPECT_FALSE(filter.Admit(Kind::Command, appcommand::PlayPause, InputPath::DisplayServer, 30));
    // Pause is another button.
    EXPECT_TRUE(filter.Admit(Kind::Command, appcommand::Pause, InputPath::DisplayServer, 40));
}

class InputRouterTest : public ::testing::Test {
protected:
    // A screen standing on the program's window, which has the focus.
    template <typename Screen> Screen& OnWindow() {
        auto screen = std::make_unique<Screen>();
        Screen& shown = *screen;
        window.Push(std::move(screen));
        EXPECT_TRUE(ShowFocused(window));
        return shown;
    }

    ManualClock clock;
    InputRouter router{clock};
    ScreenStack window{router};
};

TEST_F(InputRouterTest, OnlyTheTopScreenReceives) {
    auto& menu = OnWindow<RecordingForm>();
    auto& list = OnWindow<RecordingModalForm>();

    router.Tap(InputCommand::Report(report::Music), InputPath::HidRaw);
    router.Tap(InputCommand::Command(appcommand::Stop), InputPath::EventDevice);
    EXPECT_TRUE(menu.ReceivedNothing());
    EXPECT_EQ(list.reports, std::vector<QByteArray>{ReportFromCode(report::Music)});
    EXPECT_EQ(list.commands, std::vector<int>{appcommand::Stop});

    list.close();
    router.Tap(InputCommand::Report(report::Pictures), InputPath::HidRaw);
    EXPECT_EQ(menu.reports, std::vector<QByteArray>{ReportFromCode(report::Pictures)});
    EXPECT_EQ(list.reports.size(), 1u);
}

TEST_F(InputRouterTest, NothingArrivesWhileAnotherProgramHasTheFocus) {
    auto& screen = OnWindow<RecordingForm>();
    QApplication::setActiveWindow(nullptr);
    router.Tap(InputCommand::Report(report::Video), InputPath::HidRaw);
    router.Tap(InputCommand::Command(appcommand::NextTrack), InputPath::EventDevice);
    EXPECT_TRUE(screen.ReceivedNothing());

    QApplication::setActiveWindow(&window); // back to Couchframe
    router.Tap(InputCommand::Report(report::Video), InputPath::HidRaw);
    EXPECT_EQ(screen.reports.size(), 1u);
}

TEST_F(InputRouterTest, NothingReachesTheScreenBehindAMessageBox) {
    auto& screen = OnWindow<RecordingForm>();
    BoxInFront box(window);
    ASSERT_TRUE(ShowFocused(box));

    router.Tap(InputCommand::Report(report::Progress), InputPath::HidRaw);
    router.Tap(InputCommand::Command(appcommand::NextTrack), InputPath::EventDevice);
    EXPECT_TRUE(screen.ReceivedNothing());

    // Even while the box has not taken the focus yet.
    QApplication::setActiveWindow(&window);
    router.Tap(InputCommand::Command(appcommand::NextTrack), InputPath::EventDevice);
    EXPECT_TRUE(screen.ReceivedNothing());

    box.close();
    ASSERT_TRUE(ShowFocused(window));
    router.Tap(InputCommand::Command(appcommand::NextTrack), InputPath::EventDevice);
    EXPECT_EQ(screen.commands, std::vector<int>{appcommand::NextTrack});
}

TEST_F(InputRouterTest, TheWholeReportReachesTheScreen) {
    auto& screen = OnWindow<RecordingForm>();
    const QByteArray report = QByteArray::fromHex("0200048000");
    router.Tap(InputCommand::Report(report::Video, report), InputPath::HidRaw);
    EXPECT_EQ(screen.reports, std::vector<QByteArray>{report});
}

TEST_F(InputRouterTest, MediaAndCategoryKeysGoNowhereElse) {
    auto& screen = OnWindow<KeyRecordingForm>();
    SendKey(screen, Qt::Key_MediaPlay);
    SendKey(screen, Qt::Key_Pause);
    SendKey(screen, Qt::Key_Cancel);
    SendKey(screen, Qt::Key_WebCam);
    SendKey(screen, Qt::Key_Down);
    EXPECT_EQ(screen.commands,
              (std::vector<int>{appcommand::PlayPause, appcommand::Pause, appcommand::Stop}));
    EXPECT_EQ(screen.reports, std::vector<QByteArray>{ReportFromCode(report::Pictures)});
    EXPECT_EQ(screen.keys, std::vector<int>{vk::Down});
}

TEST_F(InputRouterTest, AScreenOnNoWindowTakesItsMediaKeysItself) {
    KeyRecordingForm screen; // never shown, as a screen test may drive it
    SendKey(screen, Qt::Key_MediaNext);
    SendKey(screen, Qt::Key_Video);
    SendKey(screen, Qt::Key_Down);
    EXPECT_EQ(screen.commands, std::vector<int>{appcommand::NextTrack});
    EXPECT_EQ(screen.reports, std::vector<QByteArray>{ReportFromCode(report::Video)});
    EXPECT_EQ(screen.keys, std::vector<int>{vk::Down});
}

TEST_F(InputRouterTest, OnePressOnTwoPathsActsOnce) {
    auto& screen = OnWindow<RecordingForm>();
    // A HID remote's Video button: its raw report, then the key its kernel driver makes of it.
    router.Tap(InputCommand::Report(report::Video), InputPath::HidRaw);
    SendKey(screen, Qt::Key_Video);
    router.Tap(InputCommand::Report(report::Video), InputPath::EventDevice);
    EXPECT_EQ(screen.reports.size(), 1u);

    router.Tap(InputCommand::Command(appcommand::ChannelUp), InputPath::EventDevice);
    SendKey(screen, Qt::Key_ChannelUp);
    router.Tap(InputCommand::Command(appcommand::ChannelUp),
               InputPath::EventDevice); // again on its path: a new press
    EXPECT_EQ(screen.commands, (std::vector<int>{appcommand::ChannelUp, appcommand::ChannelUp}));

    // The same button pressed again later is a new press, whichever path brings it.
    clock.Advance(std::chrono::milliseconds(DuplicateFilter::kWindowMs + 1));
    SendKey(screen, Qt::Key_Video);
    EXPECT_EQ(screen.reports.size(), 2u);
}

TEST_F(InputRouterTest, TheRemotesPlayKeyKeepsItsMeaningWhicheverPathComesFirst) {
    router.SetEventDevicesRead(true);
    auto& screen = OnWindow<RecordingForm>();
    // X11 shows the Play key as Play/Pause, here before the event device has reported it.
    SendKey(screen, Qt::Key_MediaPlay);
    EXPECT_TRUE(screen.commands.empty()); // it waits for the device's report
    router.Tap(InputCommand::Command(appcommand::Play), InputPath::EventDevice);
    clock.Advance(InputRouter::kPlayPauseHold);
    EXPECT_EQ(screen.commands, std::vector<int>{appcommand::Play});

    // Here the event device first.
    clock.Advance(std::chrono::milliseconds(DuplicateFilter::kWindowMs));
    router.Tap(InputCommand::Command(appcommand::Play), InputPath::EventDevice);
    SendKey(screen, Qt::Key_MediaPlay);
    clock.Advance(InputRouter::kPlayPauseHold);
    EXPECT_EQ(screen.commands, (std::vector<int>{appcommand::Play, appcommand::Play}));

    // The Play/Pause key, which no event device read here reports, toggles.
    clock.Advance(std::chrono::milliseconds(DuplicateFilter::kWindowMs));
    SendKey(screen, Qt::Key_MediaPlay);
    clock.Advance(InputRouter::kPlayPauseHold);
    EXPECT_EQ(screen.commands.back(), appcommand::PlayPause);
    EXPECT_EQ(screen.commands.size(), 3u);
}

using std::chrono::milliseconds;

TEST(KeyRepeat, EightASecondThenOnAListUpToThirtyByThreeSeconds) {
    EXPECT_EQ(key_repeat::NextInterval(milliseconds(400), false), milliseconds(125));
    EXPECT_EQ(key_repeat::NextInterval(milliseconds(5000), false), milliseconds(125));
    EXPECT_EQ(key_repeat::NextInterval(milliseconds(400), true), milliseconds(125));
    EXPECT_EQ(key_repeat::NextInterval(milliseconds(3000), true), milliseconds(33));
    EXPECT_EQ(key_repeat::NextInterval(milliseconds(9000), true), milliseconds(33));
    milliseconds previous = key_repeat::kInterval;
    for (int held = 400; held <= 3000; held += 100) {
        const milliseconds next = key_repeat::NextInterval(milliseconds(held), true);
        EXPECT_LE(next, previous) << held;
        previous = next;
    }
    EXPECT_TRUE(key_repeat::Repeats(InputCommand::Key(vk::Down)));
    EXPECT_TRUE(key_repeat::Repeats(InputCommand::Command(appcommand::VolumeDown)));
    EXPECT_FALSE(key_repeat::Repeats(InputCommand::Key(vk::Return)));
    EXPECT_FALSE(key_repeat::Repeats(InputCommand::Command(appcommand::PlayPause)));
    EXPECT_FALSE(key_repeat::Repeats(InputCommand::Report(report::Video)));
}

// A held button, seen from the screen: when each of its keys arrived.
class HeldButtonTest : public InputRouterTest {
protected:
    void SetUp() override { screen = &OnWindow<KeyRecordingForm>(); }

    // Moves time on a millisecond at a time, noting when each key arrives; calls `each` every
    // `every` of it (a source's own repeats).
    void Hold(milliseconds length, milliseconds every = milliseconds(0),
              const std::function<void()>& each = {}) {
        for (milliseconds t(1); t <= length; ++t) {
            const size_t before = screen->keys.size() + screen->commands.size();
            clock.Advance(milliseconds(1));
            if (every.count() > 0 && t % every == milliseconds(0) && each)
                each();
            if (screen->keys.size() + screen->commands.size() > before)
                arrivals.push_back(elapsed + t);
        }
        elapsed += length;
    }
    size_t KeysBetween(milliseconds from, milliseconds to) const {
        return size_t(std::count_if(arrivals.begin(), arrivals.end(),
                                    [&](milliseconds at) { return at > from && at <= to; }));
    }

    KeyRecordingForm* screen = nullptr;
    std::vector<milliseconds> arrivals;
    milliseconds elapsed{0};
};

TEST_F(HeldButtonTest, AHeldKeyRepeatsAfterTheDelayAtEightASecondWhateverTheDisplayServerDoes) {
    SendKeyEvent(*screen, QEvent::KeyPress, Qt::Key_Down);
    // The display server's own repeats, faster and sooner, are left out.
    Hold(milliseconds(1400), milliseconds(30), [this] {
        SendKeyEvent(*screen, QEvent::KeyRelease, Qt::Key_Down, true);
        SendKeyEvent(*screen, QEvent::KeyPress, Qt::Key_Down, true);
    });
    SendKeyEvent(*screen, QEvent::KeyRelease, Qt::Key_Down);
    Hold(milliseconds(1000));
    EXPECT_EQ(screen->keys, std::vector<int>(1 + 9, vk::Down)); // at 0, then 400, 525 ... 1400
    EXPECT_EQ(arrivals.front(), milliseconds(400));
    EXPECT_EQ(arrivals[1] - arrivals[0], milliseconds(125));
    EXPECT_EQ(arrivals.back(), milliseconds(1400));
}

TEST_F(HeldButtonTest, OnAListTheRowsComeEverQuickerUpToAboutThirtyASecond) {
    screen->list = true;
    SendKeyEvent(*screen, QEvent::KeyPress, Qt::Key_Down);
    Hold(milliseconds(5000));
    EXPECT_EQ(KeysBetween(milliseconds(0), milliseconds(1000)), 7u); // 400, 525, ... near 8/s
    EXPECT_GE(KeysBetween(milliseconds(4000), milliseconds(5000)), 29u);
    EXPECT_LE(KeysBetween(milliseconds(4000), milliseconds(5000)), 31u);
    // Not on a list, or a key that does not walk it: eight a second however long.
    SendKeyEvent(*screen, QEvent::KeyRelease, Qt::Key_Down);
    arrivals.clear();
    elapsed = milliseconds(0);
    SendKeyEvent(*screen, QEvent::KeyPress, Qt::Key_Right);
    Hold(milliseconds(5000));
    EXPECT_EQ(KeysBetween(milliseconds(4000), milliseconds(5000)), 8u);
}

TEST_F(HeldButtonTest, AKeyWithoutRepeatsActsOncePerPress) {
    SendKeyEvent(*screen, QEvent::KeyPress, Qt::Key_Return);
    Hold(milliseconds(3000), milliseconds(30),
         [this] { SendKeyEvent(*screen, QEvent::KeyPress, Qt::Key_Return, true); });
    SendKeyEvent(*screen, QEvent::KeyRelease, Qt::Key_Return);
    SendKeyEvent(*screen, QEvent::KeyPress, Qt::Key_Return);
    EXPECT_EQ(screen->keys, std::vector<int>(2, vk::Return));
}

TEST_F(HeldButtonTest, ALostReleaseEndsTheRepeatAfterSilence) {
    // A phone that keeps telling the button is held, then drops off the Wi-Fi.
    router.Press(InputCommand::Key(vk::Down), InputPath::Phone);
    Hold(milliseconds(1000), milliseconds(200),
         [this] { router.Hold(InputCommand::Key(vk::Down), InputPath::Phone); });
    const size_t whileHeld = screen->keys.size();
    Hold(milliseconds(3000));
    EXPECT_EQ(whileHeld, 6u);                       // 0, 400, 525, 650, 775, 900
    EXPECT_EQ(arrivals.back(), milliseconds(1525)); // the last repeat before 600 ms of silence
    EXPECT_EQ(screen->keys.size(), whileHeld + 5);

    // A keyboard whose display server makes no repeats of its own is still held until let go.
    arrivals.clear();
    SendKeyEvent(*screen, QEvent::KeyPress, Qt::Key_Up);
    Hold(milliseconds(3000));
    EXPECT_EQ(KeysBetween(elapsed - milliseconds(1000), elapsed), 8u);
}

TEST_F(HeldButtonTest, ANewScreenOrADialogInFrontEndsTheRepeat) {
    SendKeyEvent(*screen, QEvent::KeyPress, Qt::Key_Down);
    Hold(milliseconds(500));
    auto& next = OnWindow<KeyRecordingForm>();
    Hold(milliseconds(1000));
    EXPECT_EQ(screen->keys.size(), 2u);
    EXPECT_TRUE(next.keys.empty());

    router.Press(InputCommand::Command(appcommand::VolumeUp), InputPath::Phone);
    router.Hold(InputCommand::Command(appcommand::VolumeUp), InputPath::Phone);
    BoxInFront box(window);
    ASSERT_TRUE(ShowFocused(box));
    clock.Advance(milliseconds(500));
    EXPECT_EQ(next.commands, std::vector<int>{appcommand::VolumeUp});
}

TEST_F(InputRouterTest, ARemotesRepeatedReportIsOnePressUntilLetGoOrSilent) {
    auto& screen = OnWindow<RecordingForm>();
    const auto video = InputCommand::Report(report::Video);
    for (int i = 0; i < 20; ++i) { // held two seconds, reported every 100 ms
        router.PressOrHold(video, InputPath::HidRaw);
        clock.Advance(milliseconds(100));
    }
    EXPECT_EQ(screen.reports.size(), 1u);
    router.ReleaseAll(InputPath::HidRaw); // the empty report of a let-go button
    router.PressOrHold(video, InputPath::HidRaw);
    EXPECT_EQ(screen.reports.size(), 2u);
    // No release came, but a pause longer than a held button's reports is a new press.
    clock.Advance(key_repeat::kSilence);
    router.PressOrHold(video, InputPath::HidRaw);
    EXPECT_EQ(screen.reports.size(), 3u);
}

TEST_F(InputRouterTest, APhonesKeysGoToADialogInFrontAsTyped) {
    auto& screen = OnWindow<KeyRecordingForm>();
    BoxInFront box(window);
    ASSERT_TRUE(ShowFocused(box));
    router.Press(InputCommand::Command(appcommand::NextTrack), InputPath::Phone);
    router.Press(InputCommand::Key(vk::Return), InputPath::Phone);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QMessageBox::Ok);
    EXPECT_TRUE(screen.keys.empty());
    EXPECT_TRUE(screen.ReceivedNothing());
}
} // namespace
