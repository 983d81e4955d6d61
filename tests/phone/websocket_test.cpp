#include "input/app_command.h"
#include "phone/phone_buttons.h"
#include "phone/phone_connection.h"
#include "phone_fixture.h"
#include "settings/phone_remote.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {
using namespace std::chrono_literals;

QByteArray UpgradeRequest(const QList<QByteArray>& headerLines) {
    return RawRequest("GET", "/ws",
                      QList<QByteArray>{"Upgrade: websocket", "Connection: Upgrade",
                                        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==",
                                        "Sec-WebSocket-Version: 13"} +
                          headerLines);
}

TEST_F(PhoneServerTest, OnlyPairedPhonesOnThePagesOriginGetASocket) {
    const QByteArray cookie = "Cookie: " + PairedCookie();
    const QByteArray host = "Host: " + Host();
    const QByteArray origin = "Origin: " + Origin();
    const QList<std::pair<int, QList<QByteArray>>> refused{
        {403, {host, "Origin: http://attacker.example", cookie}},
        {403, {host, "Origin: http://127.0.0.1:1", cookie}},
        {403, {host, cookie}}, // no Origin
        {403, {host, origin}}, // no cookie
        {403, {host, origin, "Cookie: couchframe_phone=forged"}},
        {421, {"Host: attacker.example:" + QByteArray::number(server.Port()), origin, cookie}},
    };
    for (const auto& [status, headers] : refused) {
        SCOPED_TRACE(headers.join(" | ").constData());
        EXPECT_EQ(Send(UpgradeRequest(headers)).status, status);
    }
    EXPECT_EQ(Send(UpgradeRequest({host, origin, cookie})).status, 101);
}

TEST_F(PhoneServerTest, ButtonsArriveAsPressHoldAndRelease) {
    const auto socket = OpenSocket(PairedCookie());
    ASSERT_TRUE(socket);
    for (const char* message :
         {R"({"press":"Down"})", R"({"hold":"Down"})", R"({"hold":"Down"})",
          R"({"release":"Down"})", R"({"press":"Play/Pause"})", R"({"release":"Play/Pause"})",
          R"({"press":"7"})", R"({"press":"Launch"})", R"({"release":"Up"})", R"({"hold":"Back"})",
          "not json", R"({"press":["OK"]})"})
        socket->sendTextMessage(QString::fromUtf8(message));
    ASSERT_TRUE(Roundtrip(*socket));

    const InputCommand down = InputCommand::Key(vk::Down);
    const InputCommand playPause = InputCommand::Command(appcommand::PlayPause);
    const InputCommand seven = InputCommand::Key(vk::Digit0 + 7);
    EXPECT_EQ(pressed, (std::vector<InputCommand>{down, playPause, seven}));
    EXPECT_EQ(held, (std::vector<InputCommand>{down, down}));
    EXPECT_EQ(released, (std::vector<InputCommand>{down, playPause}));
}

// Every button of the page names a command.
TEST(PhoneButtons, EveryButtonOfThePageHasItsCommand) {
    QFile page(QStringLiteral(":/phone/index.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    QStringList names;
    for (const auto& match :
         QRegularExpression(QStringLiteral(R"(data-button="([^"]+)\")")).globalMatch(html))
        names.append(match.captured(1));
    EXPECT_EQ(names.size(), 26);
    for (const QString& name : names)
        EXPECT_TRUE(PhoneButtonCommand(name)) << qPrintable(name);
    EXPECT_EQ(PhoneButtonCommand(u"OK"), InputCommand::Key(vk::Return));
    EXPECT_EQ(PhoneButtonCommand(u"Back"), InputCommand::Key(vk::Escape));
    EXPECT_EQ(PhoneButtonCommand(u"Home"), InputCommand::Key(vk::BrowserHome));
    EXPECT_EQ(PhoneButtonCommand(u"Jump back"), InputCommand::Command(appcommand::Rewind));
    EXPECT_EQ(PhoneButtonCommand(u"0"), InputCommand::Key(vk::Digit0));
    for (const char16_t* unknown : {u"", u"ok", u"10", u"Up "})
        EXPECT_FALSE(PhoneButtonCommand(unknown));
}

TEST_F(PhoneServerTest, AButtonHeldWhenTheSocketClosesIsReleased) {
    auto socket = OpenSocket(PairedCookie());
    ASSERT_TRUE(socket);
    socket->sendTextMessage(QStringLiteral(R"({"press":"Up"})"));
    socket->sendTextMessage(QStringLiteral(R"({"press":"Volume up"})"));
    ASSERT_TRUE(Roundtrip(*socket));
    socket->close();
    EXPECT_TRUE(QTest::qWaitFor([this] { return released.size() == 2; }, 5000));
    EXPECT_EQ(released, (std::vector<InputCommand>{InputCommand::Key(vk::Up),
                                                   InputCommand::Command(appcommand::VolumeUp)}));
}

// A phone that drops off the Wi-Fi closes nothing: its keep-alives just stop.
TEST_F(PhoneServerTest, AButtonWhoseKeepAlivesStopIsReleased) {
    const auto socket = OpenSocket(PairedCookie());
    ASSERT_TRUE(socket);
    socket->sendTextMessage(QStringLiteral(R"({"press":"Right"})"));
    ASSERT_TRUE(Roundtrip(*socket));
    clock.Advance(PhoneConnection::kHoldTimeout - 200ms);
    socket->sendTextMessage(QStringLiteral(R"({"hold":"Right"})"));
    ASSERT_TRUE(Roundtrip(*socket));
    clock.Advance(PhoneConnection::kHoldTimeout - 200ms);
    EXPECT_TRUE(released.empty());
    clock.Advance(200ms);
    EXPECT_EQ(released, std::vector<InputCommand>{InputCommand::Key(vk::Right)});

    // A late keep-alive presses nothing again.
    socket->sendTextMessage(QStringLiteral(R"({"hold":"Right"})"));
    ASSERT_TRUE(Roundtrip(*socket));
    EXPECT_EQ(pressed.size(), 1u);
    EXPECT_EQ(held.size(), 1u);
}

TEST_F(PhoneServerTest, AnOversizeMessageClosesTheSocket) {
    const auto socket = OpenSocket(PairedCookie());
    ASSERT_TRUE(socket);
    QSignalSpy closed(socket.get(), &QWebSocket::disconnected);
    const QByteArray padding(PhoneConnection::kMaxMessageBytes, ' ');
    socket->sendTextMessage(QString::fromLatin1(R"({"press":"Up",)" + padding + R"("x":1})"));
    ASSERT_TRUE(closed.wait(5000));
    EXPECT_EQ(socket->closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);
    EXPECT_TRUE(pressed.empty());
}

TEST_F(PhoneServerTest, AFloodOfMessagesClosesTheSocket) {
    const auto socket = OpenSocket(PairedCookie());
    ASSERT_TRUE(socket);
    QSignalSpy closed(socket.get(), &QWebSocket::disconnected);
    for (int i = 0; i < PhoneConnection::kMaxMessagesPerSecond; ++i)
        socket->sendTextMessage(QStringLiteral(R"({"release":"Up"})"));
    ASSERT_TRUE(Roundtrip(*socket));
    clock.Advance(1s); // a new second, a new count
    for (int i = 0; i < PhoneConnection::kMaxMessagesPerSecond; ++i)
        socket->sendTextMessage(QStringLiteral(R"({"release":"Up"})"));
    ASSERT_TRUE(Roundtrip(*socket));
    EXPECT_TRUE(closed.isEmpty());
    socket->sendTextMessage(QStringLiteral(R"({"press":"Up"})"));
    ASSERT_TRUE(closed.wait(5000));
    EXPECT_EQ(socket->closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
    EXPECT_TRUE(pressed.empty());
}

TEST_F(PhoneServerTest, PhonesAreToldWhatIsPlaying) {
    const auto json = [](const QString& text) {
        return QJsonDocument::fromJson(text.toUtf8()).object().value(u"nowPlaying").toObject();
    };
    const auto socket = OpenSocket(PairedCookie());
    ASSERT_TRUE(socket);
    // At once on connecting: nothing.
    ASSERT_TRUE(QTest::qWaitFor([this] { return messages.size() == 1; }, 5000));
    EXPECT_FALSE(json(messages.back()).value(u"playing").toBool());

    // Changes within the push delay reach the phone as one message, the last state.
    PhoneNowPlaying item{true,
                         QStringLiteral("Blue"),
                         QStringLiteral("Artist"),
                         QStringLiteral("Music"),
                         0,
                         180000,
                         false,
                         "cover one"};
    server.SetNowPlaying(item);
    item.positionMs = 1000;
    server.SetNowPlaying(item);
    item.paused = true;
    server.SetNowPlaying(item);
    clock.Advance(PhoneServer::kPushDelay);
    ASSERT_TRUE(QTest::qWaitFor([this] { return messages.size() == 2; }, 5000));
    const QJsonObject shown = json(messages.back());
    EXPECT_TRUE(shown.value(u"playing").toBool());
    EXPECT_EQ(shown.value(u"title").toString(), u"Blue");
    EXPECT_EQ(shown.value(u"artist").toString(), u"Artist");
    EXPECT_EQ(shown.value(u"folder").toString(), u"Music");
    EXPECT_EQ(shown.value(u"position").toInteger(), 1000);
    EXPECT_EQ(shown.value(u"length").toInteger(), 180000);
    EXPECT_TRUE(shown.value(u"paused").toBool());
    const qint64 revision = shown.value(u"cover").toInteger();
    EXPECT_GT(revision, 0);

    // The same again sends nothing; a new cover gets a new revision.
    server.SetNowPlaying(item);
    item.cover = "cover two";
    server.SetNowPlaying(item);
    clock.Advance(PhoneServer::kPushDelay);
    ASSERT_TRUE(QTest::qWaitFor([this] { return messages.size() == 3; }, 5000));
    EXPECT_NE(json(messages.back()).value(u"cover").toInteger(), revision);
    ASSERT_TRUE(Roundtrip(*socket));
    EXPECT_EQ(messages.size(), 3u);
}

TEST_F(PhoneServerTest, ForgettingPhonesEndsTheirSockets) {
    const auto socket = OpenSocket(PairedCookie());
    ASSERT_TRUE(socket);
    QSignalSpy closed(socket.get(), &QWebSocket::disconnected);
    pairing.ForgetPhones();
    ASSERT_TRUE(closed.wait(5000));
    EXPECT_EQ(socket->closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
}

// The settings dialog forgets phones through the store alone; the server finds out by itself.
TEST_F(PhoneServerTest, PhonesForgottenInTheStoreAreLetGoAtTheirNextMessage) {
    const auto socket = OpenSocket(PairedCookie());
    ASSERT_TRUE(socket);
    QSignalSpy closed(socket.get(), &QWebSocket::disconnected);
    ForgetPairedPhones(TestStore());
    socket->sendTextMessage(QStringLiteral(R"({"press":"OK"})"));
    ASSERT_TRUE(closed.wait(5000));
    EXPECT_EQ(socket->closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
    EXPECT_TRUE(pressed.empty());
}

} // namespace
