#pragma once

#include <Qt>

class QKeyEvent;

// Virtual-key codes the screens' key maps are written in.
namespace vk {
constexpr int Back = 0x08;
constexpr int Tab = 0x09;
constexpr int Return = 0x0D;
constexpr int Shift = 0x10;
constexpr int Control = 0x11;
constexpr int Menu = 0x12;
constexpr int Pause = 0x13;
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int Prior = 0x21;
constexpr int Next = 0x22;
constexpr int End = 0x23;
constexpr int Home = 0x24;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Insert = 0x2D;
constexpr int Delete = 0x2E;
constexpr int Digit0 = 0x30;  // '0' .. '9' are 0x30 .. 0x39
constexpr int LetterA = 0x41; // 'A' .. 'Z' are 0x41 .. 0x5A
constexpr int Numpad0 = 0x60; // keypad 0 .. 9 are 0x60 .. 0x69
constexpr int Multiply = 0x6A;
constexpr int Add = 0x6B;
constexpr int Subtract = 0x6D;
constexpr int Decimal = 0x6E;
constexpr int Divide = 0x6F;
constexpr int F1 = 0x70; // F1 .. F24 are 0x70 .. 0x87
// The remote's and air mouse's Home button: back to the main menu from any screen.
constexpr int BrowserHome = 0xAC;
constexpr int OemPlus = 0xBB;
constexpr int OemComma = 0xBC;
constexpr int OemMinus = 0xBD;
constexpr int OemPeriod = 0xBE;
} // namespace vk

// The modifier state that accompanies a key.
struct ShiftState {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool operator==(const ShiftState&) const = default;
};

// The virtual-key code of a Qt key event, 0 when the key has none.
int VirtualKeyFromQt(const QKeyEvent& event);
int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);
ShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers);
// The Qt key that types a virtual-key code (the main keyboard's for a keypad digit), 0 for none:
// how a key from a remote's device or a phone is typed into a dialog.
int QtKeyFromVirtualKey(int key);
