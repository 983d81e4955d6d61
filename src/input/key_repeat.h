#pragma once

#include "input/input_command.h"

#include <chrono>

// How a held button repeats, the same for every source: the program makes the repeats itself and
// ignores the devices' own, so a remote, a keyboard and a phone all scroll alike.
namespace key_repeat {
using std::chrono::milliseconds;

// The first repeat comes after this much holding, then 8 a second.
constexpr milliseconds kDelay{400};
constexpr milliseconds kInterval{125};
// On a list the repeats quicken to about 30 a second by this much holding.
constexpr milliseconds kFullSpeedAfter{3000};
constexpr milliseconds kFullSpeedInterval{33};
// A source that may lose a release (a radio remote, a phone on Wi-Fi) tells a held button by
// repeating it; this long without a word ends the hold.
constexpr milliseconds kSilence{600};

// Buttons that move or change a step at a time repeat while held; any other (OK, Back, a digit,
// Play) acts once per press.
bool Repeats(const InputCommand& command);

// The wait before the next repeat of a button held this long.
milliseconds NextInterval(milliseconds heldFor, bool onList);
} // namespace key_repeat
