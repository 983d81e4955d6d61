#pragma once

#include "input/input_command.h"
#include "phone/phone_now_playing.h"
#include "phone/served_addresses.h"
#include "platform/clock.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QUrl>
#include <QWebSocketProtocol>

#include <chrono>
#include <memory>

class PhoneConnection;
class PhonePairing;
class PhoneRequests;
class PhoneSetup;
class SetupRequests;

// The phone remote: serves the remote control page (PhoneRequests) on the loopback and the
// machine's own network, and keeps a WebSocket to each paired phone (PhoneConnection), whose
// buttons it passes on as input commands and which it tells what is playing; behind the owner's
// exit code, a phone may set the program up (SetupRequests). Made once; its owner has it listen
// while the phone remote's switch is on (setting::PhoneRemote).
class PhoneServer : public QObject {
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = 48080;
    // Now-playing changes within this time reach the phones as one message.
    static constexpr std::chrono::milliseconds kPushDelay{250};

    PhoneServer(PhonePairing& pairing, Clock& clock, QObject* parent = nullptr);
    ~PhoneServer() override;
    PhoneServer(const PhoneServer&) = delete;
    PhoneServer& operator=(const PhoneServer&) = delete;

    // Serves the servable ones of addresses (IsServableAddress; LanAddresses() gives the
    // machine's) on one port, 0 for any free one; an address that cannot be had is left out.
    // Stops what was served before. Whether any address is served.
    bool Listen(const QList<QHostAddress>& addresses, quint16 port = kDefaultPort);
    // Stops serving and lets every phone go.
    void Close();
    // In the order Listen was given them (LanAddresses: likeliest for a phone first).
    QList<QHostAddress> ServedAddresses() const { return served_; }
    quint16 Port() const { return port_; }
    // What the QR code shows: the page on the address, with the invitation's token.
    QUrl PairingUrl(const QHostAddress& address, const QString& token) const;

    void SetNowPlaying(const PhoneNowPlaying& nowPlaying);
    // What the set-up pages work on, kept until replaced; null (as at first) offers none.
    void SetSetup(PhoneSetup* setup);

signals:
    void Pressed(const InputCommand& command);
    void Held(const InputCommand& command);
    void Released(const InputCommand& command);

private:
    class Http;

    // The connections to phones, closed ones too until they are deleted.
    QList<PhoneConnection*> Connections() const;
    void AcceptSockets();
    void CloseConnections(QWebSocketProtocol::CloseCode code);
    void PushNowPlaying();

    PhonePairing& pairing_;
    Clock& clock_;
    ServedOrigins origins_;
    PhoneNowPlaying nowPlaying_;
    int coverRevision_ = 0;
    bool pushDue_ = false;
    std::unique_ptr<SetupRequests> setup_;
    std::unique_ptr<PhoneRequests> requests_;
    std::unique_ptr<Http> http_;
    QList<QHostAddress> served_;
    quint16 port_ = 0;
};
