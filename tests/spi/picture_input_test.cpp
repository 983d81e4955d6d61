#include "spi/spibmp.h"
#include "spi_test_support.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

void Put(QByteArray& bytes, qsizetype at, quint32 value, int size) {
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

// The headers of an uncompressed BMP (40-byte info header, colour table for 8 bits).
QByteArray BmpHeaders(int bits, int width, int height, const QList<QRgb>& palette = {}) {
    const int headerBytes = 14 + 40 + 4 * int(palette.size());
    QByteArray bytes(headerBytes, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    const qint64 stride = (qint64(bits) * width + 31) / 32 * 4;
    Put(bytes, 2, quint32(headerBytes + stride * std::abs(height)), 4);
    Put(bytes, 10, quint32(headerBytes), 4);
    Put(bytes, 14, 40, 4);
    Put(bytes, 18, quint32(width), 4);
    Put(bytes, 22, quint32(height), 4);
    Put(bytes, 26, 1, 2);
    Put(bytes, 28, quint32(bits), 2);
    Put(bytes, 46, quint32(palette.size()), 4);
    for (qsizetype i = 0; i < palette.size(); ++i) {
        const QRgb c = palette[i];
        bytes[54 + 4 * i] = char(qBlue(c));
        bytes[55 + 4 * i] = char(qGreen(c));
        bytes[56 + 4 * i] = char(qRed(c));
    }
    return bytes;
}

// One stored row of a single colour (palette index 0 for 8 bits).
QByteArray BmpRow(int bits, int width, QRgb color) {
    const qsizetype stride = (qsizetype(bits) * width + 31) / 32 * 4;
    QByteArray row(stride, '\0');
    for (int x = 0; x < width && bits >= 24; ++x) {
        char* p = row.data() + x * (bits / 8);
        p[0] = char(qBlue(color));
        p[1] = char(qGreen(color));
        p[2] = char(qRed(color));
    }
    return row;
}

qint64 PeakMemoryBytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

struct TruncatedCase {
    const char* name;
    int bits;
    bool topDown;
};
// Names the case in test names and failure messages.
void PrintTo(const TruncatedCase& c, std::ostream* out) {
    *out << c.name;
}

class TruncatedBmp : public ::testing::TestWithParam<TruncatedCase> {};

const QRgb kRed = qRgb(255, 0, 0);

} // namespace

TEST_P(TruncatedBmp, ShowsBlackWhereTheFileEnds) {
    const TruncatedCase& c = GetParam();
    constexpr int kWidth = 64, kHeight = 64, kPresent = 20;
    QByteArray bytes = BmpHeaders(c.bits, kWidth, c.topDown ? -kHeight : kHeight,
                                  c.bits == 8 ? QList<QRgb>{kRed} : QList<QRgb>{});
    for (int y = 0; y < kPresent; ++y)
        bytes += BmpRow(c.bits, kWidth, kRed);
    bytes += BmpRow(c.bits, kWidth, kRed).left(5); // and part of one more row
    // Memory that held something else before, as a picture's memory usually does.
    for (int i = 0; i < 8; ++i) {
        void* used = std::malloc(kWidth * kHeight * 4);
        std::memset(used, 0xAB, kWidth * kHeight * 4);
        std::free(used);
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TPlainBitmap bitmap;
    bitmap.LoadStream(buffer);
    const QImage& image = bitmap.Image();
    ASSERT_EQ(image.size(), QSize(kWidth, kHeight));
    // Stored rows run bottom-up unless the height is negative.
    for (int y = 0; y < kHeight; ++y) {
        const bool present = c.topDown ? y < kPresent : y >= kHeight - kPresent;
        for (int x : {0, kWidth / 2, kWidth - 1})
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, present ? kRed & 0xFFFFFF : 0u)
                << "row " << y << " column " << x;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, TruncatedBmp,
                         ::testing::Values(TruncatedCase{"Bits24BottomUp", 24, false},
                                           TruncatedCase{"Bits24TopDown", 24, true},
                                           TruncatedCase{"Bits32BottomUp", 32, false},
                                           TruncatedCase{"Bits8PaletteWithoutBlack", 8, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BmpDecoder, AValid6000By6000PictureDecodes) {
    // 144 MB as a picture: above the 128 MiB that Qt's reader allows by itself.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.bmp"));
    constexpr int kSide = 6000;
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(BmpHeaders(24, kSide, kSide));
        const QByteArray blue = BmpRow(24, kSide, qRgb(0, 0, 255));
        const QByteArray green = BmpRow(24, kSide, qRgb(0, 255, 0));
        for (int y = 0; y < kSide; ++y) // the bottom half green, the top half blue
            ASSERT_EQ(file.write(y < kSide / 2 ? green : blue), blue.size());
    }
    TPlainBitmap bitmap;
    bitmap.LoadFile(path);
    ASSERT_EQ(bitmap.Image().size(), QSize(kSide, kSide));
    EXPECT_EQ(bitmap.Image().pixel(10, 10), qRgb(0, 0, 255));
    EXPECT_EQ(bitmap.Image().pixel(kSide - 1, kSide - 1), qRgb(0, 255, 0));
}

TEST(BmpDecoder, APictureBeyondTheBudgetIsRefusedBeforeItIsAllocated) {
    for (const auto& [width, height] : {std::pair{30000, 30000}, std::pair{16384, -16384}}) {
        QByteArray bytes = BmpHeaders(32, width, height) + QByteArray(64, '\x7f');
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        const qint64 before = PeakMemoryBytes();
        TPlainBitmap bitmap;
        EXPECT_THROW(bitmap.LoadStream(buffer), EInvalidGraphic) << width;
        EXPECT_LT(PeakMemoryBytes() - before, qint64(64) << 20) << width;
    }
}

TEST(PictureInput, AFifoInAPicturesPlaceIsRefusedWithoutWaiting) {
    QTemporaryDir dir;
    TSPIs host;
    host.OnSearch = SPIs1Search;
    host.Search(QStringLiteral(COUCHFRAME_PLUGIN_BUILD_DIR "/*.spi"));
    ASSERT_EQ(host.Count(), 5);
    // No writer ever opens these: a blocking open would wait for ever.
    for (const char* name : {"fifo.bmp", "fifo.jpg", "fifo.gif"}) {
        const QString path = dir.filePath(QLatin1String(name));
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        TSPIBitmap bitmap;
        bitmap.Host = &host;
        EXPECT_THROW(bitmap.LoadFile(path), EInvalidGraphic) << name;
        SPI_HLOCAL info = nullptr, bits = nullptr;
        for (int i = 0; i < host.Count(); ++i)
            EXPECT_NE(host.Items(i)->GetPicture(QFile::encodeName(path).constData(), 0, 0, &info,
                                                &bits, nullptr, 0),
                      0);
    }
}
