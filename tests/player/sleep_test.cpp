#include "fake_control.h"
#include "input/app_command.h"
#include "manual_clock.h"
#include "message_capture.h"
#include "platform/sleep_watch.h"
#include "player/player_form.h"
#include "private_logind.h"
#include "settings/playback_index.h"
#include "settings/store.h"
#include "test_services.h"

#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {
const QByteArray kFilm = "/films/Long Film.mkv";

// The player screen on a recording engine, with the run's sleep watch as main() hands it down;
// the watch is told of the sleep as logind tells it.
class PlayerSleepTest : public ::testing::Test {
protected:
    // withLogind: the services' system bus is a private one where logind's mock answers.
    explicit PlayerSleepTest(bool withLogind = false)
        : logind(withLogind ? std::make_unique<PrivateLogind>() : nullptr),
          services(&clock, logind && logind->Running()
                               ? logind->Connect(QStringLiteral("couchframe"))
                               : NoBus()),
          control(new FakeEngine),
          form(new TPlayer_Form(std::unique_ptr<MediaEngine>(control), services.Screens())),
          log(control->log) {
        TestStore().Run("DELETE FROM playback_index");
        form->MusicPanel->hide(); // video mode
        form->resize(1280, 720);
    }
    ~PlayerSleepTest() override { delete form.data(); }

    // The video plays at 500 s of 1000 s.
    void PlayFilm() {
        form->WMP1->setURL(kFilm);
        control->source = kFilm;
        control->length = 1000;
        control->current = EngineState::Playing;
        control->ChangeMedia();
        control->AnnounceState();
        control->at = 500;
        log->clear();
    }
    static double KeptPosition(const QByteArray& path) {
        const auto record = PlaybackIndex(TestStore()).Find(path);
        return record ? record->position : -1;
    }
    static void Keep(const QByteArray& path, double position) {
        PlaybackRecord record;
        record.path = path;
        record.position = position;
        record.duration = 1000;
        PlaybackIndex(TestStore()).Save(record);
    }

    std::unique_ptr<PrivateLogind> logind;
    ManualClock clock;
    TestServices services;
    FakeEngine* control;
    QPointer<TPlayer_Form> form;
    std::shared_ptr<QStringList> log;
};

TEST_F(PlayerSleepTest, AVideoKeepsItsPlaceAndPausesAndStaysPausedAfterTheWake) {
    PlayFilm();
    services.sleep.PrepareForSleep(true);
    EXPECT_EQ(KeptPosition(kFilm), 500);
    EXPECT_EQ(*log, QStringList{"pause"});
    EXPECT_EQ(form->WMP1->playState(), playstate::Paused);

    services.sleep.PrepareForSleep(false);
    EXPECT_EQ(*log, QStringList{"pause"});
    EXPECT_EQ(form->WMP1->playState(), playstate::Paused);
    // Play goes on from there: nothing moves the position.
    form->WmAppCommand(appcommand::Play);
    EXPECT_EQ(*log, (QStringList{"pause", "play"}));
    EXPECT_EQ(form->WMP1->controls().currentPosition(), 500);
}

TEST_F(PlayerSleepTest, MusicPausesAndKeepsNoPlace) {
    form->WMP1->hide();
    form->MusicPanel->show();
    PlayFilm();
    services.sleep.PrepareForSleep(true);
    EXPECT_EQ(*log, QStringList{"pause"});
    EXPECT_EQ(KeptPosition(kFilm), -1);
}

TEST_F(PlayerSleepTest, WhatIsBufferingIsPausedTooWhatIsPausedOrStoppedIsLeft) {
    PlayFilm();
    for (const EngineState state :
         {EngineState::Buffering, EngineState::Paused, EngineState::Idle}) {
        control->current = state;
        services.sleep.PrepareForSleep(true);
        services.sleep.PrepareForSleep(false);
    }
    EXPECT_EQ(*log, QStringList{"pause"});
}

TEST_F(PlayerSleepTest, TheCountdownToTheNextFilmEndsAtTheSleep) {
    form->neighbours = {kFilm, "/films/Long Film 2.mkv"};
    PlayFilm();
    control->EndItem();
    ASSERT_TRUE(form->CountingDown());
    services.sleep.PrepareForSleep(true);
    EXPECT_FALSE(form->CountingDown());
    services.sleep.PrepareForSleep(false);
    clock.Advance(std::chrono::seconds(10));
    EXPECT_EQ(control->opened, kFilm);
}

TEST_F(PlayerSleepTest, AFailureIsToldOnlyOnceTheMachineMaySleep) {
    MessageCapture messages;
    PlayFilm();
    control->failState = true;
    services.sleep.PrepareForSleep(true);
    // The place is kept all the same, and no message box holds the sleep up.
    EXPECT_EQ(KeptPosition(kFilm), 500);
    EXPECT_TRUE(messages.texts.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.texts.isEmpty(); }, 5000));
    EXPECT_EQ(messages.texts, QStringList{"state unknown"});
}

TEST_F(PlayerSleepTest, AClosedPlayerIsLeftAlone) {
    PlayFilm();
    form->PressKey(vk::Escape);
    ASSERT_EQ(KeptPosition(kFilm), 500);
    Keep(kFilm, 200); // another player since
    log->clear();
    control->current = EngineState::Playing;
    services.sleep.PrepareForSleep(true);
    EXPECT_TRUE(log->isEmpty());
    EXPECT_EQ(KeptPosition(kFilm), 200);
}

// ---- through logind on a private bus ----

class PlayerSleepThroughLogindTest : public PlayerSleepTest {
protected:
    PlayerSleepThroughLogindTest() : PlayerSleepTest(true) {}
    void SetUp() override {
        if (!logind->Running())
            GTEST_SKIP() << logind->Why().toStdString();
    }
    bool Holding(bool held) {
        return QTest::qWaitFor([&] { return services.sleep.Holding() == held; }, 10000);
    }
};

TEST_F(PlayerSleepThroughLogindTest, TheFilmIsPausedAtItsPlaceBeforeLogindIsLetGo) {
    ASSERT_TRUE(Holding(true));
    PlayFilm();
    double keptWhileHeld = -1;
    QStringList locksWhileHeld;
    // Connected after the screen: runs after its handler, still before the lock goes.
    QObject::connect(&services.sleep, &SleepWatch::aboutToSleep, [&] {
        keptWhileHeld = KeptPosition(kFilm);
        locksWhileHeld = logind->Inhibitors();
    });
    ASSERT_TRUE(logind->SendPrepareForSleep(true));
    ASSERT_TRUE(Holding(false));
    EXPECT_EQ(keptWhileHeld, 500);
    EXPECT_EQ(locksWhileHeld.size(), 1);
    EXPECT_EQ(*log, QStringList{"pause"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return logind->Inhibitors().isEmpty(); }, 10000));

    ASSERT_TRUE(logind->SendPrepareForSleep(false));
    ASSERT_TRUE(Holding(true));
    EXPECT_EQ(*log, QStringList{"pause"});
    EXPECT_EQ(form->WMP1->playState(), playstate::Paused);
}
} // namespace
