#include "spi/spibmp.h"
#include "spi_test_support.h"

#include <QColor>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <libheif/heif.h>

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
        ASSERT_EQ(host.Count(), 5);
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
        bitmap.Host = &host;
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

// An EXIF block (the TIFF structure) carrying only the orientation tag.
QByteArray ExifTiff(int orientation, bool littleEndian) {
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
    return tiff;
}

// A JPEG with an EXIF block (APP1) carrying only the orientation tag.
QByteArray WithExifOrientation(const QByteArray& jpeg, int orientation, bool littleEndian) {
    const QByteArray payload = QByteArray("Exif\0\0", 6) + ExifTiff(orientation, littleEndian);
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
    ExpectQuadrants(Decode(Make("q.heic", {"-quality", "95"})), 48);
    if (heif_have_decoder_for_format(heif_compression_AV1))
        ExpectQuadrants(Decode(Make("q.avif", {"-quality", "95"})), 48);
    // The extension does not decide: the header does.
    const QString misnamed = dir.filePath("png_named.gif");
    ASSERT_TRUE(QFile::copy(dir.filePath("q.png"), misnamed));
    ExpectQuadrants(Decode(misnamed), 0);
}

TEST_F(ShippedPluginsTest, PluginsDescribeThemselves) {
    for (const char* name : {"jpeg", "png", "gif", "webp", "heif"}) {
        const TSPI& plugin = Plugin(name);
        EXPECT_EQ(plugin.APIVersion(), QStringLiteral("00IN"));
        EXPECT_FALSE(plugin.Masks().isEmpty()) << name;
        EXPECT_EQ(plugin.Masks().size(), plugin.Descriptions().size());
    }
    EXPECT_EQ(Plugin("jpeg").Masks().at(0), QStringLiteral("*.jpg;*.jpeg;*.jpe;*.jfif"));
    EXPECT_EQ(Plugin("heif").Masks(), QStringList({"*.heic;*.heif", "*.avif"}));
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
    bitmap.Host = &host;
    bitmap.LoadFile(path);
    EXPECT_EQ(bitmap.Image().size(), QSize(256, 128));
    EXPECT_COLOR(bitmap.Image(), 100, 100, kRed, 8);
}

TEST_F(ShippedPluginsTest, PluginsHonourAbortAndAcceptANullCallback) {
    const QStringList files{Make("a.jpg"), Make("a.png"), Make("a.gif"), Make("a.webp"),
                            Make("a.heic")};
    const char* names[] = {"jpeg", "png", "gif", "webp", "heif"};
    for (int i = 0; i < 5; ++i) {
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
    const QStringList files{Make("d.jpg"),  Make("d.png"),  Make("d.gif"),
                            Make("d.webp"), Make("d.heic"), Make("d.avif")};
    const char* names[] = {"jpeg", "png", "gif", "webp", "heif", "heif"};
    for (int i = 0; i < 6; ++i) {
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
        bitmap.Host = &host;
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

namespace {

// The quadrant picture written by libheif with a turn in the container (irot/imir boxes) and an
// EXIF block that claims a different turn, which must not be applied on top.
bool WriteTurnedHeif(const QString& path, heif_compression_format format,
                     heif_orientation orientation, int exifOrientation) {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    heif_image_handle* handle = nullptr;
    heif_encoding_options* options = heif_encoding_options_alloc();
    bool written =
        heif_context_get_encoder_for_format(context, format, &encoder).code == 0 &&
        heif_image_create(16, 8, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image).code ==
            0 &&
        heif_image_add_plane(image, heif_channel_interleaved, 16, 8, 8).code == 0;
    if (written) {
        int stride = 0;
        uint8_t* pixels = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb color = y < 4 ? (x < 8 ? kRed : kBlue) : (x < 8 ? kLime : kWhite);
                uint8_t* p = pixels + y * stride + x * 3;
                p[0] = uint8_t(qRed(color)), p[1] = uint8_t(qGreen(color));
                p[2] = uint8_t(qBlue(color));
            }
        heif_encoder_set_lossy_quality(encoder, 95);
        options->image_orientation = orientation;
        const QByteArray exif = ExifTiff(exifOrientation, true);
        written =
            heif_context_encode_image(context, image, encoder, options, &handle).code == 0 &&
            heif_context_add_exif_metadata(context, handle, exif.constData(), int(exif.size()))
                    .code == 0 &&
            heif_context_write_to_file(context, QFile::encodeName(path).constData()).code == 0;
    }
    heif_encoding_options_free(options);
    heif_image_handle_release(handle);
    heif_image_release(image);
    if (encoder != nullptr)
        heif_encoder_release(encoder);
    heif_context_free(context);
    return written;
}

struct HeifTurnCase {
    heif_compression_format format;
    heif_orientation orientation;
    QSize size;
    QPoint red, white;
};

void PrintTo(const HeifTurnCase& c, std::ostream* os) {
    *os << (c.format == heif_compression_AV1 ? "AVIF" : "HEIC") << " orientation "
        << int(c.orientation);
}

class HeifTurnTest : public ShippedPluginsTest,
                     public ::testing::WithParamInterface<HeifTurnCase> {};

} // namespace

TEST_P(HeifTurnTest, TheContainersTurnIsAppliedAndExifIsNot) {
    const HeifTurnCase& c = GetParam();
    if (!heif_have_decoder_for_format(c.format) || !heif_have_encoder_for_format(c.format))
        GTEST_SKIP() << "libheif here cannot encode and decode this format";
    const QString path = dir.filePath(QStringLiteral("turned.heif"));
    // The EXIF block claims a half turn, which no case here has.
    ASSERT_TRUE(WriteTurnedHeif(path, c.format, c.orientation, 3));
    const QImage image = Decode(path);
    ASSERT_EQ(image.size(), c.size);
    EXPECT_COLOR(image, c.red.x(), c.red.y(), kRed, 48);
    EXPECT_COLOR(image, c.white.x(), c.white.y(), kWhite, 48);
}

// Where the red (top-left) and white (bottom-right) quadrants end up after the turn.
INSTANTIATE_TEST_SUITE_P(
    Turns, HeifTurnTest,
    ::testing::Values(
        HeifTurnCase{heif_compression_HEVC, heif_orientation_normal, {16, 8}, {3, 1}, {12, 6}},
        HeifTurnCase{
            heif_compression_HEVC, heif_orientation_rotate_90_cw, {8, 16}, {6, 3}, {1, 12}},
        HeifTurnCase{
            heif_compression_HEVC, heif_orientation_flip_horizontally, {16, 8}, {12, 1}, {3, 6}},
        HeifTurnCase{
            heif_compression_AV1, heif_orientation_rotate_270_cw, {8, 16}, {1, 12}, {6, 3}},
        HeifTurnCase{heif_compression_AV1, heif_orientation_normal, {16, 8}, {3, 1}, {12, 6}}),
    [](const ::testing::TestParamInfo<HeifTurnCase>& info) {
        return std::string(info.param.format == heif_compression_AV1 ? "Avif" : "Heic") +
               "Orientation" + std::to_string(int(info.param.orientation));
    });

TEST_F(ShippedPluginsTest, HeifOfAnotherKindOrDamagedIsRefusedCleanly) {
    // An ISO media file that is neither HEIC nor AVIF (an MP4's brand), and HEIF brands over junk.
    QByteArray mp4 = QByteArray::fromHex("0000001c667479706d703432000000006d7034316d703432");
    mp4 += QByteArray(64, 'x');
    QByteArray junk = QByteArray::fromHex("0000001866747970686569630000000068656963") +
                      QByteArray(200, char(0x5A));
    for (const QByteArray& bytes : {mp4, junk}) {
        char header[2048] = {};
        std::memcpy(header, bytes.constData(), size_t(bytes.size()));
        SPI_HLOCAL info = nullptr, bits = nullptr;
        EXPECT_NE(Plugin("heif").GetPicture(bytes.constData(), int32_t(bytes.size()), 1, &info,
                                            &bits, nullptr, 0),
                  0);
        EXPECT_EQ(bits, nullptr);
        EXPECT_EQ(Plugin("heif").IsSupported("", header), bytes == junk ? 1 : 0);
    }
}

TEST_F(ShippedPluginsTest, HeifWhosePictureNamesAMissingItemIsRefusedWithoutEndingTheProgram) {
    // An identity item whose source is not in the item table: libheif 1.15 asserts on it. In the
    // second file it sits in a second meta box, behind a sound one.
    for (const char* name : {"iden-missing-item.heic", "iden-in-a-second-meta.heic"}) {
        const QByteArray path = QFile::encodeName(QStringLiteral(HEIF_SEED_DIR "/") + name);
        SPI_HLOCAL info = nullptr, bits = nullptr;
        EXPECT_EQ(Plugin("heif").GetPicture(path.constData(), 0, 0, &info, &bits, nullptr, 0),
                  SPI_BROKEN_DATA)
            << name;
        EXPECT_EQ(bits, nullptr) << name;
    }
}

namespace {

struct AreaCase {
    int orientation;
    QSize area;
    QSize expected;
};

void PrintTo(const AreaCase& c, std::ostream* os) {
    *os << "orientation " << c.orientation << " on " << c.area.width() << "x" << c.area.height();
}

class JpegForAreaTest : public ShippedPluginsTest,
                        public ::testing::WithParamInterface<AreaCase> {};

} // namespace

TEST_P(JpegForAreaTest, DecodesAtTheSmallestScaleThatStillCoversTheFittedPicture) {
    const AreaCase& c = GetParam();
    const QString source = dir.filePath(QStringLiteral("wide.jpg"));
    QStringList args = QuadrantArguments(2048, 1024);
    args << "-quality"
         << "90" << source;
    ASSERT_EQ(QProcess::execute(QStringLiteral("convert"), args), 0);
    const QString path = dir.filePath(QStringLiteral("turned.jpg"));
    WriteBytes(path, WithExifOrientation(ReadBytes(source), c.orientation, true));
    TSPIBitmap bitmap;
    bitmap.Host = &host;
    bitmap.FitArea = c.area;
    bitmap.LoadFile(path);
    const QImage& image = bitmap.Image();
    ASSERT_EQ(image.size(), c.expected);
    const int w = image.width(), h = image.height();
    // Stored red, blue over lime, white; turned by 6: lime, red over white, blue.
    const bool turned = c.orientation == 6;
    EXPECT_COLOR(image, w / 4, h / 4, turned ? kLime : kRed, 40);
    EXPECT_COLOR(image, 3 * w / 4, 3 * h / 4, turned ? kBlue : kWhite, 40);
}

INSTANTIATE_TEST_SUITE_P(
    Areas, JpegForAreaTest,
    ::testing::Values(AreaCase{1, {1920, 1080}, {2048, 1024}}, // a half would need enlarging
                      AreaCase{1, {1000, 1000}, {1024, 512}}, AreaCase{1, {256, 128}, {256, 128}},
                      AreaCase{1, {257, 128}, {256, 128}}, // the height decides the fit
                      AreaCase{1, {300, 100}, {256, 128}}, AreaCase{1, {0, 0}, {2048, 1024}},
                      AreaCase{6, {600, 600}, {512, 1024}}, AreaCase{6, {1080, 1920}, {1024, 2048}},
                      AreaCase{6, {128, 256}, {128, 256}}),
    [](const ::testing::TestParamInfo<AreaCase>& info) {
        return "Orientation" + std::to_string(info.param.orientation) + "On" +
               std::to_string(info.param.area.width()) + "x" +
               std::to_string(info.param.area.height());
    });

TEST_F(ShippedPluginsTest, PluginsWithoutAnAreaDecoderGiveTheFullPicture) {
    TSPIBitmap bitmap;
    bitmap.Host = &host;
    bitmap.FitArea = QSize(4, 2);
    bitmap.LoadFile(Make("full.png"));
    ExpectQuadrants(bitmap.Image(), 0);
}
