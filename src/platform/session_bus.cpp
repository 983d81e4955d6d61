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
