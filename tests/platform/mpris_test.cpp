#include "platform/mpris.h"

#include "desktop_servers.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

namespace {
// A session whose state the test sets and whose commands it records.
class RecordingSession : public MediaSession {
public:
    MediaSessionState state;
    QStringList calls;

    MediaSessionState State() override { return state; }
    void PlayPause() override { calls << QStringLiteral("PlayPause"); }
    void Play() override { calls << QStringLiteral("Play"); }
    void Pause() override { calls << QStringLiteral("Pause"); }
    void Stop() override { calls << QStringLiteral("Stop"); }
    void Next() override { calls << QStringLiteral("Next"); }
    void Previous() override { calls << QStringLiteral("Previous"); }
    void SeekBy(qint64 offsetUs) override { calls << QStringLiteral("SeekBy %1").arg(offsetUs); }
    void SeekTo(qint64 positionUs) override {
        calls << QStringLiteral("SeekTo %1").arg(positionUs);
    }
    void SetVolume(double volume) override { calls << QStringLiteral("SetVolume %1").arg(volume); }
};

// Records PropertiesChanged of the player interface.
class ChangeRecorder : public QObject {
    Q_OBJECT

public:
    QList<QVariantMap> changes;

public slots:
    void Changed(const QString& interface, const QVariantMap& changed, const QStringList&) {
        if (interface == QLatin1String("org.mpris.MediaPlayer2.Player"))
            changes.append(changed);
    }
};

class MprisTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (bus_.Address().isEmpty())
            GTEST_SKIP() << bus_.Why().toStdString();
        session_.state.status = MediaSessionState::Status::Playing;
        session_.state.title = QStringLiteral("Alpha Tone");
        session_.state.artists = {QStringLiteral("Couchframe Test")};
        session_.state.album = QStringLiteral("Tones");
        session_.state.url = QStringLiteral("file:///media/alpha.mp3");
        session_.state.lengthUs = 3'000'000;
        session_.state.positionUs = 1'500'000;
        session_.state.volume = 0.8;
        session_.state.canPlay = session_.state.canPause = session_.state.canGoNext = true;
        session_.state.canSeek = true;
        registration_.Register(&session_);
        service_ =
            std::make_unique<MprisService>(sessions_, bus_.Connect(QStringLiteral("couchframe")));
        remote_ = bus_.Connect(QStringLiteral("remote"));
    }

    // Sends a call from the remote's side while the service's own event loop keeps running.
    QDBusMessage Send(const QString& interface, const QString& method,
                      const QVariantList& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(MprisService::kServiceName),
            QString::fromLatin1(MprisService::kObjectPath), interface, method);
        call.setArguments(arguments);
        QDBusPendingCall pending = remote_.asyncCall(call);
        EXPECT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }, 5000))
            << method.toStdString();
        return pending.reply();
    }

    QDBusMessage Call(const QString& method, const QVariantList& arguments = {}) {
        return Send(QStringLiteral("org.mpris.MediaPlayer2.Player"), method, arguments);
    }

    QVariant Property(const QString& interface, const QString& name) {
        const QDBusMessage answer = Send(QStringLiteral("org.freedesktop.DBus.Properties"),
                                         QStringLiteral("Get"), {interface, name});
        if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().isEmpty())
            return {};
        return answer.arguments().first().value<QDBusVariant>().variant();
    }

    QVariant PlayerProperty(const QString& name) {
        return Property(QStringLiteral("org.mpris.MediaPlayer2.Player"), name);
    }

    PrivateSessionBus bus_;
    MediaSessions sessions_;
    RecordingSession session_;
    MediaSessionRegistration registration_{sessions_};
    std::unique_ptr<MprisService> service_;
    QDBusConnection remote_{QString()};
};
} // namespace

TEST_F(MprisTest, TakesTheWellKnownNameAndASecondInstanceTakesItsOwn) {
    EXPECT_EQ(service_->ServiceName(), QLatin1String(MprisService::kServiceName));
    MprisService second(sessions_, bus_.Connect(QStringLiteral("second")));
    EXPECT_TRUE(second.ServiceName().startsWith(QLatin1String(MprisService::kServiceName) +
                                                QStringLiteral(".instance")))
        << second.ServiceName().toStdString();
}

TEST_F(MprisTest, NoBusRegistersNothingAndSaysNothing) {
    MprisService offline{sessions_, QDBusConnection(QStringLiteral("not-connected"))};
    EXPECT_TRUE(offline.ServiceName().isEmpty());
    offline.Refresh();
}

struct CommandCase {
    const char* method;
    QVariantList arguments;
    const char* recorded;
};
// Names the case in test names and failure messages.
void PrintTo(const CommandCase& c, std::ostream* out) {
    *out << c.method;
}

class MprisCommandTest : public MprisTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(MprisCommandTest, ReachesTheTopSession) {
    const CommandCase& c = GetParam();
    QVariantList arguments = c.arguments;
    if (QString::fromLatin1(c.method) == QLatin1String("SetPosition"))
        arguments.prepend(QVariant::fromValue(QDBusObjectPath(service_->TrackId())));
    const QDBusMessage reply = Call(QString::fromLatin1(c.method), arguments);
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(session_.calls, QStringList{QString::fromLatin1(c.recorded)});
}

INSTANTIATE_TEST_SUITE_P(
    Methods, MprisCommandTest,
    ::testing::Values(CommandCase{"PlayPause", {}, "PlayPause"}, CommandCase{"Play", {}, "Play"},
                      CommandCase{"Pause", {}, "Pause"}, CommandCase{"Stop", {}, "Stop"},
                      CommandCase{"Next", {}, "Next"}, CommandCase{"Previous", {}, "Previous"},
                      CommandCase{"Seek", {qlonglong(-2'000'000)}, "SeekBy -2000000"},
                      CommandCase{"SetPosition", {qlonglong(250'000)}, "SeekTo 250000"}),
    [](const auto& info) { return std::string(info.param.method); });

TEST_F(MprisTest, SetPositionForAnotherItemOrBeyondTheEndIsIgnored) {
    Call(QStringLiteral("SetPosition"),
         {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/Track/99"))),
          qlonglong(1000)});
    Call(QStringLiteral("SetPosition"),
         {QVariant::fromValue(QDBusObjectPath(service_->TrackId())), qlonglong(9'000'000)});
    EXPECT_TRUE(session_.calls.isEmpty()) << session_.calls.join(QLatin1Char(',')).toStdString();
}

TEST_F(MprisTest, PropertiesShowTheSessionState) {
    EXPECT_EQ(PlayerProperty(QStringLiteral("PlaybackStatus")).toString(), "Playing");
    EXPECT_EQ(PlayerProperty(QStringLiteral("Position")).toLongLong(), 1'500'000);
    EXPECT_DOUBLE_EQ(PlayerProperty(QStringLiteral("Volume")).toDouble(), 0.8);
    EXPECT_TRUE(PlayerProperty(QStringLiteral("CanGoNext")).toBool());
    EXPECT_FALSE(PlayerProperty(QStringLiteral("CanGoPrevious")).toBool());
    EXPECT_TRUE(PlayerProperty(QStringLiteral("CanControl")).toBool());
    EXPECT_EQ(Property(QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Identity")),
              QStringLiteral("Couchframe"));

    const QVariant metadata = PlayerProperty(QStringLiteral("Metadata"));
    ASSERT_TRUE(metadata.canConvert<QDBusArgument>());
    QVariantMap map;
    metadata.value<QDBusArgument>() >> map;
    EXPECT_EQ(map.value(QStringLiteral("xesam:title")).toString(), "Alpha Tone");
    EXPECT_EQ(map.value(QStringLiteral("xesam:album")).toString(), "Tones");
    EXPECT_EQ(map.value(QStringLiteral("mpris:length")).toLongLong(), 3'000'000);
    EXPECT_EQ(map.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
              service_->TrackId());
}

TEST_F(MprisTest, WritingTheVolumeSetsItClampedToTheRange) {
    const QDBusMessage reply =
        Send(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
             {QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("Volume"),
              QVariant::fromValue(QDBusVariant(1.7))});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(session_.calls, QStringList{QStringLiteral("SetVolume 1")});
}

TEST_F(MprisTest, ChangesAreAnnouncedAndTheTopSessionWins) {
    ChangeRecorder recorder;
    ASSERT_TRUE(remote_.connect(QString(), QString::fromLatin1(MprisService::kObjectPath),
                                QStringLiteral("org.freedesktop.DBus.Properties"),
                                QStringLiteral("PropertiesChanged"), &recorder,
                                SLOT(Changed(QString, QVariantMap, QStringList))));
    session_.state.status = MediaSessionState::Status::Paused;
    // Nothing is polled: a change reaches the bus when the session announces it.
    QCoreApplication::processEvents();
    EXPECT_TRUE(recorder.changes.isEmpty());
    sessions_.Announce();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.changes.isEmpty(); }, 3000));
    EXPECT_EQ(recorder.changes.last().value(QStringLiteral("PlaybackStatus")).toString(), "Paused");
    EXPECT_FALSE(recorder.changes.last().contains(QStringLiteral("Metadata")));

    // A screen opened over this one takes the commands until it goes.
    RecordingSession viewer;
    viewer.state.url = QStringLiteral("file:///pictures/b.jpg");
    {
        MediaSessionRegistration over(sessions_);
        over.Register(&viewer); // the new top session is announced
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return recorder.changes.last().contains(QStringLiteral("Metadata")); }, 3000));
        Call(QStringLiteral("Next"));
    }
    Call(QStringLiteral("Previous"));
    EXPECT_EQ(viewer.calls, QStringList{QStringLiteral("Next")});
    EXPECT_EQ(session_.calls, QStringList{QStringLiteral("Previous")});
}

// playerctl, as desktop remotes and media-key daemons use MPRIS, finds and drives the player.
TEST_F(MprisTest, PlayerctlFindsAndDrivesThePlayer) {
    const QString playerctl = QStandardPaths::findExecutable(QStringLiteral("playerctl"));
    if (playerctl.isEmpty())
        GTEST_SKIP() << "playerctl is not installed";
    auto run = [&](QStringList arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus_.Address());
        process.setProcessEnvironment(environment);
        process.start(playerctl, QStringList{QStringLiteral("--player=couchframe")} + arguments);
        // The service answers from this thread's event loop, so the wait keeps it running.
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000));
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    };
    EXPECT_EQ(run({QStringLiteral("status")}), "Playing");
    EXPECT_EQ(run({QStringLiteral("metadata"), QStringLiteral("title")}), "Alpha Tone");
    run({QStringLiteral("play-pause")});
    EXPECT_EQ(session_.calls, QStringList{QStringLiteral("PlayPause")});
}

#include "mpris_test.moc"
