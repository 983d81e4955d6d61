#include "gradient/pgra112.h"
#include "platform/image_widget.h"

#include "message_capture.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {
StoredColor StoredAt(const QImage& image, int x, int y) {
    return FromQColor(image.pixelColor(x, y));
}

struct Painted {
    std::unique_ptr<ImageWidget> image;
    const QImage& picture() const { return image->Picture(); }
};

Painted PaintGradient(int width, int height, StoredColor start, StoredColor end, int delay,
                      GMode mode) {
    Painted painted{std::make_unique<ImageWidget>()};
    painted.image->resize(width, height);
    TPGradation gradation;
    gradation.SetTargetImage(painted.image.get());
    gradation.SetStartColor(start);
    gradation.SetEndColor(end);
    gradation.SetDelay(delay);
    gradation.SetGradationMode(mode);
    gradation.Paint();
    return painted;
}

// The painter's steps done literally: every band's colour stepped from the previous one, every
// band drawn in full (off-picture parts clipped by the surface), diagonal bands pixel by pixel.
QImage LiteralGradient(int width, int height, StoredColor start, StoredColor end, int delay,
                       GMode mode) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    int v[3] = {int(start >> 16) & 0xFF, int(start >> 8) & 0xFF, int(start) & 0xFF};
    const int e[3] = {int(end >> 16) & 0xFF, int(end >> 8) & 0xFF, int(end) & 0xFF};
    const int d[3] = {std::abs(v[0] - e[0]), std::abs(v[1] - e[1]), std::abs(v[2] - e[2])};
    const int n = mode == mdVertical     ? height
                  : mode == mdHorizontal ? width
                                         : 2 * std::max(width, height);
    for (int i = 0; i <= n; ++i) {
        const int o = i * delay;
        StoredColor color = end;
        if (i <= d[0] || i <= d[1] || i <= d[2]) {
            for (int c = 0; c < 3; ++c)
                if (v[c] != e[c])
                    v[c] += v[c] < e[c] ? 1 : -1;
            color = StoredColor(v[2] | (v[1] << 8) | (v[0] << 16));
        }
        const QColor qcolor = ToQColor(color);
        if (mode == mdVertical)
            painter.fillRect(QRect(QPoint(0, o), QPoint(width - 1, o + delay - 1)), qcolor);
        else if (mode == mdHorizontal)
            painter.fillRect(QRect(QPoint(o, 0), QPoint(o + delay - 1, height - 1)), qcolor);
        else
            for (int k = 1; k <= delay; ++k)
                for (int x = 0; x <= o + k; ++x)
                    if (x < width && o + k - x < height)
                        image.setPixelColor(x, o + k - x, qcolor);
    }
    return image;
}
} // namespace

TEST(Gradient, WorkedExampleOnA1080LineScreen) {
    const Painted painted = PaintGradient(16, 1080, clBlue, clGradientActiveCaption, 3, mdVertical);
    const QImage& image = painted.picture();
    for (int y : {0, 1, 2})
        EXPECT_EQ(StoredAt(image, 5, y), 0xFE0101u) << y;
    EXPECT_EQ(StoredAt(image, 0, 3), 0xFD0202u);
    for (int y : {45, 47})
        EXPECT_EQ(StoredAt(image, 15, y), 0xF01010u) << y;
    EXPECT_EQ(StoredAt(image, 0, 498), 0xF0A7A6u);
    EXPECT_EQ(StoredAt(image, 0, 602), 0xF0C9A6u); // band 200, one short of the end
    for (int y = 603; y < 1080; ++y)
        ASSERT_EQ(StoredAt(image, 0, y), 0xF0CAA6u) << y;
}

TEST(Gradient, BlueToBlackStepsBlueOnlyOneUnitPerBand) {
    const Painted painted = PaintGradient(3, 300, 0xFF0000, 0x000000, 1, mdVertical);
    const QImage& image = painted.picture();
    EXPECT_EQ(StoredAt(image, 0, 0), 0xFE0000u);
    EXPECT_EQ(StoredAt(image, 2, 253), 0x010000u);
    for (int y = 254; y < 300; ++y)
        ASSERT_EQ(StoredAt(image, 1, y), 0u) << y;
}

TEST(Gradient, EqualColoursPaintEveryBandInThatColour) {
    const Painted painted = PaintGradient(7, 40, 0x123456, 0x123456, 2, mdVertical);
    for (int y = 0; y < 40; ++y)
        ASSERT_EQ(StoredAt(painted.picture(), 6, y), 0x123456u) << y;
}

TEST(Gradient, HorizontalBandsReachTheRightEdge) {
    const Painted painted = PaintGradient(1920, 2, 0xFF0000, 0x000000, 1, mdHorizontal);
    const QImage& image = painted.picture();
    EXPECT_EQ(StoredAt(image, 0, 1), 0xFE0000u);
    EXPECT_EQ(StoredAt(image, 100, 0), 0x9A0000u);
    EXPECT_EQ(StoredAt(image, 1919, 1), 0u);
}

TEST(Gradient, DiagonalBandsFollowXPlusYAndLeaveTheTopLeftPixel) {
    const Painted painted = PaintGradient(100, 50, 0x0000FF, 0x000000, 1, mdDiagonally);
    const QImage& image = painted.picture();
    EXPECT_EQ(StoredAt(image, 0, 0), 0xFFFFFFu); // untouched
    EXPECT_EQ(StoredAt(image, 1, 0), 0x0000FEu);
    EXPECT_EQ(StoredAt(image, 0, 1), 0x0000FEu);
    EXPECT_EQ(StoredAt(image, 30, 20), StoredColor(0xFF - 50));
    EXPECT_EQ(StoredAt(image, 99, 49), 0x0000FFu - 148);
}

TEST(Gradient, DelayOfZeroOrLessStoresOne) {
    TPGradation gradation;
    EXPECT_EQ(gradation.Delay(), 1);
    gradation.SetDelay(0);
    EXPECT_EQ(gradation.Delay(), 1);
    gradation.SetDelay(-5);
    EXPECT_EQ(gradation.Delay(), 1);
    gradation.SetDelay(7);
    EXPECT_EQ(gradation.Delay(), 7);
}

TEST(Gradient, StartsAsBlueVerticalOntoBlack) {
    TPGradation gradation;
    EXPECT_EQ(gradation.TargetImage(), nullptr);
    EXPECT_EQ(gradation.StartColor(), 0xFF0000u);
    EXPECT_EQ(gradation.EndColor(), 0u);
    EXPECT_EQ(gradation.GradationMode(), mdVertical);
}

TEST(Gradient, WithoutATargetItWarnsAndPaintsNothing) {
    MessageCapture messages;
    TPGradation gradation;
    gradation.Paint();
    auto image = std::make_unique<ImageWidget>();
    gradation.SetTargetImage(image.get());
    image.reset(); // a target that went away counts as none
    gradation.Paint();
    ASSERT_EQ(messages.texts.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(messages.kinds[i], MessageKind::Warning);
        EXPECT_EQ(messages.texts[i], QStringLiteral("TargetImage Property is not selected"));
    }
}

TEST(Gradient, AnEmptyImagePaintsNothingAndDoesNotFail) {
    MessageCapture messages;
    const Painted painted = PaintGradient(0, 0, clBlue, clBlack, 3, mdVertical);
    EXPECT_TRUE(painted.picture().isNull());
    EXPECT_TRUE(messages.texts.isEmpty());
}

// Skipping what the surface would clip must give the very same pixels as painting every band.
class GradientMatchesEveryBandPainted
    : public ::testing::TestWithParam<std::tuple<int, int, int, GMode>> {};

TEST_P(GradientMatchesEveryBandPainted, PixelForPixel) {
    const auto [width, height, delay, mode] = GetParam();
    for (const auto& [start, end] : {std::pair<StoredColor, StoredColor>{0xFF0000, 0xF0CAA6},
                                     {0x102030, 0xF0E0D0},
                                     {0x00FF80, 0x00FF80}}) {
        const Painted painted = PaintGradient(width, height, start, end, delay, mode);
        const QImage expected = LiteralGradient(width, height, start, end, delay, mode);
        ASSERT_EQ(painted.picture(), expected) << width << "x" << height << " delay " << delay;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, GradientMatchesEveryBandPainted,
    ::testing::Values(std::tuple{64, 300, 3, mdVertical}, std::tuple{5, 1, 1, mdVertical},
                      std::tuple{33, 17, 40, mdVertical}, std::tuple{300, 9, 3, mdHorizontal},
                      std::tuple{1, 1, 1, mdHorizontal}, std::tuple{100, 50, 1, mdDiagonally},
                      std::tuple{70, 90, 4, mdDiagonally}, std::tuple{3, 200, 7, mdDiagonally},
                      std::tuple{1, 1, 2, mdDiagonally}));
