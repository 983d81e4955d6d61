#include "input/app_command.h"
#include "input/event_device.h"
#include "input/input_router.h"
#include "input/remote_report.h"
#include "manual_clock.h"
#include "recording_forms.h"

#include <linux/input.h>

#include <gtest/gtest.h>

#include <initializer_list>

namespace {
QByteArray Events(std::initializer_list<input_event> events) {
    QByteArray bytes;
    for (const input_event& event : events)
        bytes.append(reinterpret_cast<const char*>(&event), sizeof event);
    return bytes;
}

input_event Key(int code, int value) {
    input_event event{};
    event.type = EV_KEY;
    event.code = quint16(code);
    event.value = value;
    return event;
}

input_event Other(int type, int code, int value) {
    input_event event{};
    event.type = quint16(type);
    event.code = quint16(code);
    event.value = value;
    return event;
}

KeyBits Keys(std::initializer_list<int> codes) {
    KeyBits keys;
    for (int code : codes)
        keys.set(size_t(code));
    return keys;
}

struct DeviceCase {
    const char* name;
    KeyBits keys;
    bool remote;
};

void PrintTo(const DeviceCase& c, std::ostream* out) {
    *out << c.name;
}

class RemoteKeyDeviceTest : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(RemoteKeyDeviceTest, TellsARemoteFromOtherDevices) {
    EXPECT_EQ(IsRemoteKeyDevice(GetParam().keys), GetParam().remote);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, RemoteKeyDeviceTest,
    ::testing::Values(
        DeviceCase{"MceRemote",
                   Keys({KEY_NUMERIC_0, KEY_OK, KEY_PLAY, KEY_PAUSE, KEY_VIDEO, KEY_AUDIO,
                         KEY_CAMERA, KEY_NEXT, KEY_CHANNELUP}),
                   true},
        DeviceCase{"HidRemote", Keys({KEY_VIDEO, KEY_MP3, KEY_CAMERA}), true},
        DeviceCase{"PlayOnly", Keys({KEY_PLAY, KEY_STOP}), true},
        DeviceCase{"AirMouseWithOk", Keys({KEY_OK, KEY_BACK, KEY_HOMEPAGE, KEY_UP}), true},
        DeviceCase{"KeyboardWithMediaKeys", Keys({KEY_A, KEY_Z, KEY_PLAY, KEY_VIDEO}), false},
        DeviceCase{"OneLetterMakesAKeyboard", Keys({KEY_Q, KEY_VIDEO}), false},
        DeviceCase{"VolumeKnob", Keys({KEY_VOLUMEUP, KEY_VOLUMEDOWN, KEY_MUTE}), false},
        DeviceCase{"PowerButton", Keys({KEY_POWER}), false}, DeviceCase{"NoKeys", Keys({}), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyChanges, TakesPressesRepeatsAndReleasesOfKeysOnly) {
    const QByteArray events =
        Events({Other(EV_MSC, MSC_SCAN, 0x800f044a), Key(KEY_VIDEO, 1), Other(EV_SYN, 0, 0),
                Key(KEY_VIDEO, 0), Key(KEY_NEXT, 1), Key(KEY_NEXT, 2), Other(EV_REL, REL_X, 3)});
    EXPECT_EQ(KeyChanges(events), (std::vector<KeyChange>{{KEY_VIDEO, KeyChange::Pressed},
                                                          {KEY_VIDEO, KeyChange::Released},
                                                          {KEY_NEXT, KeyChange::Pressed},
                                                          {KEY_NEXT, KeyChange::Repeated}}));
}

TEST(KeyChanges, IgnoresATrailingPartOfAnEvent) {
    QByteArray events = Events({Key(KEY_AUDIO, 1), Key(KEY_VIDEO, 1)});
    events.chop(1);
    EXPECT_EQ(KeyChanges(events), (std::vector<KeyChange>{{KEY_AUDIO, KeyChange::Pressed}}));
    EXPECT_TRUE(KeyChanges(QByteArray(5, '\x01')).empty());
}

class DeliverEventKeysTest : public ::testing::Test {
protected:
    ManualClock clock;
    InputRouter router{clock};
};

TEST_F(DeliverEventKeysTest, HandsOnOnlyWhatTheDisplayServerCannotAndPlay) {
    KeyRecordingForm screen;
    ASSERT_TRUE(ShowFocused(screen));
    DeliverEventKeys(router, Events({Key(KEY_PLAYPAUSE, 1), Key(KEY_CAMERA, 1), Key(KEY_VIDEO, 1),
                                     Key(KEY_VIDEO, 0), Key(KEY_MP3, 1), Key(KEY_CHANNELUP, 1),
                                     Key(KEY_PREVIOUS, 1), Key(KEY_NEXT, 1), Key(KEY_PLAY, 1),
                                     Key(KEY_UP, 1), Key(KEY_EXIT, 1), Key(KEY_BACK, 1)}));
    EXPECT_EQ(screen.reports, (std::vector<QByteArray>{ReportFromCode(report::Video),
                                                       ReportFromCode(report::Music)}));
    EXPECT_EQ(screen.commands, (std::vector<int>{appcommand::ChannelUp, appcommand::PreviousTrack,
                                                 appcommand::NextTrack, appcommand::Play}));
    EXPECT_TRUE(screen.keys.empty());
}

TEST_F(DeliverEventKeysTest, OkAndTheNumericButtonsAreEnterAndTheDigits) {
    KeyRecordingForm screen;
    ASSERT_TRUE(ShowFocused(screen));
    DeliverEventKeys(router,
                     Events({Key(KEY_NUMERIC_8, 1), Key(KEY_NUMERIC_8, 0), Key(KEY_NUMERIC_1, 1),
                             Key(KEY_NUMERIC_0, 1), Key(KEY_NUMERIC_9, 1), Key(KEY_OK, 1),
                             Key(KEY_OK, 0), Key(KEY_SELECT, 1)}));
    EXPECT_EQ(screen.keys, (std::vector<int>{'8', '1', '0', '9', vk::Return, vk::Return}));
    EXPECT_TRUE(screen.ReceivedNothing());
}

TEST_F(DeliverEventKeysTest, TheKernelsRepeatsOnlyKeepAHeldButtonHeld) {
    KeyRecordingForm screen;
    ASSERT_TRUE(ShowFocused(screen));
    // OK and Next act once however long they are held.
    DeliverEventKeys(router, Events({Key(KEY_OK, 1), Key(KEY_OK, 2), Key(KEY_OK, 2)}));
    clock.Advance(std::chrono::seconds(2));
    DeliverEventKeys(router, Events({Key(KEY_OK, 0)}));
    EXPECT_EQ(screen.keys, std::vector<int>{vk::Return});

    DeliverEventKeys(router, Events({Key(KEY_NEXT, 1), Key(KEY_NEXT, 2), Key(KEY_NEXT, 2)}));
    clock.Advance(std::chrono::seconds(2));
    EXPECT_EQ(screen.commands, std::vector<int>{appcommand::NextTrack});
}

TEST_F(DeliverEventKeysTest, AMessageBoxInFrontTakesOkAndDropsTheRest) {
    KeyRecordingForm screen;
    ASSERT_TRUE(ShowFocused(screen));
    BoxInFront box(screen);
    ASSERT_TRUE(ShowFocused(box));

    DeliverEventKeys(router, Events({Key(KEY_NEXT, 1), Key(KEY_VIDEO, 1), Key(KEY_NUMERIC_1, 1)}));
    EXPECT_TRUE(box.isVisible());
    DeliverEventKeys(router, Events({Key(KEY_OK, 1)}));
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QMessageBox::Ok);
    EXPECT_TRUE(screen.ReceivedNothing());
    EXPECT_TRUE(screen.keys.empty());
}

TEST_F(DeliverEventKeysTest, NothingWhileAnotherProgramHasTheFocus) {
    KeyRecordingForm screen;
    ASSERT_TRUE(ShowFocused(screen));
    QApplication::setActiveWindow(nullptr);
    DeliverEventKeys(router, Events({Key(KEY_OK, 1), Key(KEY_NUMERIC_5, 1), Key(KEY_VIDEO, 1)}));
    EXPECT_TRUE(screen.keys.empty());
    EXPECT_TRUE(screen.ReceivedNothing());
}
} // namespace
