#include "platform/background_job.h"
#include "worker_waits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QThread>

#include <gmock/gmock.h>

#include <future>
#include <memory>
#include <optional>
#include <stdexcept>
#include <thread>

namespace {

// Work held until the test lets it go, so that what happens meanwhile can be looked at.
struct Gate {
    std::promise<void> open;
    std::shared_future<void> opened = open.get_future().share();
};

TEST(BackgroundJob, ReportsAndTheResultArriveInOrderOnTheReceiversThread) {
    QObject receiver;
    std::vector<int> reports;
    std::optional<int> result;
    const QThread* deliveredOn = nullptr;
    const QThread* workedOn = nullptr;
    BackgroundJob job = BackgroundJob::Start(
        &receiver,
        [&workedOn, &reports](const JobControl& control) {
            workedOn = QThread::currentThread();
            for (int i = 1; i <= 3; ++i)
                control.Post([&reports, i] { reports.push_back(i); });
            return 42;
        },
        [&](int value) {
            deliveredOn = QThread::currentThread();
            result = value;
        });
    EXPECT_TRUE(job.Running());
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 30000));
    EXPECT_EQ(*result, 42);
    EXPECT_THAT(reports, ::testing::ElementsAre(1, 2, 3));
    EXPECT_EQ(deliveredOn, receiver.thread());
    EXPECT_NE(workedOn, receiver.thread());
    EXPECT_FALSE(job.Running());
}

// A job dropped while its worker is stuck (a share that does not answer) is neither waited for
// nor heard from when the worker comes back.
TEST(BackgroundJob, AnAbandonedJobIsNotWaitedForAndNeverAnswers) {
    QObject receiver;
    auto gate = std::make_shared<Gate>();
    bool answered = false;
    bool stopAsked = false;
    {
        BackgroundJob job = BackgroundJob::Start(
            &receiver,
            [gate, &stopAsked](const JobControl& control) {
                gate->opened.wait();
                stopAsked = control.Abandoned();
                control.Post([] { ADD_FAILURE() << "a report of an abandoned job arrived"; });
                return 1;
            },
            [&answered](int) { answered = true; });
    } // dropped here, the worker still inside its "system call"
    EXPECT_EQ(BackgroundJob::WorkersRunning(), 1);
    gate->open.set_value();
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_TRUE(stopAsked);
    EXPECT_FALSE(answered);
}

// The answer may already be queued when the job is dropped: it is not delivered either.
TEST(BackgroundJob, AnAnswerQueuedBeforeTheJobWasDroppedIsThrownAway) {
    QObject receiver;
    bool answered = false;
    BackgroundJob job = BackgroundJob::Start(
        &receiver, [](const JobControl&) { return 1; }, [&answered](int) { answered = true; });
    // Waited for without handling events, so that the answer stays queued.
    const QDeadlineTimer deadline(30000);
    while (BackgroundJob::WorkersRunning() != 0 && !deadline.hasExpired())
        std::this_thread::yield();
    ASSERT_EQ(BackgroundJob::WorkersRunning(), 0);
    job.Abandon();
    QCoreApplication::processEvents();
    EXPECT_FALSE(answered);
}

TEST(BackgroundJob, AReceiverThatGoesAbandonsItsJob) {
    struct Screen : QObject {
        BackgroundJob job;
    };
    auto gate = std::make_shared<Gate>();
    bool answered = false;
    auto screen = std::make_unique<Screen>();
    screen->job = BackgroundJob::Start(
        screen.get(),
        [gate](const JobControl&) {
            gate->opened.wait();
            return 1;
        },
        [&answered](int) { answered = true; });
    screen.reset();
    gate->open.set_value();
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_FALSE(answered);
}

TEST(BackgroundJob, WorkThatThrowsEndsWithoutAnAnswer) {
    QObject receiver;
    bool answered = false;
    BackgroundJob job = BackgroundJob::Start(
        &receiver,
        [](const JobControl&) -> int { throw std::runtime_error("the share went away"); },
        [&answered](int) { answered = true; });
    ASSERT_TRUE(WaitForWorkersToEnd());
    EXPECT_FALSE(answered);
    EXPECT_EQ(BackgroundJob::WorkersRunning(), 0);
}

} // namespace
