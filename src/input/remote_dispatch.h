#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

class QWidget;

// The ways a remote button or media key reaches the program. One press may arrive by two of them
// (a HID remote gives a raw report and, through its kernel driver, a key), so each delivery names
// its path and a press seen on another path just before counts once.
enum class InputPath { DisplayServer, HidRaw, EventDevice };

// Hands a raw report to the focused screen's WmInput (none while a message box or dialog is in
// front of it, or another program has the focus).
void DeliverRemoteReport(const QByteArray& report, InputPath path);
// Hands an application command to the focused screen's WmAppCommand, likewise; or to the given
// window's screen, for commands that come from outside the keyboard focus (a desktop's remote over
// D-Bus).
void DeliverAppCommand(int command, InputPath path, QWidget* receiver = nullptr);
// A key from the display server: a media key becomes its application command, a category key its
// report, both for the screen of the window the key came to. Returns whether the key was one of
// those (then it goes nowhere else). While a remote's event device is read, Play/Pause acts a
// moment later, after the Play that the device reports for the same press, if any.
bool DeliverMediaKey(int qtKey, QWidget* receiver);
// Whether a remote's event device is being read.
void SetEventDevicesRead(bool read);
// Forgets the recent deliveries that the duplicate check compares with.
void ClearRecentRemoteInput();

// Recognises one press that arrives by two paths: the same report code or command from another
// path within the window is dropped; repeats on one path (a held button) all pass.
class DuplicateFilter {
public:
    static constexpr qint64 kWindowMs = 250;
    enum class Kind { Report, Command };

    bool Admit(Kind kind, quint32 value, InputPath path, qint64 nowMs);
    void Clear() { recent_.clear(); }

private:
    struct Delivery {
        Kind kind;
        quint32 value;
        InputPath path;
        qint64 time;
    };
    std::vector<Delivery> recent_;
};
