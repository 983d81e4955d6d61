#include "input/app_command.h"
#include "input/event_device.h"
#include "input/remote_dispatch.h"
#include "input/remote_report.h"
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
        DeviceCase{"KeyboardWithMediaKeys", Keys({KEY_A, KEY_Z, KEY_PLAY, KEY_VIDEO}), false},
        DeviceCase{"OneLetterMakesAKeyboard", Keys({KEY_Q, KEY_VIDEO}), false},
        DeviceCase{"VolumeKnob", Keys({KEY_VOLUMEUP, KEY_VOLUMEDOWN, KEY_MUTE}), false},
        DeviceCase{"PowerButton", Keys({KEY_POWER}), false}, DeviceCase{"NoKeys", Keys({}), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PressedKeys, TakesPressesAndRepeatsOfKeysOnly) {
    const QByteArray events =
        Events({Other(EV_MSC, MSC_SCAN, 0x800f044a), Key(KEY_VIDEO, 1), Other(EV_SYN, 0, 0),
                Key(KEY_VIDEO, 0), Key(KEY_NEXT, 1), Key(KEY_NEXT, 2), Other(EV_REL, REL_X, 3)});
    EXPECT_EQ(PressedKeys(events), (std::vector<int>{KEY_VIDEO, KEY_NEXT, KEY_NEXT}));
}

TEST(PressedKeys, IgnoresATrailingPartOfAnEvent) {
    QByteArray events = Events({Key(KEY_AUDIO, 1), Key(KEY_VIDEO, 1)});
    events.chop(1);
    EXPECT_EQ(PressedKeys(events), std::vector<int>{KEY_AUDIO});
    EXPECT_TRUE(PressedKeys(QByteArray(5, '\x01')).empty());
}

TEST(DeliverEventKeys, HandsOnOnlyWhatTheDisplayServerCannot) {
    ClearRecentRemoteInput();
    RecordingForm screen;
    screen.show();
    DeliverEventKeys(Events({Key(KEY_PLAY, 1), Key(KEY_PLAY, 0), Key(KEY_CAMERA, 1),
                             Key(KEY_VIDEO, 1), Key(KEY_VIDEO, 0), Key(KEY_MP3, 1),
                             Key(KEY_CHANNELUP, 1), Key(KEY_PREVIOUS, 1), Key(KEY_NEXT, 1)}));
    EXPECT_EQ(screen.reports, (std::vector<QByteArray>{ReportFromCode(report::Video),
                                                       ReportFromCode(report::Music)}));
    EXPECT_EQ(screen.commands, (std::vector<int>{appcommand::ChannelUp, appcommand::PreviousTrack,
                                                 appcommand::NextTrack}));
    ClearRecentRemoteInput();
}
} // namespace
