#include "phone/bounded_request_server.h"
#include "phone/phone_requests.h"
#include "phone_fixture.h"

#include <QBuffer>
#include <QImage>

namespace {

// Every answer, whatever its status, carries the headers that keep the page out of frames and
// caches and its content from being sniffed.
void ExpectGuarded(const HttpAnswer& answer) {
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
        {},
        {"Host: " + Host(), "Host: attacker.example"},
    };
    const PhoneInvitation invitation = pairing.Invite();
    const QByteArray body = R"({"token":")" + invitation.token.toLatin1() + "\"}";
    for (const QList<QByteArray>& headers : misdirected) {
        SCOPED_TRACE(headers.join(" | ").constData());
        const HttpAnswer answer = Send(RawRequest("GET", "/", headers));
        EXPECT_EQ(answer.status, 421);
        ExpectGuarded(answer);
        EXPECT_EQ(Send(RawRequest("POST", "/pair", headers, body)).status, 421);
    }
    EXPECT_EQ(PairWith("token", invitation.token).status, 204);
}

TEST_F(PhoneServerTest, EveryAnswerIsGuarded) {
    const QByteArray cookie = "Cookie: " + PairedCookie();
    const QList<std::pair<int, HttpAnswer>> answers{
        {200, Get("/")},
        {204, Get("/session", {cookie})},
        {403, Get("/session")},
        {404, Get("/cover", {cookie})},
        {404, Get("/favicon.ico")},
        {405, Post("/", "{}")},
        {403, Post("/pair", R"({"code":"1"})")},
        {413, Post("/pair", QByteArray(PhoneRequests::kMaxPairingBody + 1, ' '))},
    };
    for (const auto& [status, answer] : answers) {
        SCOPED_TRACE(status);
        EXPECT_EQ(answer.status, status);
        ExpectGuarded(answer);
    }
    // The page may open its WebSocket, named where 'self' does not cover it.
    EXPECT_TRUE(Get("/").Header("Content-Security-Policy").contains("ws://" + Host()));
}

TEST_F(PhoneServerTest, AGetChangesNothing) {
    const PhoneInvitation invitation = pairing.Invite();
    const QByteArray query =
        "?token=" + invitation.token.toLatin1() + "&code=" + invitation.code.toLatin1();
    const HttpAnswer answer = Get("/pair" + query);
    EXPECT_EQ(answer.status, 405);
    EXPECT_EQ(answer.Header("Allow"), "POST");
    Get("/session" + query);
    Get("/" + query);
    EXPECT_EQ(PairWith("token", invitation.token).status, 204);
}

TEST_F(PhoneServerTest, ATokenPairsOnceWithAStrictLongLivedCookie) {
    const PhoneInvitation invitation = pairing.Invite();
    const QByteArray body = R"({"token":")" + invitation.token.toLatin1() + "\"}";
    EXPECT_EQ(Post("/pair", body, {"Origin: http://attacker.example"}).status, 403);
    const HttpAnswer answer = PairWith("token", invitation.token);
    ASSERT_EQ(answer.status, 204);
    QList<QByteArray> cookie = answer.Header("Set-Cookie").split(';');
    for (QByteArray& part : cookie)
        part = part.trimmed();
    for (const QByteArray attribute : {"HttpOnly", "SameSite=Strict", "Path=/", "Max-Age=31536000"})
        EXPECT_TRUE(cookie.contains(attribute)) << attribute.constData();
    EXPECT_EQ(Get("/session", {"Cookie: other=1; " + cookie.front()}).status, 204);
    EXPECT_EQ(PairWith("token", invitation.token).status, 403);
}

TEST_F(PhoneServerTest, WrongCodesAreThrottledAndLargeBodiesRefused) {
    const PhoneInvitation invitation = pairing.Invite();
    QByteArray large = R"({"code":")" + invitation.code.toLatin1() + "\"}";
    large += QByteArray(PhoneRequests::kMaxPairingBody + 1 - large.size(), ' ');
    EXPECT_EQ(Post("/pair", large).status, 413);

    const QString wrong = invitation.code == u"000000" ? "000001" : "000000";
    for (int i = 0; i < PairingThrottle::kWrongTriesPerMinute; ++i)
        EXPECT_EQ(PairWith("code", wrong).status, 403);
    EXPECT_EQ(PairWith("code", invitation.code).status, 429);
    clock.Advance(PairingThrottle::kWindow);
    EXPECT_EQ(PairWith("code", invitation.code).status, 204);
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
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    picture.save(&png, "PNG");
    server.SetNowPlaying({true, QStringLiteral("Song"), {}, {}, 0, 1000, false, png.data()});

    const QByteArray cookie = "Cookie: " + PairedCookie();
    const HttpAnswer cover = Get("/cover?r=1", {cookie});
    EXPECT_EQ(cover.status, 200);
    EXPECT_EQ(cover.Header("Content-Type"), "image/png");
    EXPECT_EQ(cover.body, png.data());
    EXPECT_EQ(Get("/cover").status, 403);
    EXPECT_EQ(Get("/cover", {"Cookie: couchframe_phone=forged"}).status, 403);
    server.SetNowPlaying({});
    EXPECT_EQ(Get("/cover", {cookie}).status, 404);
}

TEST(PhoneServer, ServesLocalAddressesOnlyAllOnOnePort) {
    ManualClock clock;
    PhonePairing pairing(clock, TestStore());
    PhoneServer server(pairing, clock);
    const QHostAddress open(QStringLiteral("8.8.8.8"));
    EXPECT_FALSE(server.Listen({open}, 0));

    const QHostAddress v4(QHostAddress::LocalHost), v6(QHostAddress::LocalHostIPv6);
    ASSERT_TRUE(server.Listen({open, v4, v6}, 0));
    EXPECT_EQ(server.ServedAddresses(), (QList<QHostAddress>{v4, v6}));
    const QByteArray port = QByteArray::number(server.Port());
    EXPECT_EQ(Exchange(v6, server.Port(), RawRequest("GET", "/", {"Host: [::1]:" + port})).status,
              200);
    EXPECT_EQ(server.PairingUrl(v6, QStringLiteral("t0-_")).toString(),
              "http://[::1]:" + port + "/#t0-_");

    server.Close();
    EXPECT_TRUE(server.ServedAddresses().isEmpty());
    EXPECT_EQ(
        Exchange(v4, port.toUShort(), RawRequest("GET", "/", {"Host: 127.0.0.1:" + port})).status,
        0);
}

} // namespace
