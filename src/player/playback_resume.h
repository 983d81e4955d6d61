#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class Clock;
class MediaPlayerControl;
class PlaybackIndex;
class QObject;

// The player's side of the playback index. A video opened alone (or stepped to among the files of
// its folder) goes on where it was left; where it is gets kept on stop, when it is left, at its end
// and every 30 s of playback, so a power cut loses at most that; played to its end it counts as
// watched once. Playlists are never resumed; the screen asks only in video mode.
class PlaybackResume {
public:
    static constexpr int kKeepEverySeconds = 30;

    // Times the periodic keeping on the clock, bound to context's life.
    PlaybackResume(MediaPlayerControl& control, PlaybackIndex& index, Clock& clock,
                   QObject& context);

    // On each media change: the first time an opened file is current, moves to its resume point
    // and answers it (seconds) for the note; otherwise nothing.
    std::optional<int> ResumeOnce();
    // Keeps or forgets the current position; called before the control is stopped, closed or
    // given another file.
    void KeepPosition();
    // The opened file stopped at position before its end (its share went away): its place is
    // kept, never as watched.
    void KeepPositionAt(const QByteArray& item, double position);
    // The opened file played to its end: watched.
    void Ended();
    // Starts or ends the keeping every kKeepEverySeconds, as playback starts and ends.
    void Playing(bool playing);
    // Back to the start of a resumed video; false (nothing done) when it was not resumed.
    bool StartOver();

    // "Resumed at 12:34 — Ctrl+B starts over" ("1:02:03" past an hour).
    static QString ResumeNote(int seconds);

private:
    // The current item is the file that was opened (not an entry of a playlist), and its resume
    // point was looked at.
    bool OnOpenedFile();
    // Past the watched mark it counts as watched unless it only stopped there.
    void Record(double position, bool finished = true);
    void KeepLater(unsigned round);

    MediaPlayerControl& control_;
    PlaybackIndex& index_;
    Clock& clock_;
    QObject& context_;
    QByteArray checked_; // the opened file, once it was current
    double length_ = 0;  // its length as last known (an ended item no longer tells it)
    bool resumed_ = false;
    bool counted_ = false; // this playing of it already counted as watched
    bool playing_ = false;
    unsigned keepRound_ = 0;
};
