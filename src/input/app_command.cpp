#include "input/app_command.h"

#include <Qt>

#include <linux/input-event-codes.h>

#include <utility>

namespace {
// Each key yields the value a Windows remote or keyboard gives for the same button, source bits
// included: play, pause, the jumps and channel up come from the remote (OEM), the rest keyboard.
// Remotes through the kernel's IR layer send Stop as KEY_STOP (X11: Cancel) and Pause as
// KEY_PAUSE (the keyboard's Pause); no screen uses the Pause key otherwise. X11 shows both the
// Play/Pause key and a separate Play key as XF86AudioPlay (Qt's MediaPlay); the Play/Pause key is
// by far the commoner, and a remote's separate Play key is read from its event device.
constexpr std::pair<int, int> kQtKeys[] = {
    {Qt::Key_VolumeMute, appcommand::VolumeMute},
    {Qt::Key_VolumeDown, appcommand::VolumeDown},
    {Qt::Key_VolumeUp, appcommand::VolumeUp},
    {Qt::Key_MediaNext, appcommand::NextTrack},
    {Qt::Key_MediaPrevious, appcommand::PreviousTrack},
    {Qt::Key_MediaStop, appcommand::Stop},
    {Qt::Key_Cancel, appcommand::Stop},
    {Qt::Key_MediaPlay, appcommand::PlayPause},
    {Qt::Key_MediaTogglePlayPause, appcommand::PlayPause},
    {Qt::Key_MediaPause, appcommand::Pause},
    {Qt::Key_Pause, appcommand::Pause},
    {Qt::Key_AudioForward, appcommand::FastForward},
    {Qt::Key_AudioRewind, appcommand::Rewind},
    {Qt::Key_ChannelUp, appcommand::ChannelUp},
    {Qt::Key_Subtitle, appcommand::CycleSubtitles},
    {Qt::Key_AudioCycleTrack, appcommand::CycleAudioTrack},
};

// The remote's keys whose codes lie beyond what X11 can deliver (above 247), and its Play key.
constexpr std::pair<int, int> kEventKeys[] = {
    {KEY_PLAY, appcommand::Play},
    {KEY_NEXT, appcommand::NextTrack},
    {KEY_PREVIOUS, appcommand::PreviousTrack},
    {KEY_CHANNELUP, appcommand::ChannelUp},
    {KEY_SUBTITLE, appcommand::CycleSubtitles},
    {KEY_LANGUAGE, appcommand::CycleAudioTrack},
};

template <std::size_t N> int Lookup(const std::pair<int, int> (&table)[N], int key) {
    for (const auto& [from, command] : table)
        if (from == key)
            return command;
    return 0;
}
} // namespace

int AppCommandFromQtKey(int qtKey) {
    return Lookup(kQtKeys, qtKey);
}

int AppCommandFromEventKey(int keyCode) {
    return Lookup(kEventKeys, keyCode);
}

int SamePressCommand(int command) {
    return command == appcommand::PlayPause ? appcommand::Play : command;
}
