#include "desktop_servers.h"

#include <QStandardPaths>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
constexpr int kStartMs = 15000;

// Reads one line the child writes to the pipe's end it was handed; empty on timeout.
QByteArray ReadLine(int fd) {
    QByteArray line;
    while (!line.endsWith('\n')) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, kStartMs) <= 0)
            return {};
        char chunk[64];
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0)
            return {};
        line.append(chunk, got);
    }
    return line.trimmed();
}

// Starts program with the write end of a pipe as file descriptor 3 and returns what it writes
// there first.
QByteArray StartReporting(QProcess& process, const QString& program, QStringList arguments) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return {};
    process.setChildProcessModifier([writeEnd = fds[1]] { dup2(writeEnd, 3); });
    // Their chatter (dbus-daemon's fd limit, Xvfb's keymap) is not the test's output.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    close(fds[1]);
    QByteArray line = process.waitForStarted() ? ReadLine(fds[0]) : QByteArray();
    close(fds[0]);
    return line;
}

void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(5000);
}
} // namespace

PrivateSessionBus::PrivateSessionBus() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (program.isEmpty()) {
        why_ = QStringLiteral("dbus-daemon is not installed (package dbus)");
        return;
    }
    address_ = QString::fromUtf8(
        StartReporting(daemon_, program,
                       {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--nosyslog"), QStringLiteral("--print-address=3")}));
    if (address_.isEmpty())
        why_ = QStringLiteral("dbus-daemon --session did not start");
}

PrivateSessionBus::~PrivateSessionBus() {
    for (const QString& name : names_)
        QDBusConnection::disconnectFromBus(name);
    Stop(daemon_);
}

QDBusConnection PrivateSessionBus::Connect(const QString& name) {
    names_.append(name);
    return QDBusConnection::connectToBus(address_, name);
}

XvfbServer::XvfbServer() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (program.isEmpty()) {
        why_ = QStringLiteral("Xvfb is not installed (package xvfb)");
        return;
    }
    const QByteArray number = StartReporting(server_, program,
                                             {QStringLiteral("-displayfd"), QStringLiteral("3"),
                                              QStringLiteral("-screen"), QStringLiteral("0"),
                                              QStringLiteral("640x480x24"),
                                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (number.isEmpty())
        why_ = QStringLiteral("Xvfb did not start");
    else
        display_ = ":" + number;
}

XvfbServer::~XvfbServer() {
    Stop(server_);
}
