#include "input/key_repeat.h"

#include "input/app_command.h"

#include <algorithm>

namespace key_repeat {
bool Repeats(const InputCommand& command) {
    switch (command.kind) {
    case InputCommand::Kind::Key:
        return command.value == vk::Up || command.value == vk::Down || command.value == vk::Left ||
               command.value == vk::Right || command.value == vk::Prior ||
               command.value == vk::Next;
    case InputCommand::Kind::AppCommand:
        return command.value == appcommand::VolumeUp || command.value == appcommand::VolumeDown ||
               command.value == appcommand::FastForward || command.value == appcommand::Rewind;
    case InputCommand::Kind::Report:
        return false;
    }
    return false;
}

milliseconds NextInterval(milliseconds heldFor, bool onList) {
    if (!onList || heldFor <= kDelay)
        return kInterval;
    // The rate grows evenly from 8 to 30 a second between the first repeat and full speed.
    const double progress =
        std::min(1.0, static_cast<double>((heldFor - kDelay).count()) /
                          static_cast<double>((kFullSpeedAfter - kDelay).count()));
    const double slowRate = 1000.0 / static_cast<double>(kInterval.count());
    const double fastRate = 1000.0 / static_cast<double>(kFullSpeedInterval.count());
    const double rate = slowRate + (fastRate - slowRate) * progress;
    return milliseconds(qRound(1000.0 / rate));
}
} // namespace key_repeat
