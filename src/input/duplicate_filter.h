#pragma once

#include <QtGlobal>

#include <vector>

// The ways a button reaches the program. One press may arrive by two of them (a HID remote gives
// a raw report and, through its kernel driver, a key), so each delivery names its path and a press
// seen on another path just before counts once.
enum class InputPath { DisplayServer, HidRaw, EventDevice, MediaSession, Phone };

// Recognises one press that arrives by two paths: the same report code or command from another
// path within the window is dropped; presses on one path all pass.
class DuplicateFilter {
public:
    static constexpr qint64 kWindowMs = 250;
    enum class Kind { Report, Command };

    bool Admit(Kind kind, quint32 value, InputPath path, qint64 nowMs);

private:
    struct Delivery {
        Kind kind;
        quint32 value;
        InputPath path;
        qint64 time;
    };
    std::vector<Delivery> recent_;
};
