#pragma once

#include <QByteArray>

#include <cstdio>
#include <fcntl.h>
#include <ftw.h>
#include <unistd.h>

// Files whose names are any bytes (Qt's file classes would turn a name that is not UTF-8 into
// another name).

// Writes the file at the path bytes; false when it cannot be written.
inline bool WriteByteNamedFile(const QByteArray& path, const QByteArray& contents) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written =
        ::write(fd, contents.constData(), size_t(contents.size())) == ssize_t(contents.size());
    return ::close(fd) == 0 && written;
}

// Removes the folder and everything in it, whatever the names (QTemporaryDir cannot remove names
// that are not UTF-8).
inline void RemoveByteNamedTree(const QByteArray& folder) {
    nftw(
        folder.constData(),
        [](const char* path, const struct stat*, int, FTW*) { return std::remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}
