#include "core/protocol/THTTPRIO.h"

#include <curl/curl.h>

#include <mutex>

namespace tvp::proto {

namespace {

std::once_flag curlInitOnce;

size_t appendBody(char* data, size_t size, size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
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

        HttpAnswer answer;
        char errorText[CURL_ERROR_SIZE] = {};
        CURL* c = curl.get();
        curl_easy_setopt(c, CURLOPT_URL, url.c_str());
        curl_easy_setopt(c, CURLOPT_POST, 1L);
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &appendBody);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &answer.body);
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, wire::kConnectTimeoutSeconds);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, wire::kLowSpeedLimitBytes);
        curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, wire::kLowSpeedTimeSeconds);
        curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
        if (totalTimeoutMs > 0)
            curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, totalTimeoutMs);
        const CURLcode rc = curl_easy_perform(c);
        if (rc != CURLE_OK) {
            const QString detail = QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(rc));
            throw ESoapTransportError(QStringLiteral("Verbindung zum Server fehlgeschlagen: %1").arg(detail));
        }
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &answer.status);
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

pugi::xml_node THTTPRIO::execute(const std::string& url, std::string_view ns, std::string_view operation,
                                 pugi::xml_document& request, pugi::xml_document& answer)
{
    if (OnBeforeExecute)
        OnBeforeExecute(operation, request);
    const std::string action = std::string(ns) + std::string(operation);
    const HttpAnswer http = soapTransport()->post(url, action, codec::serialize(request), totalTimeoutMs);

    const pugi::xml_parse_result parsed =
        answer.load_buffer(http.body.data(), http.body.size(), pugi::parse_default, pugi::encoding_utf8);
    const bool isSoap = parsed && codec::bodyElement(answer);
    if (!isSoap) {
        // An HTML error page or an empty answer: say what came, not what failed to parse.
        if (http.status != 200)
            throw ESoapTransportError(QStringLiteral("Der Server antwortete mit HTTP-Status %1.").arg(http.status));
        if (!parsed)
            throw ESoapDecodeError(QStringLiteral("Ungültige Antwort des Servers: %1 (Position %2).")
                                       .arg(QString::fromUtf8(parsed.description()))
                                       .arg(parsed.offset));
        throw ESoapDecodeError(QStringLiteral("Ungültige Antwort des Servers: keine SOAP-Nachricht."));
    }
    if (OnAfterExecute)
        OnAfterExecute(operation, answer);
    pugi::xml_node body = codec::bodyElement(answer);
    if (std::string_view(codec::localName(body)) == "Fault")
        codec::throwFault(body);
    if (http.status != 200)
        throw ESoapTransportError(QStringLiteral("Der Server antwortete mit HTTP-Status %1.").arg(http.status));
    const std::string expected = std::string(operation) + std::string(wire::kResponseSuffix);
    if (expected != codec::localName(body))
        throw ESoapDecodeError(QStringLiteral("Ungültige Antwort des Servers: \"%1\" statt \"%2\".")
                                   .arg(QString::fromUtf8(codec::localName(body)), QString::fromStdString(expected)));
    return body;
}

} // namespace tvp::proto
