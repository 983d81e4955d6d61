#pragma once

#include "platform/keys.h"

#include <QByteArray>
#include <QtGlobal>

#include <utility>

// One button of any source, as the screens understand it: a key (a vk:: code with its shift
// state), an application command (appcommand::), or a remote report's code (the four-byte reports
// that open a category). Every source turns its buttons into these, pressed and released.
struct InputCommand {
    enum class Kind { Key, AppCommand, Report };

    Kind kind = Kind::Key;
    int value = 0;
    ShiftState shift{};
    // A report as its device sent it (a report ID may come before the code); empty for a button
    // that came some other way, which the screens see as the code's four bytes.
    QByteArray report;

    static InputCommand Key(int vkCode, ShiftState shift = {}) {
        return {Kind::Key, vkCode, shift, {}};
    }
    static InputCommand Command(int appCommand) { return {Kind::AppCommand, appCommand, {}, {}}; }
    static InputCommand Report(quint32 code, QByteArray asSent = {}) {
        return {Kind::Report, static_cast<int>(code), {}, std::move(asSent)};
    }
    // The same button, however its report was framed.
    bool operator==(const InputCommand& other) const {
        return kind == other.kind && value == other.value && shift == other.shift;
    }
};
