#pragma once
// A loopback port held while the object lives, so no other program can take it in the meantime (as
// it could a port taken from the system and let go): refusing connections (bound, not listening),
// or taking them as another program on the port would.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tvp::test {

class HeldLoopbackPort {
public:
    enum Mode { Refusing, Listening };

    explicit HeldLoopbackPort(Mode mode = Refusing) : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (bind(socket_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            (mode == Refusing || listen(socket_, 8) == 0) &&
            getsockname(socket_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            port_ = ntohs(addr.sin_port);
    }
    ~HeldLoopbackPort()
    {
        if (socket_ >= 0)
            close(socket_);
    }
    HeldLoopbackPort(const HeldLoopbackPort&) = delete;
    HeldLoopbackPort& operator=(const HeldLoopbackPort&) = delete;

    int port() const { return port_; }

private:
    int socket_;
    int port_ = 0;
};

} // namespace tvp::test
