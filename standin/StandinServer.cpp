#include "standin/StandinServer.h"

#include "standin/MakerService.h"
#include "standin/WebClient.h"

#include <civetweb.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace tvp::standin {

namespace {

constexpr std::string_view kServicesPath = "/TrivantaPentrel/services";
// How a large request is read until its SOAP header is in.
constexpr std::size_t kHeaderStep = 512;
constexpr std::size_t kHeaderLimit = 64 << 10;
// Answers go out in pieces, so the slow-client watch sees them move.
constexpr std::size_t kAnswerStep = 64 << 10;

int sendText(mg_connection* conn, int status, const char* reason, std::string_view contentType, const std::string& body,
             SlowClients::Watch* watch = nullptr)
{
    mg_printf(conn, "HTTP/1.1 %d %s\r\nContent-Type: %.*s\r\nContent-Length: %zu\r\nConnection: close\r\n\r\n", status,
              reason, int(contentType.size()), contentType.data(), body.size());
    for (std::size_t at = 0; at < body.size();) {
        const std::size_t n = std::min(kAnswerStep, body.size() - at);
        if (mg_write(conn, body.data() + at, n) <= 0)
            break; // gone or cut
        at += n;
        if (watch)
            watch->moved(n);
    }
    return status;
}

int tooLarge(mg_connection* conn)
{
    return sendText(conn, 413, "Payload Too Large", "text/plain; charset=utf-8", "Anfrage zu groß\n");
}

int logMessage(const mg_connection*, const char* message)
{
    std::fprintf(stderr, "%s\n", message);
    return 1;
}

const StandinOptions& prepared(const StandinOptions& options)
{
    prepareDatabase(options.dataFile);
    return options;
}

// Opens and drops one connection to the server's own port.
void knock(const std::string& address, int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(std::uint16_t(port));
    if (inet_pton(AF_INET, address == "0.0.0.0" ? "127.0.0.1" : address.c_str(), &a.sin_addr) != 1)
        return;
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return;
    connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    close(s);
}

} // namespace

void StandinServer::StopHttp::operator()(mg_context* ctx) const
{
    mg_stop(ctx);
}

StandinServer::StandinServer(StandinOptions options)
    : options_(prepared(options)),
      connections_(options_.dataFile),
      transactions_(connections_, options_),
      dispatcher_(options_, connections_, transactions_),
      slowClients_(options_.requestTimeout, options_.minUploadBytesPerSecond),
      answerDelayMs_(int(options_.answerDelay.count()))
{
    static std::once_flag initOnce;
    std::call_once(initOnce, [] { mg_init_library(0); });

    const std::string ports = options_.bindAddress + ":" + std::to_string(options_.port);
    const std::string threads = std::to_string(options_.threads);
    // civetweb cuts a request whose header is not in within this time; SlowClients does the body.
    const std::string requestTimeout = std::to_string(options_.requestTimeout.count());
    dispatcher_.setNotifications(&notifications_);
    const char* config[] = {"listening_ports",    ports.c_str(),          "num_threads", threads.c_str(),
                            "request_timeout_ms", requestTimeout.c_str(), nullptr};
    mg_callbacks callbacks{};
    callbacks.log_message = &logMessage;
    mg_init_data init{&callbacks, this, config};
    char errorText[256] = {};
    unsigned errorCode = 0;
    mg_error_data error{&errorCode, errorText, sizeof errorText};
    http_.reset(mg_start2(&init, &error));
    if (!http_)
        throw std::runtime_error("HTTP-Server konnte nicht auf " + ports + " starten: " + errorText);
    mg_set_request_handler(http_.get(), std::string(kServicesPath).c_str(), &StandinServer::onService, this);
    registerMakerService(http_.get(), options_.maker);
    registerWebClient(http_.get());
    notifications_.attach(http_.get());
}

StandinServer::~StandinServer()
{
    holdAnswers(false);
    // civetweb's accept loop sees the stop only after a poll of up to two seconds; a connection
    // to the port ends that wait at once.
    std::atomic<bool> stopped = false;
    std::thread knocker([&, port = port()] {
        while (!stopped) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            knock(options_.bindAddress, port);
        }
    });
    http_.reset();
    stopped = true;
    knocker.join();
}

int StandinServer::port() const
{
    mg_server_port ports[4] = {};
    const int n = mg_get_server_ports(http_.get(), 4, ports);
    return n > 0 ? ports[0].port : 0;
}

int StandinServer::onService(mg_connection* conn, void* self)
{
    // Nothing may unwind through civetweb's C frames.
    try {
        return static_cast<StandinServer*>(self)->serve(conn);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tvp-standin: %s\n", e.what());
    } catch (...) {
    }
    return sendText(conn, 500, "Internal Server Error", "text/plain; charset=utf-8", "Interner Fehler\n");
}

int StandinServer::serve(mg_connection* conn)
{
    const mg_request_info* info = mg_get_request_info(conn);
    std::string_view path(info->local_uri);
    path.remove_prefix(std::min(path.size(), kServicesPath.size()));
    while (!path.empty() && path.front() == '/')
        path.remove_prefix(1);
    while (!path.empty() && path.back() == '/')
        path.remove_suffix(1);
    const std::optional<proto::TTVPWebServices> service = serviceFromName(path);
    if (!service)
        return sendText(conn, 404, "Not Found", "text/plain; charset=utf-8", "Unbekannter Dienst\n");
    if (std::string_view(info->request_method) != "POST")
        return sendText(conn, 405, "Method Not Allowed", "text/plain; charset=utf-8", "Nur POST\n");
    const long long maxBytes = options_.maxRequestBytes;
    if (info->content_length > maxBytes)
        return tooLarge(conn);

    std::string body;
    // A request still arriving holds its transaction from the moment its header is in, so a slow
    // upload never finds it swept as idle. mg_read waits until its buffer is full, so a body
    // larger than one buffer is read in small steps until its header has been seen.
    Transactions::Hold arriving;
    SlowClients::Watch reading =
        slowClients_.watch(info->remote_addr, info->remote_port, info->server_port, SlowClients::Phase::Reading);
    char buf[16384];
    bool peeking = info->content_length < 0 || info->content_length > static_cast<long long>(sizeof buf);
    for (int n; (n = mg_read(conn, buf, peeking ? kHeaderStep : sizeof buf)) > 0;) {
        reading.moved(std::size_t(n));
        body.append(buf, std::size_t(n));
        if (static_cast<long long>(body.size()) > maxBytes)
            return tooLarge(conn);
        if (!peeking)
            continue;
        if (const std::optional<proto::RequestHeader> h = headerOfPartialRequest(body)) {
            arriving = transactions_.hold(h->transactionId, h->sessionId);
            peeking = false;
        } else if (body.size() > kHeaderLimit) {
            peeking = false; // no header of ours is that long; the dispatcher will say what is wrong
        }
    }
    if (reading.cut())
        return sendText(conn, 408, "Request Timeout", "text/plain; charset=utf-8",
                        "Die Anfrage kam nicht schnell genug an.\n");
    // A client that went away mid-request gets no answer: none would reach it.
    if (info->content_length >= 0 && static_cast<long long>(body.size()) < info->content_length)
        return 400;
    reading = {};

    // Before the work, so a slowed answer also holds its transaction's locks the longer.
    if (const int delay = answerDelayMs_; delay > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    {
        std::unique_lock lock(holdMutex_);
        if (holding_) {
            const std::uint64_t turn = heldArrived_++;
            released_.wait(lock, [this, turn] { return turn < heldLetGo_; });
        }
    }
    const SoapAnswer answer = dispatcher_.handle(*service, body);
    SlowClients::Watch answering =
        slowClients_.watch(info->remote_addr, info->remote_port, info->server_port, SlowClients::Phase::Answering);
    return sendText(conn, answer.status, answer.status == 200 ? "OK" : "Internal Server Error",
                    "text/xml; charset=utf-8", answer.body, &answering);
}

void StandinServer::holdAnswers(bool hold)
{
    {
        const std::lock_guard lock(holdMutex_);
        holding_ = hold;
        if (!hold)
            heldLetGo_ = heldArrived_;
    }
    released_.notify_all();
}

void StandinServer::releaseOneAnswer()
{
    {
        const std::lock_guard lock(holdMutex_);
        if (heldLetGo_ < heldArrived_)
            ++heldLetGo_;
    }
    released_.notify_all();
}

int StandinServer::heldRequests() const
{
    const std::lock_guard lock(holdMutex_);
    return int(heldArrived_ - heldLetGo_);
}

} // namespace tvp::standin
