#pragma once

#include "platform/message_box.h"

#include <QStringList>

// Collects every message box shown while it lives, instead of blocking on a modal box.
class MessageCapture {
public:
    QList<MessageKind> kinds;
    QStringList texts;

private:
    Seam<MessageSink>::Override sink_{MessageSeam(), [this](MessageKind kind, const QString& text) {
                                          kinds.append(kind);
                                          texts.append(text);
                                      }};
};
