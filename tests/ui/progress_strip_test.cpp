#include "ui/progress_strip.h"

#include <QProgressBar>
#include <QWidget>

#include <gtest/gtest.h>

TEST(ProgressStrip, TakesTheBottomOfItsParentOnlyWhileShown) {
    QWidget screen;
    screen.resize(1024, 768);
    QProgressBar* strip = MakeProgressStrip(&screen);
    strip->setFixedHeight(ProgressStripHeight(768));
    EXPECT_EQ(strip->height(), 16);
    EXPECT_TRUE(strip->isHidden());
    EXPECT_EQ(PlaceProgressStrip(*strip), QRect(0, 0, 1024, 768));

    strip->show();
    EXPECT_EQ(PlaceProgressStrip(*strip), QRect(0, 0, 1024, 752));
    EXPECT_EQ(strip->geometry(), QRect(0, 752, 1024, 16));
    EXPECT_EQ(strip->maximum(), kProgressStripMax);
    EXPECT_FALSE(strip->isTextVisible());
}
