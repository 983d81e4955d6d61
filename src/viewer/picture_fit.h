#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

// Where a picture of pictureWidth x pictureHeight pixels is drawn on an area of areaWidth x
// areaHeight: scaled by the smaller of the two ratios (enlarged when smaller than the area), aspect
// ratio kept, centred. The ratios are doubles and each product is formed in extended precision
// before it is truncated, so a ratio without an exact binary form can give one pixel less than
// decimal arithmetic suggests. An empty picture or area gives an empty rectangle.
QRect FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

// The picture as the viewer shows it on an area: black, with the picture scaled into FitPicture's
// rectangle. Drawn once per picture, so shrinking averages the pixels it merges (and enlarging is
// bilinear) rather than dropping pixels.
QImage FittedCanvas(const QImage& picture, QSize area);
