#pragma once

#include "player/media_tags.h"

#include <QByteArray>
#include <QString>

// The now-playing caption of an item: title, artist, album, year, track and comment from its ID3v1
// tag, else from the tags the control read from its container, else the file name without its
// extension. Tag fields and names are bytes of no known code page: each is read as UTF-8, CP932 or
// Latin-1 (GuessedText). Lines are separated by CR LF.
QString NowPlayingCaption(const QByteArray& sourceUrl, const MediaMetadata& metadata = {});

// The file name part of a path or URL (after its last "/" or ":") without its extension.
QByteArray MediaNameWithoutExtension(const QByteArray& url);

// The tags of an item for a desktop remote: from its ID3v1 tag, the title falling back to the file
// name without its extension.
struct NowPlayingTags {
    QString title;
    QString artist;
    QString album;
};
NowPlayingTags ReadNowPlayingTags(const QByteArray& sourceUrl);
