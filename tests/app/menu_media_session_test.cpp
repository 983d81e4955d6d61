#include "app/menu_media_session.h"

#include "input/app_command.h"
#include "input/remote_dispatch.h"
#include "ui/form.h"

#include <gtest/gtest.h>

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
    ClearRecentRemoteInput();
    CommandRecordingForm behind, front;
    behind.show();
    front.show();
    MenuMediaSession menus;
    menus.Play();
    ClearRecentRemoteInput(); // the second press is a new one, not a duplicate delivery
    menus.PlayPause();
    menus.Pause();
    menus.Stop();
    menus.Next();
    menus.Previous();
    EXPECT_EQ(front.commands, QList<int>({appcommand::Play, appcommand::Play}));
    EXPECT_TRUE(behind.commands.isEmpty());
    const MediaSessionState state = menus.State();
    EXPECT_EQ(state.status, MediaSessionState::Status::Stopped);
    EXPECT_TRUE(state.canPlay);
    EXPECT_FALSE(state.canPause || state.canGoNext || state.canGoPrevious || state.canSeek);
}
