#include "phone/bounded_request_server.h"
#include "phone/phone_requests.h"
#include "phone_fixture.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>

namespace {
using namespace std::chrono_literals;

// Every answer, whatever its status, carries the headers that keep the page out of frames and
// caches and its content from being sniffed.
void ExpectGuarded(const HttpAnswer& answer) {
    SCOPED_TRACE(answer.status);
    ASSERT_NE(answer.status, 0);
    EXPECT_EQ(answer.Header("X-Frame-Options"), "DENY");
    EXPECT_EQ(answer.Header("Cache-Control"), "no-store");
    EXPECT_EQ(answer.Header("X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(answer.Header("Referrer-Policy"), "no-referrer");
    const QByteArray policy = answer.Header("Content-Security-Policy");
    EXPECT_TRUE(policy.contains("default-src 'self'")) << policy.constData();
    EXPECT_TRUE(policy.contains("frame-ancestors 'none'")) << policy.constData();
    EXPECT_FALSE(policy.contains("unsafe")) << policy.constData();
}

TEST_F(PhoneServerTest, OnlyRequestsNamingAServedHostAreAnswered) {
    const QByteArray port = QByteArray::number(server.Port());
    const QList<QList<QByteArray>> misdirected{
        {"Host: attacker.example:" + port}, // a name rebound to this machine
        {"Host: localhost:" + port},
        {"Host: 127.0.0.1:" + QByteArray::number(server.Port() + 1)},
        {"Host: 127.0.0.1"},
        {},                                            // no Host at all
        {"Host: " + Host(), "Host: attacker.example"}, // two of them
    };
    for (const QList<QByteArray>& headers : misdirected) {
        SCOPED_TRACE(headers.join(" | ").constData());
        const HttpAnswer answer = Send(RawRequest("GET", "/", headers));
        EXPECT_EQ(answer.status, 421);
        EXPECT_TRUE(answer.body.isEmpty());
        ExpectGuarded(answer);
    }
    EXPECT_EQ(Send(RawRequest("GET", "/", {"Host: " + Host()})).status, 200);
    // The pairing is not reachable through a wrong name either.
    const PhoneInvitation invitation = pairing.Invite();
    const QByteArray body = R"({"token":")" + invitation.token.toLatin1() + "\"}";
    EXPECT_EQ(Send(RawRequest("POST", "/pair", {"Host: attacker.example:" + port}, body)).status,
              421);
    EXPECT_EQ(PairWithToken(invitation.token).status, 204);
}

TEST_F(PhoneServerTest, EveryAnswerIsGuarded) {
    const QByteArray cookie = PairedCookie();
    const QList<std::pair<int, HttpAnswer>> answers{
        {200, Get("/")},
        {200, Get("/remote.js")},
        {204, Get("/session", {"Cookie: " + cookie})},
        {403, Get("/session")},
        {404, Get("/cover", {"Cookie: " + cookie})},
        {404, Get("/favicon.ico")},
        {405, Post("/", "{}")},
        {403, Post("/pair", R"({"code":"x"})")},
        {413, Post("/pair", QByteArray(PhoneRequests::kMaxPairingBody + 1, ' '))},
        {421, Send(RawRequest("GET", "/", {"Host: attacker.example"}))},
    };
    for (const auto& [status, answer] : answers) {
        EXPECT_EQ(answer.status, status);
        ExpectGuarded(answer);
    }
    // The page may open its own WebSocket, named where 'self' does not cover it.
    EXPECT_TRUE(Get("/").Header("Content-Security-Policy").contains("ws://" + Host()));
}

TEST_F(PhoneServerTest, ThePageIsServedAsItsFilesWithNoScriptInline) {
    const HttpAnswer page = Get("/");
    EXPECT_EQ(page.Header("Content-Type"), "text/html; charset=utf-8");
    EXPECT_TRUE(page.body.contains(R"(<script src="/remote.js")"));
    EXPECT_EQ(page.body.count("<script"), 1);
    EXPECT_FALSE(QString::fromUtf8(page.body).contains(QRegularExpression(R"(\son[a-z]+\s*=)")));
    EXPECT_EQ(Get("/remote.js").Header("Content-Type"), "text/javascript; charset=utf-8");
    EXPECT_EQ(Get("/remote.css").Header("Content-Type"), "text/css; charset=utf-8");
    EXPECT_FALSE(Get("/remote.js").body.isEmpty());
}

TEST_F(PhoneServerTest, AGetChangesNothing) {
    const PhoneInvitation invitation = pairing.Invite();
    const QByteArray token = invitation.token.toLatin1();
    const HttpAnswer answer = Get("/pair?token=" + token + "&code=" + invitation.code.toLatin1());
    EXPECT_EQ(answer.status, 405);
    EXPECT_EQ(answer.Header("Allow"), "POST");
    EXPECT_TRUE(answer.Header("Set-Cookie").isEmpty());
    Get("/session?token=" + token);
    Get("/?token=" + token);
    EXPECT_EQ(PairWithToken(invitation.token).status, 204);
}

TEST_F(PhoneServerTest, PairingByTokenSetsAStrictLongLivedSessionCookieOnce) {
    QSignalSpy connected(&pairing, &PhonePairing::PhoneConnected);
    const PhoneInvitation invitation = pairing.Invite();
    const HttpAnswer answer = PairWithToken(invitation.token);
    ASSERT_EQ(answer.status, 204);
    EXPECT_EQ(connected.count(), 1);

    const QList<QByteArray> parts = answer.Header("Set-Cookie").split(';');
    const QByteArray secret = parts.front().mid(parts.front().indexOf('=') + 1);
    EXPECT_TRUE(pairing.IsSession(secret));
    QList<QByteArray> attributes;
    for (qsizetype i = 1; i < parts.size(); ++i)
        attributes.append(parts[i].trimmed());
    for (const QByteArray attribute : {"HttpOnly", "SameSite=Strict", "Path=/", "Max-Age=31536000"})
        EXPECT_TRUE(attributes.contains(attribute)) << attribute.constData();

    EXPECT_EQ(Get("/session", {"Cookie: other=1; " + parts.front()}).status, 204);
    EXPECT_EQ(PairWithToken(invitation.token).status, 403);
}

TEST_F(PhoneServerTest, PairingByCodeIsThrottledPerPhone) {
    const PhoneInvitation invitation = pairing.Invite();
    const QByteArray wrong = invitation.code == u"000000" ? "000001" : "000000";
    for (int i = 0; i < PairingThrottle::kWrongTriesPerMinute; ++i)
        EXPECT_EQ(Post("/pair", R"({"code":")" + wrong + "\"}").status, 403);
    const QByteArray right = R"({"code":")" + invitation.code.toLatin1() + "\"}";
    EXPECT_EQ(Post("/pair", right).status, 429);
    clock.Advance(PairingThrottle::kWindow);
    const HttpAnswer paired = Post("/pair", right);
    EXPECT_EQ(paired.status, 204);
    EXPECT_FALSE(paired.Header("Set-Cookie").isEmpty());
}

TEST_F(PhoneServerTest, OnlyThePagesOwnOriginMayPair) {
    const PhoneInvitation invitation = pairing.Invite();
    const QByteArray body = R"({"token":")" + invitation.token.toLatin1() + "\"}";
    EXPECT_EQ(Post("/pair", body, {"Origin: http://attacker.example"}).status, 403);
    EXPECT_EQ(Post("/pair", body, {"Origin: " + Origin()}).status, 204);
}

TEST_F(PhoneServerTest, ALargePairingBodyIsRefusedUnread) {
    const PhoneInvitation invitation = pairing.Invite();
    QByteArray body = R"({"token":")" + invitation.token.toLatin1() + "\"}";
    body += QByteArray(PhoneRequests::kMaxPairingBody + 1 - body.size(), ' ');
    EXPECT_EQ(Post("/pair", body).status, 413);
    EXPECT_EQ(PairWithToken(invitation.token).status, 204);
}

// Qt keeps a request in memory until it is whole: one that never ends must not take it all.
TEST_F(PhoneServerTest, ARequestThatGrowsTooLargeIsCutOff) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(QHostAddress::LocalHost), server.Port());
    socket.write("POST /pair HTTP/1.1\r\nHost: " + Host() +
                 "\r\nContent-Length: 100000000\r\n\r\n");
    QSignalSpy cut(&socket, &QTcpSocket::disconnected);
    socket.write(QByteArray(2 * BoundedRequestServer::kMaxRequestBytes, 'x'));
    EXPECT_TRUE(cut.wait(5000));
}

TEST_F(PhoneServerTest, TheCoverGoesToPairedPhonesOnly) {
    const QByteArray cookie = PairedCookie();
    EXPECT_EQ(Get("/cover", {"Cookie: " + cookie}).status, 404);

    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    picture.save(&png, "PNG");
    server.SetNowPlaying({true, QStringLiteral("Song"), {}, {}, 0, 1000, false, png.data()});

    const HttpAnswer cover = Get("/cover?r=1", {"Cookie: " + cookie});
    EXPECT_EQ(cover.status, 200);
    EXPECT_EQ(cover.Header("Content-Type"), "image/png");
    EXPECT_EQ(cover.body, png.data());
    EXPECT_EQ(Get("/cover").status, 403);
    EXPECT_EQ(Get("/cover", {"Cookie: couchframe_phone=forged"}).status, 403);

    server.SetNowPlaying({});
    EXPECT_EQ(Get("/cover", {"Cookie: " + cookie}).status, 404);
}

TEST(PhoneServer, ServesLocalAddressesOnlyAllOnOnePort) {
    ManualClock clock;
    PhonePairing pairing(clock, TestStore());
    PhoneServer server(pairing, clock);
    EXPECT_FALSE(server.Listen({QHostAddress(QStringLiteral("8.8.8.8"))}, 0));

    const QHostAddress v4(QHostAddress::LocalHost), v6(QHostAddress::LocalHostIPv6);
    ASSERT_TRUE(server.Listen({QHostAddress(QStringLiteral("8.8.8.8")), v4, v6}, 0));
    EXPECT_EQ(server.ServedAddresses(), (QList<QHostAddress>{v4, v6}));
    const QByteArray port = QByteArray::number(server.Port());
    EXPECT_EQ(Exchange(v6, server.Port(), RawRequest("GET", "/", {"Host: [::1]:" + port})).status,
              200);
    EXPECT_EQ(
        Exchange(v4, server.Port(), RawRequest("GET", "/", {"Host: 127.0.0.1:" + port})).status,
        200);

    EXPECT_EQ(server.PairingUrl(v6, QStringLiteral("abc-_1")).toString(),
              "http://[::1]:" + port + "/#abc-_1");

    server.Close();
    EXPECT_TRUE(server.ServedAddresses().isEmpty());
    EXPECT_EQ(
        Exchange(v4, port.toUShort(), RawRequest("GET", "/", {"Host: 127.0.0.1:" + port})).status,
        0);
}

} // namespace
