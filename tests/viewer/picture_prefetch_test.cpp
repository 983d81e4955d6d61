#include "viewer/picture_prefetch.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PicturePrefetchTest : public ::testing::Test {
protected:
    QByteArray Picture(const QString& name, QRgb color) {
        QImage image(8, 4, QImage::Format_RGB32);
        image.fill(color);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "BMP"));
        return QFile::encodeName(path);
    }
    QTemporaryDir dir;
    PicturePrefetch prefetch;
};

TEST_F(PicturePrefetchTest, HandsOverThePictureDrawnForItsAreaOnce) {
    const QByteArray red = Picture("r.bmp", qRgb(255, 0, 0));
    prefetch.Start(red, {16, 16});
    const QImage drawn = prefetch.Take(red, {16, 16});
    ASSERT_EQ(drawn.size(), QSize(16, 16));
    EXPECT_EQ(drawn.pixel(8, 8), qRgb(255, 0, 0));
    EXPECT_EQ(drawn.pixel(8, 2), qRgb(0, 0, 0)) << "black above the 16 x 8 picture";
    EXPECT_TRUE(prefetch.Take(red, {16, 16}).isNull()) << "used up";
    EXPECT_FALSE(prefetch.Ready());
}

TEST_F(PicturePrefetchTest, AnotherPictureOrAreaOrAFailureGivesNothing) {
    const QByteArray red = Picture("r.bmp", qRgb(255, 0, 0));
    const QByteArray green = Picture("g.bmp", qRgb(0, 255, 0));
    prefetch.Start(red, {16, 16});
    EXPECT_TRUE(prefetch.Take(green, {16, 16}).isNull());
    prefetch.Start(red, {16, 16});
    EXPECT_TRUE(prefetch.Take(red, {16, 8}).isNull());
    prefetch.Start(QFile::encodeName(dir.filePath("missing.bmp")), {16, 16});
    EXPECT_TRUE(prefetch.Take(QFile::encodeName(dir.filePath("missing.bmp")), {16, 16}).isNull());
    // Starting again drops the first.
    prefetch.Start(red, {16, 16});
    prefetch.Start(green, {16, 16});
    EXPECT_TRUE(prefetch.Take(red, {16, 16}).isNull());
}

} // namespace
