#include "viewer/picture_fit.h"

#include <QPainter>

#include <cmath>

namespace {
// trunc(size x scale) with the product in extended precision.
int ScaledLength(int size, double scale) {
    return static_cast<int>(std::trunc(static_cast<long double>(size) * scale));
}
} // namespace

QRect FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0)
        return {};
    const double rw = static_cast<double>(areaWidth) / pictureWidth;
    const double rh = static_cast<double>(areaHeight) / pictureHeight;
    const double scale = rw >= rh ? rh : rw;
    const int width = ScaledLength(pictureWidth, scale);
    const int height = ScaledLength(pictureHeight, scale);
    return {(areaWidth - width) / 2, (areaHeight - height) / 2, width, height};
}

QImage FittedCanvas(const QImage& picture, QSize area) {
    QImage canvas(area, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    const QRect target = FitPicture(picture.width(), picture.height(), area.width(), area.height());
    if (!target.isEmpty()) {
        const QImage scaled =
            picture.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QPainter painter(&canvas);
        painter.drawImage(target.topLeft(), scaled);
    }
    return canvas;
}
