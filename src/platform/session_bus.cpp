#include "platform/session_bus.h"

#include <QFileInfo>

QDBusConnection SessionBusIfAny() {
    const bool announced = !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS");
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool standardSocket =
        !runtimeDir.isEmpty() && QFileInfo(runtimeDir + QStringLiteral("/bus")).exists();
    if (!announced && !standardSocket)
        return QDBusConnection(QStringLiteral("couchframe-no-session-bus"));
    return QDBusConnection::sessionBus();
}

QDBusConnection SystemBusIfAny() {
    const bool announced = !qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS");
    const bool standardSocket = QFileInfo::exists(QStringLiteral("/run/dbus/system_bus_socket"));
    if (!announced && !standardSocket)
        return NoBus();
    return QDBusConnection::systemBus();
}

QDBusConnection NoBus() {
    return QDBusConnection(QStringLiteral("couchframe-no-bus"));
}
