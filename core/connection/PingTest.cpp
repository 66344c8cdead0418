#include "PingTest.h"

#include <QTcpSocket>
#include <QUrl>

#include <chrono>
#include <thread>

namespace tvp {

namespace {
// Only the latest ping may report success; an older one that connects late must not.
std::atomic<unsigned> latestPing{0};
std::atomic<bool> pingSucceeded{false};
} // namespace

bool fastPingTest(const QString& address)
{
    const QUrl url(address.contains(QLatin1String("://")) ? address : QStringLiteral("http://") + address);
    const QString host = url.host();
    const int port = url.port(80);
    std::this_thread::sleep_for(std::chrono::milliseconds(PingTimeouts::startDelayMs.load()));
    pingSucceeded = false;
    const unsigned me = ++latestPing;
    const int patienceMs = PingTimeouts::checks.load() * PingTimeouts::checkIntervalMs.load();
    std::thread([host, port, me, patienceMs] {
        try {
            QTcpSocket socket;
            socket.connectToHost(host, quint16(port));
            if (socket.waitForConnected(patienceMs + 1000) && latestPing == me)
                pingSucceeded = true;
            socket.abort();
        } catch (...) {
        }
    }).detach();
    // Look often rather than every half second: a reachable server should not cost a wait.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMs);
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (pingSucceeded)
            return true;
    }
    ++latestPing; // the running thread is no longer the latest
    return false;
}

} // namespace tvp
