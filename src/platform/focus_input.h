#pragma once

class QWidget;

// The window that takes keyboard input now: the application's active window, unless another
// window of the application (a message box, a dialog) runs modally in front of it. None while
// another program has the focus.
QWidget* FocusedWindow();

// Presses (and releases) a Qt key at the widget with the keyboard focus, as the display server
// would deliver it, so that a dialog in front answers it in its own way. Does nothing while no
// window of the application has the focus.
void PressKeyAtFocus(int qtKey, bool autoRepeat);
