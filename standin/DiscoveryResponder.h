#pragma once
// Answers the client's discovery datagram like the real server: each datagram that is exactly
// "TrivantaPentrel_Server_Discovery" gets "TrivantaPentrel_Server_Hello:http#<http port>" back
// to the sender's address on the reply port. Runs on a thread of its own until destroyed.

#include <string>
#include <thread>

namespace tvp::standin {

class DiscoveryResponder {
public:
    // Binds UDP on bindAddress and port (0 picks a free one); throws std::runtime_error when that
    // fails. Only "0.0.0.0" hears a directed broadcast such as 127.255.255.255: a socket bound
    // to one address gets only datagrams sent to exactly that address.
    DiscoveryResponder(const std::string& bindAddress, int port, int replyPort, int httpPort);
    ~DiscoveryResponder();
    DiscoveryResponder(const DiscoveryResponder&) = delete;
    DiscoveryResponder& operator=(const DiscoveryResponder&) = delete;

    int port() const { return port_; }

private:
    void run();

    int socket_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    int port_ = 0;
    int replyPort_;
    std::string hello_;
    std::thread thread_; // last: starts once everything it uses is set
};

} // namespace tvp::standin
