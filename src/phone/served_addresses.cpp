#include "phone/served_addresses.h"

#include <QNetworkInterface>

#include <algorithm>
#include <array>

namespace {
// Ordered as LanAddresses ranks them; the loopback comes after all of them.
const std::array<const char*, 6> kLocalSubnets{"10.0.0.0/8", "172.16.0.0/12",  "192.168.0.0/16",
                                               "fc00::/7",   "169.254.0.0/16", "fe80::/10"};

int Rank(const QHostAddress& address) {
    for (size_t i = 0; i < kLocalSubnets.size(); ++i) {
        if (address.isInSubnet(QHostAddress::parseSubnet(QString::fromLatin1(kLocalSubnets[i]))))
            return static_cast<int>(i);
    }
    return static_cast<int>(kLocalSubnets.size());
}

// The address as it appears in a URL: without the interface an IPv6 link-local address carries
// (browsers take none), bracketed when IPv6.
QString UrlHost(const QHostAddress& address) {
    QHostAddress bare(address);
    bare.setScopeId(QString());
    return bare.protocol() == QAbstractSocket::IPv6Protocol
               ? QLatin1Char('[') + bare.toString() + QLatin1Char(']')
               : bare.toString();
}

QByteArray HostHeader(const QHostAddress& address, quint16 port) {
    const QString host = UrlHost(address);
    return (port == 80 ? host : host + QLatin1Char(':') + QString::number(port)).toLatin1();
}
} // namespace

bool IsServableAddress(const QHostAddress& address) {
    return address.isLoopback() || Rank(address) < static_cast<int>(kLocalSubnets.size());
}

QList<QHostAddress> LanAddresses() {
    QList<QHostAddress> addresses;
    for (const QNetworkInterface& face : QNetworkInterface::allInterfaces()) {
        if (!face.flags().testFlags(QNetworkInterface::IsUp | QNetworkInterface::IsRunning))
            continue;
        for (const QNetworkAddressEntry& entry : face.addressEntries()) {
            if (IsServableAddress(entry.ip()))
                addresses.append(entry.ip());
        }
    }
    std::stable_sort(
        addresses.begin(), addresses.end(),
        [](const QHostAddress& a, const QHostAddress& b) { return Rank(a) < Rank(b); });
    return addresses;
}

QUrl PairingUrl(const QHostAddress& address, quint16 port, const QString& token) {
    QUrl url(QStringLiteral("http://") + QString::fromLatin1(HostHeader(address, port)) +
             QLatin1Char('/'));
    url.setFragment(token);
    return url;
}

void ServedOrigins::Set(const QList<QHostAddress>& addresses, quint16 port) {
    hosts_.clear();
    for (const QHostAddress& address : addresses)
        hosts_.append(HostHeader(address, port));
}

bool ServedOrigins::HasHost(const QByteArray& host) const {
    return hosts_.contains(host.toLower());
}

bool ServedOrigins::HasOrigin(const QByteArray& origin) const {
    const QByteArray scheme = QByteArrayLiteral("http://");
    return origin.startsWith(scheme) && HasHost(origin.mid(scheme.size()));
}
