// Server discovery against the stand-in's responder, and the quick reachability test. Everything
// stays on loopback: the interface list is injected and names 127.0.0.1 only.

#include "standin/DiscoveryResponder.h"
#include "core/connection/PingTest.h"
#include "core/connection/ServerDiscovery.h"
#include "standin/StandinOptions.h"
#include "tests/support/TestUtil.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QThread>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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

// Our listener and the stand-in's responder (bound as the stand-in binds it), on ports of their own.
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
    const std::string responderAddress = standin::StandinOptions{}.discoveryBindAddress;
    standin::DiscoveryResponder responder{responderAddress, 0, listenPort, 8123};
};

TEST_F(DiscoveryOnLoopback, TheLoopbackBroadcastReachesTheStandin)
{
    // What a client on this computer sends to; loopback only, never a real interface.
    ASSERT_EQ(calcBroadcastAddress(QStringLiteral("127.0.0.1"), QStringLiteral("255.0.0.0")),
              QStringLiteral("127.255.255.255"));
    TServerDiscovery discovery(config({loopback("255.0.0.0")}));
    QStringList found;
    QObject::connect(&discovery, &TServerDiscovery::serverFound, [&](const QString& a) { found << a; });
    discovery.start();
    ASSERT_TRUE(discovery.isListening());
    ASSERT_TRUE(waitUntil([&] { return !found.isEmpty(); })) << "the responder did not hear the broadcast";
    EXPECT_EQ(found, QStringList{QStringLiteral("http://127.0.0.1:8123")});
}

TEST_F(DiscoveryOnLoopback, StandinIsFoundOnceOverSeveralPasses)
{
    // 255.0.0.0 sends to loopback's broadcast 127.255.255.255, 255.255.255.255 straight to
    // 127.0.0.1: each pass brings two answers from the same server.
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
    standin::DiscoveryResponder other(responderAddress, 0, listenPort, 9000);
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

TEST_F(DiscoveryOnLoopback, AHostAnsweringForEveryPortFillsTheListOnlyUpToItsCap)
{
    TServerDiscovery discovery(config({}, 10000, 10000));
    discovery.start();
    QStringList found;
    QObject::connect(&discovery, &TServerDiscovery::serverFound, [&](const QString& a) { found << a; });
    QUdpSocket flood;
    for (int port = 1; port <= 200; ++port)
        flood.writeDatagram(QByteArray("TrivantaPentrel_Server_Hello:http#") + QByteArray::number(port),
                            QHostAddress::LocalHost, discovery.listenPort());
    ASSERT_TRUE(waitUntil([&] { return found.size() >= kMaxFoundServers; }));
    QThread::msleep(100);
    QCoreApplication::processEvents();
    EXPECT_EQ(found.size(), kMaxFoundServers);
    EXPECT_EQ(discovery.foundServers(), found);
    EXPECT_EQ(found.front(), QStringLiteral("http://127.0.0.1:1")) << "first come, first kept";
    EXPECT_EQ(found.back(), QStringLiteral("http://127.0.0.1:%1").arg(kMaxFoundServers));
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
    const auto d = standin::parseOptions({});
    EXPECT_FALSE(d.discovery);
    EXPECT_EQ(d.discoveryBindAddress, "0.0.0.0") << "only all interfaces hear the loopback broadcast";
    EXPECT_EQ(d.bindAddress, "127.0.0.1") << "the HTTP side stays on loopback";
    const auto o = standin::parseOptions(
        {"--discovery", "--port", "9000", "--discovery-reply-port", "4000", "--discovery-bind", "10.0.0.1"});
    EXPECT_TRUE(o.discovery);
    EXPECT_EQ(o.port, 9000);
    EXPECT_EQ(o.discoveryReplyPort, 4000);
    EXPECT_EQ(o.discoveryBindAddress, "10.0.0.1");
    EXPECT_EQ(o.bindAddress, "127.0.0.1");
    for (const char* bad : {"", "localhost", "1.2.3", "::1"})
        EXPECT_THROW(standin::parseOptions({"--discovery-bind", bad}), std::invalid_argument) << bad;
}

// A long patience, so a test that waits it out shows up in the elapsed time.
class FastPing : public ::testing::Test {
protected:
    void SetUp() override { PingTimeouts::checkIntervalMs = 2000; }
    void TearDown() override { PingTimeouts::checkIntervalMs = 500; }
};

TEST_F(FastPing, AListeningPortIsReachableAtOnce)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(fastPingTest(QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort())));
    EXPECT_TRUE(fastPingTest(QStringLiteral("127.0.0.1:%1").arg(server.serverPort()))) << "no scheme";
    EXPECT_LT(clock.elapsed(), 1500);
}

TEST_F(FastPing, AClosedPortFailsWithoutWaitingOut)
{
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(fastPingTest(QStringLiteral("http://127.0.0.1:%1").arg(port)));
    EXPECT_FALSE(fastPingTest(QStringLiteral("http://:%1").arg(port))) << "no host";
    EXPECT_LT(clock.elapsed(), 1500) << "a refused connection is an answer";
}

TEST_F(FastPing, AHangingConnectGivesUpAtThePatience)
{
    // A loopback listener that never accepts and has room for one waiting connection: once that
    // is taken, the kernel drops further connection requests, so they hang.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &length), 0);
    std::vector<int> fillers;
    for (int i = 0; i < 3; ++i) {
        fillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        ::connect(fillers.back(), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    }
    QThread::msleep(50);

    PingTimeouts::checkIntervalMs = 100;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(fastPingTest(QStringLiteral("127.0.0.1:%1").arg(ntohs(addr.sin_port))));
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_LT(clock.elapsed(), 1500);
    for (int fd : fillers)
        ::close(fd);
    ::close(listener);
}

} // namespace
