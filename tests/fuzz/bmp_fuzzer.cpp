// Arbitrary bytes through the viewer's loader as a ".bmp" stream: the built-in BMP decoder first,
// then (with no plug-ins loaded) the plug-in path.

#include "spi/spibmp.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    TSPIBitmap bitmap;
    try {
        bitmap.LoadNamedStream(stream, QStringLiteral("fuzz.bmp"));
        const QImage& image = bitmap.Image();
        if (!image.isNull())
            (void)image.pixel(image.width() - 1, image.height() - 1);
    } catch (const AppError&) {
    }
    return 0;
}
