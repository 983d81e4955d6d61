#pragma once

#include "platform/keys.h"

#include <QByteArray>
#include <QtGlobal>

class QWidget;

// One raw remote-control message as a screen receives it: the header's type and the HID part.
struct RawInputMessage {
    static constexpr quint32 kTypeMouse = 0;
    static constexpr quint32 kTypeKeyboard = 1;
    static constexpr quint32 kTypeHid = 2;

    quint32 dwType = kTypeHid;
    quint32 dwSizeHid = 0; // bytes per report
    quint32 dwCount = 0;   // number of reports
    QByteArray reports;    // dwCount reports of dwSizeHid bytes, back to back

    // A HID message carrying one report.
    static RawInputMessage FromReport(const QByteArray& report);
};

// What a screen receives: keys, raw remote input and application commands. Screens implement it;
// whatever reads keyboards, remotes and phones hands its input over through it and never needs to
// know the screens.
class ScreenInput {
public:
    // A key as the keyboard would give it; returns whether the screen consumed it.
    virtual bool KeyDown(int key, ShiftState shift) = 0;
    // Whether the key moves through a list, whose rows a held key passes ever quicker.
    virtual bool ScrollsList(int /*key*/) const { return false; }
    virtual void WmInput(const RawInputMessage& message) = 0;
    virtual void WmAppCommand(int command) = 0;

protected:
    ~ScreenInput() = default;
};

// The screen input of a window: the window's own when it is a screen, none otherwise.
ScreenInput* ScreenInputOf(QWidget* window);
// The screen that has the keyboard focus while the application is active, with no message box or
// dialog in front of it: the only one that receives remote input. None otherwise.
ScreenInput* FocusedScreenInput();
