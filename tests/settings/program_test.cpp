#include "settings_fixture.h"
#include "test_store.h"

#include "settings/reg_file.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

const QString kVideo = settingskey::Category("Video");

struct Finished {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// The program run as a second process on the same store file (through its config home).
class ProgramTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        TestStore().UseDatabase(ConfigHome() + "/couchframe/settings.db");
    }

    QString ConfigHome() const { return folder.filePath("config"); }

    void Start(QProcess& process, const QStringList& arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", ConfigHome());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(COUCHFRAME_BIN_DIR "/couchframe"), arguments);
        ASSERT_TRUE(process.waitForStarted());
    }

    Finished Run(const QStringList& arguments, const QByteArray& input = {}) const {
        QProcess process;
        Start(process, arguments);
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(60000));
        return Finished{process.exitCode(), process.readAllStandardOutput(),
                        QString::fromLocal8Bit(process.readAllStandardError())};
    }

    QString WriteFile(const QString& name, const QByteArray& content) const {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }
};

QByteArray CategoryFile(int entries) {
    QByteArray text = "Windows Registry Editor Version 5.00\n\n"
                      "[HKEY_CURRENT_USER\\Software\\Quor\\Couchframe\\Video]\n";
    text += QStringLiteral("\"ItemCount\"=dword:%1\n").arg(entries, 8, 16, QChar(u'0')).toUtf8();
    for (int n = 1; n <= entries; ++n) {
        text += QStringLiteral("\"%1\"=\"title %2\"\n\"%3\"=\"/media/%2\"\n\"%4\"=dword:00000001\n")
                    .arg(EntryValueName("Title", n))
                    .arg(n)
                    .arg(EntryValueName("Folder", n), EntryValueName("Lock", n))
                    .toUtf8();
    }
    return text;
}

TEST_F(ProgramTest, ImportFromAFileAndExportToStandardOutput) {
    const Finished imported = Run({"--import-settings", WriteFile("in.reg", CategoryFile(3))});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(ReadFolderEntryCount(TestStore(), kVideo), 3);
    EXPECT_EQ(ReadSettingString(TestStore(), 0, kVideo, "Folder002", ""), "/media/2");
    EXPECT_TRUE(ReadSettingBool(TestStore(), 0, kVideo, "Lock003", false));

    const Finished exported = Run({"--export-settings", "-"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    EXPECT_EQ(exported.out, ExportSettings(TestStore()));
}

TEST_F(ProgramTest, ImportFromStandardInputAndExportToAFile) {
    const Finished imported =
        Run({"--import-settings", "-"}, "Windows Registry Editor Version 5.00\n\n"
                                        "[HKEY_CURRENT_USER\\Software\\Quor\\Couchframe\\System]\n"
                                        "\"ExitCode\"=\"777\"\n");
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(ReadSettingString(TestStore(), 0, settingskey::System, "ExitCode", ""), "777");

    const QString target = folder.filePath("backup.reg");
    const Finished exported = Run({"--export-settings", target});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), ExportSettings(TestStore()));
}

TEST_F(ProgramTest, ImportRefusesInputsBeyondTheSizeLimit) {
    // An endless device and a file just past 64 MiB (sparse: no disk used) are refused with a
    // message, quickly, and change nothing.
    const QString large = WriteFile("large.reg", "Windows Registry Editor Version 5.00\n\n");
    ASSERT_TRUE(QFile::resize(large, 64 * 1024 * 1024 + 1));
    for (const QString& input : {QStringLiteral("/dev/zero"), large}) {
        SCOPED_TRACE(input.toStdString());
        const Finished run = Run({"--import-settings", input});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains("larger than 64 MiB")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(input)) << run.err.toStdString();
    }
    // Exactly at the limit is still read (and here fails only as a .reg file).
    ASSERT_TRUE(QFile::resize(large, 64 * 1024 * 1024));
    const Finished atLimit = Run({"--import-settings", large});
    EXPECT_EQ(atLimit.exitCode, 1);
    EXPECT_FALSE(atLimit.err.contains("larger than")) << atLimit.err.toStdString();
}

TEST_F(ProgramTest, FailuresExitNonZeroWithAClearMessage) {
    WriteSettingString(TestStore(), 0, settingskey::System, "ExitCode", "1");
    Finished run = Run({"--import-settings", "-"}, "Windows Registry Editor Version 5.00\n\n"
                                                   "[HKEY_CURRENT_USER\\Software\\X]\n"
                                                   "\"a\"=dword:nothex\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        run.err.startsWith("couchframe: cannot import the settings from standard input: line 4: "))
        << run.err.toStdString();
    EXPECT_FALSE(SettingKeyExists(TestStore(), "Software\\X"));

    run = Run({"--import-settings", folder.filePath("missing.reg")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("missing.reg")) << run.err.toStdString();

    run = Run({"--export-settings", folder.filePath("no/such/folder/out.reg")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.startsWith("couchframe: cannot export the settings to "))
        << run.err.toStdString();

    run = Run({"--export-settings"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("needs a FILE")) << run.err.toStdString();
}

// Another process writes the store while this one reads and writes it: both go through, and a
// reader sees the other's import either not at all or whole.
TEST_F(ProgramTest, TwoProcessesShareTheStore) {
    constexpr int kEntries = 1000;
    WriteSettingInt(TestStore(), 0, "Software\\Parent", "Start", 1);
    QProcess child;
    Start(child, {"--import-settings", WriteFile("big.reg", CategoryFile(kEntries))});
    int written = 0;
    while (child.state() != QProcess::NotRunning || written < 20) {
        WriteSettingInt(TestStore(), 0, "Software\\Parent", EntryValueName("V", written), written);
        ++written;
        const int count = ReadFolderEntryCount(TestStore(), kVideo);
        const QString last =
            ReadSettingString(TestStore(), 0, kVideo, EntryValueName("Title", kEntries), "");
        ASSERT_TRUE((count == 0 && last.isEmpty()) ||
                    (count == kEntries && last == QStringLiteral("title %1").arg(kEntries)))
            << count << " " << last.toStdString();
        child.waitForFinished(1);
    }
    child.waitForFinished(60000);
    ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    EXPECT_EQ(ReadFolderEntryCount(TestStore(), kVideo), kEntries);
    EXPECT_EQ(ReadSettingString(TestStore(), 0, kVideo, "Folder0500", "-"), "-");
    EXPECT_EQ(ReadSettingString(TestStore(), 0, kVideo, "Folder500", ""), "/media/500");
    for (int i = 0; i < written; ++i)
        ASSERT_EQ(ReadSettingInt(TestStore(), 0, "Software\\Parent", EntryValueName("V", i), -1),
                  i);
}

// The config folder on a read-only mount (a kiosk's locked-down home, a full disk remounted read
// only): every setting is still there and can be backed up. The mount is made in a mount namespace
// of the program's own, where the machine allows one.
TEST_F(ProgramTest, AStoreInAReadOnlyFolderIsReadWholeAndExports) {
    ASSERT_EQ(Run({"--import-settings", WriteFile("in.reg", CategoryFile(3))}).exitCode, 0);
    // The store is closed cleanly first, as a program that ended leaves it.
    TestStore().UseDatabase(folder.filePath("elsewhere.db"));
    const QString config = ConfigHome() + "/couchframe";
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", ConfigHome());
    environment.insert("CONFIG", config);
    process.setProcessEnvironment(environment);
    process.start("unshare", {"--mount", "sh", "-c",
                              "mount --bind \"$CONFIG\" \"$CONFIG\" && "
                              "mount -o remount,bind,ro \"$CONFIG\" || exit 77; "
                              "touch \"$CONFIG/probe\" 2>/dev/null && exit 77; "
                              "exec " COUCHFRAME_BIN_DIR "/couchframe --export-settings -"});
    if (!process.waitForStarted())
        GTEST_SKIP() << "unshare is not installed";
    ASSERT_TRUE(process.waitForFinished(60000));
    const QByteArray errors = process.readAllStandardError();
    if (process.exitCode() == 77 || (process.exitCode() == 1 && errors.startsWith("unshare")))
        GTEST_SKIP() << "no mount namespace can be made here (it needs root or user namespaces)";
    ASSERT_EQ(process.exitCode(), 0) << errors.toStdString();
    const QByteArray exported = process.readAllStandardOutput();
    EXPECT_TRUE(exported.contains("\"/media/3\"")) << exported.toStdString();
    EXPECT_TRUE(exported.contains("\"ItemCount\"=dword:00000003")) << exported.toStdString();
}

// The config folder on a disk that fills up (a small tmpfs in a mount namespace of the program's
// own): an import that does not fit says so and leaves the settings as they were; once there is
// room again it goes through.
TEST_F(ProgramTest, AFullDiskRefusesAnImportWholeAndSaysWhy) {
    TestStore().UseDatabase(folder.filePath("elsewhere.db"));
    const QString config = ConfigHome() + "/couchframe";
    ASSERT_TRUE(QDir().mkpath(config));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", ConfigHome());
    environment.insert("CONFIG", config);
    environment.insert("SMALL", WriteFile("small.reg", CategoryFile(3)));
    environment.insert("LARGE", WriteFile("large.reg", CategoryFile(1500)));
    process.setProcessEnvironment(environment);
    // Each step prints its exit status on a line of its own; the exports go to files.
    process.start("unshare", {"--mount", "sh", "-c",
                              "mount -t tmpfs -o size=1m tmpfs \"$CONFIG\" || exit 77; "
                              "p=" COUCHFRAME_BIN_DIR "/couchframe; "
                              "$p --import-settings \"$SMALL\"; echo \"small $?\"; "
                              "dd if=/dev/zero of=\"$CONFIG/fill\" bs=4k 2>/dev/null; "
                              "$p --import-settings \"$LARGE\"; echo \"large when full $?\"; "
                              "rm \"$CONFIG/fill\"; "
                              "$p --export-settings - > \"$CONFIG/../after-full.reg\"; "
                              "$p --import-settings \"$LARGE\"; echo \"large with room $?\"; "
                              "$p --export-settings - > \"$CONFIG/../with-room.reg\""});
    if (!process.waitForStarted())
        GTEST_SKIP() << "unshare is not installed";
    ASSERT_TRUE(process.waitForFinished(120000));
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    if (process.exitCode() == 77 || (process.exitCode() == 1 && errors.startsWith("unshare")))
        GTEST_SKIP() << "no tmpfs can be mounted here (it needs root or user namespaces)";
    const QByteArray steps = process.readAllStandardOutput();
    EXPECT_EQ(steps, "small 0\nlarge when full 1\nlarge with room 0\n") << errors.toStdString();
    EXPECT_TRUE(errors.contains("the disk is full")) << errors.toStdString();
    const auto exported = [&](const char* name) {
        QFile file(ConfigHome() + "/" + name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        return file.readAll();
    };
    const QByteArray afterFull = exported("after-full.reg");
    EXPECT_TRUE(afterFull.contains("\"ItemCount\"=dword:00000003")) << afterFull.toStdString();
    EXPECT_FALSE(afterFull.contains("\"/media/4\"")) << "nothing of the refused import";
    EXPECT_TRUE(exported("with-room.reg").contains("\"/media/1500\""));
}

} // namespace
