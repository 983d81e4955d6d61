#include "app/configuration_flow.h"
#include "platform/error.h"
#include "settings/general.h"
#include "settings/phone_remote.h"
#include "settings/store.h"
#include "test_store.h"

#include "test_configuration_dialog.h"

#include <gtest/gtest.h>

namespace {
using Contents = TestConfigurationDialog::Contents;

const QString kVideo = QStringLiteral("Software\\Quor\\Couchframe\\Video");
const QString kMusic = QStringLiteral("Software\\Quor\\Couchframe\\Music");
const QString kPicture = QStringLiteral("Software\\Quor\\Couchframe\\Picture");
const QString kSystem = QStringLiteral("Software\\Quor\\Couchframe\\System");

QString Text(const QString& key, const QString& name) {
    return ReadSettingString(TestStore(), 0, key, name, QStringLiteral("<missing>"));
}

void StoreEntry(const QString& key, int n, const QString& title, const QString& folder, bool lock) {
    WriteSettingString(TestStore(), 0, key, EntryValueName("Title", n), title);
    WriteSettingString(TestStore(), 0, key, EntryValueName("Folder", n), folder);
    WriteSettingBool(TestStore(), 0, key, EntryValueName("Lock", n), lock);
}

class ConfigurationFlow : public ::testing::Test {
protected:
    void SetUp() override { EraseSettingKey(TestStore(), 0, settingskey::Root); }
    void TearDown() override { EraseSettingKey(TestStore(), 0, settingskey::Root); }

    TestConfigurationDialog::Record record;
};
} // namespace

TEST_F(ConfigurationFlow, FirstRunFillsTheDialogWithTheDefaults) {
    RunConfigurationFlow(TestConfigurationDialogs(record, 2), TestStore());
    const Contents& shown = record.filled;
    EXPECT_EQ(record.shown, 1);
    EXPECT_EQ(record.destroyed, 1);
    EXPECT_EQ(shown.exitCode, QStringLiteral("81536047"));
    EXPECT_EQ(shown.activeDelay, 10);
    EXPECT_EQ(shown.unlockCodes.value(1), QStringLiteral("58203714"));
    EXPECT_EQ(shown.unlockCodes.value(2), QStringLiteral("69314825"));
    EXPECT_EQ(shown.unlockCodes.value(3), QStringLiteral("70425936"));
    EXPECT_EQ(shown.extensions.value(1), QStringLiteral("mpg,mpeg,avi,wpl"));
    EXPECT_EQ(shown.extensions.value(2), QStringLiteral("wav,wma,mp3,m3u,mid"));
    EXPECT_EQ(shown.extensions.value(3), QStringLiteral("bmp,wmf,emf,jpg,jpeg"));
    EXPECT_TRUE(shown.rows.isEmpty());
}

TEST_F(ConfigurationFlow, FillsTheStoredValuesAndFolderRowsInOrder) {
    WriteSettingString(TestStore(), 0, kSystem, QStringLiteral("ExitCode"), QStringLiteral("42"));
    WriteSettingInt(TestStore(), 0, kSystem, QStringLiteral("ActiveDelay"), 0);
    WriteSettingString(TestStore(), 0, kMusic, QStringLiteral("UnLockCode"), QString());
    WriteSettingInt(TestStore(), 0, kMusic, QStringLiteral("ItemCount"), 3);
    StoreEntry(kMusic, 1, QStringLiteral("Jazz"), QStringLiteral("/srv/jazz"), true);
    StoreEntry(kMusic, 3, QStringLiteral("Pop"), QStringLiteral("/srv/pop"), false);
    RunConfigurationFlow(TestConfigurationDialogs(record, 2), TestStore());
    const Contents& shown = record.filled;
    EXPECT_EQ(shown.exitCode, QStringLiteral("42"));
    EXPECT_EQ(shown.activeDelay, 0);
    EXPECT_EQ(shown.unlockCodes.value(2), QString());
    const QList<FolderRow> rows = shown.rows.value(2);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].title, QStringLiteral("Jazz"));
    EXPECT_EQ(rows[0].folder, QStringLiteral("/srv/jazz"));
    EXPECT_EQ(rows[0].lock, QStringLiteral("On"));
    EXPECT_EQ(rows[1].title, QString()); // entry 2 was never stored
    EXPECT_EQ(rows[1].lock, QStringLiteral("Off"));
    EXPECT_EQ(rows[2].folder, QStringLiteral("/srv/pop"));
    EXPECT_TRUE(shown.rows.value(1).isEmpty());
}

TEST_F(ConfigurationFlow, CancelStoresNothing) {
    RunConfigurationFlow(
        TestConfigurationDialogs(record, 2, [](Contents& c) { c.exitCode = QStringLiteral("1"); }),
        TestStore());
    EXPECT_FALSE(SettingKeyExists(TestStore(), settingskey::Root));
    EXPECT_EQ(record.destroyed, 1);
}

TEST_F(ConfigurationFlow, AcceptedWritesEverythingBack) {
    RunConfigurationFlow(
        TestConfigurationDialogs(
            record, 1,
            [](Contents& c) {
                c.exitCode = QStringLiteral("999");
                c.activeDelay = 5;
                c.unlockCodes[3] = QStringLiteral("000");
                c.rows[3] = {
                    {QStringLiteral("Trips"), QStringLiteral("/pics/trips"), QStringLiteral("On")},
                    {QStringLiteral("Cats"), QStringLiteral("/pics/cats"), QStringLiteral("on")}};
            }),
        TestStore());
    EXPECT_TRUE(SettingKeyExists(TestStore(), settingskey::Root));
    EXPECT_EQ(Text(kSystem, QStringLiteral("ExitCode")), QStringLiteral("999"));
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kSystem, QStringLiteral("ActiveDelay"), -1), 5);
    EXPECT_EQ(Text(kPicture, QStringLiteral("UnLockCode")), QStringLiteral("000"));
    EXPECT_EQ(Text(kPicture, QStringLiteral("Extention")), QStringLiteral("bmp,wmf,emf,jpg,jpeg"));
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kPicture, QStringLiteral("ItemCount"), -1), 2);
    EXPECT_EQ(Text(kPicture, QStringLiteral("Title001")), QStringLiteral("Trips"));
    EXPECT_EQ(Text(kPicture, QStringLiteral("Folder002")), QStringLiteral("/pics/cats"));
    EXPECT_TRUE(ReadSettingBool(TestStore(), 0, kPicture, QStringLiteral("Lock001"), false));
    EXPECT_FALSE(ReadSettingBool(TestStore(), 0, kPicture, QStringLiteral("Lock002"),
                                 true)); // "on" is not "On"
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kVideo, QStringLiteral("ItemCount"), -1), 0);
    EXPECT_EQ(Text(kVideo, QStringLiteral("UnLockCode")), QStringLiteral("58203714"));
}

// Rewriting a category whole must not quietly turn the switch back on.
TEST_F(ConfigurationFlow, ThePlayOnSwitchOfVideoAndMusicIsFilledAndKept) {
    WriteSettingBool(TestStore(), 0, kMusic, QStringLiteral("ContinueFolder"), false);
    RunConfigurationFlow(TestConfigurationDialogs(record, 1), TestStore());
    EXPECT_TRUE(record.filled.continueFolder.value(1));
    EXPECT_FALSE(record.filled.continueFolder.value(2, true));
    EXPECT_FALSE(record.filled.continueFolder.contains(3));
    EXPECT_FALSE(ReadSettingBool(TestStore(), 0, kMusic, QStringLiteral("ContinueFolder"), true));

    RunConfigurationFlow(
        TestConfigurationDialogs(record, 1, [](Contents& c) { c.continueFolder[1] = false; }),
        TestStore());
    EXPECT_FALSE(ReadSettingBool(TestStore(), 0, kVideo, QStringLiteral("ContinueFolder"), true));
    EXPECT_FALSE(ReadSettingBool(TestStore(), 0, kMusic, QStringLiteral("ContinueFolder"), true));
}

TEST_F(ConfigurationFlow, FewerRowsLeaveNoStaleEntries) {
    WriteSettingInt(TestStore(), 0, kVideo, QStringLiteral("ItemCount"), 3);
    for (int n = 1; n <= 3; ++n)
        StoreEntry(kVideo, n, QStringLiteral("T%1").arg(n), QStringLiteral("/v%1").arg(n), false);
    WriteSettingString(TestStore(), 0, kVideo, QStringLiteral("Leftover"), QStringLiteral("x"));
    RunConfigurationFlow(
        TestConfigurationDialogs(record, 1, [](Contents& c) { c.rows[1].removeAt(0); }),
        TestStore());
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kVideo, QStringLiteral("ItemCount"), -1), 2);
    EXPECT_EQ(Text(kVideo, QStringLiteral("Title001")), QStringLiteral("T2"));
    EXPECT_EQ(Text(kVideo, QStringLiteral("Folder002")), QStringLiteral("/v3"));
    for (const char* name : {"Title003", "Folder003", "Lock003", "Leftover"})
        EXPECT_EQ(Text(kVideo, QString::fromLatin1(name)), QStringLiteral("<missing>")) << name;
}

TEST_F(ConfigurationFlow, AFailureDuringWriteBackLeavesTheOldSettingsIntact) {
    WriteSettingString(TestStore(), 0, kSystem, QStringLiteral("ExitCode"), QStringLiteral("1111"));
    WriteSettingInt(TestStore(), 0, kVideo, QStringLiteral("ItemCount"), 1);
    StoreEntry(kVideo, 1, QStringLiteral("Films"), QStringLiteral("/films"), true);
    WriteSettingInt(TestStore(), 0, kMusic, QStringLiteral("ItemCount"), 1);
    StoreEntry(kMusic, 1, QStringLiteral("Songs"), QStringLiteral("/songs"), false);
    // Music's rows fail to come after System and Video were already rewritten.
    const auto edit = [](Contents& c) {
        c.exitCode = QStringLiteral("2222");
        c.rows.clear();
    };
    EXPECT_THROW(RunConfigurationFlow(TestConfigurationDialogs(record, 1, edit, 2), TestStore()),
                 std::runtime_error);
    EXPECT_EQ(record.destroyed, 1);
    EXPECT_EQ(Text(kSystem, QStringLiteral("ExitCode")), QStringLiteral("1111"));
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kVideo, QStringLiteral("ItemCount"), -1), 1);
    EXPECT_EQ(Text(kVideo, QStringLiteral("Title001")), QStringLiteral("Films"));
    EXPECT_TRUE(ReadSettingBool(TestStore(), 0, kVideo, QStringLiteral("Lock001"), false));
    EXPECT_EQ(Text(kMusic, QStringLiteral("Folder001")), QStringLiteral("/songs"));
}

TEST_F(ConfigurationFlow, AStoreThatRefusesWritesKeepsEverythingAndTheDialogHearsOfIt) {
    WriteSettingInt(TestStore(), 0, kVideo, QStringLiteral("ItemCount"), 1);
    StoreEntry(kVideo, 1, QStringLiteral("Films"), QStringLiteral("/films"), false);
    SettingsStore& store = TestStore();
    const QString path = store.DatabasePath();
    store.UseDatabase(path, SettingsStore::Access::ReadOnly);
    RunConfigurationFlow(
        TestConfigurationDialogs(record, 1, [](Contents& c) { c.rows[1].clear(); }), TestStore());
    store.UseDatabase(path);
    EXPECT_EQ(record.destroyed, 1);
    EXPECT_EQ(record.refusals.size(), 1);
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kVideo, QStringLiteral("ItemCount"), -1), 1);
    EXPECT_EQ(Text(kVideo, QStringLiteral("Folder001")), QStringLiteral("/films"));
}

TEST_F(ConfigurationFlow, WithoutADialogNothingHappens) {
    RunConfigurationFlow({}, TestStore());
    RunConfigurationFlow([] { return std::unique_ptr<ConfigurationDialog>(); }, TestStore());
    EXPECT_FALSE(SettingKeyExists(TestStore(), settingskey::Root));
}

TEST_F(ConfigurationFlow, ThePhoneRemoteSwitchIsFilledAndKeptAndPhonesAreForgottenAtOnce) {
    AddPairedPhoneHash(TestStore(), QByteArray(kSessionHashBytes, 'p'));
    RunConfigurationFlow(TestConfigurationDialogs(record, 1,
                                                  [](Contents& c) {
                                                      EXPECT_TRUE(c.phoneRemote); // on at first
                                                      c.phoneRemote = false;
                                                  }),
                         TestStore());
    EXPECT_FALSE(ReadSetting(TestStore(), setting::PhoneRemote));
    EXPECT_EQ(PairedPhoneHashes(TestStore()).size(), 1); // the switch forgets nobody

    bool forgot = false;
    RunConfigurationFlow(
        [&]() -> std::unique_ptr<ConfigurationDialog> {
            auto dialog = std::make_unique<TestConfigurationDialog>(record);
            dialog->edit = [&forgot, shown = dialog.get()](Contents& c) {
                EXPECT_FALSE(c.phoneRemote);
                shown->OnForgetPhones();
                forgot = PairedPhoneHashes(TestStore()).isEmpty();
            };
            return dialog;
        },
        TestStore());
    EXPECT_TRUE(forgot); // before the dialog closed, and although it was cancelled
    EXPECT_TRUE(PairedPhoneHashes(TestStore()).isEmpty());
}
