#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>

// The album cover shown beside the now-playing caption.

// The folder's own cover picture: cover.jpg, folder.jpg or front.jpg beside the item (named by
// its path bytes; in that order, letter case ignored); null when there is none or it cannot be
// decoded.
QImage FolderCoverPicture(const QByteArray& itemPath);

// Where a cover goes: a square at the right of the caption area, as high as the area allows above
// the switch panels (one margin clear of them), at most a third of the area's width.
QRect CoverArtBox(const QRect& captionArea, int panelsTop, int margin);

// The picture's rectangle scaled to fit the box keeping its shape, at the box's top right.
QRect CoverPictureRect(QSize picture, const QRect& box);
