#include "player/cover_art.h"

#include "platform/byte_path.h"

#include <QByteArrayList>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <dirent.h>

namespace {
const char* const kCoverNames[] = {"cover.jpg", "folder.jpg", "front.jpg"};
// A cover needs no more than the screen; a larger file is decoded at a reduced size.
constexpr int kLargestSide = 2048;
} // namespace

QImage FolderCoverPicture(const QByteArray& itemPath) {
    if (!itemPath.startsWith('/'))
        return {};
    // The folder is read by its bytes: its name need not be text.
    const QByteArray folder = FolderOfPath(itemPath);
    QByteArrayList present;
    if (DIR* dir = opendir(folder.constData())) {
        while (const dirent* entry = readdir(dir))
            present.append(entry->d_name);
        closedir(dir);
    }
    for (const char* name : kCoverNames) {
        for (const QByteArray& found : present) {
            QFile file;
            if (qstricmp(found.constData(), name) != 0 || !OpenPathBytes(file, folder + found))
                continue;
            QImageReader reader(&file);
            const QSize size = reader.size();
            if (size.width() > kLargestSide || size.height() > kLargestSide)
                reader.setScaledSize(size.scaled(kLargestSide, kLargestSide, Qt::KeepAspectRatio));
            const QImage picture = reader.read();
            if (!picture.isNull())
                return picture;
        }
    }
    return {};
}

QRect CoverArtBox(const QRect& captionArea, int panelsTop, int margin) {
    const int height = std::min(captionArea.bottom() + 1, panelsTop - margin) - captionArea.top();
    const int side = std::max(0, std::min(height, captionArea.width() / 3));
    return QRect(captionArea.right() + 1 - side, captionArea.top(), side, side);
}

QRect CoverPictureRect(QSize picture, const QRect& box) {
    if (picture.isEmpty() || box.isEmpty())
        return {};
    const QSize fitted = picture.scaled(box.size(), Qt::KeepAspectRatio);
    return QRect(box.right() + 1 - fitted.width(), box.top(), fitted.width(), fitted.height());
}
