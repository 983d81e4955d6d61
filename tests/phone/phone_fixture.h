#pragma once

#include "input/input_command.h"
#include "manual_clock.h"
#include "phone/phone_pairing.h"
#include "phone/phone_server.h"
#include "settings/store.h"
#include "test_store.h"

#include <QNetworkRequest>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

inline void PrintTo(const InputCommand& command, std::ostream* out) {
    *out << (command.kind == InputCommand::Kind::Key ? "Key(" : "Command(") << command.value << ')';
}

// An HTTP answer as it came over the wire; status 0 when none came whole.
struct HttpAnswer {
    int status = 0;
    QList<QByteArray> headerLines;
    QByteArray body;

    QByteArray Header(const QByteArray& name) const {
        for (const QByteArray& line : headerLines) {
            if (line.toLower().startsWith(name.toLower() + ':'))
                return line.mid(name.size() + 1).trimmed();
        }
        return {};
    }
};

// A request written byte for byte, so that a test decides every header, or leaves it out.
inline QByteArray RawRequest(const QByteArray& method, const QByteArray& path,
                             QList<QByteArray> headerLines, const QByteArray& body = {}) {
    if (method == "POST")
        headerLines.append("Content-Length: " + QByteArray::number(body.size()));
    QByteArray request = method + ' ' + path + " HTTP/1.1\r\n";
    for (const QByteArray& line : headerLines)
        request += line + "\r\n";
    return request + "\r\n" + body;
}

// Sends the request on a connection of its own.
inline HttpAnswer Exchange(const QHostAddress& address, quint16 port, const QByteArray& request) {
    QTcpSocket socket;
    socket.connectToHost(address, port);
    socket.write(request);
    QByteArray received;
    HttpAnswer answer;
    const bool whole = QTest::qWaitFor(
        [&] {
            received += socket.readAll();
            const qsizetype end = received.indexOf("\r\n\r\n");
            if (end < 0)
                return socket.state() == QAbstractSocket::UnconnectedState;
            answer.headerLines = received.left(end).split('\n');
            answer.status = answer.headerLines.takeFirst().split(' ').value(1).toInt();
            answer.body = received.mid(end + 4);
            return answer.body.size() >= answer.Header("Content-Length").toLongLong();
        },
        5000);
    return whole ? answer : HttpAnswer{};
}

// A phone server on 127.0.0.1 at a free port, its pairing on a store of the test's own, on a
// manual clock.
class PhoneServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        TestStore().UseDatabase(folder.filePath(QStringLiteral("settings.db")));
        ASSERT_TRUE(server.Listen({QHostAddress(QHostAddress::LocalHost)}, 0));
        QObject::connect(&server, &PhoneServer::Pressed,
                         [this](const InputCommand& c) { pressed.push_back(c); });
        QObject::connect(&server, &PhoneServer::Held,
                         [this](const InputCommand& c) { held.push_back(c); });
        QObject::connect(&server, &PhoneServer::Released,
                         [this](const InputCommand& c) { released.push_back(c); });
    }
    void TearDown() override { TestStore().UseDatabase(SettingsStore::DefaultDatabasePath()); }

    QByteArray Host() const { return "127.0.0.1:" + QByteArray::number(server.Port()); }
    QByteArray Origin() const { return "http://" + Host(); }

    HttpAnswer Send(const QByteArray& request) {
        return Exchange(QHostAddress(QHostAddress::LocalHost), server.Port(), request);
    }
    HttpAnswer Get(const QByteArray& path, QList<QByteArray> headerLines = {}) {
        return Send(RawRequest("GET", path, QList<QByteArray>{"Host: " + Host()} + headerLines));
    }
    HttpAnswer Post(const QByteArray& path, const QByteArray& body,
                    QList<QByteArray> headerLines = {}) {
        return Send(
            RawRequest("POST", path, QList<QByteArray>{"Host: " + Host()} + headerLines, body));
    }
    HttpAnswer PairWith(const char* kind, const QString& value) {
        return Post("/pair", "{\"" + QByteArray(kind) + "\":\"" + value.toLatin1() + "\"}",
                    {"Origin: " + Origin()});
    }
    // "couchframe_phone=…" of a newly paired phone, as its browser sends it back.
    QByteArray PairedCookie() {
        return PairWith("token", pairing.Invite().token).Header("Set-Cookie").split(';').front();
    }

    // A WebSocket of the page's origin, connected; null when refused.
    std::unique_ptr<QWebSocket> OpenSocket(const QByteArray& cookie) {
        auto socket = std::make_unique<QWebSocket>();
        QObject::connect(socket.get(), &QWebSocket::textMessageReceived,
                         [this](const QString& text) { messages.push_back(text); });
        QNetworkRequest request(QUrl(QString::fromLatin1("ws://" + Host() + "/ws")));
        request.setRawHeader("Origin", Origin());
        request.setRawHeader("Cookie", cookie);
        QSignalSpy connected(socket.get(), &QWebSocket::connected);
        socket->open(request);
        return connected.wait(5000) ? std::move(socket) : nullptr;
    }
    // Waits until the server has handled all that was sent before: its answer to a ping follows.
    static bool Roundtrip(QWebSocket& socket) {
        QSignalSpy pong(&socket, &QWebSocket::pong);
        socket.ping();
        return pong.wait(5000);
    }

    // What the server and the sockets told; these outlive the server, which tells of the buttons
    // it releases as it goes.
    std::vector<InputCommand> pressed, held, released;
    std::vector<QString> messages;
    QTemporaryDir folder;
    ManualClock clock;
    PhonePairing pairing{clock, TestStore()};
    PhoneServer server{pairing, clock};
};
