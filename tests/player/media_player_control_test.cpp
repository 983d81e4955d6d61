#include "fake_control.h"
#include "message_capture.h"
#include "platform/error.h"
#include "player/media_player_control.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace {
// The control as the player screen's handlers see it, over an engine that says what it is told.
class MediaPlayerControlTest : public ::testing::Test {
protected:
    FakeEngine* engine = new FakeEngine;
    MediaPlayerControl control{std::unique_ptr<MediaEngine>(engine)};
};

TEST_F(MediaPlayerControlTest, TheEnginesStatesAreTheControlsPlayStates) {
    const std::pair<EngineState, int> cases[] = {
        {EngineState::Idle, playstate::Stopped},
        {EngineState::Loading, playstate::Transitioning},
        {EngineState::Buffering, playstate::Buffering},
        {EngineState::Playing, playstate::Playing},
        {EngineState::Paused, playstate::Paused},
        {EngineState::Scanning, playstate::ScanForward},
    };
    for (const auto& [state, played] : cases) {
        engine->current = state;
        EXPECT_EQ(control.playState(), played) << int(state);
    }
}

TEST_F(MediaPlayerControlTest, WhatTheEngineTellsReachesTheScreensCallbacksAndSignals) {
    QSignalSpy states(&control, &MediaPlayerControl::stateChanged);
    QSignalSpy positions(&control, &MediaPlayerControl::positionChanged);
    int mediaChanges = 0;
    QStringList skipped;
    control.OnMediaChange = [&] { ++mediaChanges; };
    control.OnItemFailure = [&](const QString& message) { skipped << message; };

    engine->AnnounceState();
    emit engine->volumeChanged();
    engine->AnnouncePosition();
    emit engine->durationChanged(12);
    engine->ChangeMedia();
    emit engine->coverArtChanged(QImage(2, 2, QImage::Format_RGB32));
    engine->SkipItem(QStringLiteral("\"a.mp4\" cannot be played"));
    EXPECT_EQ(states.count(), 2);
    EXPECT_EQ(positions.count(), 2);
    EXPECT_EQ(mediaChanges, 2);
    EXPECT_EQ(skipped, QStringList{"\"a.mp4\" cannot be played"});

    // Without a listener a skipped item is told as an error, like any failure.
    control.OnItemFailure = nullptr;
    MessageCapture messages;
    engine->SkipItem(QStringLiteral("skipped"));
    emit engine->failed(QStringLiteral("failed"));
    EXPECT_EQ(messages.texts, (QStringList{"skipped", "failed"}));
}

TEST_F(MediaPlayerControlTest, TheSpecsNamesBecomeTypedCommands) {
    control.setURL("/films/a.mkv");
    EXPECT_EQ(engine->opened, QByteArray("/films/a.mkv"));
    EXPECT_EQ(engine->current, EngineState::Loading);
    control.setAutoStart(false);
    control.setURL("/films/b.mkv");
    EXPECT_EQ(engine->current, EngineState::Paused);

    control.settings().setMode(QStringLiteral("Loop"), true);
    control.settings().setMode(QStringLiteral("shuffle"), false);
    EXPECT_THROW(control.settings().setMode(QStringLiteral("autoRewind"), true), AppError);
    engine->scannable = true;
    EXPECT_TRUE(control.controls().isAvailable(QStringLiteral("FastForward")));
    EXPECT_FALSE(control.controls().isAvailable(QStringLiteral("FastReverse")));
    control.controls().fastForward();
    EXPECT_THROW(control.controls().fastReverse(), AppError);
    control.controls().setCurrentPosition(30);
    control.controls().seekBy(-10);
    EXPECT_EQ(*engine->log,
              (QStringList{"loop 1", "shuffle 0", "fastForward", "position 30", "seek by -10"}));
    EXPECT_EQ(control.controls().currentPosition(), 20);
}
} // namespace
