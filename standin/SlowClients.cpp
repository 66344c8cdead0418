#include "standin/SlowClients.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace tvp::standin {

namespace {

// The address of a socket address in one form for v4 and v4-mapped v6, so civetweb's text and
// the kernel's address compare equal.
struct Endpoint {
    int family = 0;
    unsigned char bytes[16] = {};
    int port = -1;
    bool operator==(const Endpoint& o) const
    {
        return family == o.family && port == o.port && std::memcmp(bytes, o.bytes, 16) == 0;
    }
};

Endpoint endpointOf(const sockaddr_storage& a)
{
    Endpoint e;
    if (a.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(a);
        e.family = AF_INET;
        std::memcpy(e.bytes, &v4.sin_addr, 4);
        e.port = ntohs(v4.sin_port);
    } else if (a.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(a);
        e.port = ntohs(v6.sin6_port);
        if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr)) {
            e.family = AF_INET;
            std::memcpy(e.bytes, v6.sin6_addr.s6_addr + 12, 4);
        } else {
            e.family = AF_INET6;
            std::memcpy(e.bytes, &v6.sin6_addr, 16);
        }
    }
    return e;
}

Endpoint endpointOf(const std::string& address, int port)
{
    Endpoint e;
    e.port = port;
    in_addr v4{};
    in6_addr v6{};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
        e.family = AF_INET;
        std::memcpy(e.bytes, &v4, 4);
    } else if (inet_pton(AF_INET6, address.c_str(), &v6) == 1) {
        if (IN6_IS_ADDR_V4MAPPED(&v6)) {
            e.family = AF_INET;
            std::memcpy(e.bytes, v6.s6_addr + 12, 4);
        } else {
            e.family = AF_INET6;
            std::memcpy(e.bytes, &v6, 16);
        }
    }
    return e;
}

} // namespace

int findConnectedSocket(const std::string& peerAddress, int peerPort, int localPort)
{
    const Endpoint peer = endpointOf(peerAddress, peerPort);
    if (peer.family == 0)
        return -1;
    // civetweb keeps the socket to itself; the connection's two ends name it.
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int found = -1;
    while (const dirent* d = readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(d->d_name, &end, 10);
        if (end == d->d_name || *end != '\0' || fd == dirfd(dir))
            continue;
        sockaddr_storage local{}, remote{};
        socklen_t localLen = sizeof local, remoteLen = sizeof remote;
        if (getsockname(int(fd), reinterpret_cast<sockaddr*>(&local), &localLen) != 0 ||
            endpointOf(local).port != localPort)
            continue;
        if (getpeername(int(fd), reinterpret_cast<sockaddr*>(&remote), &remoteLen) != 0 ||
            !(endpointOf(remote) == peer))
            continue;
        found = int(fd);
        break;
    }
    closedir(dir);
    return found;
}

SlowClients::SlowClients(std::chrono::milliseconds grace, std::size_t minBytesPerSecond)
    : grace_(grace), minBytesPerSecond_(std::max<std::size_t>(1, minBytesPerSecond)), watchdog_([this] { watchdog(); })
{
}

SlowClients::~SlowClients()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    watchdog_.join();
}

SlowClients::Watch SlowClients::watch(const std::string& peerAddress, int peerPort, int localPort, Phase phase)
{
    std::lock_guard lock(mutex_);
    entries_.emplace_front();
    Entry& e = entries_.front();
    e.peerAddress = peerAddress;
    e.peerPort = peerPort;
    e.localPort = localPort;
    e.phase = phase;
    e.start = std::chrono::steady_clock::now();
    e.lastMove = e.start.time_since_epoch().count();
    return Watch(this, entries_.begin());
}

bool SlowClients::tooSlow(const Entry& e, std::chrono::steady_clock::time_point now) const
{
    using namespace std::chrono;
    const auto allowed = grace_ + milliseconds(e.moved.load() * 1000 / minBytesPerSecond_);
    const steady_clock::time_point lastMove{steady_clock::duration(e.lastMove.load())};
    return now - e.start > allowed || now - lastMove > grace_;
}

void SlowClients::watchdog()
{
    using namespace std::chrono;
    const auto period = std::clamp<milliseconds>(grace_ / 8, milliseconds(20), milliseconds(250));
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, period, [this] { return stopping_; })) {
        const auto now = steady_clock::now();
        for (Entry& e : entries_) {
            if (e.cut || !tooSlow(e, now))
                continue;
            e.cut = true;
            // A cut read side ends the worker's read at once and leaves room for a short answer.
            const int fd = findConnectedSocket(e.peerAddress, e.peerPort, e.localPort);
            if (fd >= 0)
                shutdown(fd, e.phase == Phase::Reading ? SHUT_RD : SHUT_RDWR);
        }
    }
}

SlowClients::Watch::Watch(Watch&& other) noexcept : owner_(std::exchange(other.owner_, nullptr)), entry_(other.entry_)
{
}

SlowClients::Watch& SlowClients::Watch::operator=(Watch&& other) noexcept
{
    if (this != &other) {
        end();
        owner_ = std::exchange(other.owner_, nullptr);
        entry_ = other.entry_;
    }
    return *this;
}

SlowClients::Watch::~Watch()
{
    end();
}

void SlowClients::Watch::end()
{
    if (!owner_)
        return;
    std::lock_guard lock(owner_->mutex_);
    owner_->entries_.erase(entry_);
    owner_ = nullptr;
}

void SlowClients::Watch::moved(std::size_t bytes)
{
    if (!owner_)
        return;
    entry_->moved += bytes;
    entry_->lastMove = std::chrono::steady_clock::now().time_since_epoch().count();
}

bool SlowClients::Watch::cut() const
{
    return owner_ && entry_->cut;
}

} // namespace tvp::standin
