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

TEST_F(PhoneServerTest, OnlyPairedPhonesOnThePagesOriginGetASocket) {
    const QByteArray cookie = "Cookie: " + PairedCookie();
    const QByteArray host = "Host: " + Host();
    const QByteArray origin = "Origin: " + Origin();
    const QList<std::pair<int, QList<QByteArray>>> upgrades{
        {403, {host, "Origin: http://attacker.example", cookie}},
        {403, {host, "Origin: http://127.0.0.1:1", cookie}},
        {403, {host, cookie}},
        {403, {host, origin}},
        {403, {host, origin, "Cookie: couchframe_phone=forged"}},
        {421, {"Host: attacker.example:" + QByteArray::number(server.Port()), origin, cookie}},
        {101, {host, origin, cookie}},
    };
    for (const auto& [status, headers] : upgrades) {
        SCOPED_TRACE(headers.join(" | ").constData());
        EXPECT_EQ(Send(RawRequest("GET", "/ws",
                                  QList<QByteArray>{"Upgrade: websocket", "Connection: Upgrade",
                                                    "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==",
                                                    "Sec-WebSocket-Version: 13"} +
                                      headers))
                      .status,
                  status);
    }
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
    EXPECT_EQ(pressed,
              (std::vector<InputCommand>{down, playPause, InputCommand::Key(vk::Digit0 + 7)}));
    EXPECT_EQ(held, (std::vector<InputCommand>{down, down}));
    EXPECT_EQ(released, (std::vector<InputCommand>{down, playPause}));
}

// Each button of the page names a command, and is named by its label (the English one is the
// name it sends).
TEST(PhoneButtons, EveryButtonOfThePageHasItsCommand) {
    QFile page(QStringLiteral(":/phone/index.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QRegularExpression button(QStringLiteral(R"re(data-button="([^"]+)"[^>]*>([^<]*)<)re"));
    int buttons = 0;
    for (const auto& match : button.globalMatch(QString::fromUtf8(page.readAll()))) {
        EXPECT_TRUE(PhoneButtonCommand(match.captured(1))) << qPrintable(match.captured(1));
        EXPECT_EQ(match.captured(2), match.captured(1));
        ++buttons;
    }
    EXPECT_EQ(buttons, 26);
}

TEST_F(PhoneServerTest, HeldButtonsAreReleasedWhenTheSocketCloses) {
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

TEST_F(PhoneServerTest, AnOversizeMessageOrAFloodClosesTheSocket) {
    const QByteArray cookie = PairedCookie();
    const auto large = OpenSocket(cookie);
    ASSERT_TRUE(large);
    QSignalSpy largeClosed(large.get(), &QWebSocket::disconnected);
    const QByteArray padding(PhoneConnection::kMaxMessageBytes, ' ');
    large->sendTextMessage(QString::fromLatin1(R"({"press":"Up",)" + padding + R"("x":1})"));
    ASSERT_TRUE(largeClosed.wait(5000));
    EXPECT_EQ(large->closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);

    const auto flooding = OpenSocket(cookie);
    ASSERT_TRUE(flooding);
    QSignalSpy floodClosed(flooding.get(), &QWebSocket::disconnected);
    for (int second = 0; second < 2; ++second) {
        for (int i = 0; i < PhoneConnection::kMaxMessagesPerSecond; ++i)
            flooding->sendTextMessage(QStringLiteral(R"({"release":"Up"})"));
        ASSERT_TRUE(Roundtrip(*flooding));
        clock.Advance(1s);
    }
    EXPECT_TRUE(floodClosed.isEmpty());
    for (int i = 0; i <= PhoneConnection::kMaxMessagesPerSecond; ++i)
        flooding->sendTextMessage(QStringLiteral(R"({"press":"Up"})"));
    ASSERT_TRUE(floodClosed.wait(5000));
    EXPECT_EQ(flooding->closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
    EXPECT_EQ(pressed.size(), 1u);
}

TEST_F(PhoneServerTest, PhonesAreToldWhatIsPlayingOncePerChange) {
    const auto told = [this](size_t count) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return messages.size() == count; }, 5000));
        return QJsonDocument::fromJson(messages.back().toUtf8()).object();
    };
    const auto socket = OpenSocket(PairedCookie());
    ASSERT_TRUE(socket);
    EXPECT_FALSE(told(1)[u"nowPlaying"][u"playing"].toBool()); // at once on connecting

    PhoneNowPlaying item{true, "Blue", "Artist", "Music", 0, 180000, false, "cover one"};
    server.SetNowPlaying(item);
    item.positionMs = 1000;
    item.paused = true;
    server.SetNowPlaying(item);
    clock.Advance(PhoneServer::kPushDelay);
    EXPECT_EQ(told(2), QJsonDocument::fromJson(R"({"nowPlaying": {"playing": true, "title": "Blue",
        "artist": "Artist", "folder": "Music", "position": 1000, "length": 180000, "paused": true,
        "cover": 1}})")
                           .object());

    server.SetNowPlaying(item); // no change, no message
    item.cover = "cover two";
    server.SetNowPlaying(item);
    clock.Advance(PhoneServer::kPushDelay);
    EXPECT_EQ(told(3)[u"nowPlaying"][u"cover"].toInt(), 2); // the page loads /cover again
    ASSERT_TRUE(Roundtrip(*socket));
    EXPECT_EQ(messages.size(), 3u);
}

TEST_F(PhoneServerTest, ForgottenPhonesAreLetGo) {
    const auto socket = OpenSocket(PairedCookie());
    ASSERT_TRUE(socket);
    QSignalSpy closed(socket.get(), &QWebSocket::disconnected);
    pairing.ForgetPhones();
    ASSERT_TRUE(closed.wait(5000));
    EXPECT_EQ(socket->closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);

    // The settings dialog forgets them through the store alone: the next message finds out.
    const auto other = OpenSocket(PairedCookie());
    ASSERT_TRUE(other);
    QSignalSpy otherClosed(other.get(), &QWebSocket::disconnected);
    ForgetPairedPhones(TestStore());
    other->sendTextMessage(QStringLiteral(R"({"press":"OK"})"));
    ASSERT_TRUE(otherClosed.wait(5000));
    EXPECT_TRUE(pressed.empty());
}

} // namespace
