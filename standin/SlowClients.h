#pragma once
// Cuts connections whose request body or answer does not move on. civetweb limits the time for a
// request's header, but a body that trickles in (one byte every few seconds) would hold a worker
// thread for as long as the client likes. While a Watch lives, its connection must have moved
// `bytes` within grace + bytes / minBytesPerSecond of the watch's start, and must not stand still
// for longer than grace; otherwise the watchdog shuts the socket down, which ends the worker's
// blocked read or write at once.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tvp::standin {

class SlowClients {
    struct Entry;

public:
    SlowClients(std::chrono::milliseconds grace, std::size_t minBytesPerSecond);
    ~SlowClients();
    SlowClients(const SlowClients&) = delete;
    SlowClients& operator=(const SlowClients&) = delete;

    // What the watchdog does to a connection that is too slow.
    enum class Phase { Reading, Answering };

    class Watch {
    public:
        Watch() = default;
        Watch(Watch&& other) noexcept;
        Watch& operator=(Watch&& other) noexcept;
        ~Watch();
        // Counts bytes that have moved.
        void moved(std::size_t bytes);
        // True once the watchdog has cut the connection.
        bool cut() const;

    private:
        friend class SlowClients;
        Watch(SlowClients* owner, std::list<Entry>::iterator entry) : owner_(owner), entry_(entry) {}
        void end();
        SlowClients* owner_ = nullptr;
        std::list<Entry>::iterator entry_;
    };

    // Watches the TCP connection from peerAddress:peerPort to the server's localPort.
    Watch watch(const std::string& peerAddress, int peerPort, int localPort, Phase phase);

private:
    struct Entry {
        std::string peerAddress;
        int peerPort;
        int localPort;
        Phase phase;
        std::chrono::steady_clock::time_point start;
        std::atomic<std::size_t> moved{0};
        std::atomic<std::chrono::steady_clock::rep> lastMove{0}; // steady_clock ticks
        std::atomic<bool> cut{false};
    };
    void watchdog();
    bool tooSlow(const Entry& e, std::chrono::steady_clock::time_point now) const;

    const std::chrono::milliseconds grace_;
    const std::size_t minBytesPerSecond_;
    std::mutex mutex_; // held while cutting, so a connection is never cut after its watch ended
    std::list<Entry> entries_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread watchdog_;
};

// The socket of this process connected from peerAddress:peerPort to localPort, or -1.
int findConnectedSocket(const std::string& peerAddress, int peerPort, int localPort);

} // namespace tvp::standin
