#pragma once

#include <QString>

#include <functional>

enum class MessageKind { Error, Warning, Information };

// Shows a modal message box with a single OK button. Tests install a sink instead, so nothing blocks.
void ShowMessage(MessageKind kind, const QString& text);

using MessageSink = std::function<void(MessageKind kind, const QString& text)>;
// Routes every message to the sink until it is reset with an empty one.
void SetMessageSink(MessageSink sink);
