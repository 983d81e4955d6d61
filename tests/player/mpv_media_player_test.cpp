#include "message_capture.h"
#include "platform/error.h"
#include "player/mpv_media_player.h"
#include "test_media.h"

#include <QDir>

#include <clocale>

#include <gtest/gtest.h>

namespace {
const MpvOptions kNullOutputs{QStringLiteral("null"), false};

class MpvPlayerTest : public ::testing::Test {
protected:
    MpvPlayerTest() : player(kNullOutputs) {
        player.OnMediaChange = [this] { ++mediaChanges; };
    }
    MediaControls& controls() { return player.controls(); }
    MediaSettings& settings() { return player.settings(); }
    bool WaitForState(int state) {
        return WaitFor([&] { return player.playState() == state; });
    }
    // Waits until the item at the path is playing.
    bool WaitForItem(const QString& path) {
        return WaitFor([&] {
            return player.playState() == playstate::Playing &&
                   player.currentMedia().sourceURL() == path;
        });
    }
    QString WritePlaylist(const QString& name, const QByteArray& text) {
        const QString path = QDir(Media().folder).filePath(name);
        WriteFile(path, text);
        return path;
    }

    MpvMediaPlayer player;
    int mediaChanges = 0;
};

TEST_F(MpvPlayerTest, PlaysPausesStopsAndPlaysAgain) {
    EXPECT_EQ(player.playState(), playstate::Stopped);
    player.setURL(Media().video);
    ASSERT_TRUE(WaitForState(playstate::Playing));
    EXPECT_EQ(mediaChanges, 1);
    EXPECT_NEAR(player.currentMedia().duration(), 6.0, 0.2);
    EXPECT_EQ(player.currentMedia().sourceURL(), Media().video);

    controls().pause();
    EXPECT_EQ(player.playState(), playstate::Paused);
    controls().play();
    EXPECT_EQ(player.playState(), playstate::Playing);

    controls().stop();
    EXPECT_EQ(player.playState(), playstate::Stopped);
    EXPECT_EQ(controls().currentPosition(), 0);
    EXPECT_EQ(player.currentMedia().duration(), 0);
    // A stop must not leave the next start paused.
    controls().play();
    EXPECT_TRUE(WaitForState(playstate::Playing));
    EXPECT_EQ(mediaChanges, 2);
}

TEST_F(MpvPlayerTest, NewUrlStaysPausedWithoutAutoStart) {
    player.setAutoStart(false);
    player.setURL(Media().song);
    EXPECT_TRUE(WaitForState(playstate::Paused));
}

TEST_F(MpvPlayerTest, PositionMovesAndClampsAtBothEnds) {
    player.setURL(Media().video);
    ASSERT_TRUE(WaitForState(playstate::Playing));
    controls().pause();
    controls().setCurrentPosition(3.0);
    EXPECT_TRUE(WaitFor([&] { return qAbs(controls().currentPosition() - 3.0) < 0.05; }));
    controls().setCurrentPosition(-5.0);
    EXPECT_TRUE(WaitFor([&] { return controls().currentPosition() < 0.05; }));
    // Past the end is the end: the item finishes and the player stops.
    controls().play();
    controls().setCurrentPosition(1000.0);
    EXPECT_TRUE(WaitForState(playstate::Stopped));
}

TEST_F(MpvPlayerTest, ScansForwardWhereItCanAndPlayEndsTheScan) {
    EXPECT_FALSE(controls().isAvailable(QStringLiteral("FastForward")));
    player.setURL(Media().video);
    ASSERT_TRUE(WaitForState(playstate::Playing));
    EXPECT_TRUE(controls().isAvailable(QStringLiteral("FastForward")));
    EXPECT_FALSE(controls().isAvailable(QStringLiteral("FastReverse")));
    controls().fastForward();
    EXPECT_EQ(player.playState(), playstate::ScanForward);
    EXPECT_EQ(player.PropertyText("speed").toDouble(), 5.0);
    controls().play();
    EXPECT_EQ(player.playState(), playstate::Playing);
    EXPECT_EQ(player.PropertyText("speed").toDouble(), 1.0);
    EXPECT_THROW(controls().fastReverse(), AppError);
}

TEST_F(MpvPlayerTest, M3uPlaylistIsReadByMpvWithNextAndPrevious) {
    const QString list = WritePlaylist(QStringLiteral("songs.m3u"),
                                       (Media().song + "\r\n" + Media().second + "\r\n").toUtf8());
    player.setURL(list);
    ASSERT_TRUE(WaitForItem(Media().song));
    EXPECT_EQ(player.URL(), list);
    controls().next();
    ASSERT_TRUE(WaitForItem(Media().second));
    controls().next(); // the last item without loop: stays
    EXPECT_EQ(player.currentMedia().sourceURL(), Media().second);
    controls().previous();
    ASSERT_TRUE(WaitForItem(Media().song));
    settings().setMode(QStringLiteral("loop"), true);
    controls().previous(); // loops round to the last
    EXPECT_TRUE(WaitForItem(Media().second));
}

TEST_F(MpvPlayerTest, WplPlaylistIsReadWithBareAmpersandsAndRelativePaths) {
    const QString odd = QDir(Media().folder).filePath(QStringLiteral("rock & roll.mp3"));
    QFile::remove(odd);
    ASSERT_TRUE(QFile::copy(Media().second, odd));
    const QString list = WritePlaylist(
        QStringLiteral("videos.wpl"),
        "<?wpl version=\"1.0\"?>\r\n<smil>\r\n  <head><title>Couchframe PlayList</title></head>\r\n"
        "  <body>\r\n    <seq>\r\n      <media src=\"song.mp3\"/>\r\n      <media src=\"" +
            odd.toUtf8() + "\"/>\r\n    </seq>\r\n  </body>\r\n</smil>\r\n");
    player.setURL(list);
    ASSERT_TRUE(WaitForItem(Media().song));
    controls().next();
    EXPECT_TRUE(WaitForItem(odd));
    EXPECT_EQ(mediaChanges, 2);
}

TEST_F(MpvPlayerTest, LoopAndShuffleReachMpv) {
    QByteArray lines;
    for (int i = 0; i < 8; ++i)
        lines +=
            QDir(Media().folder).filePath(QStringLiteral("entry%1.mp3").arg(i)).toUtf8() + "\r\n";
    for (int i = 0; i < 8; ++i) {
        QFile::remove(QDir(Media().folder).filePath(QStringLiteral("entry%1.mp3").arg(i)));
        QFile::copy(Media().second,
                    QDir(Media().folder).filePath(QStringLiteral("entry%1.mp3").arg(i)));
    }
    player.setURL(WritePlaylist(QStringLiteral("eight.m3u"), lines));
    ASSERT_TRUE(WaitForState(playstate::Playing));
    auto order = [&] {
        QStringList names;
        for (int i = 0; i < 8; ++i)
            names << player.PropertyText(QStringLiteral("playlist/%1/filename").arg(i).toUtf8());
        return names;
    };
    const QStringList original = order();

    settings().setMode(QStringLiteral("loop"), true);
    EXPECT_EQ(player.PropertyText("loop-playlist"), QStringLiteral("inf"));
    settings().setMode(QStringLiteral("loop"), false);
    EXPECT_EQ(player.PropertyText("loop-playlist"), QStringLiteral("no"));

    settings().setMode(QStringLiteral("shuffle"), true);
    EXPECT_NE(order(), original);
    settings().setMode(QStringLiteral("shuffle"), false);
    EXPECT_EQ(order(), original);
    EXPECT_THROW(settings().setMode(QStringLiteral("autoRewind"), true), AppError);
}

TEST_F(MpvPlayerTest, VolumeIsClampedAndMuteToggles) {
    EXPECT_EQ(settings().volume(), 50);
    settings().setVolume(37);
    EXPECT_EQ(settings().volume(), 37);
    settings().setVolume(150);
    EXPECT_EQ(settings().volume(), 100);
    settings().setVolume(-5);
    EXPECT_EQ(settings().volume(), 0);
    EXPECT_FALSE(settings().mute());
    settings().setMute(true);
    EXPECT_TRUE(settings().mute());
    EXPECT_EQ(player.PropertyText("mute"), QStringLiteral("yes"));
}

TEST_F(MpvPlayerTest, CorruptFileIsReportedAndThePlayerStaysUsable) {
    MessageCapture messages;
    player.setURL(Media().corrupt);
    ASSERT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }));
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("broken.mp4")))
        << messages.texts.first().toStdString();
    EXPECT_TRUE(WaitForState(playstate::Stopped));
    player.setURL(Media().song);
    EXPECT_TRUE(WaitForState(playstate::Playing));
}

TEST_F(MpvPlayerTest, MissingWplPlaylistRaisesAtOnce) {
    EXPECT_THROW(player.setURL(QDir(Media().folder).filePath(QStringLiteral("none.wpl"))),
                 AppError);
    EXPECT_EQ(player.playState(), playstate::Stopped);
}

TEST(MpvVideoTest, VideoIsDrawnInsideTheWidget) {
    MpvMediaPlayer player(MpvOptions{QStringLiteral("null"), true});
    EXPECT_STRNE(player.RendererKind(), "none");
    player.resize(320, 240);
    player.setStretchToFit(true);
    player.show();
    player.setURL(Media().video);
    ASSERT_TRUE(WaitFor([&] { return !player.LastFrame().isNull(); }));
    EXPECT_EQ(player.LastFrame().size(), QSize(320, 240));
    player.setStretchToFit(false);
    EXPECT_EQ(player.LastFrame().size(), QSize(160, 120));
}

// Something loaded after the start (a plug-in, a library) may set the user's number format: a
// player opened after that still starts and plays, and the C format is back for mpv's threads.
TEST(MpvLocaleTest, PlayerStartsAfterTheNumberFormatWasChanged) {
    ASSERT_NE(std::setlocale(LC_NUMERIC, "C.UTF-8"), nullptr);
    MpvMediaPlayer player(kNullOutputs);
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    player.setURL(Media().song);
    EXPECT_TRUE(WaitFor([&] { return player.playState() == playstate::Playing; }));
}

} // namespace

TEST(MpvPlayerSound, PlaysOnWhenTheSoundDeviceCannotOpen) {
    // A sound server that is not there: the audio output cannot open, playback goes on silently.
    const QByteArray previous = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/couchframe-test");
    MessageCapture messages;
    {
        MpvMediaPlayer player(MpvOptions{QStringLiteral("pulse"), false});
        player.setURL(Media().song);
        EXPECT_TRUE(WaitFor([&] { return player.playState() == playstate::Playing; }));
    }
    EXPECT_TRUE(messages.texts.isEmpty()) << messages.texts.join('\n').toStdString();
    if (previous.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", previous);
}

namespace {
// The owner's mpv.conf is read, and the options the player relies on still win over it.
class MpvUserConfigTest : public ::testing::Test {
protected:
    void Write(const QByteArray& text) {
        QDir().mkpath(QFileInfo(MpvMediaPlayer::UserConfigFile()).absolutePath());
        WriteFile(MpvMediaPlayer::UserConfigFile(), text);
    }
    void TearDown() override { QFile::remove(MpvMediaPlayer::UserConfigFile()); }
};

TEST_F(MpvUserConfigTest, OwnerOptionsApplyAndRequiredOnesWin) {
    Write("# sound and subtitles for the living room\n"
          "sub-font-size=77\n"
          "audio-channels=stereo\n"
          "keep-open=yes\n"
          "input-default-bindings=yes\n"
          "osc=yes\n");
    MpvMediaPlayer player(kNullOutputs);
    EXPECT_EQ(player.PropertyText("sub-font-size").toDouble(), 77);
    EXPECT_EQ(player.PropertyText("audio-channels").toStdString(), "stereo");
    EXPECT_EQ(player.PropertyText("keep-open").toStdString(), "no");
    EXPECT_EQ(player.PropertyText("input-default-bindings").toStdString(), "no");
    EXPECT_EQ(player.PropertyText("osc").toStdString(), "no");
}

TEST_F(MpvUserConfigTest, UnknownEntriesDoNotStopThePlayer) {
    Write("no-such-option=1\nsub-font-size=not-a-number\n[broken\n");
    MpvMediaPlayer player(kNullOutputs);
    player.setURL(Media().second);
    EXPECT_TRUE(WaitFor([&] { return player.playState() == playstate::Playing; }));
}
} // namespace
