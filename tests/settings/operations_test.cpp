#include "settings_fixture.h"
#include "test_store.h"

#include <QFile>

#include <QStringList>
#include <gmock/gmock.h>

#include <sqlite3.h>
#include <sys/stat.h>

namespace {

const QString kKey = QStringLiteral("Software\\Quor\\Couchframe\\Settings\\Player");

using OperationsTest = SettingsTest;

TEST_F(OperationsTest, FirstRunYieldsDefaultsAndNoRootKey) {
    EXPECT_FALSE(SettingKeyExists(TestStore(), settingskey::Root));
    EXPECT_EQ(ReadSettingString(TestStore(), 0, settingskey::System, "ExitCode", "81536047"),
              "81536047");
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, settingskey::System, "ActiveDelay", 10), 10);
    EXPECT_FALSE(ReadSettingBool(TestStore(), 0, kKey, "ShowProgress", false));
    EXPECT_TRUE(ReadSettingBool(TestStore(), 0, kKey, "ShowProgress", true));
    EXPECT_EQ(ReadFolderEntryCount(TestStore(), settingskey::Category("Video")), 0);
}

TEST_F(OperationsTest, EveryKindRoundTrips) {
    WriteSettingString(TestStore(), 0, kKey, "Text", "日本語 and \"quotes\" \\ back");
    WriteSettingString(TestStore(), 0, kKey, "Empty", "");
    WriteSettingInt(TestStore(), 0, kKey, "Negative", -123456);
    WriteSettingInt(TestStore(), 0, kKey, "Max", 2147483647);
    WriteSettingBool(TestStore(), 0, kKey, "On", true);
    WriteSettingBool(TestStore(), 0, kKey, "Off", false);
    EXPECT_EQ(ReadSettingString(TestStore(), 0, kKey, "Text", "x"),
              "日本語 and \"quotes\" \\ back");
    EXPECT_EQ(ReadSettingString(TestStore(), 0, kKey, "Empty", "x"), "");
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kKey, "Negative", 0), -123456);
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kKey, "Max", 0), 2147483647);
    EXPECT_TRUE(ReadSettingBool(TestStore(), 0, kKey, "On", false));
    EXPECT_FALSE(ReadSettingBool(TestStore(), 0, kKey, "Off", true));

    const auto stored = TestStore().ReadValue(RootKey::CurrentUser, kKey, "On");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->kind, ValueKind::Dword);
    EXPECT_EQ(stored->data, QByteArray("\x01\x00\x00\x00", 4));
    const auto text = TestStore().ReadValue(RootKey::CurrentUser, kKey, "Empty");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->kind, ValueKind::Sz);
    EXPECT_EQ(text->data, QByteArray(1, '\0')); // length + 1 bytes: the terminating NUL
}

TEST_F(OperationsTest, AWriteCreatesEveryMissingLevel) {
    WriteSettingInt(TestStore(), 0, kKey, "Volume", 55);
    for (const char* path : {"Software", "Software\\Quor", "Software\\Quor\\Couchframe",
                             "Software\\Quor\\Couchframe\\Settings"})
        EXPECT_TRUE(SettingKeyExists(TestStore(), path)) << path;
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kKey, "Volume", 80), 55);
}

TEST_F(OperationsTest, NamesIgnoreCaseAndALeadingBackslashNamesTheSameKey) {
    WriteSettingString(TestStore(), 0, "Software\\Quor\\Couchframe\\System", "ExitCode", "1234");
    EXPECT_EQ(
        ReadSettingString(TestStore(), 0, "\\SOFTWARE\\quor\\COUCHFRAME\\system", "EXITCODE", ""),
        "1234");
    // Case folding goes beyond ASCII.
    WriteSettingString(TestStore(), 0, "Software\\Ärger\\ΣΟΦΙΑ", "Größe", "a");
    EXPECT_EQ(ReadSettingString(TestStore(), 0, "\\software\\ÄRGER\\σοφια", "GRÖßE", "none"), "a");
    // A rewrite with other letter case replaces the value and keeps the first spelling.
    WriteSettingInt(TestStore(), 0, "software\\quor\\couchframe\\SYSTEM", "exitcode", 5);
    const auto stored =
        TestStore().ReadValue(RootKey::CurrentUser, settingskey::System, "ExitCode");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->name, "ExitCode");
    EXPECT_EQ(stored->kind, ValueKind::Dword);
    const auto root = TestStore().FindKey(RootKey::CurrentUser, "Software\\Quor");
    ASSERT_TRUE(root);
    EXPECT_EQ(TestStore().SubKeys(*root).at(0).name, "Couchframe");
}

TEST_F(OperationsTest, RootSelectorsKeepTheirKeysApart) {
    EXPECT_EQ(RootKeyFromSelector(0), RootKey::CurrentUser);
    EXPECT_EQ(RootKeyFromSelector(1), RootKey::ClassesRoot);
    EXPECT_EQ(RootKeyFromSelector(2), RootKey::CurrentUser);
    EXPECT_EQ(RootKeyFromSelector(3), RootKey::LocalMachine);
    EXPECT_EQ(RootKeyFromSelector(4), RootKey::Users);
    EXPECT_EQ(RootKeyFromSelector(5), RootKey::CurrentConfig);
    EXPECT_EQ(RootKeyFromSelector(6), RootKey::DynData);
    EXPECT_EQ(RootKeyFromSelector(7), RootKey::CurrentUser);
    EXPECT_EQ(RootKeyFromSelector(-1), RootKey::CurrentUser);

    WriteSettingInt(TestStore(), 3, "Software\\Shared", "Value", 3);
    WriteSettingInt(TestStore(), 2, "Software\\Shared", "Value", 2);
    EXPECT_EQ(ReadSettingInt(TestStore(), 3, "Software\\Shared", "Value", 0), 3);
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, "Software\\Shared", "Value", 0), 2);
    EXPECT_EQ(ReadSettingInt(TestStore(), 1, "Software\\Shared", "Value", 0), 0);
}

TEST_F(OperationsTest, EntryNamesKeepAtLeastThreeDigitsAndAllOfFour) {
    EXPECT_EQ(EntryValueName("Title", 1), "Title001");
    EXPECT_EQ(EntryValueName("Folder", 12), "Folder012");
    EXPECT_EQ(EntryValueName("Lock", 999), "Lock999");
    EXPECT_EQ(EntryValueName("Lock", 1000), "Lock1000");
    EXPECT_EQ(EntryValueName("Title", 9999), "Title9999");
    EXPECT_EQ(settingskey::Category("Music"), "Software\\Quor\\Couchframe\\Music");

    const QString video = settingskey::Category("Video");
    WriteSettingString(TestStore(), 0, video, EntryValueName("Title", 1000), "thousandth");
    WriteSettingString(TestStore(), 0, video, EntryValueName("Title", 100), "hundredth");
    EXPECT_EQ(ReadSettingString(TestStore(), 0, video, "Title1000", ""), "thousandth");
    EXPECT_EQ(ReadSettingString(TestStore(), 0, video, "Title100", ""), "hundredth");
}

TEST_F(OperationsTest, ErasingACategoryAndRewritingItLeavesNoStaleEntries) {
    const QString music = settingskey::Category("Music");
    WriteSettingInt(TestStore(), 0, music, "ItemCount", 3);
    for (int n = 1; n <= 3; ++n) {
        WriteSettingString(TestStore(), 0, music, EntryValueName("Title", n), QString::number(n));
        WriteSettingBool(TestStore(), 0, music, EntryValueName("Lock", n), true);
    }
    WriteSettingInt(TestStore(), 0, music + "\\Deeper\\Still", "Inner", 1);

    EraseSettingKey(TestStore(), 0, "\\" + music.toUpper());
    EXPECT_FALSE(SettingKeyExists(TestStore(), music));
    EXPECT_FALSE(SettingKeyExists(TestStore(), music + "\\Deeper"));
    EXPECT_TRUE(SettingKeyExists(TestStore(), settingskey::Root));

    WriteSettingInt(TestStore(), 0, music, "ItemCount", 1);
    WriteSettingString(TestStore(), 0, music, EntryValueName("Title", 1), "only");
    EXPECT_EQ(ReadSettingString(TestStore(), 0, music, "Title002", "gone"), "gone");
    EXPECT_FALSE(ReadSettingBool(TestStore(), 0, music, "Lock001", false));
    const auto key = TestStore().FindKey(RootKey::CurrentUser, music);
    ASSERT_TRUE(key);
    EXPECT_EQ(TestStore().Values(*key).size(), 2);
    EXPECT_TRUE(TestStore().SubKeys(*key).isEmpty());
}

TEST_F(OperationsTest, EraseNeverRaisesAndNeverWipesTheRoot) {
    EXPECT_NO_THROW(EraseSettingKey(TestStore(), 0, "Software\\Nothing\\Here"));
    EXPECT_NO_THROW(EraseSettingKey(TestStore(), 0, "Bad\\\\Path"));
    WriteSettingInt(TestStore(), 0, kKey, "Volume", 1);
    EraseSettingKey(TestStore(), 0, "");
    EraseSettingKey(TestStore(), 0, "\\");
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kKey, "Volume", 0), 1);
}

TEST_F(OperationsTest, MissingEntryValuesReadAsEmpty) {
    const QString video = settingskey::Category("Video");
    WriteSettingInt(TestStore(), 0, video, "ItemCount", 3);
    WriteSettingString(TestStore(), 0, video, "Title001", "one");
    WriteSettingString(TestStore(), 0, video, "Title003", "three");
    EXPECT_EQ(ReadFolderEntryCount(TestStore(), video), 3);
    EXPECT_EQ(ReadSettingString(TestStore(), 0, video, EntryValueName("Title", 2), ""), "");
}

class EntryCountBound : public SettingsTest,
                        public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(EntryCountBound, StoredCountIsKeptWithinTheBound) {
    const QString picture = settingskey::Category("Picture");
    WriteSettingInt(TestStore(), 0, picture, "ItemCount", GetParam().first);
    EXPECT_EQ(ReadFolderEntryCount(TestStore(), picture), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Counts, EntryCountBound,
                         ::testing::Values(std::pair{2000000000, 9999}, std::pair{10000, 9999},
                                           std::pair{9999, 9999}, std::pair{12, 12},
                                           std::pair{-5, 0}, std::pair{-2147483647 - 1, 0}));

TEST_F(OperationsTest, ACountStoredAsTextIsBoundedToo) {
    WriteSettingString(TestStore(), 0, settingskey::Category("Video"), "ItemCount", "2000000000");
    EXPECT_EQ(ReadFolderEntryCount(TestStore(), settingskey::Category("Video")), 9999);
}

TEST_F(OperationsTest, InvalidKeyPathsReadAsMissingAndFailToWrite) {
    EXPECT_EQ(ReadSettingString(TestStore(), 0, "Software\\\\Quor", "Value", "dflt"), "dflt");
    EXPECT_FALSE(SettingKeyExists(TestStore(), "Software\\Quor\\"));
    EXPECT_EQ(
        RaisedMessage([] { WriteSettingString(TestStore(), 0, "Software\\\\Quor", "Value", "x"); }),
        "キー Software\\\\Quor の作成に失敗しました");
    EXPECT_EQ(
        RaisedMessage([] { WriteSettingInt(TestStore(), 0, "Software\\\\Quor", "Value", 1); }),
        "'Value' の設定に失敗しました");
}

TEST_F(OperationsTest, NothingIsCachedAcrossConnections) {
    WriteSettingInt(TestStore(), 0, kKey, "Volume", 10);
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kKey, "Volume", 0), 10);
    // A second connection (as another process would hold) changes the file under us.
    TestStore().UseDatabase(DatabasePath());
    WriteSettingInt(TestStore(), 0, kKey, "Volume", 20);
    TestStore().UseDatabase(DatabasePath());
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kKey, "Volume", 0), 20);
}

TEST_F(OperationsTest, TheStoreFileIsPrivateToTheUser) {
    const QString path = folder.filePath("nested/deeper/settings.db");
    TestStore().UseDatabase(path);
    WriteSettingInt(TestStore(), 0, kKey, "Volume", 1);
    // The write-ahead log and its index, there while the connection is open, are private too.
    for (const QString& file : {path, path + "-wal", path + "-shm"}) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &info), 0) << file.toStdString();
        EXPECT_EQ(info.st_mode & 0777, 0600u) << file.toStdString();
    }
}

TEST_F(OperationsTest, DefaultFileFollowsTheConfigHome) {
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/some/where");
    EXPECT_EQ(SettingsStore::DefaultDatabasePath(), "/some/where/couchframe/settings.db");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(SettingsStore::DefaultDatabasePath().endsWith("/.config/couchframe/settings.db"));
    qputenv("XDG_CONFIG_HOME", saved);
}

// A store that refuses writes: every write reports the failure, none pretends to succeed.
TEST_F(OperationsTest, AWriteARefusingStoreHoldsReadsBackButAWholeChangeStillFails) {
    WriteSettingString(TestStore(), 0, settingskey::System, "ExitCode", "1111");
    TestStore().UseDatabase(DatabasePath(), SettingsStore::Access::ReadOnly);
    EXPECT_NO_THROW(WriteSettingString(TestStore(), 0, settingskey::System, "ExitCode", "2"));
    EXPECT_NO_THROW(WriteSettingBool(TestStore(), 0, kKey, "SkipFlg", true));
    EXPECT_EQ(ReadSettingString(TestStore(), 0, settingskey::System, "ExitCode", ""), "2");
    EXPECT_TRUE(ReadSettingBool(TestStore(), 0, kKey, "SkipFlg", false));
    // A change made as one unit (the settings dialog's OK) is refused whole, as it was.
    SettingsStore& store = TestStore();
    EXPECT_THAT(RaisedMessage([] {
                    TestStore().WriteAtomically([] {
                        WriteSettingInt(TestStore(), 0, settingskey::System, "ActiveDelay", 3);
                    });
                }).toStdString(),
                ::testing::HasSubstr("readonly"));
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, settingskey::System, "ActiveDelay", 0), 0);
    EXPECT_NO_THROW(EraseSettingKey(TestStore(), 0, settingskey::System));
    // Nothing reached the file.
    store.UseDatabase(DatabasePath());
    EXPECT_EQ(ReadSettingString(TestStore(), 0, settingskey::System, "ExitCode", ""), "1111");
    EXPECT_FALSE(ReadSettingBool(TestStore(), 0, kKey, "SkipFlg", false));
}

TEST_F(OperationsTest, AStoreThatCannotBeOpenedGivesAClearMessage) {
    QFile blocker(folder.filePath("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TestStore().UseDatabase(folder.filePath("not-a-folder/settings.db"));
    QString message = RaisedMessage([] { ReadSettingInt(TestStore(), 0, kKey, "Volume", 0); });
    EXPECT_TRUE(message.startsWith("Cannot open the settings store ")) << message.toStdString();
    EXPECT_TRUE(message.contains("cannot create the folder")) << message.toStdString();

    QFile corrupt(DatabasePath());
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write(QByteArray(4096, 'x'));
    corrupt.close();
    TestStore().UseDatabase(DatabasePath());
    message = RaisedMessage([] { WriteSettingInt(TestStore(), 0, kKey, "Volume", 1); });
    EXPECT_EQ(message,
              "Cannot open the settings store " + DatabasePath() + ": file is not a database");
    message = RaisedMessage([] { SettingKeyExists(TestStore(), settingskey::Root); });
    EXPECT_TRUE(message.startsWith("Cannot open the settings store ")) << message.toStdString();
    EXPECT_NO_THROW(EraseSettingKey(TestStore(), 0, kKey));
}

// A file that SQLite opens but that is not a store of ours says why, not SQLite's "not an error".
TEST_F(OperationsTest, AStoreOfANewerVersionOrWithoutSettingsSaysSo) {
    const auto setVersion = [](const QString& path, int version) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        const QByteArray pragma = "PRAGMA user_version = " + QByteArray::number(version);
        EXPECT_EQ(sqlite3_exec(db, pragma.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    };
    WriteSettingInt(TestStore(), 0, kKey, "Volume", 1);
    const QString newer = folder.filePath("newer.db");
    TestStore().UseDatabase(newer);
    WriteSettingInt(TestStore(), 0, kKey, "Volume", 1);
    TestStore().UseDatabase(DatabasePath());
    setVersion(newer, 99);
    TestStore().UseDatabase(newer);
    EXPECT_EQ(RaisedMessage([] { ReadSettingInt(TestStore(), 0, kKey, "Volume", 0); }),
              "Cannot open the settings store " + newer +
                  ": it was written by a newer version of Couchframe");

    const QString empty = folder.filePath("empty.db");
    setVersion(empty, 0);
    TestStore().UseDatabase(empty, SettingsStore::Access::ReadOnly);
    EXPECT_EQ(RaisedMessage([] { ReadSettingInt(TestStore(), 0, kKey, "Volume", 0); }),
              "Cannot open the settings store " + empty + ": it holds no settings");
}

} // namespace
