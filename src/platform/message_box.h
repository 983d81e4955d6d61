#pragma once

#include "platform/seam.h"

#include <QString>

#include <functional>

enum class MessageKind { Error, Warning, Information };

// Shows a modal message box with a single OK button, in text readable from across the room. One
// box at a time: a message that arrives while a box is open (its event loop runs the program on)
// does not open a second box; a repeat of the open or of a waiting message is counted in that one,
// any other message waits and is shown when the open box closes. A stand-in sink in the seam takes
// every message instead, so that nothing blocks.
void ShowMessage(MessageKind kind, const QString& text);

using MessageSink = std::function<void(MessageKind kind, const QString& text)>;
Seam<MessageSink>& MessageSeam();
