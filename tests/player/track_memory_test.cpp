#include "fake_control.h"
#include "manual_clock.h"
#include "mpv_control.h"
#include "player/mpv_engine.h"
#include "player/player_form.h"
#include "rich_media.h"
#include "settings/playback_index.h"
#include "settings/store.h"
#include "test_media.h"
#include "test_services.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
const ShiftState kCtrl{false, true, false};

TrackFacts Track(qint64 id, const char* language, const char* title = "", bool forced = false) {
    TrackFacts facts;
    facts.id = id;
    facts.language = QString::fromLatin1(language);
    facts.title = QString::fromLatin1(title);
    facts.forced = forced;
    facts.hearingImpaired = HearingImpairedTitle(facts.title);
    return facts;
}

// The player on an engine whose tracks the test sets, episode by episode.
class TrackMemoryTest : public ::testing::Test {
protected:
    TrackMemoryTest()
        : services(&clock), control(new FakeEngine),
          form(new TPlayer_Form(std::unique_ptr<MediaEngine>(control), services.Screens())) {
        TestStore().Run("DELETE FROM playback_index");
        form->MusicPanel->hide(); // video mode
    }
    ~TrackMemoryTest() override { delete form.data(); }
    void Open(const QByteArray& file, FakeEngine::Tracks subtitles, FakeEngine::Tracks audio) {
        control->subtitles = std::move(subtitles);
        control->audio = std::move(audio);
        form->WMP1->setURL(file);
        control->source = file;
        control->length = 1000;
        control->current = EngineState::Playing;
        control->ChangeMedia();
    }

    ManualClock clock;
    TestServices services;
    FakeEngine* control;
    QPointer<TPlayer_Form> form;
};

TEST_F(TrackMemoryTest, TheChoiceInOneEpisodeFollowsToTheNextByLanguageNotNumber) {
    Open("/tv/S1/ep 1.mkv", {{Track(1, "eng"), Track(2, "jpn")}, std::nullopt},
         {{Track(1, "jpn"), Track(2, "eng")}, 1});
    form->PressKey('T', kCtrl); // English subtitles
    form->PressKey('A', kCtrl); // English audio
    ASSERT_EQ(control->subtitles.selected, 1);
    ASSERT_EQ(control->audio.selected, 2);

    // The next episode lists them the other way round.
    Open("/tv/S1/ep 2.mkv", {{Track(4, "ja"), Track(5, "en")}, 4},
         {{Track(7, "en"), Track(8, "ja")}, 8});
    EXPECT_EQ(control->subtitles.selected, 5);
    EXPECT_EQ(control->audio.selected, 7);

    // Another series keeps to mpv's choice.
    Open("/tv/S2/ep 1.mkv", {{Track(1, "eng"), Track(2, "jpn")}, 2}, {{Track(1, "jpn")}, 1});
    EXPECT_EQ(control->subtitles.selected, 2);
}

TEST_F(TrackMemoryTest, ForcedSubtitlesAndOffAreKeptAsSuch) {
    Open("/tv/S1/ep 1.mkv",
         {{Track(1, "eng", "Full"), Track(2, "eng", "Signs", true), Track(3, "eng", "English SDH")},
          std::nullopt},
         {{Track(1, "jpn")}, 1});
    form->PressKey('T', kCtrl);
    form->PressKey('T', kCtrl); // the forced track
    Open("/tv/S1/ep 2.mkv",
         {{Track(5, "eng", "English SDH"), Track(6, "eng"), Track(7, "eng", "", true)}, 6},
         {{Track(1, "jpn")}, 1});
    EXPECT_EQ(control->subtitles.selected, 7);

    form->PressKey('T', kCtrl); // after the last track: off
    ASSERT_EQ(control->subtitles.selected, std::nullopt);
    Open("/tv/S1/ep 3.mkv", {{Track(1, "eng")}, 1}, {{Track(1, "jpn")}, 1});
    EXPECT_EQ(control->subtitles.selected, std::nullopt);
    // A choice of audio made later keeps the subtitles' "off" for the folder.
    form->PressKey('A', kCtrl);
    Open("/tv/S1/ep 4.mkv", {{Track(1, "eng")}, 1}, {{Track(1, "jpn")}, 1});
    EXPECT_EQ(control->subtitles.selected, std::nullopt);
}

TEST_F(TrackMemoryTest, SubtitleFilesFoundAfterTheLoadAreWeighedToo) {
    Open("/tv/S1/ep 1.mkv", {{Track(1, "jpn"), Track(2, "eng", "", true)}, std::nullopt},
         {{Track(1, "jpn")}, 1});
    form->PressKey('T', kCtrl);
    form->PressKey('T', kCtrl); // English forced
    // The next episode has English only in a file, added once it is found.
    Open("/tv/S1/ep 2.mkv", {{Track(1, "jpn")}, std::nullopt}, {{Track(1, "jpn")}, 1});
    EXPECT_EQ(control->subtitles.selected, std::nullopt);
    control->subtitles.all.push_back(Track(3, "eng", "English (forced)", true));
    control->AddTracks();
    EXPECT_EQ(control->subtitles.selected, 3);
    // The viewer's own choice in this episode stands when more tracks arrive.
    form->PressKey('T', kCtrl); // off
    control->AddTracks();
    EXPECT_EQ(control->subtitles.selected, std::nullopt);
}

// ---- real libmpv: subtitle files found by their names ----

class SidecarPlaybackTest : public ::testing::Test {
protected:
    SidecarPlaybackTest() : player(MpvOptions{"null", false}) {
        folder = QFile::encodeName(temp.path());
        QDir().mkpath(temp.filePath(QStringLiteral("Subs")));
        QFile::copy(QFile::decodeName(Rich().external), temp.filePath(QStringLiteral("film.mp4")));
        for (const char* name : {"film.en.forced.srt", "film.eng.sdh.srt", "Subs/Japanese.srt"})
            WriteFile(temp.filePath(QString::fromLatin1(name)),
                      "1\n00:00:00,000 --> 00:00:05,000\nText\n");
    }

    QTemporaryDir temp;
    QByteArray folder;
    MpvControl player;
};

TEST_F(SidecarPlaybackTest, SubtitleFilesAreAddedWithTheirLanguagesAndFlags) {
    QSignalSpy added(&player, &MediaPlayerControl::tracksAdded);
    player.setURL(folder + "/film.mp4");
    ASSERT_TRUE(WaitFor([&] { return !added.isEmpty(); }));
    const std::vector<TrackFacts> tracks = player.tracks(TrackKind::Subtitles);
    ASSERT_EQ(tracks.size(), 3u);
    EXPECT_EQ(tracks[0].language, QStringLiteral("eng"));
    EXPECT_TRUE(tracks[0].forced);
    EXPECT_EQ(tracks[0].title, QStringLiteral("English (forced)"));
    EXPECT_TRUE(tracks[0].external);
    EXPECT_EQ(tracks[1].language, QStringLiteral("eng"));
    EXPECT_TRUE(tracks[1].hearingImpaired);
    EXPECT_EQ(tracks[2].language, QStringLiteral("jpn"));
    // mpv's own search adds nothing besides.
    player.selectTrack(TrackKind::Subtitles, tracks[2].id);
    ASSERT_TRUE(WaitFor([&] {
        const auto selected = player.selectedTrack(TrackKind::Subtitles);
        return selected && selected->id == tracks[2].id;
    }));
    player.selectTrack(TrackKind::Subtitles, std::nullopt);
    EXPECT_FALSE(player.selectedTrack(TrackKind::Subtitles));
}

// Two episodes with English and Japanese audio: Japanese chosen in the first is chosen in the
// second, on real libmpv, stepping with Ctrl+F as the viewer would.
TEST(TrackMemoryPlaybackTest, TheAudioChosenInOneEpisodePlaysInTheNext) {
    TestStore().Run("DELETE FROM playback_index");
    QTemporaryDir temp;
    const QByteArray first = QFile::encodeName(temp.filePath(QStringLiteral("ep 1.mkv")));
    const QByteArray second = QFile::encodeName(temp.filePath(QStringLiteral("ep 2.mkv")));
    for (const QByteArray& episode : {first, second})
        ASSERT_TRUE(QFile::copy(QFile::decodeName(Rich().subtitled), QFile::decodeName(episode)));
    const Seam<MpvOptions>::Override nullOutputs(MpvEngine::DefaultOptionsSeam(),
                                                 MpvOptions{QStringLiteral("null"), false});
    TestServices services;
    auto form = CreatePlayerScreen(first, 1, services.Screens(), {first, second});
    form->show();
    auto audio = [&] { return form->WMP1->selectedTrack(TrackKind::Audio); };
    auto playing = [&](const QByteArray& item) {
        return form->WMP1->currentMedia().sourceURL() == item &&
               form->WMP1->playState() == playstate::Playing;
    };
    ASSERT_TRUE(WaitFor([&] { return playing(first); }));
    form->WMP1->controls().pause(); // a slow machine must not reach the end of the short clip
    ASSERT_TRUE(audio());
    for (int press = 0; press < 2 && audio()->language != QStringLiteral("jpn"); ++press)
        form->PressKey('A', kCtrl);
    ASSERT_EQ(audio()->language, QStringLiteral("jpn"));
    form->PressKey('F', kCtrl);
    ASSERT_TRUE(WaitFor([&] { return playing(second); }));
    ASSERT_TRUE(WaitFor([&] { return audio() && audio()->language == QStringLiteral("jpn"); }));
    form->close();
}
} // namespace
