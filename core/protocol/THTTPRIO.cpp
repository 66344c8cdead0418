#include "core/protocol/THTTPRIO.h"

#include "core/protocol/TransportFailure.h"

#include <QCoreApplication>
#include <QLocale>
#include <QThread>

#include <curl/curl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace tvp::proto {

namespace {

std::once_flag curlInitOnce;

struct Receiver {
    CURL* curl = nullptr;
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
        // Room for the announced length at once: a growing answer of megabytes would be copied
        // over and over and need up to three times its size meanwhile.
        curl_off_t announced = -1;
        if (r.body.empty() && curl_easy_getinfo(r.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) == CURLE_OK &&
            announced > 0 && std::size_t(announced) <= r.limit)
            r.body.reserve(std::size_t(announced));
        r.body.append(data, n);
    } catch (...) {
        r.outOfMemory = true;
        return 0;
    }
    return n;
}

// The request as libcurl reads it. An owned request is freed once all of it has gone out: the
// answer may be as large, and both need not be held at once.
struct Sender {
    std::string owned;
    const char* data = nullptr;
    std::size_t size = 0;
    std::size_t sent = 0;
    bool released = false;
};

size_t readBody(char* buffer, size_t size, size_t count, void* source) noexcept
{
    auto& s = *static_cast<Sender*>(source);
    const std::size_t n = s.released ? 0 : std::min(size * count, s.size - s.sent);
    if (n > 0)
        std::memcpy(buffer, s.data + s.sent, n);
    s.sent += n;
    if (s.sent == s.size && !s.owned.empty()) {
        std::string().swap(s.owned);
        s.released = true;
    }
    return n;
}

// libcurl rewinds a request it must send again; a freed one cannot be, which fails that transfer.
int seekBody(void* source, curl_off_t offset, int origin) noexcept
{
    auto& s = *static_cast<Sender*>(source);
    if (s.released || origin != SEEK_SET || offset < 0 || std::size_t(offset) > s.size)
        return CURL_SEEKFUNC_CANTSEEK;
    s.sent = std::size_t(offset);
    return CURL_SEEKFUNC_OK;
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
        Sender sender;
        sender.data = body.data();
        sender.size = body.size();
        return perform(url, soapAction, sender, totalTimeoutMs);
    }

    HttpAnswer send(const std::string& url, const std::string& soapAction, std::string&& body,
                    long totalTimeoutMs) override
    {
        Sender sender;
        sender.owned = std::move(body);
        sender.data = sender.owned.data();
        sender.size = sender.owned.size();
        return perform(url, soapAction, sender, totalTimeoutMs);
    }

private:
    static HttpAnswer perform(const std::string& url, const std::string& soapAction, Sender& sender,
                              long totalTimeoutMs)
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
        receiver.curl = curl.get();
        receiver.limit = TransportLimits::maxAnswerBytes.load();
        char errorText[CURL_ERROR_SIZE] = {};
        CURL* c = curl.get();
        curl_easy_setopt(c, CURLOPT_URL, url.c_str());
        curl_easy_setopt(c, CURLOPT_POST, 1L);
        curl_easy_setopt(c, CURLOPT_READFUNCTION, &readBody);
        curl_easy_setopt(c, CURLOPT_READDATA, &sender);
        curl_easy_setopt(c, CURLOPT_SEEKFUNCTION, &seekBody);
        curl_easy_setopt(c, CURLOPT_SEEKDATA, &sender);
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(sender.size));
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
        if (rc != CURLE_OK)
            throw ESoapTransportError(
                QStringLiteral("Verbindung zum Server fehlgeschlagen: %1").arg(transportFailureText(c, rc, errorText)));
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

std::string THTTPRIO::requestText(pugi::xml_document& request, const ArgumentWriter& arguments)
{
    pugi::xml_node op = codec::bodyElement(request);
    if (!arguments.write || !op)
        return codec::serialize(request);
    // The arguments take the place of a marker; all around them is the document's own text.
    constexpr std::string_view kMarker = "tvp-arguments";
    pugi::xml_node marker = op.append_child(pugi::node_pcdata);
    marker.set_value(std::string(kMarker).c_str());
    const std::string frame = codec::serialize(request);
    op.remove_child(marker);
    const std::size_t at = frame.rfind(kMarker);
    std::string text;
    text.reserve(frame.size() - kMarker.size() + arguments.sizeHint);
    text.append(frame, 0, at);
    const std::size_t start = text.size();
    arguments.write(text);
    // Without arguments the element is written empty, as the document writes it.
    if (text.size() == start)
        return codec::serialize(request);
    text.append(frame, at + kMarker.size());
    return text;
}

pugi::xml_node THTTPRIO::execute(const std::string& url, std::string_view ns, std::string_view operation,
                                 pugi::xml_document& request, SoapAnswer& answer, const ArgumentWriter& arguments)
{
    if (OnBeforeExecute)
        OnBeforeExecute(operation, request);
    const std::string action = std::string(ns) + std::string(operation);
    HttpAnswer http = soapTransport()->send(url, action, requestText(request, arguments), totalTimeoutMs);
    answer.text = std::move(http.body);
    pugi::xml_node body = codec::loadAnswerInPlace(answer.doc, answer.text, http.status, http.contentType);
    if (OnAfterExecute)
        OnAfterExecute(operation, answer.doc);
    codec::checkAnswer(body, http.status, operation);
    return body;
}

} // namespace tvp::proto
