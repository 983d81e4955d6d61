#pragma once

#include <QByteArray>
#include <QByteArrayList>

// The media paths of a ".wpl" playlist (named by its path bytes), in playlist order, as path
// bytes; relative paths are taken from the playlist's folder. A "file://" URL gives the bytes it
// escapes, so that names which are not text come back as they were. Older playlists carry a bare
// "&" in paths, which is read as a literal "&". Raises AppError when the file cannot be read, is
// not well-formed or lists no media.
QByteArrayList ReadWplPlaylist(const QByteArray& path);

// Whether a URL names a ".wpl" playlist (which mpv cannot read).
bool IsWplPlaylist(const QByteArray& url);
