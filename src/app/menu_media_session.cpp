#include "app/menu_media_session.h"

#include "input/app_command.h"
#include "input/input_router.h"
#include "ui/screen_stack.h"

#include <QApplication>

MediaSessionState MenuMediaSession::State() {
    MediaSessionState state;
    state.canPlay = true;
    return state;
}

void MenuMediaSession::Play() {
    // A desktop's remote speaks to the screen in front wherever the desktop's focus is, but never
    // past a message box or dialog in front of that screen.
    if (window_.Depth() > 0 && !QApplication::activeModalWidget())
        window_.Input().Tap(InputCommand::Command(appcommand::Play), InputPath::DisplayServer,
                            &window_);
}
