#include "platform/application.h"
#include "platform/error.h"
#include "platform/timer.h"

#include "message_capture.h"

#include <QTest>

#include <gtest/gtest.h>

TEST(TopLevelErrorHandler, ShowsTheMessageAndTheProgramGoesOn) {
    MessageCapture messages;
    Timer timer;
    int runs = 0;
    timer.onTimer = [&] {
        ++runs;
        timer.setEnabled(false);
        throw AppError(QStringLiteral("'Volume' の設定に失敗しました"));
    };
    timer.setInterval(1);
    timer.setEnabled(true);
    QTest::qWait(30);
    EXPECT_EQ(runs, 1);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts[0], QStringLiteral("'Volume' の設定に失敗しました"));
    EXPECT_EQ(messages.kinds[0], MessageKind::Error);
}

TEST(TopLevelErrorHandler, AbortIsSilent) {
    MessageCapture messages;
    RunReportingErrors([] { throw EAbort(); });
    EXPECT_TRUE(messages.texts.isEmpty());
}
