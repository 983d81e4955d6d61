#pragma once

#include <QString>
#include <QStringList>

// The media paths of a ".wpl" playlist, in playlist order; relative paths are taken from the
// playlist's folder. Older playlists carry a bare "&" in paths, which is read as a literal "&".
// Raises AppError when the file cannot be read, is not well-formed or lists no media.
QStringList ReadWplPlaylist(const QString& path);

// Whether a URL names a ".wpl" playlist (which mpv cannot read).
bool IsWplPlaylist(const QString& url);
