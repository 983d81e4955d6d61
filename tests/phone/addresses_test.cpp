#include "phone/qr_code.h"
#include "phone/served_addresses.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(ServableAddress, OnlyTheLoopbackAndTheLocalNetwork) {
    for (const char* local :
         {"127.0.0.1", "127.5.6.7", "::1", "10.1.2.3", "172.16.0.1", "172.31.255.254",
          "192.168.1.20", "169.254.10.20", "fd00::2", "fc12:3456::1", "fe80::fc:ff:fe00:1"})
        EXPECT_TRUE(IsServableAddress(QHostAddress(QString::fromLatin1(local)))) << local;
    for (const char* open : {"8.8.8.8", "172.15.255.255", "172.32.0.1", "192.0.2.2", "100.64.0.1",
                             "192.169.0.1", "11.0.0.1", "2001:db8::1", "fec0::1", "0.0.0.0", "::"})
        EXPECT_FALSE(IsServableAddress(QHostAddress(QString::fromLatin1(open)))) << open;

    const QList<QHostAddress> machine = LanAddresses();
    ASSERT_FALSE(machine.isEmpty()); // the loopback at least
    EXPECT_TRUE(std::all_of(machine.begin(), machine.end(), IsServableAddress));
    EXPECT_TRUE(machine.back().isLoopback()); // the likeliest for a phone come first
}

// Requests from a browser are told apart by the Host and Origin it sends; the server's own tests
// cover names that are not the address.
TEST(ServedOrigins, NameAddressesAsBrowsersDo) {
    QHostAddress linkLocal(QStringLiteral("fe80::1"));
    linkLocal.setScopeId(QStringLiteral("eth0")); // browsers take no zone
    ServedOrigins origins;
    origins.Set({linkLocal}, 48080);
    EXPECT_TRUE(origins.HasHost("[fe80::1]:48080"));
    EXPECT_TRUE(origins.HasHost("[FE80::1]:48080"));
    EXPECT_FALSE(origins.HasHost("[fe80::1%eth0]:48080"));
    EXPECT_TRUE(origins.HasOrigin("http://[fe80::1]:48080"));
    for (const QByteArray origin : {"https://[fe80::1]:48080", "http://[fe80::1]:48080/", "null"})
        EXPECT_FALSE(origins.HasOrigin(origin)) << origin.constData();
    EXPECT_EQ(PairingUrl(linkLocal, 48080, QStringLiteral("t0-_")).toString(),
              u"http://[fe80::1]:48080/#t0-_");

    origins.Set({QHostAddress(QStringLiteral("10.0.0.2"))}, 80); // the default port goes unsaid
    EXPECT_TRUE(origins.HasOrigin("http://10.0.0.2"));
}

// What a phone's camera reads from the TV is the URL.
TEST(QrCode, ReadsBackAsTheUrl) {
    const QString reader = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (reader.isEmpty())
        GTEST_SKIP() << "zbarimg (zbar-tools) is not installed";
    const QByteArray url = "http://192.168.1.20:48080/#Xq3-_vB9c0aLmN2pQ7rS4tU8wY1zA5dE6fG0hJ2kL3m";
    const QImage code = QrCodeImage(url);
    ASSERT_FALSE(code.isNull());
    EXPECT_EQ(code.pixel(0, 0), qRgb(255, 255, 255)); // the quiet zone

    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("code.png"));
    ASSERT_TRUE(
        code.scaled(code.size() * 6, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(file));
    QProcess zbarimg;
    zbarimg.start(reader, {QStringLiteral("--raw"), QStringLiteral("-q"), file});
    ASSERT_TRUE(zbarimg.waitForFinished(30000));
    EXPECT_EQ(zbarimg.readAllStandardOutput().trimmed(), url);
}

} // namespace
