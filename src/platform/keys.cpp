#include "platform/keys.h"

#include <QKeyEvent>

#include <utility>

namespace {
// Keys whose code does not follow from a range.
constexpr std::pair<int, int> kFixedKeys[] = {
    {Qt::Key_Backspace, vk::Back},
    {Qt::Key_Tab, vk::Tab},
    {Qt::Key_Backtab, vk::Tab},
    {Qt::Key_Return, vk::Return},
    {Qt::Key_Enter, vk::Return},
    {Qt::Key_Shift, vk::Shift},
    {Qt::Key_Control, vk::Control},
    {Qt::Key_Alt, vk::Menu},
    {Qt::Key_Pause, vk::Pause},
    {Qt::Key_Escape, vk::Escape},
    {Qt::Key_Space, vk::Space},
    {Qt::Key_PageUp, vk::Prior},
    {Qt::Key_PageDown, vk::Next},
    {Qt::Key_End, vk::End},
    {Qt::Key_Home, vk::Home},
    {Qt::Key_Left, vk::Left},
    {Qt::Key_Up, vk::Up},
    {Qt::Key_Right, vk::Right},
    {Qt::Key_Down, vk::Down},
    {Qt::Key_Insert, vk::Insert},
    {Qt::Key_Delete, vk::Delete},
    {Qt::Key_Plus, vk::OemPlus},
    {Qt::Key_Comma, vk::OemComma},
    {Qt::Key_Minus, vk::OemMinus},
    {Qt::Key_Period, vk::OemPeriod},
    {Qt::Key_Equal, vk::OemPlus},
    {Qt::Key_Less, vk::OemComma},
    {Qt::Key_Greater, vk::OemPeriod},
    {Qt::Key_Underscore, vk::OemMinus},
};

// The Back buttons of air mice (KEY_BACK) and remotes (KEY_EXIT, shown as XF86Close) leave a
// screen as Esc does; Home (KEY_HOMEPAGE) has a code of its own.
constexpr std::pair<int, int> kRemoteButtons[] = {
    {Qt::Key_Back, vk::Escape},
    {Qt::Key_Close, vk::Escape},
    {Qt::Key_HomePage, vk::BrowserHome},
    // A remote's Menu and Info buttons open the phone remote's pairing, as F1 does.
    {Qt::Key_Menu, vk::F1},
    {Qt::Key_Info, vk::F1},
};

// On the keypad these produce the keypad codes rather than the main-keyboard ones.
constexpr std::pair<int, int> kKeypadOperators[] = {
    {Qt::Key_Asterisk, vk::Multiply}, {Qt::Key_Plus, vk::Add},     {Qt::Key_Minus, vk::Subtract},
    {Qt::Key_Period, vk::Decimal},    {Qt::Key_Slash, vk::Divide},
};
} // namespace

int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return (keypad ? vk::Numpad0 : vk::Digit0) + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return vk::LetterA + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return vk::F1 + (qtKey - Qt::Key_F1);
    if (keypad) {
        for (const auto& [key, code] : kKeypadOperators)
            if (key == qtKey)
                return code;
    }
    for (const auto& [key, code] : kFixedKeys)
        if (key == qtKey)
            return code;
    for (const auto& [key, code] : kRemoteButtons)
        if (key == qtKey)
            return code;
    return 0;
}

int VirtualKeyFromQt(const QKeyEvent& event) {
    return VirtualKeyFromQt(event.key(), event.modifiers());
}

ShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers) {
    return ShiftState{modifiers.testFlag(Qt::ShiftModifier),
                      modifiers.testFlag(Qt::ControlModifier), modifiers.testFlag(Qt::AltModifier)};
}

int QtKeyFromVirtualKey(int key) {
    if (key >= vk::Digit0 && key <= vk::Digit0 + 9)
        return Qt::Key_0 + (key - vk::Digit0);
    if (key >= vk::Numpad0 && key <= vk::Numpad0 + 9)
        return Qt::Key_0 + (key - vk::Numpad0);
    if (key >= vk::LetterA && key <= vk::LetterA + 25)
        return Qt::Key_A + (key - vk::LetterA);
    if (key >= vk::F1 && key <= vk::F1 + 23)
        return Qt::Key_F1 + (key - vk::F1);
    // The first Qt key of each code is its own key (Return before Enter, Plus before Equal).
    for (const auto& [qtKey, code] : kFixedKeys)
        if (code == key)
            return qtKey;
    for (const auto& [qtKey, code] : kRemoteButtons)
        if (code == key)
            return qtKey;
    return 0;
}
