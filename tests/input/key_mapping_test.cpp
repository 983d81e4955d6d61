#include "input/app_command.h"
#include "input/category_keys.h"
#include "input/remote_report.h"

#include <linux/input-event-codes.h>

#include <gtest/gtest.h>

namespace {
struct KeyCase {
    int key;
    int command;    // 0: no application command
    quint32 report; // 0: no category report
};

void PrintTo(const KeyCase& c, std::ostream* out) {
    *out << "key 0x" << std::hex << c.key;
}

class QtKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(QtKeyTest, MapsToItsCommandOrReport) {
    EXPECT_EQ(AppCommandFromQtKey(GetParam().key), GetParam().command);
    EXPECT_EQ(CategoryReportFromQtKey(GetParam().key), GetParam().report);
}

INSTANTIATE_TEST_SUITE_P(
    MediaKeys, QtKeyTest,
    ::testing::Values(
        KeyCase{Qt::Key_VolumeMute, 0x0008, 0}, KeyCase{Qt::Key_VolumeDown, 0x0009, 0},
        KeyCase{Qt::Key_VolumeUp, 0x000A, 0}, KeyCase{Qt::Key_MediaNext, 0x000B, 0},
        KeyCase{Qt::Key_MediaPrevious, 0x000C, 0}, KeyCase{Qt::Key_MediaStop, 0x000D, 0},
        KeyCase{Qt::Key_Cancel, 0x000D, 0}, KeyCase{Qt::Key_MediaPlay, 0x100E, 0},
        KeyCase{Qt::Key_MediaTogglePlayPause, 0x100E, 0}, KeyCase{Qt::Key_MediaPause, 0x102F, 0},
        KeyCase{Qt::Key_Pause, 0x102F, 0}, KeyCase{Qt::Key_AudioForward, 0x1031, 0},
        KeyCase{Qt::Key_AudioRewind, 0x1032, 0}, KeyCase{Qt::Key_ChannelUp, 0x1033, 0},
        KeyCase{Qt::Key_Subtitle, 0x1100, 0}, KeyCase{Qt::Key_AudioCycleTrack, 0x1101, 0}));

INSTANTIATE_TEST_SUITE_P(CategoryKeys, QtKeyTest,
                         ::testing::Values(KeyCase{Qt::Key_Video, 0, report::Video},
                                           KeyCase{Qt::Key_Music, 0, report::Music},
                                           KeyCase{Qt::Key_Pictures, 0, report::Pictures},
                                           KeyCase{Qt::Key_WebCam, 0, report::Pictures}));

// Keys that stand for no action of the remote: they go on to the screen's key map.
INSTANTIATE_TEST_SUITE_P(OtherKeys, QtKeyTest,
                         ::testing::Values(KeyCase{Qt::Key_A, 0, 0}, KeyCase{Qt::Key_Escape, 0, 0},
                                           KeyCase{Qt::Key_Return, 0, 0},
                                           KeyCase{Qt::Key_Delete, 0, 0},
                                           KeyCase{Qt::Key_Back, 0, 0},
                                           KeyCase{Qt::Key_ChannelDown, 0, 0}));

class EventKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(EventKeyTest, MapsToItsCommandOrReport) {
    EXPECT_EQ(AppCommandFromEventKey(GetParam().key), GetParam().command);
    EXPECT_EQ(CategoryReportFromEventKey(GetParam().key), GetParam().report);
}

INSTANTIATE_TEST_SUITE_P(
    BeyondTheDisplayServer, EventKeyTest,
    ::testing::Values(KeyCase{KEY_VIDEO, 0, report::Video}, KeyCase{KEY_AUDIO, 0, report::Music},
                      KeyCase{KEY_MP3, 0, report::Music}, KeyCase{KEY_IMAGES, 0, report::Pictures},
                      KeyCase{KEY_NEXT, 0x000B, 0}, KeyCase{KEY_PREVIOUS, 0x000C, 0},
                      KeyCase{KEY_CHANNELUP, 0x1033, 0}, KeyCase{KEY_SUBTITLE, 0x1100, 0},
                      KeyCase{KEY_LANGUAGE, 0x1101, 0}));

// X11 shows the Play key as XF86AudioPlay, as it shows the Play/Pause key: read from the remote's
// own device, Play stays Play.
INSTANTIATE_TEST_SUITE_P(ToldApartFromPlayPause, EventKeyTest,
                         ::testing::Values(KeyCase{KEY_PLAY, 0x102E, 0}));

// These reach the program through the display server already; reading them from the event device
// as well would act twice on one press.
INSTANTIATE_TEST_SUITE_P(DeliveredByTheDisplayServer, EventKeyTest,
                         ::testing::Values(KeyCase{KEY_PLAYPAUSE, 0, 0}, KeyCase{KEY_PAUSE, 0, 0},
                                           KeyCase{KEY_STOP, 0, 0}, KeyCase{KEY_CAMERA, 0, 0},
                                           KeyCase{KEY_VOLUMEUP, 0, 0},
                                           KeyCase{KEY_FASTFORWARD, 0, 0},
                                           KeyCase{KEY_NEXTSONG, 0, 0}, KeyCase{KEY_A, 0, 0}));

TEST(EventKeys, AreAllBeyondWhatX11DeliversButPlay) {
    for (int key = 0; key <= 247; ++key) {
        EXPECT_EQ(AppCommandFromEventKey(key), key == KEY_PLAY ? 0x102E : 0) << key;
        EXPECT_EQ(CategoryReportFromEventKey(key), 0u) << key;
    }
}

// The keyboard form of play and the OEM form of volume up stand for nothing on any screen, so no
// key may produce them; every key gives the one source the screens' tables expect.
TEST(AppCommandSource, NoKeyGivesTheFormsThatDoNothing) {
    for (int key = Qt::Key_Escape; key <= Qt::Key_Cancel + 0x100; ++key) {
        const int command = AppCommandFromQtKey(key);
        EXPECT_NE(command, 0x002E) << std::hex << key;
        EXPECT_NE(command, 0x100A) << std::hex << key;
    }
    for (int key = 0; key < KEY_CNT; ++key) {
        EXPECT_NE(AppCommandFromEventKey(key), 0x002E) << key;
        EXPECT_NE(AppCommandFromEventKey(key), 0x100A) << key;
    }
}
} // namespace
