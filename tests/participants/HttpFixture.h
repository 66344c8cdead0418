#pragma once
// A small HTTP server on a free loopback port for tests of HTTP clients: each request is recorded
// (with the login of its basic authorization) and answered by the test's handler.

#include <civetweb.h>

#include <QByteArray>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tvp::test {

struct HttpRequest {
    std::string path;
    std::string query;
    std::string host;
    std::string login; // "user:password" of a basic authorization, empty without one
};

struct HttpReply {
    int status = 200;
    std::string body;
    std::string location; // for redirects
};

class HttpFixture {
public:
    using Handler = std::function<HttpReply(const HttpRequest&)>;

    explicit HttpFixture(Handler handler) : handler_(std::move(handler))
    {
        static std::once_flag init;
        std::call_once(init, [] { mg_init_library(0); });
        const char* options[] = {"listening_ports", "127.0.0.1:0", "num_threads", "16", nullptr};
        mg_callbacks callbacks{};
        callbacks.log_message = [](const mg_connection*, const char*) { return 1; };
        ctx_ = mg_start(&callbacks, this, options);
        if (!ctx_)
            throw std::runtime_error("HTTP fixture did not start");
        mg_set_request_handler(ctx_, "/", &HttpFixture::onRequest, this);
        mg_server_port ports[1] = {};
        if (mg_get_server_ports(ctx_, 1, ports) < 1)
            throw std::runtime_error("HTTP fixture has no port");
        port_ = ports[0].port;
    }

    ~HttpFixture()
    {
        // civetweb notices the stop only after its accept poll; a connection ends that wait.
        std::atomic<bool> stopped = false;
        std::thread knocker([&] {
            while (!stopped) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                knock();
            }
        });
        mg_stop(ctx_);
        stopped = true;
        knocker.join();
    }

    HttpFixture(const HttpFixture&) = delete;
    HttpFixture& operator=(const HttpFixture&) = delete;

    int port() const { return port_; }
    QString url(const QString& path, const QString& host = QStringLiteral("127.0.0.1")) const
    {
        return QStringLiteral("http://%1:%2%3").arg(host).arg(port_).arg(path);
    }
    std::vector<HttpRequest> requests() const
    {
        std::lock_guard guard(mutex_);
        return requests_;
    }

private:
    static int onRequest(mg_connection* conn, void* self)
    {
        auto& fixture = *static_cast<HttpFixture*>(self);
        const mg_request_info* info = mg_get_request_info(conn);
        HttpRequest request;
        request.path = info->local_uri ? info->local_uri : "";
        request.query = info->query_string ? info->query_string : "";
        if (const char* host = mg_get_header(conn, "Host"))
            request.host = host;
        if (const char* auth = mg_get_header(conn, "Authorization")) {
            const std::string value(auth);
            if (value.rfind("Basic ", 0) == 0)
                request.login = QByteArray::fromBase64(QByteArray::fromStdString(value.substr(6))).toStdString();
        }
        {
            std::lock_guard guard(fixture.mutex_);
            fixture.requests_.push_back(request);
        }
        const HttpReply reply = fixture.handler_(request);
        std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " X\r\nContent-Type: text/plain\r\n";
        if (!reply.location.empty())
            head += "Location: " + reply.location + "\r\n";
        if (reply.status == 401)
            head += "WWW-Authenticate: Basic realm=\"LADV\"\r\n";
        head += "Content-Length: " + std::to_string(reply.body.size()) + "\r\nConnection: close\r\n\r\n";
        mg_write(conn, head.data(), head.size());
        mg_write(conn, reply.body.data(), reply.body.size());
        return reply.status;
    }

    void knock() const
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(std::uint16_t(port_));
        inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        if (s < 0)
            return;
        connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
        close(s);
    }

    Handler handler_;
    mg_context* ctx_ = nullptr;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::vector<HttpRequest> requests_;
};

} // namespace tvp::test
