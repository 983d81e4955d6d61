#include "player/id3v1.h"

#include "platform/byte_path.h"

#include <QFile>

#include <cstring>

bool ReadId3v1Tag(const QByteArray& path, Id3v1Buffer& buffer) {
    // QFile closes itself on every way out.
    QFile file;
    if (!OpenPathBytes(file, path))
        return false;
    const qint64 size = file.size();
    if (size < static_cast<qint64>(buffer.size()))
        return false;
    if (!file.seek(size - static_cast<qint64>(buffer.size())) ||
        file.read(buffer.data(), static_cast<qint64>(buffer.size())) !=
            static_cast<qint64>(buffer.size()))
        return false;
    // The marker compared as text: up to a zero byte.
    return std::strncmp(buffer.data(), "TAG", 3) == 0;
}
