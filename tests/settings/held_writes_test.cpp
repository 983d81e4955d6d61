#include "settings_fixture.h"
#include "test_store.h"

#include "manual_clock.h"
#include "message_capture.h"
#include "settings/playback_index.h"
#include "settings/refused_writes.h"

#include <QFile>

#include <gmock/gmock.h>
#include <sqlite3.h>

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const QString kPlayer = QStringLiteral("Software\\Quor\\Couchframe\\Settings\\Player");

// The store as the program runs it, with a second program that can take the file's write lock.
class HeldWritesTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        WriteSettingInt(TestStore(), 0, kPlayer, "Volume", 50);
        ASSERT_EQ(sqlite3_open(QFile::encodeName(DatabasePath()).constData(), &other), SQLITE_OK);
    }
    void TearDown() override {
        sqlite3_close(other);
        SettingsTest::TearDown();
    }
    void Lock() { ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), 0); }
    void Unlock() { sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr); }
    // What the file holds, as another program reads it.
    int VolumeInTheFile() {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(other, "SELECT data FROM settings_values WHERE folded = 'volume'", -1,
                           &statement, nullptr);
        int volume = -1;
        if (sqlite3_step(statement) == SQLITE_ROW)
            std::memcpy(&volume, sqlite3_column_blob(statement, 0), 4);
        sqlite3_finalize(statement);
        return volume;
    }

    ManualClock clock;
    MessageCapture messages;
    RefusedWrites refused{TestStore(), clock};
    sqlite3* other = nullptr;
};

TEST_F(HeldWritesTest, ALockedStoreHoldsTheWritesTellsOnceAndTakesThemWhenFree) {
    SettingsStore& store = TestStore();
    PlaybackIndex index(store);
    Lock();
    WriteSettingInt(TestStore(), 0, kPlayer, "Volume", 70);
    WriteSettingBool(TestStore(), 0, kPlayer, "ShowProgress", true);
    index.Save(PlaybackRecord{"/films/Episode 3.mkv", 2400, 1234, 0, 1, {}, {}});
    // Read back as written, while the file still has the old ones.
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kPlayer, "Volume", 0), 70);
    EXPECT_TRUE(ReadSettingBool(TestStore(), 0, kPlayer, "ShowProgress", false));
    EXPECT_EQ(index.Find("/films/Episode 3.mkv")->position, 1234);
    EXPECT_TRUE(messages.texts.isEmpty()); // not in the middle of the handler that wrote
    clock.Advance(std::chrono::milliseconds(0));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_THAT(messages.texts[0].toStdString(),
                HasSubstr("Not saved: Volume, ShowProgress, where Episode 3.mkv was left "
                          "(another program is using the settings file)."));
    // Still locked at the next try: tried again later, not told again.
    clock.Advance(RefusedWrites::kRetry);
    EXPECT_TRUE(store.HoldsWrites());
    Unlock();
    EXPECT_EQ(VolumeInTheFile(), 50);
    clock.Advance(RefusedWrites::kRetry);
    EXPECT_FALSE(store.HoldsWrites());
    EXPECT_EQ(VolumeInTheFile(), 70);
    EXPECT_EQ(messages.texts.size(), 1);

    // What the file has now is what a fresh start reads.
    store.UseDatabase(DatabasePath());
    EXPECT_TRUE(ReadSettingBool(TestStore(), 0, kPlayer, "ShowProgress", false));
    EXPECT_EQ(PlaybackIndex(store).Find("/films/Episode 3.mkv")->position, 1234);

    // A refusal after that is a new one, told again.
    Lock();
    WriteSettingInt(TestStore(), 0, kPlayer, "Volume", 10);
    clock.Advance(std::chrono::milliseconds(0));
    EXPECT_EQ(messages.texts.size(), 2);
    Unlock();
}

TEST_F(HeldWritesTest, WhileWritesAreHeldTheNextOnesWaitWithThemAndAChangeCarriesThem) {
    SettingsStore& store = TestStore();
    Lock();
    WriteSettingInt(TestStore(), 0, kPlayer, "Volume", 60);
    Unlock();
    // Free again, but held: the next write does not wait for a lock of its own first.
    WriteSettingInt(TestStore(), 0, kPlayer, "SkipSecond", 30);
    EXPECT_EQ(VolumeInTheFile(), 50);
    EXPECT_THAT(store.HeldLabels(), ElementsAre("Volume", "SkipSecond"));
    // A change made as one unit writes what is held first, so that the change wins.
    store.WriteAtomically([] { WriteSettingInt(TestStore(), 0, kPlayer, "Volume", 80); });
    EXPECT_FALSE(store.HoldsWrites());
    EXPECT_EQ(VolumeInTheFile(), 80);
    store.UseDatabase(DatabasePath());
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, kPlayer, "SkipSecond", 0), 30);
}

TEST_F(HeldWritesTest, AFullDiskIsSaidAsSuchAndForgettingAResumePointIsHeldToo) {
    SettingsStore& store = TestStore();
    PlaybackIndex index(store);
    index.Save(PlaybackRecord{"/films/a.mkv", 2400, 600, 0, 1, {}, {}});
    // No page more than the file has: the next growth finds the disk full.
    const qint64 pages = store.Run("PRAGMA page_count").value(0).value(0).toLongLong();
    store.Run("PRAGMA max_page_count = 1");
    ASSERT_LE(store.Run("PRAGMA max_page_count").value(0).value(0).toLongLong(), pages);
    WriteSettingString(TestStore(), 0, kPlayer, "Big", QString(100000, u'x'));
    index.Clear("/films/a.mkv");
    EXPECT_FALSE(index.Find("/films/a.mkv"));
    EXPECT_EQ(store.HeldReason(), "the disk is full");
    clock.Advance(std::chrono::milliseconds(0));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_THAT(messages.texts[0].toStdString(), HasSubstr("where a.mkv was left"));

    store.Run("PRAGMA max_page_count = 1000000");
    clock.Advance(RefusedWrites::kRetry);
    EXPECT_FALSE(store.HoldsWrites());
    store.UseDatabase(DatabasePath());
    EXPECT_EQ(ReadSettingString(TestStore(), 0, kPlayer, "Big", QString()).size(), 100000);
    EXPECT_FALSE(PlaybackIndex(store).Find("/films/a.mkv"));
}

TEST_F(HeldWritesTest, WhatIsStillRefusedAtTheEndIsNamedAndNothingIsWaitedForOnScreen) {
    SettingsStore& store = TestStore();
    EXPECT_EQ(store.LockWait(), RefusedWrites::kLockWait);
    store.UseDatabase(DatabasePath(), SettingsStore::Access::ReadOnly);
    WriteSettingInt(TestStore(), 0, kPlayer, "Volume", 5);
    EXPECT_EQ(store.HeldReason(), "the settings folder cannot be written");
    testing::internal::CaptureStderr();
    refused.LastTry();
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                HasSubstr("Not saved: Volume (the settings folder cannot be written)."));
}

} // namespace
