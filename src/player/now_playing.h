#pragma once

#include "player/id3v1.h"
#include "player/media_tags.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

// The now-playing caption of an item: title, artist, album, year, track and comment from its ID3v1
// tag, else from the tags the control read from its container, else the file name without its
// extension. Tag fields and names are bytes of no known code page: each is read as UTF-8, CP932 or
// Latin-1 (GuessedText). Lines are separated by CR LF.
// The tag is read beforehand (ReadNowPlayingFiles); none: the file has none, or it was not read
// yet.
QString NowPlayingCaption(const QByteArray& sourceUrl, const MediaMetadata& metadata,
                          const std::optional<Id3v1Buffer>& tag);

// The file name part of a path or URL (after its last "/" or ":") without its extension.
QByteArray MediaNameWithoutExtension(const QByteArray& url);

// The tags of an item for a desktop remote: from its ID3v1 tag (none: not there, or not read yet),
// the title falling back to the file name without its extension.
struct NowPlayingTags {
    QString title;
    QString artist;
    QString album;
};
NowPlayingTags NowPlayingTagsOf(const QByteArray& sourceUrl, const std::optional<Id3v1Buffer>& tag);

// What the now-playing caption and cover need from the files of an item: its ID3v1 tag and, when
// asked, its folder's cover picture. Both may lie on a share that does not answer, so they are
// read off the user-interface thread.
struct NowPlayingFiles {
    QByteArray item;
    std::optional<Id3v1Buffer> tag;
    QImage folderCover;
};
NowPlayingFiles ReadNowPlayingFiles(const QByteArray& item, bool withCover);
