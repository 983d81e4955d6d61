#include "gradient/pgra112.h"

#include "platform/image_widget.h"
#include "platform/message_box.h"

#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
// A stored 0xBBGGRR colour as a 32-bit RGB pixel.
QRgb PixelOf(StoredColor color) {
    const StoredColor rgb = ResolveColor(color);
    return qRgb(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                static_cast<int>((rgb >> 16) & 0xFF));
}

// Colours of bands 0 .. count-1. Each band starts from the end colour and, while the band number is
// within the largest difference, takes the components after one more unit step each.
std::vector<QRgb> BandColors(StoredColor start, StoredColor end, qint64 count) {
    const StoredColor s = ResolveColor(start);
    const StoredColor e = ResolveColor(end);
    int value[3];
    int target[3];
    int difference[3];
    for (int c = 0; c < 3; ++c) { // B, G, R
        const int shift = 16 - 8 * c;
        value[c] = static_cast<int>((s >> shift) & 0xFF);
        target[c] = static_cast<int>((e >> shift) & 0xFF);
        difference[c] = std::abs(value[c] - target[c]);
    }
    const qint64 graded = *std::max_element(difference, difference + 3);
    std::vector<QRgb> colors(static_cast<size_t>(std::max<qint64>(count, 0)));
    for (qint64 i = 0; i < count; ++i) {
        QRgb color = PixelOf(end);
        if (i <= graded) {
            for (int c = 0; c < 3; ++c) {
                if (value[c] != target[c])
                    value[c] += value[c] < target[c] ? 1 : -1;
            }
            color = qRgb(value[2], value[1], value[0]);
        }
        colors[static_cast<size_t>(i)] = color;
    }
    return colors;
}

// Pixels from offset 0 up to (exclusive) the returned end are covered by bands 0 .. lastBand,
// clipped at extent.
qint64 CoveredEnd(qint64 lastBand, int delay, qint64 extent) {
    return std::min(extent, (lastBand + 1) * static_cast<qint64>(delay));
}

// The colour of every offset below `covered`, offset o lying in band o div delay (shifted by
// `first`, the offset where band 0 begins).
std::vector<QRgb> OffsetColors(StoredColor start, StoredColor end, int delay, qint64 first,
                               qint64 covered) {
    const qint64 bands = covered > first ? (covered - first - 1) / delay + 1 : 0;
    const std::vector<QRgb> bandColors = BandColors(start, end, bands);
    std::vector<QRgb> colors(static_cast<size_t>(std::max<qint64>(covered, 0)));
    for (qint64 o = first; o < covered; ++o)
        colors[static_cast<size_t>(o)] = bandColors[static_cast<size_t>((o - first) / delay)];
    return colors;
}
} // namespace

TPGradation::TPGradation(QObject* owner) : QObject(owner) {}

void TPGradation::Paint() {
    if (!targetImage_) {
        ShowMessage(MessageKind::Warning, tr("TargetImage Property is not selected"));
        return;
    }
    const int width = targetImage_->width();
    const int height = targetImage_->height();
    // The whole picture is drawn anew, at the size the screen now has.
    QImage& picture = targetImage_->PictureAtWidgetSize();
    if (picture.isNull())
        return;
    const int pictureWidth = picture.width();
    const int pictureHeight = picture.height();

    // Bands 0 .. N are drawn; whatever lies beyond the picture is clipped, so only the visible
    // part is worked out, and each pixel is written once.
    switch (mode_) {
    case mdVertical: {
        const qint64 covered = CoveredEnd(height, delay_, pictureHeight);
        const std::vector<QRgb> rows = OffsetColors(startColor_, endColor_, delay_, 0, covered);
        for (qint64 y = 0; y < covered; ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(static_cast<int>(y)));
            std::fill_n(line, pictureWidth, rows[static_cast<size_t>(y)]);
        }
        break;
    }
    case mdHorizontal: {
        const qint64 covered = CoveredEnd(width, delay_, pictureWidth);
        const std::vector<QRgb> columns = OffsetColors(startColor_, endColor_, delay_, 0, covered);
        for (int y = 0; y < pictureHeight; ++y)
            std::memcpy(picture.scanLine(y), columns.data(),
                        static_cast<size_t>(covered) * sizeof(QRgb));
        break;
    }
    case mdDiagonally: {
        // Band i is the lines x + y = i * Delay + k for k = 1 .. Delay; x + y = 0 is never drawn.
        const qint64 n = 2 * static_cast<qint64>(std::max(width, height));
        const qint64 covered = std::min(static_cast<qint64>(pictureWidth) + pictureHeight - 1,
                                        (n + 1) * static_cast<qint64>(delay_) + 1);
        const std::vector<QRgb> sums = OffsetColors(startColor_, endColor_, delay_, 1, covered);
        for (int y = 0; y < pictureHeight; ++y) {
            const qint64 first = std::max<qint64>(0, 1 - y);
            const qint64 last = std::min<qint64>(pictureWidth, covered - y);
            if (last > first) {
                auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
                std::memcpy(line + first, sums.data() + y + first,
                            static_cast<size_t>(last - first) * sizeof(QRgb));
            }
        }
        break;
    }
    }
    targetImage_->PictureChanged();
}
