#pragma once

#include <optional>

class MediaPlayerControl;

// The player's side of resuming: a video opened alone goes on where it was stopped, and its
// position is kept when it is stopped again. Playlists are never resumed; the screen asks only in
// video mode.
class PlaybackResume {
public:
    explicit PlaybackResume(MediaPlayerControl& control) : control_(control) {}

    // On each media change: the first time the opened file is current, moves to its stored position
    // and answers it (seconds) for the note; otherwise nothing.
    std::optional<int> ResumeOnce();
    // Keeps or forgets the current position; called before the control is stopped or closed.
    void KeepPosition();
    // Back to the start of a resumed video; false (nothing done) when it was not resumed.
    bool StartOver();

private:
    // The current item is the file that was opened (not an entry of a playlist).
    bool OpenedAlone();

    MediaPlayerControl& control_;
    bool checked_ = false; // the opened file was current at least once
    bool resumed_ = false;
};
