#include "player/player_media_session.h"

#include "input/app_command.h"
#include "platform/byte_path.h"
#include "player/media_player_control.h"
#include "player/player_form.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kMicroseconds = 1e6;

MediaSessionState::Status StatusOf(int playState) {
    switch (playState) {
    case playstate::Playing:
    case playstate::ScanForward:
    case playstate::ScanReverse:
        return MediaSessionState::Status::Playing;
    case playstate::Paused:
        return MediaSessionState::Status::Paused;
    default:
        return MediaSessionState::Status::Stopped;
    }
}

// A local path as a file URL that keeps every byte of its name; a URL as it is.
QString UrlOf(const QByteArray& source) {
    if (source.startsWith('/'))
        return QString::fromLatin1(FileUrlOfPath(source));
    return QString::fromUtf8(source);
}
} // namespace

MediaSessionState PlayerMediaSession::State() {
    MediaPlayerControl& control = *player_.WMP1;
    MediaSessionState state;
    state.canPlay = state.canPause = state.canGoNext = state.canGoPrevious = true;
    try {
        state.status = StatusOf(control.playState());
        state.volume = control.settings().volume() / 100.0;
        const QByteArray source = control.currentMedia().sourceURL();
        const double length = control.currentMedia().duration();
        state.lengthUs = static_cast<qint64>(length * kMicroseconds);
        state.positionUs =
            static_cast<qint64>(control.controls().currentPosition() * kMicroseconds);
        state.canSeek = length > 0;
        if (!source.isEmpty()) {
            // Never read here: a desktop asks at every change, and the file may be on a share that
            // does not answer. The screen has the tags once its worker has read them.
            const NowPlayingTags tags = player_.NowPlaying(source);
            state.url = UrlOf(source);
            state.title = tags.title;
            if (!tags.artist.isEmpty())
                state.artists = QStringList{tags.artist};
            state.album = tags.album;
            state.art = player_.CoverPicture();
        }
    } catch (const std::exception&) {
        // A control that cannot answer shows as stopped; its failure is the key handlers' to tell.
        state.status = MediaSessionState::Status::Stopped;
    }
    return state;
}

void PlayerMediaSession::Command(int appCommand) {
    player_.TapCommand(appCommand);
    player_.UpdateScreenAwake();
}

void PlayerMediaSession::PlayPause() {
    Command(appcommand::PlayPause);
}

void PlayerMediaSession::Play() {
    Command(appcommand::Play);
}
void PlayerMediaSession::Pause() {
    Command(appcommand::Pause);
}
void PlayerMediaSession::Stop() {
    Command(appcommand::Stop);
}
void PlayerMediaSession::Next() {
    Command(appcommand::NextTrack);
}
void PlayerMediaSession::Previous() {
    Command(appcommand::PreviousTrack);
}

void PlayerMediaSession::SeekBy(qint64 offsetUs) {
    MediaControls& controls = player_.WMP1->controls();
    const double length = player_.WMP1->currentMedia().duration();
    const double target = controls.currentPosition() + offsetUs / kMicroseconds;
    // Past the end means the next item, as MPRIS has it.
    if (length > 0 && target > length) {
        Next();
        return;
    }
    controls.setCurrentPosition(std::max(0.0, target));
}

void PlayerMediaSession::SeekTo(qint64 positionUs) {
    player_.WMP1->controls().setCurrentPosition(positionUs / kMicroseconds);
}

void PlayerMediaSession::SetVolume(double volume) {
    player_.WMP1->settings().setVolume(
        static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100)));
}
