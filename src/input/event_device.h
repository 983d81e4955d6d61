#pragma once

#include "input/input_command.h"

#include <QByteArray>

#include <linux/input-event-codes.h>

#include <bitset>
#include <optional>
#include <vector>

class InputRouter;

// A remote control's own input event device: read for the keys the display server cannot deliver.

using KeyBits = std::bitset<KEY_CNT>;

// A remote's event device has KEY_VIDEO, KEY_PLAY or KEY_OK and no letter keys (a keyboard is left
// alone).
bool IsRemoteKeyDevice(const KeyBits& keys);

struct KeyChange {
    enum State { Pressed, Repeated, Released };
    int code;
    State state; // Repeated: the kernel's repeat of a held key
    bool operator==(const KeyChange&) const = default;
};

// The key presses, repeats and releases in a run of input events, in order. A trailing incomplete
// event is ignored.
std::vector<KeyChange> KeyChanges(const QByteArray& events);

// The command a remote's button stands for where the display server cannot deliver the button: an
// application command, a category report, or a key (OK and Select are Enter, the numeric buttons
// the digits, with which exit and unlock codes are typed). None for any other code.
std::optional<InputCommand> CommandFromEventKey(int keyCode);

// Hands the presses and releases of those buttons to the router, which makes the repeats of a
// held one; the kernel's own repeats only tell that it is still held.
void DeliverEventKeys(InputRouter& router, const QByteArray& events);
