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
    for (const char* name : {"config", "data", "state", "tmp"})
        QDir(sandbox.path()).mkpath(QString::fromLatin1(name));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(sandbox.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(sandbox.filePath(QStringLiteral("data"))));
    qputenv("XDG_STATE_HOME", QFile::encodeName(sandbox.filePath(QStringLiteral("state"))));
    qputenv("TMPDIR", QFile::encodeName(sandbox.filePath(QStringLiteral("tmp"))));

    Application app(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
