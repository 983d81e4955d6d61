#pragma once

#include "desktop_servers.h"

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

// logind as python3-dbusmock's template plays it, on a private bus that stands in for the system
// bus (the mock is told it is one through DBUS_SYSTEM_BUS_ADDRESS); the machine's own logind and
// system bus are never touched. Both processes end with the object.
class PrivateLogind {
public:
    PrivateLogind();
    ~PrivateLogind();
    PrivateLogind(const PrivateLogind&) = delete;
    PrivateLogind& operator=(const PrivateLogind&) = delete;

    // Whether logind answers on the bus; when not, Why() says what is missing.
    bool Running() const { return why_.isEmpty(); }
    const QString& Why() const { return why_; }
    const QString& Address() const { return bus_.Address(); }
    // A connection of its own to the bus, as the program's system bus.
    QDBusConnection Connect(const QString& name) { return bus_.Connect(name); }

    // Has logind send PrepareForSleep(start); false when the mock refused.
    bool SendPrepareForSleep(bool start);
    // The locks held now, one "what|who|why|mode" each, as ListInhibitors tells them.
    QStringList Inhibitors();

private:
    PrivateSessionBus bus_;
    QProcess mock_;
    QDBusConnection control_{QString()};
    QString why_;
};
