#include "spi/spibmp.h"
#include "spi_test_support.h"

#include <QColor>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

// A 16 x 8 picture in four quadrants: red, blue over lime, white.
const QRgb kRed = qRgb(255, 0, 0), kBlue = qRgb(0, 0, 255), kLime = qRgb(0, 255, 0),
           kWhite = qRgb(255, 255, 255);

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

#define EXPECT_COLOR(image, x, y, color, tolerance)                                                \
    EXPECT_TRUE(Near((image).pixel(x, y), color, tolerance))                                       \
        << #x "," #y ": " << std::hex << (image).pixel(x, y)

class ShippedPluginsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        host.OnSearch = SPIs1Search;
        host.Search(QStringLiteral(COUCHFRAME_PLUGIN_BUILD_DIR "/*.spi"));
        ASSERT_EQ(host.Count(), 4);
    }
    // Makes the quadrant picture with ImageMagick in the given file, with extra options.
    QString Make(const QString& name, const QStringList& options = {}) {
        const QString path = dir.filePath(name);
        QStringList args{"-size",   "8x4",      "xc:red",  "-size", "8x4",     "xc:blue",
                         "+append", "(",        "-size",   "8x4",   "xc:lime", "-size",
                         "8x4",     "xc:white", "+append", ")",     "-append"};
        args << options << path;
        EXPECT_EQ(QProcess::execute(QStringLiteral("convert"), args), 0);
        return path;
    }
    QImage Decode(const QString& path) {
        TSPIBitmap bitmap;
        bitmap.LoadFile(path);
        return bitmap.Image();
    }
    void ExpectQuadrants(const QImage& image, int tolerance) {
        ASSERT_EQ(image.size(), QSize(16, 8));
        EXPECT_COLOR(image, 3, 1, kRed, tolerance);
        EXPECT_COLOR(image, 12, 1, kBlue, tolerance);
        EXPECT_COLOR(image, 3, 6, kLime, tolerance);
        EXPECT_COLOR(image, 12, 6, kWhite, tolerance);
    }
    const TSPI& Plugin(const char* name) {
        for (int i = 0; i < host.Count(); ++i)
            if (QFileInfo(host.Items(i)->FileName()).baseName() == QLatin1String(name))
                return *host.Items(i);
        throw std::runtime_error(name);
    }
    QTemporaryDir dir;
    TSPIs host;
};

// A JPEG with an EXIF block (APP1) carrying only the orientation tag.
QByteArray WithExifOrientation(const QByteArray& jpeg, int orientation, bool littleEndian) {
    QByteArray tiff = littleEndian ? QByteArray::fromHex("49492a0008000000") // "II*\0", IFD at 8
                                   : QByteArray::fromHex("4d4d002a00000008");
    auto put16 = [&](int v) {
        tiff.append(char(littleEndian ? v & 0xFF : v >> 8));
        tiff.append(char(littleEndian ? v >> 8 : v & 0xFF));
    };
    auto put32 = [&](int v) {
        littleEndian ? (put16(v & 0xFFFF), put16(v >> 16)) : (put16(v >> 16), put16(v & 0xFFFF));
    };
    put16(1);                // one entry
    put16(0x0112), put16(3); // orientation, SHORT
    put32(1);                // one value, held in the entry
    put16(orientation), put16(0);
    put32(0); // no next IFD
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment = QByteArray::fromHex("ffe1");
    segment.append(char((payload.size() + 2) >> 8)).append(char((payload.size() + 2) & 0xFF));
    return jpeg.left(2) + segment + payload + jpeg.mid(2);
}

int32_t StopAtOnce(int32_t, int32_t, intptr_t) {
    return 1;
}
int32_t CountCalls(int32_t, int32_t, intptr_t data) {
    ++*reinterpret_cast<int*>(data);
    return 0;
}

} // namespace

TEST_F(ShippedPluginsTest, EachDecodesItsFormatPixelForPixel) {
    ExpectQuadrants(Decode(Make("q.png")), 0);
    ExpectQuadrants(Decode(Make("q.gif")), 0);
    ExpectQuadrants(Decode(Make("q.webp", {"-define", "webp:lossless=true"})), 0);
    ExpectQuadrants(Decode(Make("q.jpg", {"-quality", "95"})), 40);
    ExpectQuadrants(Decode(Make("q.webp", {"-quality", "90"})), 40);
    // The extension does not decide: the header does.
    const QString misnamed = dir.filePath("png_named.gif");
    ASSERT_TRUE(QFile::copy(dir.filePath("q.png"), misnamed));
    ExpectQuadrants(Decode(misnamed), 0);
}

TEST_F(ShippedPluginsTest, PluginsDescribeThemselves) {
    for (const char* name : {"jpeg", "png", "gif", "webp"}) {
        const TSPI& plugin = Plugin(name);
        EXPECT_EQ(plugin.APIVersion(), QStringLiteral("00IN"));
        EXPECT_FALSE(plugin.Masks().isEmpty()) << name;
        EXPECT_EQ(plugin.Masks().size(), plugin.Descriptions().size());
    }
    EXPECT_EQ(Plugin("jpeg").Masks().at(0), QStringLiteral("*.jpg;*.jpeg;*.jpe;*.jfif"));
}

TEST_F(ShippedPluginsTest, TransparencyIsCompositedOntoBlack) {
    const QString png = dir.filePath("t.png");
    ASSERT_EQ(QProcess::execute("convert", {"-size", "4x4", "xc:#FF000080", png}), 0);
    const QImage image = Decode(png);
    EXPECT_COLOR(image, 1, 1, qRgb(128, 0, 0), 1);
}

TEST_F(ShippedPluginsTest, JpegAppliesExifOrientation) {
    const QByteArray plain = ReadBytes(Make("o.jpg", {"-quality", "95"}));
    struct Case {
        int orientation;
        QSize size;
        QPoint red, white;
    };
    // Where the red (top-left) and white (bottom-right) quadrants end up after the turn.
    for (const Case& c : {Case{1, {16, 8}, {3, 1}, {12, 6}}, Case{3, {16, 8}, {12, 6}, {3, 1}},
                          Case{6, {8, 16}, {6, 3}, {1, 12}}, Case{8, {8, 16}, {1, 12}, {6, 3}},
                          Case{2, {16, 8}, {12, 1}, {3, 6}}, Case{5, {8, 16}, {1, 3}, {6, 12}}}) {
        for (bool little : {true, false}) {
            const QString path = dir.filePath(QStringLiteral("o%1.jpg").arg(c.orientation));
            WriteBytes(path, WithExifOrientation(plain, c.orientation, little));
            const QImage image = Decode(path);
            ASSERT_EQ(image.size(), c.size) << c.orientation;
            EXPECT_TRUE(Near(image.pixel(c.red), kRed, 40)) << c.orientation << " " << little;
            EXPECT_TRUE(Near(image.pixel(c.white), kWhite, 40)) << c.orientation << " " << little;
        }
    }
}

TEST_F(ShippedPluginsTest, JpegReadsCmykAndYcck) {
    ExpectQuadrants(Decode(Make("cmyk.jpg", {"-colorspace", "CMYK", "-quality", "95"})), 48);
}

TEST_F(ShippedPluginsTest, JpegPreviewIsScaledDown) {
    const QString path = dir.filePath("big.jpg");
    ASSERT_EQ(QProcess::execute("convert", {"-size", "2048x1024", "xc:red", path}), 0);
    host.GraphicPreview = true;
    TSPIBitmap bitmap;
    bitmap.LoadFile(path);
    EXPECT_EQ(bitmap.Image().size(), QSize(256, 128));
    EXPECT_COLOR(bitmap.Image(), 100, 100, kRed, 8);
}

TEST_F(ShippedPluginsTest, PluginsHonourAbortAndAcceptANullCallback) {
    const QStringList files{Make("a.jpg"), Make("a.png"), Make("a.gif"), Make("a.webp")};
    const char* names[] = {"jpeg", "png", "gif", "webp"};
    for (int i = 0; i < 4; ++i) {
        const QByteArray path = QFile::encodeName(files[i]);
        SPI_HLOCAL info = nullptr, bits = nullptr;
        EXPECT_EQ(Plugin(names[i]).GetPicture(path, 0, 0, &info, &bits, StopAtOnce, 0), SPI_ABORT)
            << names[i];
        EXPECT_EQ(info, nullptr);
        EXPECT_EQ(bits, nullptr);
        int calls = 0;
        ASSERT_EQ(
            Plugin(names[i]).GetPicture(path, 0, 0, &info, &bits, CountCalls, intptr_t(&calls)), 0);
        EXPECT_GT(calls, 0) << names[i];
        free(info);
        free(bits);
        ASSERT_EQ(Plugin(names[i]).GetPicture(path, 0, 0, &info, &bits, nullptr, 0), 0) << names[i];
        free(info);
        free(bits);
        PictureInfo picture{};
        ASSERT_EQ(Plugin(names[i]).GetPictureInfo(path, 0, 0, &picture), 0) << names[i];
        EXPECT_EQ(picture.width, 16);
        EXPECT_EQ(picture.height, 8);
    }
}

TEST_F(ShippedPluginsTest, DamagedAndOversizedInputFailsCleanly) {
    const QStringList files{Make("d.jpg"), Make("d.png"), Make("d.gif"), Make("d.webp")};
    const char* names[] = {"jpeg", "png", "gif", "webp"};
    for (int i = 0; i < 4; ++i) {
        const QByteArray whole = ReadBytes(files[i]);
        for (qsizetype cut : {qsizetype(0), qsizetype(3), whole.size() / 2}) {
            const QByteArray part = whole.left(cut);
            SPI_HLOCAL info = nullptr, bits = nullptr;
            const int32_t result = Plugin(names[i]).GetPicture(
                part.constData(), int32_t(part.size()), 1, &info, &bits, nullptr, 0);
            if (result == 0) { // libjpeg fills a truncated picture with grey, as it should
                EXPECT_STREQ(names[i], "jpeg");
                free(info);
                free(bits);
            } else {
                EXPECT_EQ(info, nullptr);
                EXPECT_EQ(bits, nullptr);
            }
        }
    }
    // A PNG header claiming 100000 x 100000 pixels is refused before anything large is allocated.
    QByteArray png = ReadBytes(files[1]);
    png.replace(16, 8, QByteArray::fromHex("000186a0000186a0"));
    SPI_HLOCAL info = nullptr, bits = nullptr;
    EXPECT_NE(
        Plugin("png").GetPicture(png.constData(), int32_t(png.size()), 1, &info, &bits, nullptr, 0),
        0);
    EXPECT_EQ(bits, nullptr);
}

namespace {

qint64 PeakMemoryBytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

// A JPEG whose frame header claims another size.
QByteArray WithJpegSize(QByteArray jpeg, int width, int height) {
    const qsizetype frame = jpeg.indexOf(QByteArray::fromHex("ffc0"));
    jpeg[frame + 5] = char(height >> 8);
    jpeg[frame + 6] = char(height & 0xFF);
    jpeg[frame + 7] = char(width >> 8);
    jpeg[frame + 8] = char(width & 0xFF);
    return jpeg;
}

// Quadrants red, blue over lime, white, of any size.
QStringList QuadrantArguments(int width, int height) {
    const QString half = QStringLiteral("%1x%2").arg(width / 2).arg(height / 2);
    return {"-size",   half,       "xc:red",  "-size", half,      "xc:blue",
            "+append", "(",        "-size",   half,    "xc:lime", "-size",
            half,      "xc:white", "+append", ")",     "-append"};
}

} // namespace

TEST_F(ShippedPluginsTest, TinyFilesClaimingHugePicturesAreRefusedWithBoundedMemory) {
    // 16384 x 16384 claimed by a few hundred bytes of JPEG with an EXIF turn, and by 35 bytes of
    // GIF whose one pixel sits on a screen of that size.
    const QByteArray jpeg =
        WithExifOrientation(WithJpegSize(ReadBytes(Make("small.jpg")), 16384, 16384), 6, true);
    const QByteArray gif =
        QByteArray("GIF89a", 6) + QByteArray::fromHex("00400040800000"       // screen, 2 colours
                                                      "000000ffffff"         // colour table
                                                      "2c000000000100010000" // 1 x 1 image
                                                      "0202440100"           // its pixel
                                                      "3b");
    ASSERT_EQ(gif.size(), 35);
    const qint64 before = PeakMemoryBytes();
    for (const auto& [name, bytes] : {std::pair{"huge.jpg", jpeg}, std::pair{"huge.gif", gif}}) {
        const QString path = dir.filePath(QLatin1String(name));
        WriteBytes(path, bytes);
        TSPIBitmap bitmap;
        EXPECT_THROW(bitmap.LoadFile(path), EInvalidGraphic) << name;
        PictureInfo info{};
        EXPECT_NE(Plugin(name[5] == 'j' ? "jpeg" : "gif")
                      .GetPictureInfo(QFile::encodeName(path).constData(), 0, 0, &info),
                  0)
            << name;
    }
    EXPECT_LT(PeakMemoryBytes() - before, qint64(64) << 20);
}

TEST_F(ShippedPluginsTest, JpegTurnsEveryBandOfATallPictureIntoPlace) {
    // 40 x 100: the rows are placed 32 at a time, so the turn crosses several bands.
    const QString source = dir.filePath(QStringLiteral("tall.jpg"));
    QStringList args = QuadrantArguments(40, 100);
    args << "-quality"
         << "95" << source;
    ASSERT_EQ(QProcess::execute(QStringLiteral("convert"), args), 0);
    const QByteArray plain = ReadBytes(source);
    struct Case {
        int orientation;
        QColor topLeft, topRight, bottomLeft, bottomRight;
    };
    const QColor red(kRed), blue(kBlue), lime(kLime), white(kWhite);
    for (const Case& c : {Case{1, red, blue, lime, white}, Case{2, blue, red, white, lime},
                          Case{3, white, lime, blue, red}, Case{4, lime, white, red, blue},
                          Case{5, red, lime, blue, white}, Case{6, lime, red, white, blue},
                          Case{7, white, blue, lime, red}, Case{8, blue, white, red, lime}}) {
        const QString path = dir.filePath(QStringLiteral("t%1.jpg").arg(c.orientation));
        WriteBytes(path, WithExifOrientation(plain, c.orientation, false));
        const QImage image = Decode(path);
        const bool turned = c.orientation >= 5;
        ASSERT_EQ(image.size(), turned ? QSize(100, 40) : QSize(40, 100)) << c.orientation;
        const int w = image.width(), h = image.height();
        EXPECT_TRUE(Near(image.pixel(w / 4, h / 4), c.topLeft.rgb(), 40)) << c.orientation;
        EXPECT_TRUE(Near(image.pixel(3 * w / 4, h / 4), c.topRight.rgb(), 40)) << c.orientation;
        EXPECT_TRUE(Near(image.pixel(w / 4, 3 * h / 4), c.bottomLeft.rgb(), 40)) << c.orientation;
        EXPECT_TRUE(Near(image.pixel(3 * w / 4, 3 * h / 4), c.bottomRight.rgb(), 40))
            << c.orientation;
    }
}

TEST_F(ShippedPluginsTest, JpegTurnsWithoutASecondCopyOfThePicture) {
    const QString source = dir.filePath(QStringLiteral("wide.jpg"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("convert"),
                                {"-size", "4000x3000", "gradient:red-blue", source}),
              0);
    const QString turned = dir.filePath(QStringLiteral("turned.jpg"));
    WriteBytes(turned, WithExifOrientation(ReadBytes(source), 6, true));
    const qint64 pictureBytes = qint64(4000) * 3000 * 4;
    const qint64 before = PeakMemoryBytes();
    const QImage image = Decode(turned);
    ASSERT_EQ(image.size(), QSize(3000, 4000));
    // The picture itself, and not a second one beside it while it is turned.
    EXPECT_LT(PeakMemoryBytes() - before, pictureBytes * 3 / 2);
}
