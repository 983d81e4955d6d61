#include "input/app_command.h"
#include "input/remote_dispatch.h"
#include "input/remote_report.h"
#include "recording_forms.h"

#include <gtest/gtest.h>

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

class RemoteDispatch : public ::testing::Test {
protected:
    void SetUp() override { ClearRecentRemoteInput(); }
    void TearDown() override {
        ClearRecentRemoteInput();
        SetEventDevicesRead(false);
    }
};

TEST_F(RemoteDispatch, OnlyTheFocusedScreenReceives) {
    RecordingForm menu;
    RecordingModalForm list;
    ASSERT_TRUE(ShowFocused(menu));
    ASSERT_TRUE(ShowFocused(list));

    DeliverRemoteReport(ReportFromCode(report::Music), InputPath::HidRaw);
    DeliverAppCommand(appcommand::Stop, InputPath::EventDevice);
    EXPECT_TRUE(menu.ReceivedNothing());
    EXPECT_EQ(list.reports, std::vector<QByteArray>{ReportFromCode(report::Music)});
    EXPECT_EQ(list.commands, std::vector<int>{appcommand::Stop});

    list.close();
    ASSERT_TRUE(ShowFocused(menu));
    DeliverRemoteReport(ReportFromCode(report::Pictures), InputPath::HidRaw);
    EXPECT_EQ(menu.reports, std::vector<QByteArray>{ReportFromCode(report::Pictures)});
    EXPECT_EQ(list.reports.size(), 1u);
}

TEST_F(RemoteDispatch, NothingArrivesWhileAnotherProgramHasTheFocus) {
    RecordingForm screen;
    ASSERT_TRUE(ShowFocused(screen));
    QApplication::setActiveWindow(nullptr);
    DeliverRemoteReport(ReportFromCode(report::Video), InputPath::HidRaw);
    DeliverAppCommand(appcommand::NextTrack, InputPath::EventDevice);
    EXPECT_TRUE(screen.ReceivedNothing());

    QApplication::setActiveWindow(&screen); // back to Couchframe
    DeliverRemoteReport(ReportFromCode(report::Video), InputPath::HidRaw);
    EXPECT_EQ(screen.reports.size(), 1u);
}

TEST_F(RemoteDispatch, NothingReachesTheScreenBehindAMessageBox) {
    RecordingForm screen;
    ASSERT_TRUE(ShowFocused(screen));
    BoxInFront box(screen);
    ASSERT_TRUE(ShowFocused(box));

    DeliverRemoteReport(ReportFromCode(report::Progress), InputPath::HidRaw);
    DeliverAppCommand(appcommand::NextTrack, InputPath::EventDevice);
    EXPECT_TRUE(screen.ReceivedNothing());

    // Even while the box has not taken the focus yet.
    QApplication::setActiveWindow(&screen);
    DeliverAppCommand(appcommand::NextTrack, InputPath::EventDevice);
    EXPECT_TRUE(screen.ReceivedNothing());

    box.close();
    ASSERT_TRUE(ShowFocused(screen));
    DeliverAppCommand(appcommand::NextTrack, InputPath::EventDevice);
    EXPECT_EQ(screen.commands, std::vector<int>{appcommand::NextTrack});
}

TEST_F(RemoteDispatch, TheWholeReportReachesTheScreen) {
    RecordingForm screen;
    ASSERT_TRUE(ShowFocused(screen));
    const QByteArray report = QByteArray::fromHex("0200048000");
    DeliverRemoteReport(report, InputPath::HidRaw);
    EXPECT_EQ(screen.reports, std::vector<QByteArray>{report});
}

TEST_F(RemoteDispatch, MediaAndCategoryKeysGoNowhereElse) {
    KeyRecordingForm screen;
    screen.show();
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

TEST_F(RemoteDispatch, AKeyActsOnTheScreenItCameTo) {
    RecordingForm screen; // never shown, as a screen test may drive it
    SendKey(screen, Qt::Key_MediaNext);
    EXPECT_EQ(screen.commands, std::vector<int>{appcommand::NextTrack});
}

TEST_F(RemoteDispatch, OnePressOnTwoPathsActsOnce) {
    RecordingForm screen;
    ASSERT_TRUE(ShowFocused(screen));
    // A HID remote's Video button: its raw report, then the key its kernel driver makes of it.
    DeliverRemoteReport(ReportFromCode(report::Video), InputPath::HidRaw);
    SendKey(screen, Qt::Key_Video);
    DeliverRemoteReport(ReportFromCode(report::Video), InputPath::EventDevice);
    EXPECT_EQ(screen.reports.size(), 1u);

    DeliverAppCommand(appcommand::ChannelUp, InputPath::EventDevice);
    SendKey(screen, Qt::Key_ChannelUp);
    DeliverAppCommand(appcommand::ChannelUp, InputPath::EventDevice); // held: repeats pass
    EXPECT_EQ(screen.commands, (std::vector<int>{appcommand::ChannelUp, appcommand::ChannelUp}));
}

TEST_F(RemoteDispatch, TheRemotesPlayKeyKeepsItsMeaningWhicheverPathComesFirst) {
    SetEventDevicesRead(true);
    RecordingForm screen;
    ASSERT_TRUE(ShowFocused(screen));
    // X11 shows the Play key as Play/Pause, here before the event device has reported it.
    SendKey(screen, Qt::Key_MediaPlay);
    DeliverAppCommand(appcommand::Play, InputPath::EventDevice);
    QTest::qWait(150);
    EXPECT_EQ(screen.commands, std::vector<int>{appcommand::Play});

    // Here the event device first.
    QTest::qWait(DuplicateFilter::kWindowMs);
    DeliverAppCommand(appcommand::Play, InputPath::EventDevice);
    SendKey(screen, Qt::Key_MediaPlay);
    QTest::qWait(150);
    EXPECT_EQ(screen.commands, (std::vector<int>{appcommand::Play, appcommand::Play}));

    // The Play/Pause key, which no event device read here reports, toggles.
    QTest::qWait(DuplicateFilter::kWindowMs);
    SendKey(screen, Qt::Key_MediaPlay);
    EXPECT_TRUE(QTest::qWaitFor([&] { return screen.commands.size() == 3; }));
    EXPECT_EQ(screen.commands.back(), appcommand::PlayPause);
}
} // namespace
