#include "settings_fixture.h"

#include <stdexcept>

namespace {

const QString kVideo = settingskey::Category("Video");

using TransactionTest = SettingsTest;

TEST_F(TransactionTest, CommittedChangesLandTogether) {
    {
        SettingsTransaction transaction;
        WriteSettingString(0, settingskey::System, "ExitCode", "42");
        WriteSettingInt(0, kVideo, "ItemCount", 1);
        // Inside the transaction the same connection sees its own writes.
        EXPECT_EQ(ReadSettingString(0, settingskey::System, "ExitCode", ""), "42");
        transaction.Commit();
    }
    SettingsStore::Instance().UseDatabase(DatabasePath());
    EXPECT_EQ(ReadSettingString(0, settingskey::System, "ExitCode", ""), "42");
    EXPECT_EQ(ReadFolderEntryCount(kVideo), 1);
}

TEST_F(TransactionTest, AnErrorHalfWayLeavesTheStoreAsItWas) {
    WriteSettingInt(0, kVideo, "ItemCount", 2);
    WriteSettingString(0, kVideo, "Title001", "old");
    const auto writeBack = [] {
        SettingsTransaction transaction;
        EraseSettingKey(0, kVideo);
        WriteSettingInt(0, kVideo, "ItemCount", 5);
        WriteSettingString(0, settingskey::System, "ExitCode", "new");
        throw std::runtime_error("dialog row could not be read");
    };
    EXPECT_THROW(writeBack(), std::runtime_error);
    EXPECT_EQ(ReadFolderEntryCount(kVideo), 2);
    EXPECT_EQ(ReadSettingString(0, kVideo, "Title001", ""), "old");
    EXPECT_FALSE(SettingKeyExists(settingskey::System));
}

TEST_F(TransactionTest, AnInnerRollbackKeepsTheOuterWork) {
    SettingsTransaction outer;
    WriteSettingInt(0, kVideo, "ItemCount", 1);
    {
        SettingsTransaction inner;
        WriteSettingInt(0, kVideo, "ItemCount", 9);
        WriteSettingInt(0, kVideo, "Other", 9);
    }
    EXPECT_EQ(ReadFolderEntryCount(kVideo), 1);
    EXPECT_EQ(ReadSettingInt(0, kVideo, "Other", -1), -1);
    outer.Commit();
    SettingsStore::Instance().UseDatabase(DatabasePath());
    EXPECT_EQ(ReadFolderEntryCount(kVideo), 1);
}

TEST_F(TransactionTest, TheFileCannotChangeUnderAnOpenTransaction) {
    SettingsTransaction transaction;
    EXPECT_THROW(SettingsStore::Instance().UseDatabase(folder.filePath("other.db")),
                 SettingsStoreError);
    WriteSettingInt(0, kVideo, "ItemCount", 3);
    transaction.Commit();
    EXPECT_EQ(SettingsStore::Instance().DatabasePath(), DatabasePath());
}

TEST_F(TransactionTest, AFailedWriteInsideATransactionUndoesOnlyItself) {
    SettingsTransaction transaction;
    WriteSettingInt(0, kVideo, "ItemCount", 3);
    EXPECT_THROW(WriteSettingInt(0, "Bad\\\\Path", "Value", 1), AppError);
    transaction.Commit();
    EXPECT_EQ(ReadFolderEntryCount(kVideo), 3);
}

} // namespace
