#include "settings_fixture.h"
#include "test_store.h"

#include <stdexcept>

namespace {

const QString kVideo = settingskey::Category("Video");

using TransactionTest = SettingsTest;

TEST_F(TransactionTest, CommittedChangesLandTogether) {
    {
        SettingsTransaction transaction(TestStore());
        WriteSettingString(TestStore(), 0, settingskey::System, "ExitCode", "42");
        WriteSettingInt(TestStore(), 0, kVideo, "ItemCount", 1);
        // Inside the transaction the same connection sees its own writes.
        EXPECT_EQ(ReadSettingString(TestStore(), 0, settingskey::System, "ExitCode", ""), "42");
        transaction.Commit();
    }
    TestStore().UseDatabase(DatabasePath());
    EXPECT_EQ(ReadSettingString(TestStore(), 0, settingskey::System, "ExitCode", ""), "42");
    EXPECT_EQ(ReadFolderEntryCount(TestStore(), kVideo), 1);
}

TEST_F(TransactionTest, AnErrorHalfWayLeavesTheStoreAsItWas) {
    WriteSettingInt(TestStore(), 0, kVideo, "ItemCount", 2);
    WriteSettingString(TestStore(), 0, kVideo, "Title001", "old");
    const auto writeBack = [] {
        SettingsTransaction transaction(TestStore());
        EraseSettingKey(TestStore(), 0, kVideo);
        WriteSettingInt(TestStore(), 0, kVideo, "ItemCount", 5);
        WriteSettingString(TestStore(), 0, settingskey::System, "ExitCode", "new");
        throw std::runtime_error("dialog row could not be read");
    };
    EXPECT_THROW(writeBack(), std::runtime_error);
    EXPECT_EQ(ReadFolderEntryCount(TestStore(), kVideo), 2);
    EXPECT_EQ(ReadSettingString(TestStore(), 0, kVideo, "Title001", ""), "old");
    EXPECT_FALSE(SettingKeyExists(TestStore(), settingskey::System));
}

TEST_F(TransactionTest, AnInnerRollbackKeepsTheOuterWork) {
    SettingsTransaction outer(TestStore());
    WriteSettingInt(TestStore(), 0, kVideo, "ItemCount", 1);
    {
        SettingsTransaction inner(TestStore());
        WriteSettingInt(TestStore(), 0, kVideo, "ItemCount", 9);
        WriteSettingInt(TestStore(), 0, kVideo, "Other", 9);
    }
    EXPECT_EQ(ReadFolderEntryCount(TestStore(), kVideo), 1);
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kVideo, "Other", -1), -1);
    outer.Commit();
    TestStore().UseDatabase(DatabasePath());
    EXPECT_EQ(ReadFolderEntryCount(TestStore(), kVideo), 1);
}

TEST_F(TransactionTest, TheFileCannotChangeUnderAnOpenTransaction) {
    SettingsTransaction transaction(TestStore());
    EXPECT_THROW(TestStore().UseDatabase(folder.filePath("other.db")), SettingsStoreError);
    WriteSettingInt(TestStore(), 0, kVideo, "ItemCount", 3);
    transaction.Commit();
    EXPECT_EQ(TestStore().DatabasePath(), DatabasePath());
}

TEST_F(TransactionTest, AFailedWriteInsideATransactionUndoesOnlyItself) {
    SettingsTransaction transaction(TestStore());
    WriteSettingInt(TestStore(), 0, kVideo, "ItemCount", 3);
    EXPECT_THROW(WriteSettingInt(TestStore(), 0, "Bad\\\\Path", "Value", 1), AppError);
    transaction.Commit();
    EXPECT_EQ(ReadFolderEntryCount(TestStore(), kVideo), 3);
}

} // namespace
