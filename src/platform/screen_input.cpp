#include "platform/screen_input.h"

#include "platform/focus_input.h"

#include <QWidget>

RawInputMessage RawInputMessage::FromReport(const QByteArray& report) {
    RawInputMessage message;
    message.dwSizeHid = static_cast<quint32>(report.size());
    message.dwCount = 1;
    message.reports = report;
    return message;
}

ScreenInput* ScreenInputOf(QWidget* window) {
    return dynamic_cast<ScreenInput*>(window);
}

ScreenInput* FocusedScreenInput() {
    return ScreenInputOf(FocusedWindow());
}
