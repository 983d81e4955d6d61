#include "settings/playback_index.h"
#include "settings_fixture.h"
#include "test_store.h"

#include <QCryptographicHash>
#include <QtEndian>

namespace {
const QString kLegacyResume = settingskey::Resume;

class PlaybackIndexTest : public SettingsTest {
protected:
    static PlaybackRecord Record(const QByteArray& path, double position, int playCount = 0,
                                 qint64 lastPlayed = 1, const QString& subtitles = {}) {
        PlaybackRecord record;
        record.path = path;
        record.duration = 1000;
        record.position = position;
        record.playCount = playCount;
        record.lastPlayed = lastPlayed;
        record.subtitles = subtitles;
        return record;
    }
    static void KeepLegacy(const QByteArray& path, quint32 seconds) {
        QByteArray data(4, '\0');
        qToLittleEndian(seconds, data.data());
        WriteRaw(
            kLegacyResume,
            QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex()),
            ValueKind::Dword, data);
    }

    PlaybackIndex index{TestStore()};
};

TEST_F(PlaybackIndexTest, KeepsEveryFieldByTheExactBytesOfThePath) {
    const QByteArray odd = "/films/caf\xE9\n\xFF.mkv";
    PlaybackRecord record = Record(odd, 754.5, 2, 1'700'000'000, QStringLiteral("eng+forced"));
    record.audio = QStringLiteral("jpn");
    index.Save(record);
    const auto found = index.Find(odd);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->path, odd);
    EXPECT_EQ(found->duration, 1000);
    EXPECT_EQ(found->position, 754.5);
    EXPECT_EQ(found->playCount, 2);
    EXPECT_EQ(found->lastPlayed, 1'700'000'000);
    EXPECT_EQ(found->audio, QStringLiteral("jpn"));
    EXPECT_EQ(found->subtitles, QStringLiteral("eng+forced"));
    // Text that decodes to the same characters is another file.
    EXPECT_FALSE(index.Find("/films/caf\xC3\xA9\n\xFF.mkv"));

    index.Save(Record(odd, 0, 3));
    EXPECT_EQ(index.Find(odd)->playCount, 3);
    EXPECT_TRUE(index.Find(odd)->audio.isEmpty());
    index.Clear(odd);
    EXPECT_FALSE(index.Find(odd));
}

TEST_F(PlaybackIndexTest, AFolderIsStartedByWhatIsInProgressOrWatchedAtAnyDepthBelowIt) {
    index.Save(Record("/tv/Series/Season 1/ep 1.mkv", 0)); // opened, nothing seen
    EXPECT_FALSE(index.AnyStartedBelow("/tv/Series"));
    index.Save(Record("/tv/Series 2/ep 1.mkv", 400));
    index.Save(Record("/tv/Series.mkv", 400));
    EXPECT_FALSE(index.AnyStartedBelow("/tv/Series")); // names that only begin alike
    index.Save(Record("/tv/Series/Season 1/ep 2.mkv", 0, 1));
    EXPECT_TRUE(index.AnyStartedBelow("/tv/Series"));
    EXPECT_TRUE(index.AnyStartedBelow("/tv/Series/"));
    EXPECT_TRUE(index.AnyStartedBelow("/tv"));
    EXPECT_TRUE(index.AnyStartedBelow("/"));
    EXPECT_FALSE(index.AnyStartedBelow("/tv/Series/Season 2"));
}

TEST_F(PlaybackIndexTest, TheLatestChoiceOfTracksComesFromTheFoldersOwnFiles) {
    index.Save(Record("/tv/S/ep 1.mkv", 0, 1, 100, QStringLiteral("eng")));
    index.Save(Record("/tv/S/ep 2.mkv", 0, 1, 300, QStringLiteral("jpn")));
    index.Save(Record("/tv/S/ep 3.mkv", 0, 1, 400)); // chose nothing
    index.Save(Record("/tv/S/Extras/ep 9.mkv", 0, 1, 500, QStringLiteral("off")));
    const auto latest = index.LatestChoiceIn("/tv/S");
    ASSERT_TRUE(latest);
    EXPECT_EQ(latest->path, "/tv/S/ep 2.mkv");
    EXPECT_EQ(latest->subtitles, QStringLiteral("jpn"));
    EXPECT_FALSE(index.LatestChoiceIn("/tv/T"));
}

TEST_F(PlaybackIndexTest, AResumePointOfAnOlderVersionIsReadThenReplaced) {
    KeepLegacy("/films/old.mkv", 300);
    KeepLegacy("/films/damaged.mkv", 0);
    const auto old = index.Find("/films/old.mkv");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->position, 300);
    EXPECT_EQ(old->duration, 0);
    EXPECT_EQ(watching::ProgressShare(*old), 0);
    EXPECT_FALSE(index.Find("/films/damaged.mkv"));

    index.Save(Record("/films/old.mkv", 0, 1));
    index.Clear("/films/old.mkv");
    EXPECT_FALSE(index.Find("/films/old.mkv")); // the old entry does not come back
}

TEST_F(PlaybackIndexTest, ARunOnDefaultsKeepsNothingAndAStoreWithoutTheIndexKnowsNothing) {
    TestStore().RunOnDefaults();
    index.Save(Record("/films/a.mkv", 400));
    EXPECT_FALSE(index.Find("/films/a.mkv"));
    TestStore().UseDatabase(DatabasePath());
    EXPECT_FALSE(index.Find("/films/a.mkv"));

    // A store an older version made, opened read-only: reads answer nothing, never fail.
    TestStore().Run("DROP TABLE playback_index");
    TestStore().UseDatabase(DatabasePath(), SettingsStore::Access::ReadOnly);
    EXPECT_FALSE(index.Find("/films/a.mkv"));
    EXPECT_FALSE(index.AnyStartedBelow("/films"));
    EXPECT_FALSE(index.LatestChoiceIn("/films"));
    // Opened for writing again, it has the index once more.
    TestStore().UseDatabase(DatabasePath());
    index.Save(Record("/films/a.mkv", 400));
    EXPECT_EQ(index.Find("/films/a.mkv")->position, 400);
}

struct ShareCase {
    double position, duration;
    bool watched;
};
void PrintTo(const ShareCase& c, std::ostream* out) {
    *out << c.position << " of " << c.duration;
}
class PlayedToTheEndTest : public ::testing::TestWithParam<ShareCase> {};
TEST_P(PlayedToTheEndTest, FromNinetyPercentOrTheLastEight) {
    EXPECT_EQ(watching::PlayedToTheEnd(GetParam().position, GetParam().duration),
              GetParam().watched);
}
INSTANTIATE_TEST_SUITE_P(Shares, PlayedToTheEndTest,
                         ::testing::Values(ShareCase{899.9, 1000, false},
                                           ShareCase{900, 1000, true}, ShareCase{1000, 1000, true},
                                           ShareCase{50, 0, false}, ShareCase{0, 60, false}));

TEST(WatchState, AResumePointShowsInProgressEvenOnAFileWatchedBefore) {
    PlaybackRecord record;
    EXPECT_EQ(watching::StateOf(record), WatchState::Unseen);
    record.playCount = 1;
    EXPECT_EQ(watching::StateOf(record), WatchState::Watched);
    record.position = 250;
    record.duration = 1000;
    EXPECT_EQ(watching::StateOf(record), WatchState::InProgress);
    EXPECT_DOUBLE_EQ(watching::ProgressShare(record), 0.25);
}
} // namespace
