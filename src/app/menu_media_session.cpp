#include "app/menu_media_session.h"

#include "input/app_command.h"
#include "input/remote_dispatch.h"

MediaSessionState MenuMediaSession::State() {
    MediaSessionState state;
    state.canPlay = true;
    return state;
}

void MenuMediaSession::Play() {
    DeliverAppCommand(appcommand::Play, InputPath::DisplayServer);
}
