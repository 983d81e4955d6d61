#include "message_capture.h"
#include "mpv_control.h"
#include "platform/error.h"
#include "test_media.h"

#include <QDir>
#include <QSignalSpy>

#include <algorithm>
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
    bool WaitForItem(const QByteArray& path) {
        return WaitFor([&] {
            return player.playState() == playstate::Playing &&
                   player.currentMedia().sourceURL() == path;
        });
    }
    // Opening url is told in a box naming the file, and the player then plays the next one.
    void ExpectReportedAndUsableAfter(const QByteArray& url, const QString& name) {
        MessageCapture messages;
        player.setURL(url);
        ASSERT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }));
        EXPECT_TRUE(messages.texts.first().contains(name)) << messages.texts.first().toStdString();
        EXPECT_TRUE(WaitForState(playstate::Stopped));
        player.setURL(Media().song);
        EXPECT_TRUE(WaitForState(playstate::Playing));
    }
    QByteArray WritePlaylist(const QString& name, const QByteArray& text) {
        const QByteArray path = QFile::encodeName(QDir(Media().folder).filePath(name));
        WriteFile(path, text);
        return path;
    }

    MpvControl player;
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
    const QByteArray list =
        WritePlaylist(QStringLiteral("songs.m3u"), Media().song + "\r\n" + Media().second + "\r\n");
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
    const QByteArray odd =
        QFile::encodeName(QDir(Media().folder).filePath(QStringLiteral("rock & roll.mp3")));
    QFile::remove(odd);
    ASSERT_TRUE(QFile::copy(Media().second, odd));
    const QByteArray list = WritePlaylist(
        QStringLiteral("videos.wpl"),
        "<?wpl version=\"1.0\"?>\r\n<smil>\r\n  <head><title>Couchframe PlayList</title></head>\r\n"
        "  <body>\r\n    <seq>\r\n      <media src=\"song.mp3\"/>\r\n      <media src=\"" +
            odd + "\"/>\r\n    </seq>\r\n  </body>\r\n</smil>\r\n");
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
    ExpectReportedAndUsableAfter(Media().corrupt, QStringLiteral("broken.mp4"));
}

// A ".wpl" is read off the UI thread, as mpv comes to open it: a missing one is told as any file
// that cannot be played is.
TEST_F(MpvPlayerTest, MissingWplPlaylistIsReportedAndThePlayerStaysUsable) {
    ExpectReportedAndUsableAfter(Media().folder + "/none.wpl", QStringLiteral("none.wpl"));
}

TEST(MpvVideoTest, VideoIsDrawnInsideTheWidget) {
    MpvControl player(MpvOptions{QStringLiteral("null"), true});
    EXPECT_STRNE(player.Core().RendererKind(), "none");
    player.resize(320, 240);
    player.setStretchToFit(true);
    player.show();
    player.setURL(Media().video);
    ASSERT_TRUE(WaitFor([&] { return !player.Core().frame().isNull(); }));
    EXPECT_EQ(player.Core().frame().size(), QSize(320, 240));
    player.setStretchToFit(false);
    EXPECT_EQ(player.Core().frame().size(), QSize(160, 120));
}

// Something loaded after the start (a plug-in, a library) may set the user's number format: a
// player opened after that still starts and plays, and the C format is back for mpv's threads.
TEST(MpvLocaleTest, PlayerStartsAfterTheNumberFormatWasChanged) {
    ASSERT_NE(std::setlocale(LC_NUMERIC, "C.UTF-8"), nullptr);
    MpvControl player(kNullOutputs);
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
        MpvControl player(MpvOptions{QStringLiteral("pulse"), false});
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
        QDir().mkpath(QFileInfo(MpvEngine::UserConfigFile()).absolutePath());
        WriteFile(MpvEngine::UserConfigFile(), text);
    }
    void TearDown() override { QFile::remove(MpvEngine::UserConfigFile()); }
};

TEST_F(MpvUserConfigTest, OwnerOptionsApplyAndRequiredOnesWin) {
    Write("# sound and subtitles for the living room\n"
          "sub-font-size=77\n"
          "audio-channels=stereo\n"
          "keep-open=yes\n"
          "input-default-bindings=yes\n"
          "osc=yes\n");
    MpvControl player(kNullOutputs);
    EXPECT_EQ(player.PropertyText("sub-font-size").toDouble(), 77);
    EXPECT_EQ(player.PropertyText("audio-channels").toStdString(), "stereo");
    EXPECT_EQ(player.PropertyText("keep-open").toStdString(), "no");
    EXPECT_EQ(player.PropertyText("input-default-bindings").toStdString(), "no");
    EXPECT_EQ(player.PropertyText("osc").toStdString(), "no");
}

TEST_F(MpvUserConfigTest, UnknownEntriesDoNotStopThePlayer) {
    Write("no-such-option=1\nsub-font-size=not-a-number\n[broken\n");
    MpvControl player(kNullOutputs);
    player.setURL(Media().second);
    EXPECT_TRUE(WaitFor([&] { return player.playState() == playstate::Playing; }));
}
} // namespace

namespace {
// The engine itself, as the control's subscribers see it: typed signals, nothing asked for.
class MpvEngineSignals : public ::testing::Test {
protected:
    // Waits until the engine has told the state.
    bool WaitForTold(EngineState state) {
        return WaitFor([&] {
            return std::any_of(states.begin(), states.end(), [state](const QList<QVariant>& told) {
                return told.at(0).value<EngineState>() == state;
            });
        });
    }

    MpvEngine engine{kNullOutputs};
    QSignalSpy states{&engine, &MediaEngine::stateChanged};
    QSignalSpy items{&engine, &MediaEngine::itemChanged};
    QSignalSpy positions{&engine, &MediaEngine::positionChanged};
    QSignalSpy durations{&engine, &MediaEngine::durationChanged};
    QSignalSpy volumes{&engine, &MediaEngine::volumeChanged};
    QSignalSpy skipped{&engine, &MediaEngine::itemSkipped};
    QSignalSpy failures{&engine, &MediaEngine::failed};
};

TEST_F(MpvEngineSignals, TellsStateItemLengthPositionAndVolumeAsTheyChange) {
    engine.open(Media().video, false);
    ASSERT_TRUE(WaitForTold(EngineState::Playing));
    ASSERT_FALSE(items.isEmpty());
    EXPECT_EQ(items.first().at(0).toByteArray(), Media().video);
    ASSERT_TRUE(WaitFor([&] { return !durations.isEmpty(); }));
    EXPECT_NEAR(durations.last().at(0).toDouble(), 6.0, 0.2);

    engine.pause();
    ASSERT_TRUE(WaitForTold(EngineState::Paused));
    // A state is told once, when it changes.
    const qsizetype toldPaused =
        std::count_if(states.begin(), states.end(), [](const QList<QVariant>& told) {
            return told.at(0).value<EngineState>() == EngineState::Paused;
        });
    EXPECT_EQ(toldPaused, 1);

    // Paused, a relative seek moves from where it is and is told.
    const double before = engine.position();
    positions.clear();
    engine.seekBy(2);
    ASSERT_TRUE(WaitFor(
        [&] { return !positions.isEmpty() && positions.last().at(0).toDouble() > before + 1.5; }));
    EXPECT_EQ(engine.state(), EngineState::Paused);

    engine.setVolume(30);
    ASSERT_TRUE(WaitFor([&] { return !volumes.isEmpty(); }));
    EXPECT_EQ(engine.volume(), 30);

    engine.stop();
    EXPECT_TRUE(WaitForTold(EngineState::Idle));
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(MpvEngineSignals, AnItemPlayedToItsEndIsTold) {
    QSignalSpy ended(&engine, &MediaEngine::itemEnded);
    engine.open(Media().video, false);
    ASSERT_TRUE(WaitForTold(EngineState::Playing));
    engine.seekTo(5.5);
    ASSERT_TRUE(WaitFor([&] { return !ended.isEmpty(); }));
    EXPECT_EQ(ended.first().at(0).toByteArray(), Media().video);
    // A stop is no end.
    engine.open(Media().video, false);
    ASSERT_TRUE(WaitFor([&] { return engine.state() == EngineState::Playing; }));
    engine.stop();
    ASSERT_TRUE(WaitForTold(EngineState::Idle));
    EXPECT_EQ(ended.size(), 1);
}

TEST_F(MpvEngineSignals, AFileThatCannotBePlayedIsAFailureAndAPlaylistsIsSkipped) {
    engine.open(Media().corrupt, false);
    ASSERT_TRUE(WaitFor([&] { return !failures.isEmpty(); }));
    EXPECT_TRUE(failures.first().at(0).toString().contains(QStringLiteral("broken.mp4")));
    EXPECT_TRUE(skipped.isEmpty());

    failures.clear();
    const QByteArray list =
        QFile::encodeName(QDir(Media().folder).filePath(QStringLiteral("engine-skips.m3u")));
    WriteFile(list, Media().corrupt + "\r\n" + Media().song + "\r\n");
    QSignalSpy items{&engine, &MediaEngine::itemChanged};
    engine.open(list, false);
    // The told item, not mpv's live one: its events, the broken entry's end first, come in order.
    ASSERT_TRUE(WaitFor(
        [&] { return !items.isEmpty() && items.last().at(0).toByteArray() == Media().song; }));
    ASSERT_EQ(skipped.size(), 1);
    EXPECT_TRUE(skipped.first().at(0).toString().contains(QStringLiteral("broken.mp4")));
    EXPECT_TRUE(failures.isEmpty());
}
} // namespace
