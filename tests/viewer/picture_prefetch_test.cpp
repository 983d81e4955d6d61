#include "viewer/picture_prefetch.h"
#include "worker_waits.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

class PicturePrefetchTest : public ::testing::Test {
protected:
    QByteArray Picture(const QString& name, QRgb color, QSize size = {8, 4}) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path, "BMP"));
        return QFile::encodeName(path);
    }
    // Waits, handling events, for the decode under way to end and be told.
    bool Decoded(const QByteArray& path, QSize area) {
        bool told = false;
        prefetch.WhenDone([&told] { told = true; });
        return QTest::qWaitFor([&] { return told || !prefetch.Pending(path, area); }, 30000) &&
               !prefetch.Pending(path, area);
    }
    QTemporaryDir dir;
    PicturePrefetch prefetch;
};

TEST_F(PicturePrefetchTest, HandsOverThePictureDrawnForItsAreaOnce) {
    const QByteArray red = Picture("r.bmp", qRgb(255, 0, 0));
    prefetch.Start(red, {16, 16});
    EXPECT_TRUE(prefetch.Pending(red, {16, 16}) || prefetch.Ready());
    EXPECT_FALSE(prefetch.Pending(red, {16, 8}));
    ASSERT_TRUE(Decoded(red, {16, 16}));
    EXPECT_TRUE(prefetch.Ready());
    const std::optional<DecodedPicture> taken = prefetch.Take(red, {16, 16});
    ASSERT_TRUE(taken);
    EXPECT_TRUE(taken->failure.isEmpty());
    const QImage& drawn = taken->picture;
    ASSERT_EQ(drawn.size(), QSize(16, 16));
    EXPECT_EQ(drawn.pixel(8, 8), qRgb(255, 0, 0));
    EXPECT_EQ(drawn.pixel(8, 2), qRgb(0, 0, 0)) << "black above the 16 x 8 picture";
    EXPECT_FALSE(prefetch.Take(red, {16, 16})) << "used up";
    EXPECT_FALSE(prefetch.Ready());
}

TEST_F(PicturePrefetchTest, AnotherPictureOrAreaGivesNothing) {
    const QByteArray red = Picture("r.bmp", qRgb(255, 0, 0));
    const QByteArray green = Picture("g.bmp", qRgb(0, 255, 0));
    prefetch.Start(red, {16, 16});
    EXPECT_FALSE(prefetch.Holds(green, {16, 16}));
    EXPECT_FALSE(prefetch.Take(green, {16, 16}));
    prefetch.Start(red, {16, 16});
    EXPECT_FALSE(prefetch.Take(red, {16, 8}));
    // Starting again drops the first.
    prefetch.Start(red, {16, 16});
    prefetch.Start(green, {16, 16});
    EXPECT_FALSE(prefetch.Holds(red, {16, 16}));
    EXPECT_TRUE(prefetch.Holds(green, {16, 16}));
    EXPECT_FALSE(prefetch.Take(red, {16, 16}));
}

TEST_F(PicturePrefetchTest, AFailureIsHandedOverWithItsReason) {
    const QByteArray missing = QFile::encodeName(dir.filePath("missing.bmp"));
    prefetch.Start(missing, {16, 16});
    ASSERT_TRUE(Decoded(missing, {16, 16}));
    EXPECT_FALSE(prefetch.Ready());
    const std::optional<DecodedPicture> taken = prefetch.Take(missing, {16, 16});
    ASSERT_TRUE(taken);
    EXPECT_TRUE(taken->picture.isNull());
    EXPECT_FALSE(taken->failure.isEmpty());
}

// Taking a picture still being decoded never waits for it: nothing is handed over, and its end is
// not told to anyone any more.
TEST_F(PicturePrefetchTest, TakingWhileTheDecodeRunsGivesNothingAndWaitsForNothing) {
    // Large enough that its decode is still running when it is taken.
    const QByteArray red = Picture("r.bmp", qRgb(255, 0, 0), {4000, 3000});
    bool told = false;
    for (int tries = 0; tries < 50; ++tries) {
        prefetch.Start(red, {16, 16});
        if (!prefetch.Pending(red, {16, 16}))
            continue; // decoded before it could be looked at: try again
        prefetch.WhenDone([&told] { told = true; });
        EXPECT_FALSE(prefetch.Take(red, {16, 16}));
        ASSERT_TRUE(WaitForWorkersToEnd());
        EXPECT_FALSE(told);
        return;
    }
    GTEST_SKIP() << "every decode ended before it could be taken";
}

} // namespace
