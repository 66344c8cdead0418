#include "standin/DiscoveryResponder.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace tvp::standin {

namespace {

constexpr std::string_view kDiscovery = "TrivantaPentrel_Server_Discovery";

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

DiscoveryResponder::DiscoveryResponder(const std::string& bindAddress, int port, int replyPort, int httpPort)
    : replyPort_(replyPort), hello_("TrivantaPentrel_Server_Hello:http#" + std::to_string(httpPort))
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(std::uint16_t(port));
    if (inet_pton(AF_INET, bindAddress.c_str(), &addr.sin_addr) != 1)
        throw std::runtime_error("Ungültige Adresse für die Server-Suche: " + bindAddress);

    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int wake[2] = {-1, -1};
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::pipe2(wake, O_CLOEXEC) != 0) {
        const std::string reason = std::strerror(errno);
        closeFd(socket_);
        throw std::runtime_error("Server-Suche: UDP-Port " + std::to_string(port) + " nicht verfügbar (" + reason +
                                 ")");
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    socklen_t len = sizeof addr;
    ::getsockname(socket_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { run(); });
}

DiscoveryResponder::~DiscoveryResponder()
{
    const char stop = 1;
    [[maybe_unused]] const auto written = ::write(wakeWrite_, &stop, 1);
    thread_.join();
    closeFd(socket_);
    closeFd(wakeRead_);
    closeFd(wakeWrite_);
}

void DiscoveryResponder::run()
{
    pollfd fds[2] = {{socket_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    char buffer[1024];
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        if ((fds[0].revents & POLLIN) == 0)
            continue;
        sockaddr_in sender{};
        socklen_t len = sizeof sender;
        const ssize_t n =
            ::recvfrom(socket_, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sender), &len);
        if (n < 0 || std::string_view(buffer, std::size_t(n)) != kDiscovery || sender.sin_family != AF_INET)
            continue;
        sender.sin_port = htons(std::uint16_t(replyPort_));
        // A lost answer is no harm: the client asks again every few seconds.
        ::sendto(socket_, hello_.data(), hello_.size(), 0, reinterpret_cast<sockaddr*>(&sender), sizeof sender);
    }
}

} // namespace tvp::standin
