#pragma once

#include "platform/message_box.h"

#include <QStringList>

// Collects every message box shown while it lives, instead of blocking on a modal box.
class MessageCapture {
public:
    MessageCapture() {
        SetMessageSink([this](MessageKind kind, const QString& text) {
            kinds.append(kind);
            texts.append(text);
        });
    }
    ~MessageCapture() { SetMessageSink({}); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    QList<MessageKind> kinds;
    QStringList texts;
};
