#include "private_logind.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QFileInfo>
#include <QTest>

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
// The distribution's interpreter, where python3-dbusmock is installed; a python3 earlier on the
// PATH (a pyenv one) would not have it.
const QString kPython = QStringLiteral("/usr/bin/python3");
constexpr int kStartMs = 30000;
} // namespace

PrivateLogind::PrivateLogind() {
    if (bus_.Address().isEmpty()) {
        why_ = bus_.Why();
        return;
    }
    if (!QFileInfo(kPython).isExecutable()) {
        why_ = QStringLiteral("%1 is not installed (package python3)").arg(kPython);
        return;
    }
    QProcess probe;
    probe.setStandardOutputFile(QProcess::nullDevice());
    probe.setStandardErrorFile(QProcess::nullDevice());
    probe.start(kPython, {QStringLiteral("-c"), QStringLiteral("import dbusmock")});
    if (!probe.waitForFinished(kStartMs) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0) {
        why_ = QStringLiteral("python's dbusmock module is missing (package python3-dbusmock)");
        return;
    }

    control_ = bus_.Connect(QStringLiteral("logind-control"));
    bool up = false;
    QDBusServiceWatcher watcher(kService, control_, QDBusServiceWatcher::WatchForRegistration);
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, [&up] { up = true; });

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), bus_.Address());
    mock_.setProcessEnvironment(environment);
    mock_.setStandardOutputFile(QProcess::nullDevice());
    mock_.setStandardErrorFile(QProcess::nullDevice());
    mock_.start(kPython,
                {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                 QStringLiteral("--template"), QStringLiteral("logind")});
    if (!QTest::qWaitFor(
            [&] {
                return up || control_.interface()->isServiceRegistered(kService) ||
                       mock_.state() == QProcess::NotRunning;
            },
            kStartMs) ||
        mock_.state() == QProcess::NotRunning)
        why_ = QStringLiteral("dbusmock's logind template did not start");
}

PrivateLogind::~PrivateLogind() {
    if (mock_.state() != QProcess::NotRunning) {
        mock_.terminate();
        if (!mock_.waitForFinished(5000))
            mock_.kill();
        mock_.waitForFinished(5000);
    }
}

bool PrivateLogind::SendPrepareForSleep(bool start) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
    call << kManager << QStringLiteral("PrepareForSleep") << QStringLiteral("b")
         << QVariantList{start};
    return control_.call(call).type() == QDBusMessage::ReplyMessage;
}

QStringList PrivateLogind::Inhibitors() {
    const QDBusMessage reply = control_.call(QDBusMessage::createMethodCall(
        kService, kPath, kManager, QStringLiteral("ListInhibitors")));
    QStringList locks;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {QStringLiteral("<no answer>")};
    const auto list = reply.arguments().first().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QString what, who, why, mode;
        uint uid = 0, pid = 0;
        list.beginStructure();
        list >> what >> who >> why >> mode >> uid >> pid;
        list.endStructure();
        locks << QStringList{what, who, why, mode}.join(QLatin1Char('|'));
    }
    list.endArray();
    return locks;
}
