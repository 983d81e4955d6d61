#include "phone/phone_connection.h"

#include "phone/phone_buttons.h"
#include "phone/phone_pairing.h"
#include "phone/session_cookie.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkRequest>

#include <algorithm>

PhoneConnection::PhoneConnection(std::unique_ptr<QWebSocket> socket, const PhonePairing& pairing,
                                 Clock& clock, QObject* parent)
    : QObject(parent), socket_(std::move(socket)), pairing_(pairing), clock_(clock),
      session_(SessionFromCookies(socket_->request().rawHeader("Cookie"))) {
    // Larger ones close the socket (code 1009) before they are read whole.
    socket_->setMaxAllowedIncomingFrameSize(kMaxMessageBytes);
    socket_->setMaxAllowedIncomingMessageSize(kMaxMessageBytes);
    connect(socket_.get(), &QWebSocket::textMessageReceived, this, &PhoneConnection::Receive);
    connect(socket_.get(), &QWebSocket::binaryMessageReceived, this, [this] { WithinRate(); });
    connect(socket_.get(), &QWebSocket::disconnected, this, [this] {
        closing_ = true;
        ReleaseAll();
        emit Closed();
    });
}

// Whoever deletes a connection closes it first; the socket's last signals find nobody.
PhoneConnection::~PhoneConnection() {
    socket_->disconnect(this);
}

void PhoneConnection::Send(const QString& text) {
    if (StillPaired())
        socket_->sendTextMessage(text);
}

void PhoneConnection::Close(QWebSocketProtocol::CloseCode code) {
    if (closing_)
        return;
    closing_ = true;
    ReleaseAll();
    socket_->close(code);
}

bool PhoneConnection::StillPaired() {
    if (closing_)
        return false;
    if (pairing_.IsSession(session_))
        return true;
    Close(QWebSocketProtocol::CloseCodePolicyViolated);
    return false;
}

bool PhoneConnection::WithinRate() {
    const Clock::TimePoint now = clock_.Now();
    if (messagesThisSecond_ == 0 || now - secondStarted_ >= std::chrono::seconds(1)) {
        secondStarted_ = now;
        messagesThisSecond_ = 0;
    }
    if (++messagesThisSecond_ <= kMaxMessagesPerSecond)
        return true;
    Close(QWebSocketProtocol::CloseCodePolicyViolated);
    return false;
}

void PhoneConnection::Receive(const QString& message) {
    if (!WithinRate() || !StillPaired())
        return;
    const QJsonObject object = QJsonDocument::fromJson(message.toUtf8()).object();
    if (const auto command = PhoneButtonCommand(object.value(u"press").toString()))
        Press(*command);
    else if (const auto held = PhoneButtonCommand(object.value(u"hold").toString()))
        Hold(*held);
    else if (const auto released = PhoneButtonCommand(object.value(u"release").toString()))
        Release(*released);
}

void PhoneConnection::Press(const InputCommand& command) {
    if (std::find(held_.begin(), held_.end(), command) != held_.end())
        return;
    held_.push_back(command);
    emit Pressed(command);
}

void PhoneConnection::Hold(const InputCommand& command) {
    // A keep-alive for a button that is not down presses nothing.
    if (std::find(held_.begin(), held_.end(), command) != held_.end())
        emit Held(command);
}

void PhoneConnection::Release(const InputCommand& command) {
    const auto held = std::find(held_.begin(), held_.end(), command);
    if (held == held_.end())
        return;
    held_.erase(held);
    emit Released(command);
}

void PhoneConnection::ReleaseAll() {
    while (!held_.empty()) {
        const InputCommand command = held_.front(); // not a reference: Release erases it
        Release(command);
    }
}
