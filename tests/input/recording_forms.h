#pragma once

#include "platform/form.h"

#include <QApplication>
#include <QByteArray>
#include <QKeyEvent>

#include <vector>

// A screen that records the remote input and application commands it receives.
class RecordingForm : public Form {
public:
    std::vector<QByteArray> reports;
    std::vector<int> commands;

    void WmInput(const RawInputMessage& message) override { reports.push_back(message.reports); }
    void WmAppCommand(int command) override { commands.push_back(command); }
    bool ReceivedNothing() const { return reports.empty() && commands.empty(); }
};

// A second kind of screen, opened over the first.
class RecordingModalForm : public RecordingForm {};

// Presses a key at a screen as the display server delivers it (QTest cannot type keys without text,
// such as the media keys).
inline void SendKey(QWidget& widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}
