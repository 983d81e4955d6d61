#include "player/cover_art.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>

namespace {
const char* const kCoverNames[] = {"cover.jpg", "folder.jpg", "front.jpg"};
// A cover needs no more than the screen; a larger file is decoded at a reduced size.
constexpr int kLargestSide = 2048;
} // namespace

QImage FolderCoverPicture(const QString& itemPath) {
    const QFileInfo item(itemPath);
    if (!item.isAbsolute())
        return {};
    const QStringList present = item.dir().entryList(QDir::Files | QDir::Readable, QDir::NoSort);
    for (const char* name : kCoverNames) {
        const auto found = std::find_if(present.begin(), present.end(), [name](const QString& f) {
            return f.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
        });
        if (found == present.end())
            continue;
        QImageReader reader(item.dir().filePath(*found));
        const QSize size = reader.size();
        if (size.width() > kLargestSide || size.height() > kLargestSide)
            reader.setScaledSize(size.scaled(kLargestSide, kLargestSide, Qt::KeepAspectRatio));
        const QImage picture = reader.read();
        if (!picture.isNull())
            return picture;
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
