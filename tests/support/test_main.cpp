#include "platform/application.h"

#include <QDir>
#include <QTemporaryDir>

#include <gmock/gmock.h>

// Every test binary runs headless, with its own settings store and temporary folder, so that no
// test ever touches the user's real configuration.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir sandbox;
    if (!sandbox.isValid())
        return 2;
    for (const char* name : {"config", "data", "state", "tmp", "runtime"})
        QDir(sandbox.path()).mkpath(QString::fromLatin1(name));
    // A runtime directory is private to its user; the playlists go there.
    const QString runtime = sandbox.filePath(QStringLiteral("runtime"));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(sandbox.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(sandbox.filePath(QStringLiteral("data"))));
    qputenv("XDG_STATE_HOME", QFile::encodeName(sandbox.filePath(QStringLiteral("state"))));
    qputenv("TMPDIR", QFile::encodeName(sandbox.filePath(QStringLiteral("tmp"))));
    // No test talks to the user's desktop: the session bus is one that is not there. Tests that
    // need a bus start a private one.
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            "unix:path=" + QFile::encodeName(sandbox.filePath(QStringLiteral("no-bus"))));

    Application app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
