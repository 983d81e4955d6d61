#include "platform/timer.h"

#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

namespace {
int CountFirings(Timer& timer, int waitMilliseconds) {
    int fired = 0;
    timer.onTimer = [&fired] { ++fired; };
    QTest::qWait(waitMilliseconds);
    return fired;
}
} // namespace

TEST(Timer, IntervalZeroOrBelowNeverFires) {
    for (int interval : {0, -5}) {
        Timer timer;
        timer.setInterval(interval);
        timer.setEnabled(true);
        EXPECT_FALSE(timer.isArmed());
        EXPECT_EQ(CountFirings(timer, 50), 0) << interval;
    }
}

TEST(Timer, FiresOnlyWhileEnabled) {
    Timer timer;
    timer.setInterval(5);
    EXPECT_EQ(CountFirings(timer, 40), 0);
    timer.setEnabled(true);
    EXPECT_GT(CountFirings(timer, 60), 0);
    timer.setEnabled(false);
    EXPECT_EQ(CountFirings(timer, 40), 0);
}
