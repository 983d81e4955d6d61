#include "input/app_command.h"
#include "input/remote_dispatch.h"
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

class RemoteDispatchTest : public ::testing::Test {
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
    RemoteDispatch dispatch{clock};
    ScreenStack window{dispatch};
};

TEST_F(RemoteDispatchTest, OnlyTheTopScreenReceives) {
    auto& menu = OnWindow<RecordingForm>();
    auto& list = OnWindow<RecordingModalForm>();

    dispatch.DeliverRemoteReport(ReportFromCode(report::Music), InputPath::HidRaw);
    dispatch.DeliverAppCommand(appcommand::Stop, InputPath::EventDevice);
    EXPECT_TRUE(menu.ReceivedNothing());
    EXPECT_EQ(list.reports, std::vector<QByteArray>{ReportFromCode(report::Music)});
    EXPECT_EQ(list.commands, std::vector<int>{appcommand::Stop});

    list.close();
    dispatch.DeliverRemoteReport(ReportFromCode(report::Pictures), InputPath::HidRaw);
    EXPECT_EQ(menu.reports, std::vector<QByteArray>{ReportFromCode(report::Pictures)});
    EXPECT_EQ(list.reports.size(), 1u);
}

TEST_F(RemoteDispatchTest, NothingArrivesWhileAnotherProgramHasTheFocus) {
    auto& screen = OnWindow<RecordingForm>();
    QApplication::setActiveWindow(nullptr);
    dispatch.DeliverRemoteReport(ReportFromCode(report::Video), InputPath::HidRaw);
    dispatch.DeliverAppCommand(appcommand::NextTrack, InputPath::EventDevice);
    EXPECT_TRUE(screen.ReceivedNothing());

    QApplication::setActiveWindow(&window); // back to Couchframe
    dispatch.DeliverRemoteReport(ReportFromCode(report::Video), InputPath::HidRaw);
    EXPECT_EQ(screen.reports.size(), 1u);
}

TEST_F(RemoteDispatchTest, NothingReachesTheScreenBehindAMessageBox) {
    auto& screen = OnWindow<RecordingForm>();
    BoxInFront box(window);
    ASSERT_TRUE(ShowFocused(box));

    dispatch.DeliverRemoteReport(ReportFromCode(report::Progress), InputPath::HidRaw);
    dispatch.DeliverAppCommand(appcommand::NextTrack, InputPath::EventDevice);
    EXPECT_TRUE(screen.ReceivedNothing());

    // Even while the box has not taken the focus yet.
    QApplication::setActiveWindow(&window);
    dispatch.DeliverAppCommand(appcommand::NextTrack, InputPath::EventDevice);
    EXPECT_TRUE(screen.ReceivedNothing());

    box.close();
    ASSERT_TRUE(ShowFocused(window));
    dispatch.DeliverAppCommand(appcommand::NextTrack, InputPath::EventDevice);
    EXPECT_EQ(screen.commands, std::vector<int>{appcommand::NextTrack});
}

TEST_F(RemoteDispatchTest, TheWholeReportReachesTheScreen) {
    auto& screen = OnWindow<RecordingForm>();
    const QByteArray report = QByteArray::fromHex("0200048000");
    dispatch.DeliverRemoteReport(report, InputPath::HidRaw);
    EXPECT_EQ(screen.reports, std::vector<QByteArray>{report});
}

TEST_F(RemoteDispatchTest, MediaAndCategoryKeysGoNowhereElse) {
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

TEST_F(RemoteDispatchTest, AScreenOnNoWindowTakesItsMediaKeysItself) {
    KeyRecordingForm screen; // never shown, as a screen test may drive it
    SendKey(screen, Qt::Key_MediaNext);
    SendKey(screen, Qt::Key_Video);
    SendKey(screen, Qt::Key_Down);
    EXPECT_EQ(screen.commands, std::vector<int>{appcommand::NextTrack});
    EXPECT_EQ(screen.reports, std::vector<QByteArray>{ReportFromCode(report::Video)});
    EXPECT_EQ(screen.keys, std::vector<int>{vk::Down});
}

TEST_F(RemoteDispatchTest, OnePressOnTwoPathsActsOnce) {
    auto& screen = OnWindow<RecordingForm>();
    // A HID remote's Video button: its raw report, then the key its kernel driver makes of it.
    dispatch.DeliverRemoteReport(ReportFromCode(report::Video), InputPath::HidRaw);
    SendKey(screen, Qt::Key_Video);
    dispatch.DeliverRemoteReport(ReportFromCode(report::Video), InputPath::EventDevice);
    EXPECT_EQ(screen.reports.size(), 1u);

    dispatch.DeliverAppCommand(appcommand::ChannelUp, InputPath::EventDevice);
    SendKey(screen, Qt::Key_ChannelUp);
    dispatch.DeliverAppCommand(appcommand::ChannelUp, InputPath::EventDevice); // held: repeats pass
    EXPECT_EQ(screen.commands, (std::vector<int>{appcommand::ChannelUp, appcommand::ChannelUp}));

    // The same button pressed again later is a new press, whichever path brings it.
    clock.Advance(std::chrono::milliseconds(DuplicateFilter::kWindowMs + 1));
    SendKey(screen, Qt::Key_Video);
    EXPECT_EQ(screen.reports.size(), 2u);
}

TEST_F(RemoteDispatchTest, TheRemotesPlayKeyKeepsItsMeaningWhicheverPathComesFirst) {
    dispatch.SetEventDevicesRead(true);
    auto& screen = OnWindow<RecordingForm>();
    // X11 shows the Play key as Play/Pause, here before the event device has reported it.
    SendKey(screen, Qt::Key_MediaPlay);
    EXPECT_TRUE(screen.commands.empty()); // it waits for the device's report
    dispatch.DeliverAppCommand(appcommand::Play, InputPath::EventDevice);
    clock.Advance(RemoteDispatch::kPlayPauseHold);
    EXPECT_EQ(screen.commands, std::vector<int>{appcommand::Play});

    // Here the event device first.
    clock.Advance(std::chrono::milliseconds(DuplicateFilter::kWindowMs));
    dispatch.DeliverAppCommand(appcommand::Play, InputPath::EventDevice);
    SendKey(screen, Qt::Key_MediaPlay);
    clock.Advance(RemoteDispatch::kPlayPauseHold);
    EXPECT_EQ(screen.commands, (std::vector<int>{appcommand::Play, appcommand::Play}));

    // The Play/Pause key, which no event device read here reports, toggles.
    clock.Advance(std::chrono::milliseconds(DuplicateFilter::kWindowMs));
    SendKey(screen, Qt::Key_MediaPlay);
    clock.Advance(RemoteDispatch::kPlayPauseHold);
    EXPECT_EQ(screen.commands.back(), appcommand::PlayPause);
    EXPECT_EQ(screen.commands.size(), 3u);
}
} // namespace
