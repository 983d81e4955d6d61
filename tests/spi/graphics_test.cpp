#include "spi/spibmp.h"
#include "spi_test_support.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

// Colour table of n entries: entry i is (red i*16, green 255 - i, blue i).
QByteArray ColorTable(int n) {
    QByteArray table;
    for (int i = 0; i < n; ++i)
        table.append(char(i)).append(char(255 - i)).append(char(i * 16)).append('\0');
    return table;
}

// A 2 x 2 24-bit picture, bottom-up: bottom row blue, green; top row red, white.
QByteArray TwoByTwo() {
    const QByteArray bottom = QByteArray::fromHex("ff000000ff00") + QByteArray(2, '\0');
    const QByteArray top = QByteArray::fromHex("0000ffffffff") + QByteArray(2, '\0');
    return FixturePicture(24, 2, 2, QByteArray(), bottom + top);
}

void ExpectTwoByTwo(const QImage& image) {
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(1, 1), qRgb(0, 255, 0));
}

class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void Load(std::initializer_list<const char*> fixtures) {
        for (const char* fixture : fixtures)
            host.Add(LoadPlugin(FixturePlugin(QLatin1String(fixture))));
    }
    QString Write(const QString& name, const QByteArray& bytes) {
        WriteBytes(dir.filePath(name), bytes);
        return dir.filePath(name);
    }
    QString CouldNotDecode(const QString& path) {
        TSPIBitmap bitmap;
        bitmap.Host = &host;
        try {
            bitmap.LoadFile(path);
        } catch (const EInvalidGraphic& error) {
            return error.message();
        }
        return QStringLiteral("decoded");
    }
    QTemporaryDir dir;
    TSPIs host;
};

struct ProgressRecord {
    TProgressStage stage;
    int percent;
    QString msg;
};

} // namespace

TEST_F(GraphicsTest, BmpByNameUsesTheBuiltInDecoderAndNoPlugin) {
    Load({"fx_progress"});
    QImage source(3, 2, QImage::Format_RGB32);
    source.fill(qRgb(10, 20, 30));
    const QString path = dir.filePath(QStringLiteral("p.BmP"));
    ASSERT_TRUE(source.save(path, "BMP"));
    TSPIBitmap bitmap;
    bitmap.Host = &host;
    QStringList messages;
    bitmap.OnProgress = [&messages](TGraphic*, TProgressStage, uint8_t, bool, const QRect&,
                                    const QString& msg) { messages.append(msg); };
    bitmap.LoadFile(path);
    EXPECT_EQ(bitmap.Image().pixel(2, 1), qRgb(10, 20, 30));
    EXPECT_EQ(messages, QStringList{QStringLiteral("Loaded Graphic")});
}

TEST_F(GraphicsTest, BmpNamedFileHoldingAnotherFormatGoesToThePlugins) {
    Load({"fx_picture"});
    TSPIBitmap bitmap;
    bitmap.Host = &host;
    bitmap.LoadFile(Write(QStringLiteral("fake.bmp"), TwoByTwo()));
    ExpectTwoByTwo(bitmap.Image());
}

TEST_F(GraphicsTest, NothingDecodesGivesTheErrorAndKeepsThePicture) {
    EXPECT_EQ(CouldNotDecode(Write(QStringLiteral("x.BMP"), QByteArray::fromHex("ffd8ffe0"))),
              QStringLiteral("Susie Plugins could not decode"));
    EXPECT_EQ(CouldNotDecode(Write(QStringLiteral("empty.pic"), QByteArray())),
              QStringLiteral("Susie Plugins could not decode"));
    EXPECT_EQ(CouldNotDecode(dir.filePath(QStringLiteral("missing.pic"))),
              QStringLiteral("Susie Plugins could not decode"));

    Load({"fx_picture"});
    TSPIBitmap bitmap;
    bitmap.Host = &host;
    bitmap.LoadFile(Write(QStringLiteral("a.pic"), TwoByTwo()));
    EXPECT_THROW(bitmap.LoadFile(dir.filePath(QStringLiteral("empty.pic"))), EInvalidGraphic);
    ExpectTwoByTwo(bitmap.Image());
}

TEST_F(GraphicsTest, MacBinaryHeaderIsSkippedOnlyWhenAllowed) {
    Load({"fx_picture"});
    const QByteArray data = QByteArray(128, 'M') + TwoByTwo();
    const QString path = Write(QStringLiteral("mac.pic"), data);
    TSPIBitmap bitmap;
    bitmap.Host = &host;
    bitmap.LoadFile(path);
    ExpectTwoByTwo(bitmap.Image());

    QByteArray bytes = data;
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    TSPIBitmap fromMemory;
    fromMemory.Host = &host;
    fromMemory.LoadNamedStream(stream, QStringLiteral("mac.pic"));
    ExpectTwoByTwo(fromMemory.Image());

    host.MacBinary = false;
    EXPECT_EQ(CouldNotDecode(path), QStringLiteral("Susie Plugins could not decode"));
}

TEST_F(GraphicsTest, MemoryStreamIsSeenWholeByPluginsAndFromItsPositionByTheBmpDecoder) {
    Load({"fx_picture"});
    QByteArray bytes = TwoByTwo();
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    stream.seek(5);
    TSPIBitmap bitmap;
    bitmap.Host = &host;
    bitmap.LoadStream(stream);
    ExpectTwoByTwo(bitmap.Image());

    QImage source(1, 1, QImage::Format_RGB32);
    source.fill(qRgb(1, 2, 3));
    QByteArray bmp;
    QBuffer bmpWriter(&bmp);
    bmpWriter.open(QIODevice::WriteOnly);
    source.save(&bmpWriter, "BMP");
    QByteArray prefixed = QByteArray("junk!") + bmp;
    QBuffer prefixedStream(&prefixed);
    prefixedStream.open(QIODevice::ReadOnly);
    prefixedStream.seek(5);
    TSPIBitmap fromBmp;
    fromBmp.Host = &host;
    fromBmp.LoadNamedStream(prefixedStream, QStringLiteral("x.bmp"));
    EXPECT_EQ(fromBmp.Image().pixel(0, 0), qRgb(1, 2, 3));
}

TEST_F(GraphicsTest, FourBitPictureGetsItsColourTableAsPalette) {
    Load({"fx_picture"});
    // 3 x 2 pixels at 4 bits: each row is 4 bytes.
    const QByteArray rows = QByteArray::fromHex("0123000045670000");
    const QString path =
        Write(QStringLiteral("four.pic"), FixturePicture(4, 3, 2, ColorTable(16), rows));
    TSPIGraphic graphic;
    graphic.Host = &host;
    graphic.LoadFile(path);
    EXPECT_TRUE(graphic.NeedsPaletteCopy());
    EXPECT_EQ(graphic.Palette().size(), 16);
    EXPECT_EQ(graphic.Palette().at(5), qRgb(80, 250, 5));

    TSPIBitmap bitmap;

    bitmap.Host = &host;
    bitmap.LoadFile(path);
    const QImage& image = bitmap.Image();
    EXPECT_EQ(image.colorTable(), graphic.Palette());
    EXPECT_EQ(image.pixel(0, 0), qRgb(64, 251, 4)); // top row is stored last: index 4
    EXPECT_EQ(image.pixel(2, 1), qRgb(32, 253, 2)); // bottom row, third pixel: index 2
}

struct HeaderCase {
    int bits, width, height;
    int colorCount, headerSize;
    qint64 imageSize;
};

void PrintTo(const HeaderCase& c, std::ostream* out) {
    *out << c.bits << " bits, " << c.width << "x" << c.height << ", " << c.colorCount << " colours";
}

class HeaderSizes : public GraphicsTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderSizes, FollowTheBitmapHeader) {
    const HeaderCase c = GetParam();
    Load({"fx_picture"});
    const int colors = c.bits <= 8 ? 1 << c.bits : 0;
    const qint64 stride = (qint64(c.bits) * c.width + 31) / 32 * 4;
    const QString path =
        Write(QStringLiteral("h.pic"), FixturePicture(c.bits, c.width, c.height, ColorTable(colors),
                                                      QByteArray(stride * c.height, '\x11')));
    TSPIGraphic graphic;
    graphic.Host = &host;
    graphic.LoadFile(path);
    EXPECT_EQ(graphic.ColorCount(), c.colorCount);
    EXPECT_EQ(graphic.HeaderSize(), c.headerSize);
    EXPECT_EQ(graphic.ImageSize(), c.imageSize);
    EXPECT_EQ(graphic.Width(), c.width);
    EXPECT_EQ(graphic.Height(), c.height);
    EXPECT_EQ(graphic.NeedsPaletteCopy(), c.bits == 4);

    QByteArray bmp;
    QBuffer stream(&bmp);
    stream.open(QIODevice::WriteOnly);
    graphic.SaveAsBmp(stream);
    ASSERT_EQ(bmp.size(), 14 + c.headerSize + c.imageSize);
    EXPECT_EQ(bmp.left(2), QByteArray("BM"));
    EXPECT_EQ(qFromLittleEndian<quint32>(bmp.constData() + 2), quint32(bmp.size()));
    EXPECT_EQ(qFromLittleEndian<quint32>(bmp.constData() + 10), quint32(14 + c.headerSize));
    EXPECT_EQ(QImage::fromData(bmp, "BMP").size(), QSize(c.width, c.height));
}

INSTANTIATE_TEST_SUITE_P(Graphics, HeaderSizes,
                         ::testing::Values(HeaderCase{8, 5, 2, 256, 1064, 16},
                                           HeaderCase{24, 3, 2, 0, 40, 24}, // 12-byte rows
                                           HeaderCase{1, 9, 3, 2, 48, 12},
                                           HeaderCase{4, 3, 2, 16, 104, 8},
                                           HeaderCase{32, 2, 2, 0, 40, 16}),
                         [](const ::testing::TestParamInfo<HeaderCase>& info) {
                             return "Bits" + std::to_string(info.param.bits) + "Width" +
                                    std::to_string(info.param.width);
                         });

TEST_F(GraphicsTest, TrueColourFastPathMatchesTheBmpForm) {
    Load({"fx_picture"});
    for (int bits : {24, 32}) {
        const int width = 5, height = 3;
        const qint64 stride = (qint64(bits) * width + 31) / 32 * 4;
        QByteArray rows(stride * height, '\0');
        for (int i = 0; i < rows.size(); ++i)
            rows[i] = char(i * 37);
        TSPIGraphic graphic;
        graphic.Host = &host;
        graphic.LoadFile(
            Write(QStringLiteral("t.pic"), FixturePicture(bits, width, height, {}, rows)));
        const QImage viaBmp = graphic.ToBitmap(false)->Image();
        EXPECT_EQ(graphic.ToImage(false), viaBmp) << bits;
        QImage canvas(10, 6, QImage::Format_RGB32);
        QPainter painter(&canvas);
        graphic.DrawStretched(painter, QRect(0, 0, 10, 6));
        painter.end();
        EXPECT_EQ(canvas.pixel(9, 5), viaBmp.pixel(4, 2)) << bits;
    }
}

TEST_F(GraphicsTest, ThirtyTwoBitPixelsTakenOverMatchTheBmpForm) {
    // Released after conversion, the plug-in's block becomes the image: odd and even row counts
    // turn right way up, and the unused fourth byte reads as opaque.
    Load({"fx_picture"});
    for (int height : {1, 3, 4}) {
        const int width = 5;
        QByteArray rows(4 * width * height, '\0');
        for (int i = 0; i < rows.size(); ++i)
            rows[i] = char(i * 37 + 11);
        const QString file = Write(QStringLiteral("t%1.pic").arg(height),
                                   FixturePicture(32, width, height, {}, rows));
        TSPIGraphic reference;
        reference.Host = &host;
        reference.LoadFile(file);
        const QImage viaBmp = reference.ToBitmap(false)->Image();
        TSPIGraphic graphic;
        graphic.Host = &host;
        graphic.LoadFile(file);
        const QImage taken = graphic.ToImage(true);
        EXPECT_TRUE(graphic.Empty());
        ASSERT_EQ(taken.size(), QSize(width, height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                EXPECT_EQ(taken.pixel(x, y), viaBmp.pixel(x, y) | 0xFF000000u) << height << x << y;
    }
}

TEST_F(GraphicsTest, ProgressReportsAndPluginMemoryIsFreedOnFailure) {
    Load({"fx_progress", "fx_failing"}); // both claim .pic: the newer one is tried first
    TSPIBitmap bitmap;
    bitmap.Host = &host;
    std::vector<ProgressRecord> records;
    bitmap.OnProgress = [&records](TGraphic* sender, TProgressStage stage, uint8_t percent, bool,
                                   const QRect&, const QString& msg) {
        records.push_back({stage, percent, msg});
        (void)sender;
    };
    bitmap.LoadFile(Write(QStringLiteral("p.pic"), TwoByTwo()));
    ExpectTwoByTwo(bitmap.Image());
    QStringList messages;
    QList<int> percents;
    for (const ProgressRecord& r : records) {
        messages.append(r.msg);
        percents.append(r.percent);
    }
    EXPECT_EQ(messages.mid(0, 6),
              (QStringList{"Loading Graphic by Susie Plugin", "Seeking enabled Susie Plugins",
                           "Loading by [fx_failing.spi]", "Loading by [fx_failing.spi]",
                           "Loading by [fx_progress.spi]", ""}));
    // 0 of 10 .. 10 of 10 gives 2 .. 99 percent.
    EXPECT_EQ(percents.mid(5, 11), (QList<int>{2, 12, 21, 31, 41, 51, 60, 70, 80, 89, 99}));
    EXPECT_EQ(records.back().stage, psEnding);
    EXPECT_EQ(records.back().msg, QStringLiteral("Loaded Graphic"));
}

TEST_F(GraphicsTest, AbortFromTheProgressHandlerStopsThePlugin) {
    Load({"fx_progress"});
    const QString path = Write(QStringLiteral("p.pic"), TwoByTwo());
    TSPIGraphic graphic;
    graphic.Host = &host;
    int calls = 0;
    graphic.OnProgress = [&calls](TGraphic*, TProgressStage stage, uint8_t percent, bool,
                                  const QRect&, const QString&) {
        ++calls;
        if (stage == psRunning && percent > 40)
            throw EAbort();
    };
    EXPECT_THROW(graphic.LoadFile(path), EInvalidGraphic);
    EXPECT_TRUE(graphic.Empty());
    EXPECT_EQ(calls,
              2 + 1 + 5 + 1 + 1); // start, seeking, attempt, 2..41 percent, attempt at 128, end

    // Any other failure of the handler reaches the caller once the plug-in has stopped.
    graphic.OnProgress = [](TGraphic*, TProgressStage, uint8_t percent, bool, const QRect&,
                            const QString&) {
        if (percent == 12)
            throw AppError(QStringLiteral("handler failed"));
    };
    try {
        graphic.LoadFile(path);
        FAIL() << "no error";
    } catch (const AppError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("handler failed"));
    }
    EXPECT_TRUE(graphic.Empty());
}

TEST_F(GraphicsTest, PreviewIsUsedWhenAskedAndMissingPreviewFallsBack) {
    Load({"fx_nopreview"});
    host.GraphicPreview = true;
    const QString path = Write(QStringLiteral("p.pic"), TwoByTwo());
    TSPIBitmap bitmap;
    bitmap.Host = &host;
    bitmap.LoadFile(path);
    ExpectTwoByTwo(bitmap.Image());

    host.Clear();
    Load({"fx_picture"});
    bitmap.LoadFile(path);
    EXPECT_EQ(bitmap.Image().size(), QSize(1, 1));
}

TEST(MulDiv, RoundsToNearestAndFailsOnZero) {
    EXPECT_EQ(MulDiv(1, 97, 2), 49); // 48.5 rounds away from zero
    EXPECT_EQ(MulDiv(-1, 97, 2), -49);
    EXPECT_EQ(MulDiv(3, 97, 10), 29);
    EXPECT_EQ(MulDiv(5, 97, 0), -1);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 97, 1), -1);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 97, 97), 0x7FFFFFFF);
}
