#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QUrl>

// Where the phone remote may be reached: the loopback and the machine's addresses on its own
// network (private and link-local IPv4, unique-local and link-local IPv6), never an address the
// internet can reach.
bool IsServableAddress(const QHostAddress& address);
// The servable addresses of the interfaces that are up, the likeliest for a phone first: private
// IPv4, unique-local IPv6, link-local IPv4 and IPv6, the loopback last.
QList<QHostAddress> LanAddresses();

// The page's address with the pairing token in its fragment only: a browser never sends the
// fragment, so the token shows in no request line and no log.
QUrl PairingUrl(const QHostAddress& address, quint16 port, const QString& token);

// The served addresses on their one port as a browser names them: "192.168.1.5:48080" or
// "[fd00::2]:48080" in Host, with "http://" before it in Origin (the port left out when it is 80,
// as browsers do). A request that names anything else was not meant for this server, or was sent
// through a name an attacker points at this machine.
class ServedOrigins {
public:
    void Set(const QList<QHostAddress>& addresses, quint16 port);
    bool HasHost(const QByteArray& host) const;
    bool HasOrigin(const QByteArray& origin) const;

private:
    QList<QByteArray> hosts_;
};
