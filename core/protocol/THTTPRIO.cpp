#include "core/protocol/THTTPRIO.h"

#include <QCoreApplication>
#include <QLocale>
#include <QThread>

#include <curl/curl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <mutex>

namespace tvp::proto {

namespace {

std::once_flag curlInitOnce;

struct Receiver {
    std::string body;
    std::size_t limit = 0;
    bool tooLarge = false;
    bool outOfMemory = false;
};

// Runs inside libcurl's C frames: nothing may be thrown through them, so a refusal returns 0,
// which ends the transfer with CURLE_WRITE_ERROR.
size_t appendBody(char* data, size_t size, size_t count, void* target) noexcept
{
    auto& r = *static_cast<Receiver*>(target);
    const size_t n = size * count;
    if (n > r.limit - std::min(r.limit, r.body.size())) {
        r.tooLarge = true;
        return 0;
    }
    try {
        r.body.append(data, n);
    } catch (...) {
        r.outOfMemory = true;
        return 0;
    }
    return n;
}

// Keep-alive probes are not enough while data of ours is unacknowledged (a request still going
// out to a machine that went away); TCP_USER_TIMEOUT ends that after the same time.
int tuneSocket(void*, curl_socket_t socket, curlsocktype purpose) noexcept
{
    if (purpose != CURLSOCKTYPE_IPCXN)
        return CURL_SOCKOPT_OK;
    const int probes = wire::kKeepAliveProbes;
    const unsigned userTimeoutMs = static_cast<unsigned>(
        (TransportLimits::keepAliveIdleSeconds.load() + probes * TransportLimits::keepAliveIntervalSeconds.load()) *
        1000);
    // Failures leave the system's defaults, which still end a dead connection, only later.
    setsockopt(socket, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    setsockopt(socket, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
    return CURL_SOCKOPT_OK;
}

QString megabytes(std::size_t bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', bytes % (1024 * 1024) ? 1 : 0);
}

class CurlTransport final : public ISoapTransport {
public:
    HttpAnswer post(const std::string& url, const std::string& soapAction, const std::string& body) override
    {
        return post(url, soapAction, body, 0);
    }

    HttpAnswer post(const std::string& url, const std::string& soapAction, const std::string& body,
                    long totalTimeoutMs) override
    {
        std::call_once(curlInitOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
        if (!curl)
            throw ESoapTransportError(
                QStringLiteral("Verbindung zum Server nicht möglich: HTTP-Bibliothek nicht verfügbar."));
        struct curl_slist* headers = nullptr;
        headers = curl_slist_append(headers, "Content-Type: text/xml; charset=utf-8");
        headers = curl_slist_append(headers, ("SOAPAction: \"" + soapAction + "\"").c_str());
        headers = curl_slist_append(headers, "Expect:");
        std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerGuard(headers, &curl_slist_free_all);

        Receiver receiver;
        receiver.limit = TransportLimits::maxAnswerBytes.load();
        char errorText[CURL_ERROR_SIZE] = {};
        CURL* c = curl.get();
        curl_easy_setopt(c, CURLOPT_URL, url.c_str());
        curl_easy_setopt(c, CURLOPT_POST, 1L);
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &appendBody);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &receiver);
        // An announced length above the limit is refused before anything is read.
        curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(receiver.limit));
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, wire::kConnectTimeoutSeconds);
        curl_easy_setopt(c, CURLOPT_TCP_KEEPALIVE, 1L);
        curl_easy_setopt(c, CURLOPT_TCP_KEEPIDLE, TransportLimits::keepAliveIdleSeconds.load());
        curl_easy_setopt(c, CURLOPT_TCP_KEEPINTVL, TransportLimits::keepAliveIntervalSeconds.load());
        curl_easy_setopt(c, CURLOPT_SOCKOPTFUNCTION, &tuneSocket);
        curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
        if (totalTimeoutMs > 0)
            curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, totalTimeoutMs);
        const CURLcode rc = curl_easy_perform(c);
        if (receiver.tooLarge || rc == CURLE_FILESIZE_EXCEEDED)
            throw ESoapTransportError(
                QStringLiteral("Die Antwort des Servers ist größer als %1 MB und wurde nicht gelesen.")
                    .arg(megabytes(receiver.limit)));
        if (receiver.outOfMemory)
            throw ESoapTransportError(
                QStringLiteral("Die Antwort des Servers passt nicht in den Arbeitsspeicher und wurde nicht gelesen."));
        if (rc == CURLE_OPERATION_TIMEDOUT && totalTimeoutMs > 0)
            throw ESoapTransportError(QStringLiteral("Der Server hat nicht innerhalb von %1 Sekunden geantwortet.")
                                          .arg(QLocale().toString(double(totalTimeoutMs) / 1000.0, 'g', 3)));
        if (rc != CURLE_OK) {
            const QString detail = QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(rc));
            throw ESoapTransportError(QStringLiteral("Verbindung zum Server fehlgeschlagen: %1").arg(detail));
        }
        HttpAnswer answer;
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &answer.status);
        const char* contentType = nullptr;
        if (curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &contentType) == CURLE_OK && contentType)
            answer.contentType = contentType;
        answer.body = std::move(receiver.body);
        return answer;
    }
};

// Never destroyed: request workers may still post while the program ends.
std::mutex& transportMutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}
std::shared_ptr<ISoapTransport>& transportSlot()
{
    static auto* slot = new std::shared_ptr<ISoapTransport>;
    return *slot;
}

} // namespace

std::shared_ptr<ISoapTransport> curlSoapTransport()
{
    static const auto* transport = new std::shared_ptr<ISoapTransport>(std::make_shared<CurlTransport>());
    return *transport;
}

std::shared_ptr<ISoapTransport> soapTransport()
{
    std::lock_guard lock(transportMutex());
    return transportSlot() ? transportSlot() : curlSoapTransport();
}

void setSoapTransport(std::shared_ptr<ISoapTransport> transport)
{
    std::lock_guard lock(transportMutex());
    transportSlot() = std::move(transport);
}

bool onGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

pugi::xml_node THTTPRIO::execute(const std::string& url, std::string_view ns, std::string_view operation,
                                 pugi::xml_document& request, pugi::xml_document& answer)
{
    if (OnBeforeExecute)
        OnBeforeExecute(operation, request);
    const std::string action = std::string(ns) + std::string(operation);
    const HttpAnswer http = soapTransport()->post(url, action, codec::serialize(request), totalTimeoutMs);
    pugi::xml_node body = codec::loadAnswer(answer, http.body, http.status, http.contentType);
    if (OnAfterExecute)
        OnAfterExecute(operation, answer);
    codec::checkAnswer(body, http.status, operation);
    return body;
}

} // namespace tvp::proto
