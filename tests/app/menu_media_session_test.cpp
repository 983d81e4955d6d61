#include "app/menu_media_session.h"

#include "input/app_command.h"
#include "input/input_router.h"
#include "manual_clock.h"
#include "ui/form.h"
#include "ui/screen_stack.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {
class CommandRecordingForm : public Form {
public:
    QList<int> commands;
    void WmAppCommand(int command) override { commands.append(command); }
};
} // namespace

// On the menus a desktop remote's Play (and PlayPause) is the remote's Play on the screen in
// front; nothing else reaches it, and nothing shows as playing.
TEST(MenuMediaSession, PlayReachesTheScreenInFrontAsTheRemotesPlay) {
    ManualClock clock;
    InputRouter input(clock);
    ScreenStack window(input);
    auto* behind = new CommandRecordingForm;
    auto* front = new CommandRecordingForm;
    window.Push(std::unique_ptr<Form>(behind));
    window.Push(std::unique_ptr<Form>(front));
    window.show();
    QApplication::setActiveWindow(nullptr); // the desktop's focus is elsewhere
    MenuMediaSession menus(window);
    menus.Play();
    // The second press is a new one, not a duplicate delivery.
    clock.Advance(std::chrono::milliseconds(DuplicateFilter::kWindowMs + 1));
    menus.PlayPause();
    menus.Pause();
    menus.Stop();
    menus.Next();
    menus.Previous();
    EXPECT_EQ(front->commands, QList<int>({appcommand::Play, appcommand::Play}));
    EXPECT_TRUE(behind->commands.isEmpty());
    const MediaSessionState state = menus.State();
    EXPECT_EQ(state.status, MediaSessionState::Status::Stopped);
    EXPECT_TRUE(state.canPlay);
    EXPECT_FALSE(state.canPause || state.canGoNext || state.canGoPrevious || state.canSeek);
}
