#pragma once
// Command-line settings of the stand-in server.

#include "standin/MakerService.h"
#include "core/protocol/ProgrammInfoService.h"

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
    // Transactions without a request for this long are rolled back. Short, because an abandoned
    // writer holds up the writes of every other client until then.
    std::chrono::milliseconds txIdle = std::chrono::seconds(20);
    // Answer the client's UDP server discovery (off unless asked for).
    bool discovery = false;
    // All interfaces: a socket bound to 127.0.0.1 misses the loopback broadcast 127.255.255.255
    // that a client on this computer sends to.
    std::string discoveryBindAddress = "0.0.0.0";
    int discoveryPort = 10802;      // 0 picks a free port (tests)
    int discoveryReplyPort = 10803; // where the client listens
    MakerOptions maker;
};

// Reads the arguments after the program name; throws std::invalid_argument naming the bad one.
StandinOptions parseOptions(const std::vector<std::string>& args);

extern const char* const kUsage;

} // namespace tvp::standin
