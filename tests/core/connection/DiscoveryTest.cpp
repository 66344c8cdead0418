// Server discovery against the stand-in's responder. Everything stays on loopback: the interface
// list is injected and names 127.0.0.1 only.

#include "DiscoveryResponder.h"
#include "ServerDiscovery.h"
#include "StandinOptions.h"
#include "TestUtil.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <gtest/gtest.h>

using namespace tvp;
using tvp::test::waitUntil;

namespace {

TEST(NetworkAddresses, DottedTextAndDirectedBroadcast)
{
    EXPECT_EQ(getV4AddressFromString(QStringLiteral("192.168.1.10")), 0xC0A8010Au);
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1.2.3.256", "1.2..4", "1.2.3.-4", "1.2.3.4 ", "1.2.3.0x4"})
        EXPECT_EQ(getV4AddressFromString(QString::fromLatin1(bad)), 0u) << bad;

    const auto broadcast = [](const char* ip, const char* mask) {
        return calcBroadcastAddress(QString::fromLatin1(ip), QString::fromLatin1(mask)).toStdString();
    };
    EXPECT_EQ(broadcast("10.1.2.3", "255.255.240.0"), "10.1.15.255");
    EXPECT_EQ(broadcast("127.0.0.1", "255.255.255.255"), "127.0.0.1");
    EXPECT_EQ(broadcast("192.168.1.10", "255.255.0"), "255.255.255.255") << "a malformed mask goes to everyone";
    EXPECT_EQ(broadcast("kaputt", "255.255.255.0"), "255.255.255.255");
}

TEST(ServerHello, OnlyWellFormedHellosGiveAnAddress)
{
    const QHostAddress sender(QStringLiteral("10.0.0.7"));
    const auto parse = [&](const QByteArray& d) { return parseServerHello(d, sender).value_or("-").toStdString(); };
    EXPECT_EQ(parse("TrivantaPentrel_Server_Hello:https#8443"), "https://10.0.0.7:8443");
    EXPECT_EQ(parse("TrivantaPentrel_Server_Hello:HTTP#65535"), "http://10.0.0.7:65535");
    EXPECT_EQ(parse(QByteArray("TrivantaPentrel_Server_Hello:http#1\0junk", 40)), "http://10.0.0.7:1");
    for (const char* bad : {"TrivantaPentrel_Server_Hello:http8080", "TrivantaPentrel_Server_Hello:ftp#21",
                            "TrivantaPentrel_Server_Hello:#8080", "TrivantaPentrel_Server_Hello:http#0",
                            "TrivantaPentrel_Server_Hello:http#70000", "TrivantaPentrel_Server_Hello:http#80x",
                            "TrivantaPentrel_Server_Hello:http#", "TrivantaPentrel_Server_Hello:http#8080#x",
                            "TrivantaPentrel_Server_Discovery", "Hello:http#8080"})
        EXPECT_EQ(parse(bad), "-") << bad;
}

quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

tNetworkInterface loopback(const char* mask)
{
    tNetworkInterface i;
    i.AddrIP = QStringLiteral("127.0.0.1");
    i.SubnetMask = QString::fromLatin1(mask);
    return i;
}

// Our listener and the stand-in's responder, both on loopback ports of their own.
class DiscoveryOnLoopback : public ::testing::Test {
protected:
    TServerDiscovery::Config config(std::vector<tNetworkInterface> interfaces, int firstTickMs = 20, int tickMs = 60)
    {
        TServerDiscovery::Config c;
        c.discoveryPort = quint16(responder.port());
        c.listenPort = listenPort;
        c.listenAddress = QHostAddress(QHostAddress::LocalHost);
        c.firstTickMs = firstTickMs;
        c.tickMs = tickMs;
        c.interfaces = [interfaces] { return interfaces; };
        return c;
    }

    quint16 listenPort = freeUdpPort();
    standin::DiscoveryResponder responder{"127.0.0.1", 0, listenPort, 8123};
};

TEST_F(DiscoveryOnLoopback, StandinIsFoundOnceOverSeveralPasses)
{
    // A 255.255.255.255 mask sends straight to 127.0.0.1; 255.0.0.0 gives loopback's own
    // broadcast 127.255.255.255, which a responder bound to 127.0.0.1 does not hear.
    TServerDiscovery discovery(config({loopback("255.0.0.0"), loopback("255.255.255.255")}));
    QStringList found;
    int longTicks = 0;
    QObject::connect(&discovery, &TServerDiscovery::serverFound, [&](const QString& a) { found << a; });
    QObject::connect(&discovery, &TServerDiscovery::longTick, [&] { ++longTicks; });
    discovery.start();
    ASSERT_TRUE(discovery.isListening());
    ASSERT_TRUE(waitUntil([&] { return longTicks >= 2; }));
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(found, QStringList{QStringLiteral("http://127.0.0.1:8123")});

    discovery.stop();
    standin::DiscoveryResponder other("127.0.0.1", 0, listenPort, 9000);
    auto c = config({loopback("255.255.255.255")});
    c.discoveryPort = quint16(other.port());
    TServerDiscovery(c).runPass();
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(found.size(), 1) << "a stopped discovery takes no answers";
}

TEST_F(DiscoveryOnLoopback, ABusyListenerPortStillLetsThePassGoOut)
{
    QUdpSocket otherInstance;
    ASSERT_TRUE(otherInstance.bind(QHostAddress::LocalHost, listenPort, QAbstractSocket::DontShareAddress));
    TServerDiscovery discovery(config({loopback("255.255.255.255")}));
    discovery.start();
    EXPECT_FALSE(discovery.isListening());
    ASSERT_TRUE(waitUntil([&] { return otherInstance.hasPendingDatagrams(); }));
    EXPECT_EQ(otherInstance.receiveDatagram().data(), QByteArray("TrivantaPentrel_Server_Hello:http#8123"));
}

TEST_F(DiscoveryOnLoopback, TheFirstLongTickComesAfterTheShortOne)
{
    TServerDiscovery discovery(config({}, 10, 300));
    int longTicks = 0;
    QObject::connect(&discovery, &TServerDiscovery::longTick, [&] { ++longTicks; });
    QElapsedTimer clock;
    clock.start();
    discovery.start();
    ASSERT_TRUE(waitUntil([&] { return longTicks == 1; }));
    EXPECT_GE(clock.elapsed(), 250);
}

TEST(StandinDiscoveryOption, OffUnlessAskedFor)
{
    EXPECT_FALSE(standin::parseOptions({}).discovery);
    const auto o = standin::parseOptions({"--discovery", "--port", "9000", "--discovery-reply-port", "4000"});
    EXPECT_TRUE(o.discovery);
    EXPECT_EQ(o.port, 9000);
    EXPECT_EQ(o.discoveryReplyPort, 4000);
}

} // namespace
