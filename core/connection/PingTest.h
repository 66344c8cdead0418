#pragma once
// A quick TCP reachability test of a server address before the chooser talks to it.

#include <QString>

#include <atomic>

namespace tvp {

struct PingTimeouts {
    static inline std::atomic<int> startDelayMs{10};
    static inline std::atomic<int> checkIntervalMs{500};
    static inline std::atomic<int> checks{3};
};

// Blocks the calling thread for at most checks * checkIntervalMs. Port 80 when the address has none.
bool fastPingTest(const QString& address);

} // namespace tvp
