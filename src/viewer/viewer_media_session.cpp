#include "viewer/viewer_media_session.h"

#include "input/app_command.h"
#include "platform/byte_path.h"
#include "platform/guessed_text.h"
#include "platform/timer.h"
#include "viewer/viewer_form.h"

MediaSessionState ViewerMediaSession::State() {
    MediaSessionState state;
    const bool stepping = viewer_.Timer1->enabled();
    if (viewer_.Running())
        state.status =
            stepping ? MediaSessionState::Status::Playing : MediaSessionState::Status::Paused;
    const auto& list = viewer_.List();
    const int index = viewer_.Index();
    state.canPlay = state.canPause = !list.isEmpty();
    // Stepping by hand waits while the show runs, as it does for the keys.
    state.canGoNext = !stepping && index < list.size() - 1;
    state.canGoPrevious = !stepping && index > 0;
    if (index >= 0 && index < list.size()) {
        // A file URL that keeps every byte of the name, and the name shown readably.
        const QByteArray& path = list[index];
        state.url = QString::fromLatin1(FileUrlOfPath(path));
        state.artUrl = state.url;
        state.title = GuessedText(LastPathComponent(path));
    }
    return state;
}

void ViewerMediaSession::PlayPause() {
    viewer_.TapCommand(appcommand::PlayPause);
}
void ViewerMediaSession::Play() {
    viewer_.TapCommand(appcommand::Play);
}
void ViewerMediaSession::Pause() {
    viewer_.TapCommand(appcommand::Pause);
}
void ViewerMediaSession::Stop() {
    viewer_.TapCommand(appcommand::Stop);
}
void ViewerMediaSession::Next() {
    viewer_.TapCommand(appcommand::NextTrack);
}
void ViewerMediaSession::Previous() {
    viewer_.TapCommand(appcommand::PreviousTrack);
}
