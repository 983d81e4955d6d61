#pragma once

#include <QByteArray>

#include <linux/input-event-codes.h>

#include <bitset>
#include <vector>

// A remote control's own input event device: read for the keys the display server cannot deliver.

using KeyBits = std::bitset<KEY_CNT>;

// A remote's event device has KEY_VIDEO or KEY_PLAY and no letter keys (a keyboard is left alone).
bool IsRemoteKeyDevice(const KeyBits& keys);

// The key codes pressed (or repeated while held) in a run of input events, in order. A trailing
// incomplete event is ignored.
std::vector<int> PressedKeys(const QByteArray& events);

// Hands each pressed key that stands for a category button or an application command, and that the
// display server cannot deliver, to the topmost screen.
void DeliverEventKeys(const QByteArray& events);
