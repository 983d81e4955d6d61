#include "phone/phone_server.h"

#include "phone/bounded_request_server.h"
#include "phone/phone_connection.h"
#include "phone/phone_pairing.h"
#include "phone/phone_requests.h"
#include "phone/setup_requests.h"

#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QTcpSocket>

// A body too large for the set-up is told so (413), not cut off with its connection: the bound
// leaves room for its headers.
static_assert(SetupRequests::kMaxBody < BoundedRequestServer::kMaxRequestBytes - 8 * 1024);

// Qt's HTTP server, answering through PhoneRequests. Qt 6.4 asks handleRequest about a WebSocket
// upgrade before it makes one: true hands the socket to its WebSocket server, false makes it call
// missingHandler and close the connection.
class PhoneServer::Http final : public QAbstractHttpServer {
public:
    explicit Http(PhoneRequests& requests) : requests_(requests) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        if (!IsWebSocketUpgrade(request)) {
            auto responder = makeResponder(request, socket);
            requests_.Respond(request, responder);
            return true;
        }
        const auto refusal = requests_.SocketRefusal(request);
        if (!refusal)
            return true;
        auto responder = makeResponder(request, socket);
        Answer(responder, StatusResponse(*refusal), {});
        return false;
    }
    // Reached only after a refused upgrade, which is answered already.
    void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}

private:
    PhoneRequests& requests_;
};

PhoneServer::PhoneServer(PhonePairing& pairing, Clock& clock, QObject* parent)
    : QObject(parent), pairing_(pairing), clock_(clock),
      setup_(std::make_unique<SetupRequests>(clock)),
      requests_(std::make_unique<PhoneRequests>(pairing, origins_, nowPlaying_, *setup_)) {
    connect(&pairing_, &PhonePairing::PhonesForgotten, this, [this] {
        CloseConnections(QWebSocketProtocol::CloseCodePolicyViolated);
        setup_->LockAll();
    });
}

PhoneServer::~PhoneServer() {
    // Held buttons are released, and the connections go, while this is still whole enough to hear
    // of it: ending the listeners would end their sockets.
    CloseConnections(QWebSocketProtocol::CloseCodeGoingAway);
    qDeleteAll(Connections());
}

bool PhoneServer::Listen(const QList<QHostAddress>& addresses, quint16 port) {
    Close();
    http_ = std::make_unique<Http>(*requests_);
    connect(http_.get(), &QAbstractHttpServer::newWebSocketConnection, this,
            &PhoneServer::AcceptSockets);
    for (const QHostAddress& address : addresses) {
        if (!IsServableAddress(address))
            continue;
        auto listener = std::make_unique<BoundedRequestServer>();
        if (!listener->listen(address, port))
            continue;
        port = listener->serverPort();
        http_->bind(listener.release());
        served_.append(address);
    }
    port_ = served_.isEmpty() ? 0 : port;
    origins_.Set(served_, port_);
    return !served_.isEmpty();
}

void PhoneServer::Close() {
    CloseConnections(QWebSocketProtocol::CloseCodeGoingAway);
    http_.reset();
    served_.clear();
    port_ = 0;
    origins_.Set({}, 0);
}

QUrl PhoneServer::PairingUrl(const QHostAddress& address, const QString& token) const {
    return ::PairingUrl(address, port_, token);
}

void PhoneServer::SetNowPlaying(const PhoneNowPlaying& nowPlaying) {
    if (nowPlaying == nowPlaying_)
        return;
    if (nowPlaying.cover != nowPlaying_.cover)
        ++coverRevision_;
    nowPlaying_ = nowPlaying;
    if (pushDue_)
        return;
    pushDue_ = true;
    clock_.CallAfter(kPushDelay, this, [this] {
        pushDue_ = false;
        PushNowPlaying();
    });
}

void PhoneServer::SetSetup(PhoneSetup* setup) {
    setup_->SetSetup(setup);
}

void PhoneServer::AcceptSockets() {
    while (http_->hasPendingWebSocketConnections()) {
        auto* connection =
            new PhoneConnection(http_->nextPendingWebSocketConnection(), pairing_, clock_, this);
        connect(connection, &PhoneConnection::Pressed, this, &PhoneServer::Pressed);
        connect(connection, &PhoneConnection::Held, this, &PhoneServer::Held);
        connect(connection, &PhoneConnection::Released, this, &PhoneServer::Released);
        connect(connection, &PhoneConnection::Closed, connection, &QObject::deleteLater);
        // Closes the socket if its phone is not paired (any more).
        connection->Send(NowPlayingMessage(nowPlaying_, coverRevision_));
    }
}

QList<PhoneConnection*> PhoneServer::Connections() const {
    return findChildren<PhoneConnection*>(QString(), Qt::FindDirectChildrenOnly);
}

void PhoneServer::CloseConnections(QWebSocketProtocol::CloseCode code) {
    for (PhoneConnection* connection : Connections())
        connection->Close(code);
}

void PhoneServer::PushNowPlaying() {
    const QString message = NowPlayingMessage(nowPlaying_, coverRevision_);
    for (PhoneConnection* connection : Connections())
        connection->Send(message);
}
