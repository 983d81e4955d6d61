#include "fake_control.h"
#include "input/app_command.h"
#include "manual_clock.h"
#include "player/mpv_engine.h"
#include "player/playback_resume.h"
#include "player/player_form.h"
#include "player/screen_note.h"
#include "rich_media.h"
#include "settings/playback_index.h"
#include "settings/store.h"
#include "stall_shim.h"
#include "test_media.h"
#include "test_services.h"
#include "worker_waits.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
const ShiftState kCtrl{false, true, false};
const QByteArray kFilm = "/films/Long Film.mkv";

class ResumeStoreTest : public ::testing::Test {
protected:
    ResumeStoreTest() { TestStore().Run("DELETE FROM playback_index"); }
    static std::optional<PlaybackRecord> Kept(const QByteArray& path) {
        return PlaybackIndex(TestStore()).Find(path);
    }
    static double KeptPosition(const QByteArray& path) {
        const auto record = Kept(path);
        return record ? record->position : -1;
    }
    static void Keep(const QByteArray& path, double position, double duration = 1000) {
        PlaybackRecord record;
        record.path = path;
        record.position = position;
        record.duration = duration;
        PlaybackIndex(TestStore()).Save(record);
    }
};

TEST(ResumeNote, ShowsMinutesAndSecondsOrHours) {
    EXPECT_EQ(PlaybackResume::ResumeNote(754),
              QStringLiteral("Resumed at 12:34 — Ctrl+B starts over"));
    EXPECT_EQ(PlaybackResume::ResumeNote(65),
              QStringLiteral("Resumed at 1:05 — Ctrl+B starts over"));
    EXPECT_EQ(PlaybackResume::ResumeNote(3723),
              QStringLiteral("Resumed at 1:02:03 — Ctrl+B starts over"));
}

// ---- the screen, on a control that records what it is asked ----

class ResumeScreenTest : public ResumeStoreTest {
protected:
    ResumeScreenTest()
        : services(&clock), control(new FakeEngine),
          form(new TPlayer_Form(std::unique_ptr<MediaEngine>(control), services.Screens())),
          log(control->log) {
        form->MusicPanel->hide(); // video mode
        form->resize(1280, 720);
    }
    ~ResumeScreenTest() override { delete form.data(); }
    void Open(const QByteArray& url, const QByteArray& item) {
        form->WMP1->setURL(url);
        control->source = item;
        control->length = 1000;
        control->current = EngineState::Playing;
        control->ChangeMedia();
        control->AnnounceState();
    }

    ManualClock clock;
    TestServices services;
    FakeEngine* control;
    QPointer<TPlayer_Form> form;
    std::shared_ptr<QStringList> log;
};

TEST_F(ResumeScreenTest, VideoOpenedAloneGoesOnWhereItStoppedWithANote) {
    Keep(kFilm, 754);
    Open(kFilm, kFilm);
    EXPECT_EQ(*log, QStringList{"position 754"});
    EXPECT_FALSE(form->Note->isHidden());
    EXPECT_EQ(form->Note->text(), QStringLiteral("Resumed at 12:34 — Ctrl+B starts over"));
    control->ChangeMedia(); // told again about the same item: not moved again
    EXPECT_EQ(*log, QStringList{"position 754"});
    control->at = 800;
    form->PressKey(vk::Escape);
    EXPECT_EQ(KeptPosition(kFilm), 800);
    EXPECT_EQ(Kept(kFilm)->duration, 1000);
    EXPECT_GT(Kept(kFilm)->lastPlayed, 0);
}

TEST_F(ResumeScreenTest, CtrlBAndTheRemotesReplayStartOverOnce) {
    Keep(kFilm, 300);
    Open(kFilm, kFilm);
    log->clear();
    EXPECT_TRUE(form->PressKey('B', kCtrl));
    EXPECT_EQ(*log, QStringList{"position 0"});
    EXPECT_TRUE(form->PressKey('B', kCtrl));
    form->WmAppCommand(appcommand::PreviousTrack);
    EXPECT_EQ(*log, (QStringList{"position 0", "previous", "previous"}));

    Keep(kFilm, 300);
    auto* other = new FakeEngine;
    auto second =
        std::make_unique<TPlayer_Form>(std::unique_ptr<MediaEngine>(other), services.Screens());
    second->MusicPanel->hide();
    second->WMP1->setURL(kFilm);
    other->source = kFilm;
    other->length = 1000;
    other->ChangeMedia();
    other->log->clear();
    second->WmAppCommand(appcommand::PreviousTrack);
    EXPECT_EQ(*other->log, QStringList{"position 0"});
}

// Positions as the stop finds them, against what is kept: nothing before three minutes, a
// resume point up to 90 %, watched (counted once per playing) from there.
TEST_F(ResumeScreenTest, StopKeepsAResumePointFromThreeMinutesAndTheEndCountsAsWatched) {
    Open(kFilm, kFilm);
    control->at = 179;
    form->PressKey('S', kCtrl);
    EXPECT_EQ(KeptPosition(kFilm), 0);
    EXPECT_EQ(watching::StateOf(*Kept(kFilm)), WatchState::Unseen);

    control->current = EngineState::Playing;
    control->at = 500.6;
    form->WmAppCommand(appcommand::Stop);
    EXPECT_EQ(KeptPosition(kFilm), 500);
    EXPECT_EQ(watching::StateOf(*Kept(kFilm)), WatchState::InProgress);

    control->current = EngineState::Playing;
    control->at = 900;
    form->WmAppCommand(appcommand::Stop);
    EXPECT_EQ(KeptPosition(kFilm), 0);
    EXPECT_EQ(Kept(kFilm)->playCount, 1);
    EXPECT_EQ(watching::StateOf(*Kept(kFilm)), WatchState::Watched);
    // The same playing stopped again in the credits, then ending: still watched once.
    control->current = EngineState::Playing;
    control->at = 990;
    form->WmAppCommand(appcommand::Stop);
    control->EndItem();
    EXPECT_EQ(Kept(kFilm)->playCount, 1);
}

TEST_F(ResumeScreenTest, AnItemPlayedToItsEndIsWatchedEvenWhenItsLengthIsGoneByThen) {
    Keep(kFilm, 600);
    Open(kFilm, kFilm);
    control->length = 0; // an ended item no longer tells it
    control->EndItem();
    EXPECT_EQ(KeptPosition(kFilm), 0);
    EXPECT_EQ(Kept(kFilm)->playCount, 1);
}

TEST_F(ResumeScreenTest, PlaybackIsKeptEveryThirtySecondsWhilePlayingOnly) {
    Open(kFilm, kFilm);
    control->at = 400;
    clock.Advance(std::chrono::seconds(29));
    EXPECT_FALSE(Kept(kFilm));
    clock.Advance(std::chrono::seconds(1));
    EXPECT_EQ(KeptPosition(kFilm), 400);
    control->at = 430;
    clock.Advance(std::chrono::seconds(30));
    EXPECT_EQ(KeptPosition(kFilm), 430);

    control->current = EngineState::Paused;
    control->AnnounceState();
    control->at = 470;
    clock.Advance(std::chrono::seconds(90));
    EXPECT_EQ(KeptPosition(kFilm), 430);
    control->current = EngineState::Playing;
    control->AnnounceState();
    clock.Advance(std::chrono::seconds(30));
    EXPECT_EQ(KeptPosition(kFilm), 470);

    // A closed screen keeps nothing more, even while the engine is still told to play.
    control->at = 500;
    form->PressKey(vk::Escape);
    Keep(kFilm, 200);
    clock.Advance(std::chrono::seconds(60));
    EXPECT_EQ(KeptPosition(kFilm), 200);
}

TEST_F(ResumeScreenTest, TheNextFileOfTheFolderIsResumedOnItsOwn) {
    const QByteArray second = "/films/Long Film 2.mkv";
    Keep(second, 240);
    form->neighbours = {kFilm, second};
    Open(kFilm, kFilm);
    control->at = 300;
    form->PressKey('F', kCtrl);
    EXPECT_EQ(KeptPosition(kFilm), 300);
    EXPECT_EQ(control->opened, second);
    log->clear();
    control->source = second;
    control->ChangeMedia();
    EXPECT_EQ(*log, QStringList{"position 240"});
}

TEST_F(ResumeScreenTest, ClosingBeforeTheItemIsCurrentKeepsWhatWasStored) {
    Keep(kFilm, 300);
    form->WMP1->setURL(kFilm);
    control->current = EngineState::Loading;
    form->PressKey(vk::Escape);
    EXPECT_EQ(KeptPosition(kFilm), 300);
}

TEST_F(ResumeScreenTest, PlaylistEntriesAndMusicAreNotResumed) {
    Keep(kFilm, 300);
    Open("/tmp/list.wpl", kFilm);
    control->at = 600;
    form->PressKey(vk::Escape);
    EXPECT_TRUE(log->filter(QStringLiteral("position")).isEmpty());
    EXPECT_EQ(KeptPosition(kFilm), 300);
    EXPECT_FALSE(Kept("/tmp/list.wpl"));

    auto* songs = new FakeEngine;
    auto music =
        std::make_unique<TPlayer_Form>(std::unique_ptr<MediaEngine>(songs), services.Screens());
    music->WMP1->hide();
    music->MusicPanel->show();
    music->WMP1->setURL(kFilm);
    songs->source = kFilm;
    songs->length = 1000;
    songs->ChangeMedia();
    EXPECT_TRUE(songs->log->isEmpty());
}

// ---- a share that goes away ----

// A film on a share: a real file, whose reads the test can make fail as a share gone away does.
class ShareGoneTest : public ResumeScreenTest {
protected:
    ShareGoneTest() {
        QDir(share.path()).mkpath("Season 1");
        film = QFile::encodeName(share.filePath("Season 1/Episode 4.mkv"));
        WriteFile(QFile::decodeName(film), QByteArray(20000, 'x'));
        form->neighbours = {film, film + "-next"};
        Open(film, film);
        control->opened.clear();
        control->at = 950; // past the watched mark
    }
    ~ShareGoneTest() override { stall_shim_mend(); }
    // The share goes away under the playing film.
    void GoAway() {
        stall_shim_fail(QFile::encodeName(share.path()).constData());
        control->CutShort();
        ASSERT_TRUE(WaitForWorkersToEnd()); // the first try, in vain
    }

    QTemporaryDir share;
    QByteArray film;
};

TEST_F(ShareGoneTest, TheFilmWaitsWithItsPlaceKeptAndGoesOnFromThereWhenTheShareIsBack) {
    GoAway();
    EXPECT_FALSE(form->WaitNote->isHidden());
    EXPECT_EQ(form->WaitNote->text(), QStringLiteral("Waiting for Season 1…"));
    // Kept as a place to go on from, never as watched, and no next episode is offered.
    EXPECT_EQ(KeptPosition(film), 950);
    EXPECT_EQ(Kept(film)->playCount, 0);
    EXPECT_FALSE(form->CountingDown());
    // Still gone at the next try.
    clock.Advance(std::chrono::seconds(1));
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_TRUE(control->opened.isEmpty());

    stall_shim_mend();
    clock.Advance(std::chrono::seconds(2));
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_EQ(control->opened, film);
    EXPECT_TRUE(form->WaitNote->isHidden());
    log->clear();
    control->current = EngineState::Playing;
    control->at = 0;
    control->ChangeMedia();
    EXPECT_EQ(*log, QStringList{"position 950"});
}

TEST_F(ShareGoneTest, AFileThatCanBeReadAllAlongWasJustShorterThanItSaid) {
    control->CutShort();
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_TRUE(form->WaitNote->isHidden());
    EXPECT_EQ(Kept(film)->playCount, 1);
    EXPECT_TRUE(form->CountingDown()); // on to the next episode, as at any end
}

TEST_F(ShareGoneTest, EscapeLeavesWhileWaitingAndNothingOpensAfterwards) {
    GoAway();
    form->PressKey(vk::Escape);
    EXPECT_FALSE(form->isVisible());
    stall_shim_mend();
    clock.Advance(std::chrono::seconds(30));
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_TRUE(control->opened.isEmpty());
}

TEST_F(ShareGoneTest, DataThatStopsComingIsToldAfterAWhileAndTheNoteGoesWhenItComes) {
    control->at = 400;
    control->current = EngineState::Buffering;
    control->AnnounceState();
    clock.Advance(TPlayer_Form::kStalledAfter - std::chrono::seconds(1));
    EXPECT_TRUE(form->WaitNote->isHidden());
    clock.Advance(std::chrono::seconds(1));
    EXPECT_EQ(form->WaitNote->text(), QStringLiteral("Waiting for Season 1…"));
    EXPECT_EQ(KeptPosition(film), 400);
    control->current = EngineState::Playing;
    control->AnnounceState();
    EXPECT_TRUE(form->WaitNote->isHidden());
}

// ---- real libmpv ----

TEST_F(ResumeStoreTest, RealPlayerResumesAnEpisode) {
    TestServices services;
    {
        const Seam<MpvOptions>::Override nullOutputs(MpvEngine::DefaultOptionsSeam(),
                                                     MpvOptions{"null", false});
        auto form = CreatePlayerScreen(Rich().episode, 1, services.Screens());
        form->show();
        ASSERT_TRUE(WaitFor([&] { return form->WMP1->playState() == playstate::Playing; }));
        form->WMP1->controls().setCurrentPosition(190);
        ASSERT_TRUE(WaitFor([&] { return form->WMP1->controls().currentPosition() >= 190; }));
        form->close();
    }
    const double stored = KeptPosition(Rich().episode);
    EXPECT_GE(stored, 190);
    EXPECT_LE(stored, 195);
    {
        auto form = CreatePlayerScreen(Rich().episode, 1, services.Screens());
        form->show();
        ASSERT_TRUE(WaitFor([&] { return form->WMP1->controls().currentPosition() >= stored; }));
        EXPECT_TRUE(form->Note->text().startsWith(QStringLiteral("Resumed at 3:1")));
        form->close();
    }
}
// The episode's share goes away at 3:20 and comes back: mpv's reads fail under it.
TEST_F(ResumeStoreTest, RealPlayerWaitsForAShareThatWentAwayAndGoesOnWhereItStopped) {
    QTemporaryDir share;
    const QByteArray episode = QFile::encodeName(share.filePath("Episode.mp4"));
    // Noise: it cannot be compressed, so mpv has seconds, not the whole film, read ahead.
    Ffmpeg({"-f", "lavfi", "-i", "testsrc=duration=300:size=64x48:rate=5", "-vf",
            "noise=alls=100:allf=t", "-c:v", "libx264", "-preset", "ultrafast", "-g", "10",
            QFile::decodeName(episode)});
    ManualClock clock;
    TestServices services(&clock);
    const Seam<MpvOptions>::Override nullOutputs(MpvEngine::DefaultOptionsSeam(),
                                                 MpvOptions{"null", false});
    auto form = CreatePlayerScreen(episode, 1, services.Screens());
    form->show();
    ASSERT_TRUE(WaitFor([&] { return form->WMP1->playState() == playstate::Playing; }));
    form->WMP1->controls().setCurrentPosition(200);
    ASSERT_TRUE(WaitFor([&] { return form->WMP1->controls().currentPosition() >= 200; }));

    stall_shim_fail(QFile::encodeName(share.path()).constData());
    ASSERT_TRUE(WaitFor([&] { return !form->WaitNote->isHidden(); }));
    const double kept = KeptPosition(episode);
    EXPECT_GE(kept, 195);
    EXPECT_LT(kept, 240);
    EXPECT_EQ(Kept(episode)->playCount, 0);

    ASSERT_TRUE(WaitForWorkersToEnd()); // the first try, in vain
    stall_shim_mend();
    clock.Advance(std::chrono::seconds(1));
    ASSERT_TRUE(WaitFor([&] { return form->WaitNote->isHidden(); }));
    ASSERT_TRUE(WaitFor([&] { return form->WMP1->controls().currentPosition() >= kept; }));
    EXPECT_EQ(form->WMP1->playState(), playstate::Playing);
    form->close();
}

} // namespace
