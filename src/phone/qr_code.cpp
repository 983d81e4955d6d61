#include "phone/qr_code.h"

#include <qrencode.h>

#include <memory>

namespace {
constexpr int kQuietZone = 4;
} // namespace

QImage QrCodeImage(const QByteArray& text) {
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(text.constData(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code)
        return {};
    const int size = code->width + 2 * kQuietZone;
    QImage image(size, size, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y) {
        uchar* line = image.scanLine(y + kQuietZone) + kQuietZone;
        const unsigned char* modules = code->data + static_cast<ptrdiff_t>(y) * code->width;
        // The lowest bit of each byte tells whether the module is dark.
        for (int x = 0; x < code->width; ++x) {
            if (modules[x] & 1)
                line[x] = 0;
        }
    }
    return image;
}
