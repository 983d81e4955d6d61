#pragma once

#include "input/remote_dispatch.h"

#include <QByteArray>

#include <linux/input-event-codes.h>

#include <bitset>
#include <vector>

// A remote control's own input event device: read for the keys the display server cannot deliver.

using KeyBits = std::bitset<KEY_CNT>;

// A remote's event device has KEY_VIDEO, KEY_PLAY or KEY_OK and no letter keys (a keyboard is left
// alone).
bool IsRemoteKeyDevice(const KeyBits& keys);

struct KeyPress {
    int code;
    bool repeat; // the kernel's repeat of a held key
    bool operator==(const KeyPress&) const = default;
};

// The keys pressed or repeated while held in a run of input events, in order. A trailing
// incomplete event is ignored.
std::vector<KeyPress> PressedKeys(const QByteArray& events);

// The Qt key that a remote's button stands for where the display server cannot deliver the button:
// OK and Select are Enter, the numeric buttons the digits (exit and unlock codes are typed with
// them). 0 for any other code.
int QtKeyFromEventKey(int keyCode);

// Hands on each pressed key that the display server cannot deliver (and the Play key): a category
// button or an application command to the focused screen, a key to the widget with the keyboard
// focus, whatever window it is in. Held keys repeat as the kernel repeats them.
void DeliverEventKeys(RemoteDispatch& dispatch, const QByteArray& events);
