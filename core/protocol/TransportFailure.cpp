#include "core/protocol/TransportFailure.h"

#include "core/util/Logger.h"

#include <QUrl>

#include <curl/curl.h>

#include <cerrno>

namespace tvp::proto {

namespace {

// "127.0.0.1:8080", "[::1]:8080", "ladv.example:443".
QString addressOf(const QUrl& url)
{
    const QString host = url.host();
    if (host.isEmpty())
        return url.toString(QUrl::RemoveUserInfo);
    const int port = url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
    return (host.contains(u':') ? u'[' + host + u']' : host) + u':' + QString::number(port);
}

bool tlsFailure(CURLcode code)
{
    switch (code) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT: return true;
    default: return false;
    }
}

QString germanText(CURL* curl, CURLcode code, long osErrno, const QUrl& url)
{
    const QString address = addressOf(url);
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("Der Rechnername \"%1\" ist nicht bekannt (Adresse %2).").arg(url.host(), address);
    case CURLE_COULDNT_CONNECT:
        switch (osErrno) {
        case ECONNREFUSED:
            return QStringLiteral("Unter %1 nimmt kein Server Verbindungen an (Verbindung abgewiesen).").arg(address);
        case EHOSTUNREACH:
        case ENETUNREACH:
        case EHOSTDOWN:
        case ENETDOWN:
            return QStringLiteral("%1 ist über das Netzwerk nicht erreichbar (kein Weg zum Rechner).").arg(address);
        case ETIMEDOUT:
            return QStringLiteral("%1 antwortet nicht auf den Verbindungsaufbau (Zeitüberschreitung).").arg(address);
        case EACCES:
        case EPERM:
            return QStringLiteral("Die Verbindung zu %1 wurde von diesem Rechner nicht zugelassen (Firewall?).")
                .arg(address);
        default: return QStringLiteral("Keine Verbindung zu %1 möglich.").arg(address);
        }
    case CURLE_OPERATION_TIMEDOUT: {
        curl_off_t connected = 0;
        curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connected);
        if (connected == 0)
            return QStringLiteral("%1 antwortet nicht auf den Verbindungsaufbau (Zeitüberschreitung).").arg(address);
        return QStringLiteral("%1 hat nicht rechtzeitig geantwortet (Zeitüberschreitung).").arg(address);
    }
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
        if (osErrno == ECONNRESET || osErrno == EPIPE || osErrno == ECONNABORTED)
            return QStringLiteral("Die Verbindung zu %1 wurde von der Gegenseite abgebrochen.").arg(address);
        return QStringLiteral("Die Verbindung zu %1 ist während der Übertragung abgebrochen.").arg(address);
    case CURLE_GOT_NOTHING: return QStringLiteral("%1 hat die Verbindung ohne Antwort geschlossen.").arg(address);
    case CURLE_PARTIAL_FILE: return QStringLiteral("Die Antwort von %1 ist nicht vollständig angekommen.").arg(address);
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_BAD_CONTENT_ENCODING:
        return QStringLiteral("Die Antwort von %1 ist keine gültige HTTP-Antwort.").arg(address);
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return QStringLiteral("Die verschlüsselte Verbindung (TLS) zu %1 wurde nicht aufgebaut: Das Zertifikat des "
                              "Servers ist nicht vertrauenswürdig oder nicht für diesen Namen ausgestellt.")
            .arg(address);
    case CURLE_UNSUPPORTED_PROTOCOL:
        return QStringLiteral("Die Adresse \"%1\" nennt kein unterstütztes Protokoll (http oder https).")
            .arg(url.toString(QUrl::RemoveUserInfo));
    case CURLE_URL_MALFORMAT:
        return QStringLiteral("Die Adresse \"%1\" ist ungültig.").arg(url.toString(QUrl::RemoveUserInfo));
    case CURLE_TOO_MANY_REDIRECTS: return QStringLiteral("%1 leitet zu oft weiter.").arg(address);
    case CURLE_OUT_OF_MEMORY: return QStringLiteral("Zu wenig Arbeitsspeicher für die Verbindung zu %1.").arg(address);
    default: break;
    }
    if (tlsFailure(code))
        return QStringLiteral("Die verschlüsselte Verbindung (TLS) zu %1 konnte nicht aufgebaut werden.").arg(address);
    return QStringLiteral("Die Verbindung zu %1 ist fehlgeschlagen (Fehler %2 der HTTP-Bibliothek).")
        .arg(address)
        .arg(int(code));
}

} // namespace

QString transportFailureText(void* handle, int code, const char* curlText)
{
    CURL* curl = handle;
    const auto rc = static_cast<CURLcode>(code);
    long osErrno = 0;
    curl_easy_getinfo(curl, CURLINFO_OS_ERRNO, &osErrno);
    char* effective = nullptr;
    curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective);
    const QUrl url(QString::fromUtf8(effective ? effective : ""));
    const QString detail = QString::fromUtf8(curlText && curlText[0] ? curlText : curl_easy_strerror(rc));
    TVP_LOGGER().log(TLogLevel::ll_warning, QStringLiteral("HTTP an %1: libcurl %2 (errno %3): %4")
                                                .arg(url.toString(QUrl::RemoveUserInfo | QUrl::RemoveQuery))
                                                .arg(code)
                                                .arg(osErrno)
                                                .arg(detail));
    return germanText(curl, rc, osErrno, url);
}

} // namespace tvp::proto
