#include "player/playback_resume.h"

#include "player/media_player_control.h"
#include "player/resume_positions.h"

bool PlaybackResume::OpenedAlone() {
    const QByteArray url = control_.URL();
    return !url.isEmpty() && control_.currentMedia().sourceURL() == url;
}

std::optional<int> PlaybackResume::ResumeOnce() {
    if (checked_ || !OpenedAlone())
        return std::nullopt;
    checked_ = true;
    const auto position = resume::StoredPosition(control_.URL());
    const double length = control_.currentMedia().duration();
    // A file replaced by a shorter one under the same name starts from the beginning.
    if (!position || (length > 0 && *position >= length))
        return std::nullopt;
    control_.controls().setCurrentPosition(*position);
    resumed_ = true;
    return position;
}

void PlaybackResume::KeepPosition() {
    // Before its item was current (still opening) a position says nothing: what is stored stays.
    if (!checked_ || !OpenedAlone())
        return;
    const double length = control_.currentMedia().duration();
    if (length <= 0)
        return;
    resume::Remember(control_.URL(), control_.controls().currentPosition(), length);
}

bool PlaybackResume::StartOver() {
    if (!resumed_)
        return false;
    resumed_ = false;
    control_.controls().setCurrentPosition(0);
    return true;
}
