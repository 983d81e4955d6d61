#include "input/app_command.h"

#include <Qt>

#include <utility>

namespace {
constexpr std::pair<int, int> kMediaKeys[] = {
    {Qt::Key_VolumeMute, appcommand::VolumeMute},
    {Qt::Key_VolumeDown, appcommand::VolumeDown},
    {Qt::Key_VolumeUp, appcommand::VolumeUp},
    {Qt::Key_MediaNext, appcommand::NextTrack},
    {Qt::Key_MediaPrevious, appcommand::PreviousTrack},
    {Qt::Key_MediaStop, appcommand::Stop},
    {Qt::Key_MediaPlay, appcommand::Play},
    {Qt::Key_MediaPause, appcommand::Pause},
    {Qt::Key_AudioForward, appcommand::FastForward},
    {Qt::Key_AudioRewind, appcommand::Rewind},
    {Qt::Key_ChannelUp, appcommand::ChannelUp},
};
} // namespace

int AppCommandFromQtKey(int qtKey) {
    for (const auto& [key, command] : kMediaKeys)
        if (key == qtKey)
            return command;
    return 0;
}
