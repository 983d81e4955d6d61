#include "viewer/picture_fit.h"

#include <gtest/gtest.h>

namespace {

struct FitCase {
    int pictureWidth, pictureHeight, areaWidth, areaHeight;
    QRect expected;
};

void PrintTo(const FitCase& c, std::ostream* out) {
    *out << c.pictureWidth << "x" << c.pictureHeight << " in " << c.areaWidth << "x"
         << c.areaHeight;
}

class PictureFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(PictureFitTest, ScalesToFitAndCentres) {
    const FitCase& c = GetParam();
    EXPECT_EQ(FitPicture(c.pictureWidth, c.pictureHeight, c.areaWidth, c.areaHeight), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PictureFitTest,
    ::testing::Values(
        // The two worked examples: shrunk to the width, enlarged to the height.
        FitCase{2560, 1600, 1280, 1024, QRect(0, 112, 1280, 800)},
        FitCase{640, 480, 1920, 1080, QRect(240, 0, 1440, 1080)},
        // 1080 / 7 and 1920 / 7 have no exact binary form: the extended-precision product lands
        // just below the whole number and is truncated to one pixel less.
        FitCase{10, 7, 1920, 1080, QRect(189, 0, 1542, 1079)},
        FitCase{7, 1, 1920, 1080, QRect(0, 403, 1919, 274)},
        FitCase{400, 300, 800, 588, QRect(8, 0, 783, 587)},
        // Portrait on landscape: fitted to the height, bars left and right.
        FitCase{150, 300, 800, 600, QRect(250, 0, 300, 600)},
        FitCase{6000, 4000, 1920, 1080, QRect(150, 0, 1620, 1080)},
        FitCase{1920, 1080, 1920, 1080, QRect(0, 0, 1920, 1080)},
        // Nothing to draw, or nowhere to draw it.
        FitCase{0, 10, 800, 600, QRect()}, FitCase{10, 0, 800, 600, QRect()},
        FitCase{10, 10, 0, 600, QRect()}, FitCase{10, 10, 800, -4, QRect()}));

} // namespace
