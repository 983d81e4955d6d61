#include "message_capture.h"
#include "mpv_control.h"
#include "player/playlist_lineage.h"
#include "stall_shim.h"
#include "test_media.h"
#include "worker_waits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// Playlists on real libmpv with null outputs: scans across items, failing items, playlists inside
// playlists, and playlists that lead back to themselves.
namespace {
const MpvOptions kNullOutputs{QStringLiteral("null"), false};

QByteArray M3u(const QStringList& entries) {
    return (entries.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

QByteArray Wpl(const QStringList& entries) {
    QByteArray text = "<?wpl version=\"1.0\"?>\r\n<smil>\r\n  <body>\r\n    <seq>\r\n";
    for (const QString& entry : entries)
        text += "      <media src=\"" + entry.toUtf8() + "\"/>\r\n";
    return text + "    </seq>\r\n  </body>\r\n</smil>\r\n";
}

class PlaylistPlaybackTest : public ::testing::Test {
protected:
    PlaylistPlaybackTest() : player(kNullOutputs) {
        player.OnItemFailure = [this](const QString& message) { failures.append(message); };
    }
    QString Path(const QString& name) const { return folder.filePath(name); }
    QByteArray Write(const QString& name, const QByteArray& text) const {
        WriteFile(Path(name), text);
        return QFile::encodeName(Path(name));
    }
    QString Copy(const QString& from, const QString& name) const {
        QFile::copy(from, Path(name));
        return Path(name);
    }
    bool WaitForItem(const QByteArray& path) {
        return WaitFor([&] {
            return player.playState() == playstate::Playing &&
                   player.currentMedia().sourceURL() == path;
        });
    }
    // The player is idle and stays so: nothing loops in the background.
    bool EndsAndStaysStopped() {
        if (!WaitFor([&] { return player.playState() == playstate::Stopped; }))
            return false;
        const qsizetype seen = failures.size();
        QTest::qWait(500);
        return player.playState() == playstate::Stopped &&
               player.PropertyText("idle-active") == QStringLiteral("yes") &&
               failures.size() == seen;
    }

    QTemporaryDir temp;
    QDir folder{temp.path()};
    MpvControl player;
    QStringList failures;
    MessageCapture boxes;
};

TEST_F(PlaylistPlaybackTest, ScanRunningPastTheEndLeavesTheNextItemAtNormalSpeed) {
    player.setURL(Write(QStringLiteral("scan.m3u"), M3u({Media().video, Media().song})));
    ASSERT_TRUE(WaitForItem(Media().video));
    player.controls().setCurrentPosition(4.5);
    player.controls().fastForward();
    ASSERT_EQ(player.playState(), playstate::ScanForward);
    ASSERT_TRUE(WaitForItem(Media().song));
    EXPECT_EQ(player.PropertyText("speed").toDouble(), 1.0);
    QTest::qWait(300);
    EXPECT_EQ(player.playState(), playstate::Playing);
    EXPECT_EQ(player.PropertyText("speed").toDouble(), 1.0);
}

TEST_F(PlaylistPlaybackTest, FailingItemsAreNamedAndPlaybackGoesOnWithoutABox) {
    const QString first = Copy(Media().corrupt, QStringLiteral("first broken.mp4"));
    const QString second = Copy(Media().corrupt, QStringLiteral("second broken.mp4"));
    player.setURL(Write(QStringLiteral("failing.m3u"), M3u({first, second, Media().song})));
    ASSERT_TRUE(WaitForItem(Media().song));
    ASSERT_EQ(failures.size(), 2) << failures.join('\n').toStdString();
    EXPECT_TRUE(failures[0].startsWith('"' + first + '"')) << failures[0].toStdString();
    EXPECT_TRUE(failures[1].startsWith('"' + second + '"')) << failures[1].toStdString();
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('\n').toStdString();
}

TEST_F(PlaylistPlaybackTest, SingleFileThatFailsIsStillAnError) {
    player.setURL(Media().corrupt);
    ASSERT_TRUE(WaitFor([&] { return !boxes.texts.isEmpty(); }));
    EXPECT_TRUE(boxes.texts.first().startsWith('"' + QFile::decodeName(Media().corrupt) + '"'));
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(PlaylistPlaybackTest, WplInsideAWplOrAnM3uIsExpanded) {
    const QString inner = Write(QStringLiteral("inner.wpl"), Wpl({Media().song}));
    player.setURL(Write(QStringLiteral("outer.wpl"), Wpl({inner, Media().second})));
    ASSERT_TRUE(WaitForItem(Media().song));
    player.controls().next();
    EXPECT_TRUE(WaitForItem(Media().second));

    player.setURL(Write(QStringLiteral("outer.m3u"), M3u({Media().second, inner})));
    ASSERT_TRUE(WaitForItem(Media().second));
    player.controls().next();
    EXPECT_TRUE(WaitForItem(Media().song));
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('\n').toStdString();
}

// A ".wpl" on a share that sleeps: the player answers meanwhile, and what comes next is played.
TEST_F(PlaylistPlaybackTest, AWplOnASleepingShareHoldsOnlyItsOwnLoad) {
    ASSERT_TRUE(folder.mkdir(QStringLiteral("share")));
    const QByteArray wpl = Write(QStringLiteral("share/list.wpl"), Wpl({Media().song}));
    stall_shim_hold(QFile::encodeName(Path(QStringLiteral("share"))).constData());
    const auto wake = qScopeGuard(stall_shim_release);
    player.setURL(wpl);
    // mpv's load hook is handled on this thread: events go on while the list is waited for.
    ASSERT_TRUE(QTest::qWaitFor([] { return stall_shim_waiting() >= 1; }, 30000));
    player.setURL(QFile::encodeName(Media().second));
    EXPECT_TRUE(WaitForItem(QFile::encodeName(Media().second)));
    stall_shim_release();
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_EQ(player.currentMedia().sourceURL(), QFile::encodeName(Media().second))
        << "the list given up is not played when its share wakes";
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('\n').toStdString();
}

TEST_F(PlaylistPlaybackTest, UnreadableWplInsideAPlaylistIsSkippedWithItsReason) {
    const QString broken = Write(QStringLiteral("broken.wpl"), "<smil><body><seq><media");
    player.setURL(Write(QStringLiteral("with broken.m3u"), M3u({broken, Media().song})));
    ASSERT_TRUE(WaitForItem(Media().song));
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0].contains(QStringLiteral("broken.wpl\" cannot be read")))
        << failures[0].toStdString();
}

// Playlists that lead back to themselves: named by how they are written, each with what it
// holds besides.
struct LoopCase {
    const char* name;
    // Writes the playlists into the folder; returns the one to play.
    std::function<QString(const std::function<QString(const char*, QStringList)>&)> write;
    bool playsSong; // the playlist holds a (short) song besides the loop
};
// Names the case in test names and failure messages.
void PrintTo(const LoopCase& c, std::ostream* out) {
    *out << c.name;
}

class PlaylistLoopTest : public PlaylistPlaybackTest,
                         public ::testing::WithParamInterface<LoopCase> {};

TEST_P(PlaylistLoopTest, EndsWithAMessageInsteadOfSpinning) {
    // mpv takes a header-less ".m3u" of one short relative line for something else: full paths.
    auto write = [this](const char* name, const QStringList& entries) {
        const QString file = QString::fromLatin1(name);
        if (file.endsWith(QLatin1String(".wpl")))
            return Write(file, Wpl(entries));
        QStringList paths;
        for (const QString& entry : entries)
            paths << folder.absoluteFilePath(entry);
        return Write(file, M3u(paths));
    };
    player.setURL(QFile::encodeName(GetParam().write(write)));
    if (GetParam().playsSong) {
        EXPECT_TRUE(WaitForItem(Media().second));
    }
    ASSERT_TRUE(WaitFor([&] { return !failures.isEmpty(); }));
    EXPECT_TRUE(failures[0].contains(QStringLiteral("leads back to itself")))
        << failures[0].toStdString();
    EXPECT_TRUE(EndsAndStaysStopped());
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Playlists, PlaylistLoopTest,
    ::testing::Values(LoopCase{"M3uListingItself",
                               [](auto write) { return write("self.m3u", {"self.m3u"}); }, false},
                      LoopCase{"WplListingItself",
                               [](auto write) { return write("self.wpl", {"self.wpl"}); }, false},
                      LoopCase{"M3uListingALinkToItself",
                               [](auto write) {
                                   const QString list = write("real.m3u", {"link.m3u"});
                                   QFile::link(list, QFileInfo(list).dir().filePath(
                                                         QStringLiteral("link.m3u")));
                                   return list;
                               },
                               false},
                      LoopCase{"TwoM3uListingEachOther",
                               [](auto write) {
                                   write("b.m3u", {"a.m3u"});
                                   return write("a.m3u", {"b.m3u"});
                               },
                               false},
                      LoopCase{"WplAndM3uListingEachOther",
                               [](auto write) {
                                   write("b.m3u", {"a.wpl"});
                                   return write("a.wpl", {"b.m3u"});
                               },
                               false},
                      LoopCase{"M3uListingItselfBeforeASong",
                               [](auto write) {
                                   return write("first.m3u", {"first.m3u", Media().second});
                               },
                               true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlaylistPlaybackTest, PlaylistsNestedTooDeepAreNotRead) {
    // level0.wpl lists level1.wpl ... level9.wpl lists the song: nine playlists around it.
    auto chain = [this](int levels, const QString& prefix) {
        QString inner = QFile::decodeName(Media().song);
        for (int level = levels - 1; level >= 0; --level)
            inner = Write(QStringLiteral("%1%2.wpl").arg(prefix).arg(level), Wpl({inner}));
        return inner;
    };
    player.setURL(QFile::encodeName(chain(PlaylistLineage::kMaxDepth, QStringLiteral("fits"))));
    ASSERT_TRUE(WaitForItem(Media().song));
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();

    player.setURL(QFile::encodeName(chain(PlaylistLineage::kMaxDepth + 1, QStringLiteral("deep"))));
    ASSERT_TRUE(WaitFor([&] { return !failures.isEmpty(); }));
    EXPECT_TRUE(failures[0].contains(QStringLiteral("deep8.wpl\" is nested more than 8")))
        << failures[0].toStdString();
    EXPECT_TRUE(EndsAndStaysStopped());
}
} // namespace
