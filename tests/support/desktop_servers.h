#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QProcess>
#include <QString>

#include <memory>

// A private D-Bus session bus run by the test (dbus-daemon --session); nothing of the user's
// session is touched. Connect() gives a connection of its own for every name.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    // Empty when dbus-daemon could not start; then Why() says why.
    const QString& Address() const { return address_; }
    const QString& Why() const { return why_; }
    QDBusConnection Connect(const QString& name);

private:
    QProcess daemon_;
    QString address_;
    QString why_;
    QStringList names_;
};

// An Xvfb X server on a free display, for as long as the object lives.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    // ":N", or empty when Xvfb could not start; then Why() says why.
    const QByteArray& Display() const { return display_; }
    const QString& Why() const { return why_; }

private:
    QProcess server_;
    QByteArray display_;
    QString why_;
};
