#pragma once

#include <QByteArray>

class MediaPlayerControl;
class PlaybackIndex;

// The audio and subtitle tracks the viewer chose in one item of a folder, applied to the next items
// of the same folder by language and flags (their track numbers differ from file to file). Kept
// in the playback index with the item the choice was made in.
class TrackMemory {
public:
    TrackMemory(MediaPlayerControl& control, PlaybackIndex& index)
        : control_(control), index_(index) {}

    // At a media change and whenever the item gains tracks (its subtitle files): the folder's last
    // choice, else subtitles in the locale's language among the files mpv did not weigh itself.
    // A choice the viewer made in this item stands.
    void Apply();
    // The viewer chose a track of the kind in the current item.
    void Keep(bool subtitles);

private:
    MediaPlayerControl& control_;
    PlaybackIndex& index_;
    QByteArray chosenIn_; // the item the viewer chose a track in
};
