#pragma once

#include <QDBusConnection>

// The user's session bus when the session has one; otherwise a connection that is not connected.
// Never starts a bus of its own (D-Bus would otherwise autolaunch one for an X display).
QDBusConnection SessionBusIfAny();
