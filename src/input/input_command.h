#pragma once

#include "platform/keys.h"

#include <QtGlobal>

// One button of any source, as the screens understand it: a key (a vk:: code with its shift
// state), an application command (appcommand::), or a remote report's code (the four-byte reports
// that open a category). Every source turns its buttons into these, pressed and released.
struct InputCommand {
    enum class Kind { Key, AppCommand, Report };

    Kind kind = Kind::Key;
    int value = 0;
    ShiftState shift{};

    static InputCommand Key(int vkCode, ShiftState shift = {}) {
        return {Kind::Key, vkCode, shift};
    }
    static InputCommand Command(int appCommand) { return {Kind::AppCommand, appCommand, {}}; }
    static InputCommand Report(quint32 code) {
        return {Kind::Report, static_cast<int>(code), {}};
    }
    bool operator==(const InputCommand&) const = default;
};
