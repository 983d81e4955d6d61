#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>

#include <optional>

// Paths kept as the bytes of the file system: text in the system code page, or any bytes at all
// (names from old Windows disks and USB sticks). A QString would replace bytes that are not valid
// text, and the file could no longer be found.

// A file named by the bytes of its path, opened read-only. False with errno set when it cannot be
// opened or is not a regular file (a FIFO is refused without waiting for a writer); a path holding
// a NUL byte is refused, since the system call would see a shorter name and open another file.
bool OpenPathBytes(QFile& file, const QByteArray& path);

// The last path component, empty when the path ends in a separator.
QByteArray LastPathComponent(const QByteArray& path);
// The folder part of the path with its trailing separator ("/films/" of "/films/a.mkv"); empty
// when the path has no separator.
QByteArray FolderOfPath(const QByteArray& path);

// The absolute path as a "file://" URL in plain ASCII: every byte but letters, digits, "-._~" and
// "/" is percent-escaped, so that any name survives text that must be valid (XML, UTF-8).
QByteArray FileUrlOfPath(const QByteArray& path);

// The path bytes of a "file:///..." or "file://localhost/..." URL, escapes undone; nothing for
// other text (a plain path, another scheme or host).
std::optional<QByteArray> PathOfFileUrl(QByteArrayView url);
