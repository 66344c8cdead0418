#include "core/connection/PingTest.h"

#include <QUrl>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tvp {

namespace {

using Clock = std::chrono::steady_clock;

// One per ping, shared with its thread only: an older ping that connects late writes to its own
// state, which nobody reads any more, so it can never make a newer ping succeed. The thread's
// copy keeps it alive after the caller has given up.
struct PingState {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    bool reachable = false;
};

// Plain sockets only: the thread may still run while the application and its Qt objects go away.
bool tcpConnects(const std::string& host, const std::string& port, Clock::time_point deadline)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    if (host.empty() || ::getaddrinfo(host.c_str(), port.c_str(), &hints, &addresses) != 0)
        return false;

    // All addresses at once, so one that swallows packets does not use up the time of the others.
    std::vector<pollfd> attempts;
    bool connected = false;
    for (const addrinfo* a = addresses; a && !connected; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0)
            continue;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0)
            connected = true;
        else if (errno != EINPROGRESS) {
            ::close(fd);
            continue;
        }
        attempts.push_back({fd, POLLOUT, 0});
    }
    ::freeaddrinfo(addresses);

    while (!connected && !attempts.empty()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        if (::poll(attempts.data(), attempts.size(), int(left)) < 0 && errno != EINTR)
            break;
        for (auto it = attempts.begin(); it != attempts.end();) {
            if (it->revents == 0) {
                ++it;
                continue;
            }
            int error = 0;
            socklen_t length = sizeof error;
            if (::getsockopt(it->fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0)
                connected = true;
            ::close(it->fd);
            it = attempts.erase(it);
        }
    }
    for (const pollfd& attempt : attempts)
        ::close(attempt.fd);
    return connected;
}

} // namespace

bool fastPingTest(const QString& address)
{
    const QUrl url(address.contains(QLatin1String("://")) ? address : QStringLiteral("http://") + address);
    // Encoded, so a name with umlauts reaches the resolver in its ASCII form.
    const std::string host = url.host(QUrl::FullyEncoded).toStdString();
    const std::string port = std::to_string(url.port(80));
    std::this_thread::sleep_for(std::chrono::milliseconds(PingTimeouts::startDelayMs.load()));
    const int patienceMs = PingTimeouts::checks.load() * PingTimeouts::checkIntervalMs.load();
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(patienceMs);

    // A thread of its own because name lookup cannot be given a timeout; it ends on its own
    // once the lookup returns, at the latest at the deadline after that.
    auto state = std::make_shared<PingState>();
    std::thread([state, host, port, deadline] {
        const bool reachable = tcpConnects(host, port, deadline);
        const std::lock_guard lock(state->mutex);
        state->done = true;
        state->reachable = reachable;
        state->changed.notify_all();
    }).detach();

    std::unique_lock lock(state->mutex);
    state->changed.wait_until(lock, deadline, [&] { return state->done; });
    return state->reachable;
}

} // namespace tvp
