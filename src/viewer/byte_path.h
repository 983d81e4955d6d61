#pragma once

#include <QByteArray>
#include <QFile>

// A file named by the bytes of its path (text in the system code page, or any bytes at all),
// opened read-only without passing the name through a QString, which would replace bytes that are
// not valid text. False with errno set when it cannot be opened or is not a regular file (a FIFO
// is refused without waiting for a writer); a path holding a NUL byte is refused, since the system
// call would see a shorter name and open another file.
bool OpenPathBytes(QFile& file, const QByteArray& path);
