#include "message_capture.h"
#include "player/mpv_engine.h"
#include "player/playback_notice.h"
#include "player/player_form.h"
#include "settings/general.h"
#include "stall_shim.h"
#include "test_media.h"
#include "test_services.h"

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <condition_variable>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include <algorithm>

// The player screen on real libmpv with null outputs.
namespace {
const ShiftState kCtrl{false, true, false};
const ShiftState kCtrlShift{true, true, false};

class PlayerScreenMpvTest : public ::testing::Test {
protected:
    // The player screen as the folder list opens it, on the program's window.
    TPlayer_Form& OpenPlayer(const QByteArray& path, int category) {
        auto form = CreatePlayerScreen(path, category, services.Screens());
        TPlayer_Form& shown = *form;
        services.window.Push(std::move(form));
        services.window.show();
        return shown;
    }
    static bool WaitForState(TPlayer_Form& form, int state) {
        return WaitFor([&] { return form.WMP1->playState() == state; });
    }
    static double Position(TPlayer_Form& form) { return form.WMP1->controls().currentPosition(); }

    TestServices services;

private:
    Seam<MpvOptions>::Override nullOutputs_{MpvEngine::DefaultOptionsSeam(),
                                            MpvOptions{QStringLiteral("null"), false}};
};

TEST_F(PlayerScreenMpvTest, MusicPlaysWithItsCaptionAndClosingKeepsTheSettings) {
    WriteSettingInt(TestStore(), 0, settingskey::Player, QStringLiteral("Volume"), 42);
    WriteSettingBool(TestStore(), 0, settingskey::Player, QStringLiteral("SkipFlg"), true);
    QString caption;
    bool musicMode = false;
    TPlayer_Form& form = OpenPlayer(Media().song, 2);
    musicMode = form.MusicPanel->isVisible() && !form.WMP1->isVisible();
    EXPECT_TRUE(WaitForState(form, playstate::Playing));
    EXPECT_EQ(form.WMP1->settings().volume(), 42);
    caption = form.InfoCaption();
    EXPECT_EQ(form.SkipLength(), 1); // automatic: 1 % of 6 s, raised to 1
    form.PressKey(vk::F1 + 8);       // F9: one step up, kept on close
    form.PressKey('8');
    form.PressKey(vk::Escape);
    EXPECT_EQ(form.WMP1->playState(), playstate::Stopped);
    EXPECT_TRUE(musicMode);
    EXPECT_EQ(caption.toStdString(), "Test Song\r\n\r\nArtist\r\n\r\nAlbum (2001) - #7\r\n\r\n");
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, settingskey::Player, QStringLiteral("Volume"), -1),
              43);
    EXPECT_FALSE(
        ReadSettingBool(TestStore(), 0, settingskey::Player, QStringLiteral("SkipFlg"), true));
    EXPECT_EQ(ReadSettingInt(TestStore(), 0, settingskey::Player, QStringLiteral("SkipSecond"), -1),
              8);
}

TEST_F(PlayerScreenMpvTest, ReverseJumpMovesBySkipLengthAndResumesOnlyIfPlaying) {
    TPlayer_Form form(std::make_unique<MpvEngine>(), services.Screens());
    form.resize(320, 240);
    form.MusicPanel->hide();
    form.WMP1->setURL(Media().video);
    form.show();
    ASSERT_TRUE(WaitForState(form, playstate::Playing));
    form.PressKey('2');
    form.WMP1->controls().setCurrentPosition(4.0);
    ASSERT_TRUE(WaitFor([&] { return Position(form) >= 4.0; }));
    form.PressKey('B', kCtrlShift);
    EXPECT_EQ(form.WMP1->playState(), playstate::Playing);
    EXPECT_TRUE(WaitFor([&] { return Position(form) > 1.9 && Position(form) < 3.0; }));

    form.PressKey('P', kCtrl); // pause
    ASSERT_EQ(form.WMP1->playState(), playstate::Paused);
    const double before = Position(form);
    form.PressKey('B', kCtrlShift);
    EXPECT_TRUE(WaitFor([&] { return qAbs(Position(form) - qMax(0.0, before - 2)) < 0.05; }));
    EXPECT_EQ(form.WMP1->playState(), playstate::Paused);

    // Local media can be scanned by the control itself; play ends the scan.
    form.PressKey('P', kCtrl);
    form.PressKey('F', kCtrlShift);
    EXPECT_EQ(form.WMP1->playState(), playstate::ScanForward);
    form.PressKey('P', kCtrl);
    EXPECT_EQ(form.WMP1->playState(), playstate::Playing);
}

TEST_F(PlayerScreenMpvTest, ProgressBarAndMediaChangeFollowThePlaylist) {
    const QByteArray list = Media().folder + "/screen.m3u";
    WriteFile(list, Media().song + "\r\n" + Media().second + "\r\n");
    TPlayer_Form form(std::make_unique<MpvEngine>(), services.Screens());
    form.WMP1->hide();
    form.WMP1->setURL(list);
    form.show();
    ASSERT_TRUE(WaitForState(form, playstate::Playing));
    form.WMP1->controls().pause();
    form.WMP1->controls().setCurrentPosition(3.0);
    // MP3 seeking lands near the target, not on it, when mpv is still setting the item up.
    ASSERT_TRUE(WaitFor([&] { return qAbs(Position(form) - 3.0) < 0.25; }));
    // The seek may still be settling: the bar shows a position read between these two.
    const double duration = form.WMP1->currentMedia().duration();
    const int before = static_cast<int>(Position(form) * 1000 / duration);
    form.WMP1PositionChange();
    const int after = static_cast<int>(Position(form) * 1000 / duration);
    EXPECT_GE(form.PB1->value(), std::min(before, after));
    EXPECT_LE(form.PB1->value(), std::max(before, after));
    EXPECT_GT(form.PB1->value(), 400);

    form.PressKey('F', kCtrl); // next item
    ASSERT_TRUE(WaitFor([&] { return form.InfoCaption() == QStringLiteral("second"); }));
    // A media change starts the bar again; the new item's positions move it on from there, at
    // whatever pace the machine lets the test look.
    form.WMP1MediaChange();
    EXPECT_EQ(form.PB1->value(), 0);
    form.PressKey(vk::Return); // loop on: previous from the first item wraps round
    form.PressKey('B', kCtrl);
    ASSERT_TRUE(
        WaitFor([&] { return form.InfoCaption().startsWith(QStringLiteral("Test Song")); }));
    form.close();
}

// A song chosen in a folder list is followed by the next of the folder from mpv's own playlist, so
// the sound goes on without the player being opened again.
TEST_F(PlayerScreenMpvTest, TheNextSongOfTheFolderPlaysOnFromTheQueue) {
    TPlayer_Form& form = OpenPlayer(Media().song, 2);
    form.neighbours = {Media().song, Media().second};
    form.WMP1MediaChange(); // the neighbours come with the hand-off, before the first change
    ASSERT_TRUE(WaitForState(form, playstate::Playing));
    QSignalSpy ended(form.WMP1, &MediaPlayerControl::itemEnded);
    form.WMP1->controls().setCurrentPosition(form.WMP1->currentMedia().duration() - 0.3);
    ASSERT_TRUE(WaitFor([&] { return form.InfoCaption() == QStringLiteral("second"); }));
    EXPECT_EQ(form.WMP1->URL(), Media().song); // never opened anew
    ASSERT_EQ(ended.size(), 1);
    EXPECT_EQ(ended.first().at(0).toByteArray(), Media().song);
    // The queued song may still be settling in when its caption shows.
    EXPECT_TRUE(WaitForState(form, playstate::Playing));
    form.close();
}

TEST_F(PlayerScreenMpvTest, FailingPlaylistItemIsShownOnTheScreenAndTheNextOnePlays) {
    const QByteArray list = Media().folder + "/failing screen.m3u";
    WriteFile(list, Media().corrupt + "\r\n" + Media().song + "\r\n");
    MessageCapture boxes;
    QString notice;
    TPlayer_Form& form = OpenPlayer(list, 2);
    EXPECT_TRUE(WaitFor([&] {
        return form.WMP1->playState() == playstate::Playing &&
               form.InfoCaption().startsWith(QStringLiteral("Test Song"));
    }));
    notice = form.Notice->isVisible() ? form.Notice->text() : QString();
    form.PressKey(vk::Escape);
    EXPECT_TRUE(notice.startsWith('"' + QFile::decodeName(Media().corrupt) + "\" cannot be played"))
        << notice.toStdString();
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('\n').toStdString();
}

TEST_F(PlayerScreenMpvTest, CorruptMediaIsReportedAndTheScreenStaysUsable) {
    MessageCapture messages;
    bool closed = false;
    TPlayer_Form& form = OpenPlayer(Media().corrupt, 1);
    EXPECT_TRUE(WaitFor([&] { return !messages.texts.isEmpty(); }));
    EXPECT_TRUE(form.PressKey(vk::F1 + 9));
    EXPECT_TRUE(form.PressKey('I', kCtrl));
    EXPECT_TRUE(form.PressKey('P', kCtrl));
    EXPECT_TRUE(form.PressKey(vk::Escape));
    closed = !form.isVisible();
    EXPECT_TRUE(closed);
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_TRUE(messages.texts.first().contains(QStringLiteral("broken.mp4")));
}

// The file's share stalls while mpv opens it: Esc closes the screen without waiting for the share.
TEST_F(PlayerScreenMpvTest, ClosingWhileTheFileShareStallsDoesNotWait) {
    QTemporaryDir share;
    const QString path = share.filePath(QStringLiteral("stalled.mp4"));
    ASSERT_TRUE(QFile::copy(Media().video, path));
    stall_shim_hold(QFile::encodeName(path).constData());
    // Should closing wait after all, the share wakes after a while so that the test ends.
    std::mutex mutex;
    std::condition_variable shownChanged;
    bool shown = false;
    std::thread waker([&] {
        std::unique_lock lock(mutex);
        shownChanged.wait_for(lock, std::chrono::seconds(20), [&] { return shown; });
        stall_shim_release();
    });
    bool stalled = false;
    TPlayer_Form& form = OpenPlayer(QFile::encodeName(path), 1);
    // The event loop runs meanwhile: mpv opens the file only once the player has seen it
    // coming (its load hook).
    stalled = WaitFor([] { return stall_shim_waiting() >= 1; });
    form.PressKey(vk::Escape);
    const int stillWaiting = stall_shim_waiting();
    {
        const std::lock_guard lock(mutex);
        shown = true;
    }
    shownChanged.notify_all();
    waker.join();
    EXPECT_TRUE(stalled);
    EXPECT_GE(stillWaiting, 1) << "the screen closed only when the share woke";
}
} // namespace
