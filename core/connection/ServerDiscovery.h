#pragma once
// Finds competition servers on the local network while the competition chooser is open: a
// discovery text goes to the directed broadcast address of every local interface, servers answer
// with a hello naming scheme and port, and each new address is reported once.

#include "core/connection/USock.h"

#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QUdpSocket>

#include <functional>
#include <optional>

namespace tvp {

inline constexpr char kDiscoveryText[] = "TrivantaPentrel_Server_Discovery";
inline constexpr char kHelloPrefix[] = "TrivantaPentrel_Server_Hello:";
inline constexpr quint16 kDiscoveryPort = 10802;
inline constexpr quint16 kHelloPort = 10803;
inline constexpr int kMaxDatagramBytes = 1024;
// At most this many found servers are kept, the first ones: one host answering on every port must
// not flood the chooser.
inline constexpr int kMaxFoundServers = 64;

// The server address of a hello datagram (Latin-1 text, read up to the first zero byte):
// prefix + scheme + "#" + port gives scheme://sender:port. Only "http"/"https" and a port
// 1-65535 of digits alone are taken; anything else is no hello.
std::optional<QString> parseServerHello(const QByteArray& datagram, const QHostAddress& sender);

// Ports, timing and interfaces: tests shorten and redirect them, the program keeps the defaults.
struct TServerDiscoveryConfig {
    quint16 discoveryPort = kDiscoveryPort;
    quint16 listenPort = kHelloPort; // 0 picks a free port
    QHostAddress listenAddress = QHostAddress(QHostAddress::AnyIPv4);
    int firstTickMs = 700;
    int tickMs = 5000;
    // With TVP_DISCOVERY_INTERFACES=none in the environment the real interfaces are not used.
    std::function<std::vector<tNetworkInterface>()> interfaces = GetNetworkInterfaces;
};

class TServerDiscovery : public QObject {
    Q_OBJECT
public:
    using Config = TServerDiscoveryConfig;

    explicit TServerDiscovery(QObject* parent = nullptr);
    explicit TServerDiscovery(Config config, QObject* parent = nullptr);
    ~TServerDiscovery() override;

    // Switches the listener on (a failure is logged, sending goes on), runs a pass at once and
    // starts the timer. Calling it while active starts over.
    void start();
    void stop();
    bool isActive() const { return active_; }
    bool isListening() const;
    quint16 listenPort() const;

    // One discovery datagram to every interface; failed sends are skipped.
    void runPass();

    // Every address reported so far, in the order found, at most kMaxFoundServers; kept across
    // stop and start.
    const QStringList& foundServers() const { return found_; }

signals:
    void serverFound(const QString& address);
    // At the end of every tick at the regular interval (the first at 700 + 5000 ms); the chooser
    // shows its welcome hint on one while the user has not touched it.
    void longTick();

private:
    void onTick();
    void onReadyRead();

    Config config_;
    QUdpSocket sender_;
    QUdpSocket listener_;
    QTimer timer_;
    bool active_ = false;
    bool firstTick_ = true;
    QStringList found_;
};

} // namespace tvp
