#include "platform/sleep_watch.h"

#include "desktop_servers.h"
#include "message_capture.h"
#include "platform/session_bus.h"
#include "private_logind.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {
// The program's lock as logind lists it.
const QString kOurLock =
    QStringLiteral("sleep|Couchframe|Pausing playback and keeping its place|delay");
constexpr int kWaitMs = 10000;

// Counts what Qt warns about while it lives: a run without logind says nothing.
class WarningCount {
public:
    WarningCount() {
        count_ = 0;
        previous_ =
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString&) {
                count_ += type != QtDebugMsg && type != QtInfoMsg;
            });
    }
    ~WarningCount() { qInstallMessageHandler(previous_); }
    int Count() const { return count_; }

private:
    static inline int count_ = 0;
    QtMessageHandler previous_;
};

class SleepWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!logind_.Running())
            GTEST_SKIP() << logind_.Why().toStdString();
    }
    // Waits until logind lists the program's lock, or until it no longer does.
    bool Listed(bool listed) {
        return QTest::qWaitFor([&] { return logind_.Inhibitors().contains(kOurLock) == listed; },
                               kWaitMs);
    }

    PrivateLogind logind_;
    std::unique_ptr<SleepWatch> watch_ =
        logind_.Running() ? std::make_unique<SleepWatch>(logind_.Connect(QStringLiteral("cf")))
                          : nullptr;
};

TEST_F(SleepWatchTest, LetsTheLockGoAfterTheHandlersRanAndTakesItAgainAfterEachWake) {
    // Asked without waiting: the program starts at once whatever the bus does.
    EXPECT_TRUE(watch_->Asking());
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch_->Holding(); }, kWaitMs));
    EXPECT_EQ(logind_.Inhibitors(), QStringList{kOurLock});
    QStringList listedInHandler;
    QObject::connect(watch_.get(), &SleepWatch::aboutToSleep,
                     [&] { listedInHandler = logind_.Inhibitors(); });
    QSignalSpy asleep(watch_.get(), &SleepWatch::aboutToSleep);
    QSignalSpy woke(watch_.get(), &SleepWatch::wokeUp);
    for (int round = 1; round <= 2; ++round) {
        listedInHandler.clear();
        ASSERT_TRUE(logind_.SendPrepareForSleep(true));
        ASSERT_TRUE(QTest::qWaitFor([&] { return asleep.count() == round; }, kWaitMs));
        EXPECT_EQ(listedInHandler, QStringList{kOurLock}) << "round " << round;
        EXPECT_FALSE(watch_->Holding());
        EXPECT_TRUE(Listed(false)) << "round " << round;
        EXPECT_EQ(woke.count(), round - 1);

        ASSERT_TRUE(logind_.SendPrepareForSleep(false));
        ASSERT_TRUE(QTest::qWaitFor([&] { return woke.count() == round; }, kWaitMs));
        ASSERT_TRUE(QTest::qWaitFor([&] { return watch_->Holding(); }, kWaitMs));
        EXPECT_EQ(logind_.Inhibitors(), QStringList{kOurLock}) << "one lock, not one per wake";
    }
    watch_.reset();
    EXPECT_TRUE(Listed(false));
}

TEST_F(SleepWatchTest, ASleepBeforeTheLockArrivedKeepsNoneOfIt) {
    ASSERT_TRUE(watch_->Asking());
    watch_->PrepareForSleep(true); // before the answer is handled
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watch_->Asking(); }, kWaitMs));
    EXPECT_FALSE(watch_->Holding());
    EXPECT_TRUE(Listed(false)) << logind_.Inhibitors().join(QLatin1Char(',')).toStdString();
    watch_->PrepareForSleep(false);
    EXPECT_TRUE(Listed(true));
}

TEST(SleepWatchWithoutLogind, NoBusOrOneWithNoBusBehindItTellsNothingAndSaysNothing) {
    MessageCapture messages;
    WarningCount warnings;
    QTemporaryDir dir;
    const QByteArray saved = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS",
            "unix:path=" + QFile::encodeName(dir.filePath(QStringLiteral("no-bus"))));
    const QDBusConnection nowhere = SystemBusIfAny();
    saved.isNull() ? qunsetenv("DBUS_SYSTEM_BUS_ADDRESS")
                   : qputenv("DBUS_SYSTEM_BUS_ADDRESS", saved);
    EXPECT_FALSE(nowhere.isConnected());
    for (SleepWatch* watch : {new SleepWatch(nowhere), new SleepWatch(NoBus())}) {
        QSignalSpy asleep(watch, &SleepWatch::aboutToSleep);
        QCoreApplication::processEvents();
        EXPECT_FALSE(watch->Asking());
        EXPECT_FALSE(watch->Holding());
        EXPECT_EQ(asleep.count(), 0);
        delete watch;
    }
    EXPECT_EQ(warnings.Count(), 0);
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST(SleepWatchWithoutLogind, ABusWithoutLogindIsLeftQuietlyAndNewsIsToldOnce) {
    PrivateSessionBus bus;
    if (bus.Address().isEmpty())
        GTEST_SKIP() << bus.Why().toStdString();
    MessageCapture messages;
    WarningCount warnings;
    SleepWatch watch{bus.Connect(QStringLiteral("couchframe"))};
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watch.Asking(); }, kWaitMs));
    EXPECT_FALSE(watch.Holding());
    // What logind would say still reaches the handlers, each change once.
    QSignalSpy asleep(&watch, &SleepWatch::aboutToSleep);
    QSignalSpy woke(&watch, &SleepWatch::wokeUp);
    watch.PrepareForSleep(false); // awake already
    watch.PrepareForSleep(true);
    watch.PrepareForSleep(true);
    watch.PrepareForSleep(false);
    EXPECT_EQ(asleep.count(), 1);
    EXPECT_EQ(woke.count(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !watch.Asking(); }, kWaitMs));
    EXPECT_EQ(warnings.Count(), 0);
    EXPECT_TRUE(messages.texts.isEmpty());
}
} // namespace
