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

class RemoteDispatch : public ::testing::Test {
protected:
    void SetUp() override { ClearRecentRemoteInput(); }
    void TearDown() override { ClearRecentRemoteInput(); }
};

TEST_F(RemoteDispatch, OnlyTheTopmostScreenReceives) {
    RecordingForm menu;
    RecordingModalForm list;
    menu.show();
    list.show();
    ASSERT_EQ(Form::Active(), &list);

    DeliverRemoteReport(ReportFromCode(report::Music), InputPath::HidRaw);
    DeliverAppCommand(appcommand::Play, InputPath::DisplayServer);
    // A key that comes to the screen below still goes to the topmost one.
    SendKey(menu, Qt::Key_Video);
    SendKey(menu, Qt::Key_MediaStop);

    EXPECT_TRUE(menu.ReceivedNothing());
    EXPECT_EQ(list.reports, (std::vector<QByteArray>{ReportFromCode(report::Music),
                                                     ReportFromCode(report::Video)}));
    EXPECT_EQ(list.commands, (std::vector<int>{appcommand::Play, appcommand::Stop}));

    list.close();
    ASSERT_EQ(Form::Active(), &menu);
    DeliverRemoteReport(ReportFromCode(report::Pictures), InputPath::HidRaw);
    EXPECT_EQ(menu.reports, std::vector<QByteArray>{ReportFromCode(report::Pictures)});
    EXPECT_EQ(list.reports.size(), 2u);
}

TEST_F(RemoteDispatch, NothingArrivesWhileNoScreenIsShown) {
    RecordingForm hidden;
    ASSERT_EQ(Form::Active(), nullptr);
    DeliverRemoteReport(ReportFromCode(report::Video), InputPath::HidRaw);
    DeliverAppCommand(appcommand::Play, InputPath::EventDevice);
    EXPECT_TRUE(hidden.ReceivedNothing());
}

TEST_F(RemoteDispatch, TheWholeReportReachesTheScreen) {
    RecordingForm screen;
    screen.show();
    const QByteArray report = QByteArray::fromHex("0200048000");
    DeliverRemoteReport(report, InputPath::HidRaw);
    EXPECT_EQ(screen.reports, std::vector<QByteArray>{report});
}

TEST_F(RemoteDispatch, MediaAndCategoryKeysGoNowhereElse) {
    struct KeyRecordingForm : RecordingForm {
        std::vector<int> keys;
        void FormKeyDown(int& key, ShiftState) override { keys.push_back(key); }
    } screen;
    screen.show();
    SendKey(screen, Qt::Key_MediaPlay);
    SendKey(screen, Qt::Key_Pause);
    SendKey(screen, Qt::Key_Cancel);
    SendKey(screen, Qt::Key_WebCam);
    SendKey(screen, Qt::Key_Down);
    EXPECT_EQ(screen.commands,
              (std::vector<int>{appcommand::Play, appcommand::Pause, appcommand::Stop}));
    EXPECT_EQ(screen.reports, std::vector<QByteArray>{ReportFromCode(report::Pictures)});
    EXPECT_EQ(screen.keys, std::vector<int>{vk::Down});
}

TEST_F(RemoteDispatch, AScreenDrivenDirectlyHandlesItsOwnKeys) {
    RecordingForm screen; // never shown, as a screen test may drive it
    SendKey(screen, Qt::Key_MediaNext);
    EXPECT_EQ(screen.commands, std::vector<int>{appcommand::NextTrack});
}

TEST_F(RemoteDispatch, OnePressOnTwoPathsActsOnce) {
    RecordingForm screen;
    screen.show();
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
} // namespace
