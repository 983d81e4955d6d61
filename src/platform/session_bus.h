#pragma once

#include <QDBusConnection>

// The user's session bus when the session has one; otherwise a connection that is not connected.
// Never starts a bus of its own (D-Bus would otherwise autolaunch one for an X display).
QDBusConnection SessionBusIfAny();

// The machine's system bus when it has one (DBUS_SYSTEM_BUS_ADDRESS, else the standard socket);
// otherwise a connection that is not connected. A container or a bare kiosk may have none.
QDBusConnection SystemBusIfAny();

// A connection that is not connected: a run, or a test, without that bus.
QDBusConnection NoBus();
