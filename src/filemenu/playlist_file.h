#pragma once

#include "platform/codepage.h"

#include <QByteArray>
#include <QByteArrayList>

// Playlist kinds of the categories: ".wpl" for Video, ".m3u" for Music, ".lst" for Picture.
constexpr int kWplPlaylist = 1;
constexpr int kM3uPlaylist = 2;
constexpr int kLstPlaylist = 3;

// The kind's extension, dot included; raises AppError for a kind other than 1..3.
QByteArray PlaylistExtension(int kind);

// The running program's file name without its folder ("couchframe"); "couchframe" when no
// application object exists.
QByteArray ExecutableFileName();

// The executable's file name with its extension (if any) replaced by the kind's:
// "couchframe" gives "couchframe.wpl", "player.bin" gives "player.m3u".
QByteArray PlaylistFileName(const QByteArray& executableName, int kind);

// The name inside the user's private temporary folder (PrivateTempDirectory), with a separator
// added when the folder does not end in one (tested on characters, not bytes). Raises AppError
// when there is no private folder to be had.
QByteArray TempFilePath(const QByteArray& name, const CodePage& codePage = SystemCodePage());

// Sorts paths by their whole text, letter case ignored, in the collation order of the user's
// locale; equal texts keep their order.
void SortPaths(QByteArrayList& paths, const CodePage& codePage = SystemCodePage());

// Writes the playlist of the kind holding the paths in their order, replacing the file as a whole
// (also when there are no paths). ".wpl" holds every path: one that is not valid text of the code
// page or holds a control character XML cannot carry is written as a file URL with escapes. In
// ".m3u" and ".lst" (one path per line, its bytes as they are) a path with a line break is left
// out rather than written broken. Returns the number of paths written; raises EFCreateError when
// the file cannot be written.
int WritePlaylist(const QByteArray& file, int kind, const QByteArrayList& paths,
                  const CodePage& codePage = SystemCodePage());
