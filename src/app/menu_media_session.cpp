#include "app/menu_media_session.h"

#include "input/app_command.h"
#include "input/remote_dispatch.h"
#include "ui/form.h"

#include <QApplication>

MediaSessionState MenuMediaSession::State() {
    MediaSessionState state;
    state.canPlay = true;
    return state;
}

void MenuMediaSession::Play() {
    // A desktop's remote speaks to the screen in front wherever the desktop's focus is, but never
    // past a message box or dialog in front of that screen.
    Form* front = Form::Topmost();
    const QWidget* modal = QApplication::activeModalWidget();
    if (front && (!modal || modal == front))
        DeliverAppCommand(appcommand::Play, InputPath::DisplayServer, front);
}
