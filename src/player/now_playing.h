#pragma once

#include <QByteArray>
#include <QString>

// The now-playing caption of an item: title, artist, album, year, track and comment from its ID3v1
// tag, or the file name without its extension when it has none. Lines are separated by CR LF.
QString NowPlayingCaption(const QString& sourceUrl);

// The file name part of a path or URL (after its last "/" or ":") without its extension.
QByteArray MediaNameWithoutExtension(const QByteArray& url);
