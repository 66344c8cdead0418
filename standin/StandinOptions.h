#pragma once
// Command-line settings of the stand-in server.

#include "standin/MakerService.h"
#include "core/protocol/ProgrammInfoService.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace tvp::standin {

struct StandinOptions {
    int port = 8080; // 0 picks a free port (tests)
    std::string bindAddress = "127.0.0.1";
    std::string dataFile = "standin.db";
    proto::GenericTvpVersion version{1, 0, 0};
    proto::CompatibilityInformation compatibility = proto::CompatibilityInformation::FULL;
    // Worker threads of the HTTP server; one serves one request at a time.
    int threads = 256;
    // Transactions without a request for this long are rolled back. Short, because an abandoned
    // writer holds up the writes of every other client until then; shorter still for read-only
    // ones, which a client ends right after its last read and which each hold a connection.
    std::chrono::milliseconds txIdle = std::chrono::seconds(20);
    std::chrono::milliseconds txIdleReadOnly = std::chrono::seconds(5);
    // Open transactions in total and per session; beyond them a begin is refused.
    int maxTransactions = 128;
    int maxTransactionsPerSession = 8;
    // How long a writer waits for the write lock before it is refused ("Server ausgelastet"); well
    // below the client's 35 s channel wait.
    std::chrono::milliseconds writeWait = std::chrono::seconds(10);
    // Sessions remembered; beyond them the least recently used without open transaction is forgotten.
    std::size_t maxSessions = 10000;
    // A request's header must be in within this time, and its body must then keep coming at
    // minUploadBytesPerSecond after that long again; the same holds for a client reading its answer.
    std::chrono::milliseconds requestTimeout = std::chrono::seconds(10);
    std::size_t minUploadBytesPerSecond = 64 * 1024;
    long long maxRequestBytes = 256LL << 20;
    // Answer the client's UDP server discovery (off unless asked for).
    bool discovery = false;
    // All interfaces: a socket bound to 127.0.0.1 misses the loopback broadcast 127.255.255.255
    // that a client on this computer sends to.
    std::string discoveryBindAddress = "0.0.0.0";
    int discoveryPort = 10802;      // 0 picks a free port (tests)
    int discoveryReplyPort = 10803; // where the client listens
    MakerOptions maker;
    // Every SOAP request is answered this much later, to try the client against a slow server.
    std::chrono::milliseconds answerDelay{0};

    // Worker threads that may wait at once (for the write lock or a busy transaction); the rest
    // stay free for requests that do not wait, the lock holder's among them.
    int maxWaiting() const { return threads - std::max(2, threads / 8); }
};

// Reads the arguments after the program name; throws std::invalid_argument naming the bad one.
StandinOptions parseOptions(const std::vector<std::string>& args);

extern const char* const kUsage;

} // namespace tvp::standin
