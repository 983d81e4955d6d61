#pragma once

class QWidget;

// Raises a top-level window and gives it the keyboard, also when another program's window took the
// focus since. On X11 the request carries a fresh server timestamp (the X server ignores a focus
// change older than the last one): through the window manager's _NET_ACTIVE_WINDOW where one runs,
// else by setting the input focus directly. On Wayland Qt asks through the activation protocol
// where the compositor offers it.
void ActivateWindow(QWidget* window);
