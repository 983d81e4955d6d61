#include "platform/screen_awake.h"

#include "desktop_servers.h"
#include "x_screen_saver_probe.h"

#include <QDBusConnection>
#include <QTest>

#include <gtest/gtest.h>

namespace {
// org.freedesktop.ScreenSaver and org.gnome.SessionManager as a desktop offers them, recording
// every call.
class FakeDesktop : public QObject {
    Q_OBJECT

public:
    QStringList calls;
    uint next = 41;

public slots:
    uint Inhibit(const QString& application, const QString& reason) {
        calls << QStringLiteral("Inhibit %1 (%2) -> %3").arg(application, reason).arg(++next);
        return next;
    }
    void UnInhibit(uint cookie) { calls << QStringLiteral("UnInhibit %1").arg(cookie); }
    uint Inhibit(const QString& application, uint xid, const QString& reason, uint flags) {
        calls << QStringLiteral("Gnome %1 %2 (%3) %4 -> %5")
                     .arg(application)
                     .arg(xid)
                     .arg(reason)
                     .arg(flags)
                     .arg(++next);
        return next;
    }
    void Uninhibit(uint cookie) { calls << QStringLiteral("Uninhibit %1").arg(cookie); }
};

class ScreenAwakeBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (bus_.Address().isEmpty())
            GTEST_SKIP() << bus_.Why().toStdString();
        desktop_ = bus_.Connect(QStringLiteral("desktop"));
        ASSERT_TRUE(desktop_.isConnected());
    }

    // Offers the two services the way a KDE (ScreenSaver) and a GNOME (SessionManager) session do.
    void Offer(bool screenSaver, bool gnome) {
        constexpr auto exported = QDBusConnection::ExportAllSlots;
        if (screenSaver) {
            ASSERT_TRUE(desktop_.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"),
                                                QStringLiteral("org.freedesktop.ScreenSaver"),
                                                &fake_, exported));
            ASSERT_TRUE(desktop_.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
        }
        if (gnome) {
            ASSERT_TRUE(desktop_.registerObject(QStringLiteral("/org/gnome/SessionManager"),
                                                QStringLiteral("org.gnome.SessionManager"), &fake_,
                                                exported));
            ASSERT_TRUE(desktop_.registerService(QStringLiteral("org.gnome.SessionManager")));
        }
    }

    // Waits until every desktop service has answered the inhibitor's calls.
    static bool Answered(const ScreenSaverInhibitor& inhibitor) {
        return QTest::qWaitFor([&] { return !inhibitor.AwaitingAnswers(); }, 5000);
    }
    bool WaitForCalls(int count) {
        return QTest::qWaitFor([&] { return fake_.calls.size() >= count; }, 5000);
    }

    PrivateSessionBus bus_;
    QDBusConnection desktop_{QString()};
    FakeDesktop fake_;
};
} // namespace

TEST_F(ScreenAwakeBusTest, InhibitsBothDesktopServicesAndHandsTheirCookiesBack) {
    Offer(true, true);
    ScreenSaverInhibitor inhibitor(bus_.Connect(QStringLiteral("player")), {});
    inhibitor.SetInhibited(true);
    ASSERT_TRUE(WaitForCalls(2));
    EXPECT_TRUE(fake_.calls.contains(QStringLiteral("Inhibit Couchframe (Playing media) -> 42")) ||
                fake_.calls.contains(QStringLiteral("Inhibit Couchframe (Playing media) -> 43")))
        << fake_.calls.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(fake_.calls.filter(QStringLiteral("Gnome Couchframe 0 (Playing media) 8")).size(), 1);
    // Let the cookies arrive, then release: each service gets back its own cookie.
    ASSERT_TRUE(Answered(inhibitor));
    inhibitor.SetInhibited(false);
    ASSERT_TRUE(WaitForCalls(4));
    const QString freedesktop = fake_.calls.filter(QStringLiteral("Inhibit Couchframe")).first();
    const QString gnome = fake_.calls.filter(QStringLiteral("Gnome")).first();
    EXPECT_TRUE(fake_.calls.contains(QStringLiteral("UnInhibit ") + freedesktop.right(2)));
    EXPECT_TRUE(fake_.calls.contains(QStringLiteral("Uninhibit ") + gnome.right(2)));
}

TEST_F(ScreenAwakeBusTest, ReleaseBeforeTheCookieArrivesStillReleases) {
    Offer(true, false);
    ScreenSaverInhibitor inhibitor(bus_.Connect(QStringLiteral("player")), {});
    inhibitor.SetInhibited(true);
    inhibitor.SetInhibited(false); // no event loop in between: the reply is still on its way
    ASSERT_TRUE(WaitForCalls(2));
    EXPECT_EQ(fake_.calls, QStringList({QStringLiteral("Inhibit Couchframe (Playing media) -> 42"),
                                        QStringLiteral("UnInhibit 42")}));
}

TEST_F(ScreenAwakeBusTest, RepeatedRequestsInhibitOnceAndADesktopWithoutTheServicesIsQuiet) {
    ScreenSaverInhibitor bare(bus_.Connect(QStringLiteral("bare")), {});
    bare.SetInhibited(true);
    ASSERT_TRUE(Answered(bare));
    bare.SetInhibited(false);
    EXPECT_TRUE(fake_.calls.isEmpty());

    Offer(true, false);
    ScreenSaverInhibitor inhibitor(bus_.Connect(QStringLiteral("player")), {});
    inhibitor.SetInhibited(true);
    inhibitor.SetInhibited(true);
    ASSERT_TRUE(Answered(inhibitor));
    EXPECT_EQ(fake_.calls.size(), 1);
    EXPECT_TRUE(inhibitor.Inhibited());
}

TEST_F(ScreenAwakeBusTest, DestroyedInhibitorReleasesWhatItHeld) {
    Offer(true, false);
    {
        ScreenSaverInhibitor inhibitor(bus_.Connect(QStringLiteral("player")), {});
        inhibitor.SetInhibited(true);
        ASSERT_TRUE(WaitForCalls(1));
        ASSERT_TRUE(Answered(inhibitor));
    }
    ASSERT_TRUE(WaitForCalls(2));
    EXPECT_EQ(fake_.calls.last(), QStringLiteral("UnInhibit 42"));
}

// The X server's own saver, set to start after one idle second (xset s 1 1), stays off while the
// inhibitor holds and starts once it lets go.
TEST(ScreenAwakeX11, SuspendsTheXScreenSaverWhileInhibited) {
    XvfbServer server;
    if (server.Display().isEmpty())
        GTEST_SKIP() << server.Why().toStdString();
    XScreenSaverProbe probe(server.Display());
    ASSERT_TRUE(probe.Connected());
    if (!probe.HasExtension())
        GTEST_SKIP() << "this X server has no XScreenSaver extension";
    probe.SetTimeout(1);
    {
        ScreenSaverInhibitor inhibitor(QDBusConnection(QString()), server.Display());
        inhibitor.SetInhibited(true);
        QTest::qWait(2500);
        EXPECT_FALSE(probe.SaverOn());
        inhibitor.SetInhibited(false);
        EXPECT_TRUE(QTest::qWaitFor([&] { return probe.SaverOn(); }, 5000));
        // Held again, a saver already on goes off at once.
        inhibitor.SetInhibited(true);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !probe.SaverOn(); }, 2000));
    }
    // Gone with its connection: the saver starts again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return probe.SaverOn(); }, 5000));
}

#include "screen_awake_test.moc"
