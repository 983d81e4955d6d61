#include "fake_control.h"
#include "input/app_command.h"
#include "player/mpv_engine.h"
#include "player/player_form.h"
#include "player/resume_positions.h"
#include "player/screen_note.h"
#include "rich_media.h"
#include "settings/general.h"
#include "settings/store.h"
#include "test_media.h"
#include "test_services.h"

#include <QPointer>

#include <gtest/gtest.h>

namespace {
const ShiftState kCtrl{false, true, false};
const QString kResumeKey = settingskey::Root + QStringLiteral("\\Settings\\Resume");
const QByteArray kFilm = "/films/Long Film.mkv";

class ResumeStoreTest : public ::testing::Test {
protected:
    ResumeStoreTest() { EraseSettingKey(0, kResumeKey); }
};

struct ShareCase {
    double position, duration;
    bool kept;
};
// Names the case in test names and failure messages.
void PrintTo(const ShareCase& c, std::ostream* out) {
    *out << c.position << " of " << c.duration;
}

class WorthKeepingTest : public ::testing::TestWithParam<ShareCase> {};

TEST_P(WorthKeepingTest, OnlyBetweenFiveAndNinetyTwoPercent) {
    EXPECT_EQ(resume::WorthKeeping(GetParam().position, GetParam().duration), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(Shares, WorthKeepingTest,
                         ::testing::Values(ShareCase{5, 100, false}, ShareCase{5.1, 100, true},
                                           ShareCase{91.9, 100, true}, ShareCase{92, 100, false},
                                           ShareCase{50, 0, false}, ShareCase{0, 60, false}));

TEST(ResumeNote, ShowsMinutesAndSecondsOrHours) {
    EXPECT_EQ(resume::ResumeNote(754), QStringLiteral("Resumed at 12:34 — Ctrl+B starts over"));
    EXPECT_EQ(resume::ResumeNote(65), QStringLiteral("Resumed at 1:05 — Ctrl+B starts over"));
    EXPECT_EQ(resume::ResumeNote(3723), QStringLiteral("Resumed at 1:02:03 — Ctrl+B starts over"));
}

TEST_F(ResumeStoreTest, KeepsReplacesAndForgetsPositionsPerPath) {
    EXPECT_FALSE(resume::StoredPosition(kFilm));
    resume::Remember(kFilm, 300.7, 1000);
    EXPECT_EQ(resume::StoredPosition(kFilm), 300);
    EXPECT_FALSE(resume::StoredPosition(kFilm + "x"));
    resume::Remember(kFilm, 400, 1000);
    EXPECT_EQ(resume::StoredPosition(kFilm), 400);
    resume::Remember(kFilm, 950, 1000); // into the credits: starts afresh next time
    EXPECT_FALSE(resume::StoredPosition(kFilm));
    // Stored as the path's hash: the path itself is not written into the store.
    resume::Remember(kFilm, 400, 1000);
    EXPECT_EQ(ReadSettingInt(0, kResumeKey, resume::PathKey(kFilm), -1), 400);
    EXPECT_EQ(resume::PathKey(kFilm).size(), 40);
}

TEST_F(ResumeStoreTest, DamagedValuesAreNotUsed) {
    WriteSettingString(0, kResumeKey, resume::PathKey(kFilm), QStringLiteral("300"));
    EXPECT_FALSE(resume::StoredPosition(kFilm));
    WriteSettingInt(0, kResumeKey, resume::PathKey(kFilm), -5);
    EXPECT_FALSE(resume::StoredPosition(kFilm));
}

TEST_F(ResumeStoreTest, KeepsAtMostFiveHundredDroppingTheOldest) {
    auto path = [](int i) { return "/films/" + QByteArray::number(i) + ".mkv"; };
    for (int i = 0; i < resume::kMaxEntries; ++i)
        resume::Remember(path(i), 100, 1000);
    resume::Remember(path(0), 200, 1000); // used again: now the newest
    resume::Remember(path(500), 100, 1000);
    resume::Remember(path(501), 100, 1000);
    EXPECT_EQ(resume::StoredPosition(path(0)), 200);
    EXPECT_FALSE(resume::StoredPosition(path(1)));
    EXPECT_FALSE(resume::StoredPosition(path(2)));
    EXPECT_EQ(resume::StoredPosition(path(3)), 100);
    EXPECT_EQ(resume::StoredPosition(path(501)), 100);
    SettingsStore& store = SettingsStore::Instance();
    EXPECT_EQ(store.Values(*store.FindKey(RootKey::CurrentUser, kResumeKey)).size(),
              resume::kMaxEntries);
}

// ---- the screen, on a control that records what it is asked ----

class ResumeScreenTest : public ResumeStoreTest {
protected:
    ResumeScreenTest()
        : control(new FakeEngine),
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
    }

    TestServices services;
    FakeEngine* control;
    QPointer<TPlayer_Form> form;
    std::shared_ptr<QStringList> log;
};

TEST_F(ResumeScreenTest, VideoOpenedAloneGoesOnWhereItStoppedWithANote) {
    resume::Remember(kFilm, 754, 1000);
    Open(kFilm, kFilm);
    EXPECT_EQ(*log, QStringList{"position 754"});
    EXPECT_FALSE(form->Note->isHidden());
    EXPECT_EQ(form->Note->text(), QStringLiteral("Resumed at 12:34 — Ctrl+B starts over"));
    control->ChangeMedia(); // told again about the same item: not moved again
    EXPECT_EQ(*log, QStringList{"position 754"});
    control->at = 800;
    form->PressKey(vk::Escape);
    EXPECT_EQ(resume::StoredPosition(kFilm), 800);
}

TEST_F(ResumeScreenTest, CtrlBAndTheRemotesReplayStartOverOnce) {
    resume::Remember(kFilm, 300, 1000);
    Open(kFilm, kFilm);
    log->clear();
    EXPECT_TRUE(form->PressKey('B', kCtrl));
    EXPECT_EQ(*log, QStringList{"position 0"});
    EXPECT_TRUE(form->PressKey('B', kCtrl));
    form->WmAppCommand(appcommand::PreviousTrack);
    EXPECT_EQ(*log, (QStringList{"position 0", "previous", "previous"}));

    resume::Remember(kFilm, 300, 1000);
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

TEST_F(ResumeScreenTest, StopKeepsThePositionAndTheCreditsForgetIt) {
    Open(kFilm, kFilm);
    control->at = 500;
    form->PressKey('S', kCtrl);
    EXPECT_EQ(resume::StoredPosition(kFilm), 500);
    control->current = EngineState::Playing;
    control->at = 990;
    form->WmAppCommand(appcommand::Stop);
    EXPECT_FALSE(resume::StoredPosition(kFilm));
}

TEST_F(ResumeScreenTest, ClosingBeforeTheItemIsCurrentKeepsWhatWasStored) {
    resume::Remember(kFilm, 300, 1000);
    form->WMP1->setURL(kFilm);
    control->current = EngineState::Loading;
    form->PressKey(vk::Escape);
    EXPECT_EQ(resume::StoredPosition(kFilm), 300);
}

TEST_F(ResumeScreenTest, PlaylistEntriesAndMusicAreNotResumed) {
    resume::Remember(kFilm, 300, 1000);
    Open("/tmp/list.wpl", kFilm);
    control->at = 600;
    form->PressKey(vk::Escape);
    EXPECT_TRUE(log->filter(QStringLiteral("position")).isEmpty());
    EXPECT_EQ(resume::StoredPosition(kFilm), 300);

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

// ---- real libmpv ----

TEST_F(ResumeStoreTest, RealPlayerResumesASixtySecondClip) {
    TestServices services;
    {
        const Seam<MpvOptions>::Override nullOutputs(MpvEngine::DefaultOptionsSeam(),
                                                     MpvOptions{"null", false});
        auto form = CreatePlayerScreen(Rich().minute, 1, services.Screens());
        form->show();
        ASSERT_TRUE(WaitFor([&] { return form->WMP1->playState() == playstate::Playing; }));
        form->WMP1->controls().setCurrentPosition(30);
        ASSERT_TRUE(WaitFor([&] { return form->WMP1->controls().currentPosition() >= 30; }));
        form->close();
    }
    const auto stored = resume::StoredPosition(Rich().minute);
    ASSERT_TRUE(stored);
    EXPECT_GE(*stored, 30);
    EXPECT_LE(*stored, 32);
    {
        auto form = CreatePlayerScreen(Rich().minute, 1, services.Screens());
        form->show();
        ASSERT_TRUE(WaitFor([&] { return form->WMP1->controls().currentPosition() >= *stored; }));
        EXPECT_TRUE(form->Note->text().startsWith(QStringLiteral("Resumed at 0:3")));
        form->close();
    }
}
} // namespace
