#pragma once

#include <QByteArray>
#include <QString>

// What the phones show of the item being played.
struct PhoneNowPlaying {
    bool playing = false; // nothing else counts while nothing plays
    QString title;
    QString artist;
    QString folder;
    qint64 positionMs = 0;
    qint64 lengthMs = 0;
    bool paused = false;
    QByteArray cover; // the picture file's bytes (JPEG, PNG, ...), empty when there is none

    bool operator==(const PhoneNowPlaying&) const = default;
};

// The message a phone is sent: {"nowPlaying": {...}}, the cover as a revision number that changes
// with the picture (the page loads /cover again), 0 when there is none.
QString NowPlayingMessage(const PhoneNowPlaying& nowPlaying, int coverRevision);
