#pragma once

#include "show_focused.h"
#include "ui/form.h"

#include <QApplication>
#include <QByteArray>
#include <QKeyEvent>
#include <QMessageBox>

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

// A screen that also records the keys its key map sees.
class KeyRecordingForm : public RecordingForm {
public:
    std::vector<int> keys;
    // Whether Up and Down walk a list here.
    bool list = false;
    void FormKeyDown(int& key, ShiftState) override { keys.push_back(key); }
    bool ScrollsList(int key) const override { return list && (key == vk::Up || key == vk::Down); }
};

// An error box in front of a screen, modal as the error handler shows it (shown without blocking).
class BoxInFront : public QMessageBox {
public:
    explicit BoxInFront(QWidget& screen)
        : QMessageBox(Critical, QStringLiteral("Couchframe"), QStringLiteral("error"), Ok,
                      &screen) {
        setWindowModality(Qt::ApplicationModal);
    }
};

// Presses a key at a screen as the display server delivers it (QTest cannot type keys without text,
// such as the media keys).
inline void SendKeyEvent(QWidget& widget, QEvent::Type type, int key, bool autoRepeat = false) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(&widget, &event);
}
inline void SendKey(QWidget& widget, int key) {
    SendKeyEvent(widget, QEvent::KeyPress, key);
}
