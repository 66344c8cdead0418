#include "participants/LadvClient.h"

#include "core/protocol/TransportFailure.h"

#include <curl/curl.h>

#include <mutex>

namespace tvp {

namespace {

constexpr qsizetype kMaxLocatorBytes = 64 * 1024;
constexpr qsizetype kMaxListBytes = 16 * 1024 * 1024;
constexpr int kMaxRedirects = 5;

[[noreturn]] void badTemplate()
{
    throw ELadvError(QStringLiteral("Die LADV-Adressvorlage ist ungültig."));
}

bool isWebScheme(const QUrl& url)
{
    return (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) && !url.host().isEmpty();
}

bool sameOrigin(const QUrl& a, const QUrl& b)
{
    const auto defaultPort = [](const QUrl& u) { return u.port(u.scheme() == QLatin1String("https") ? 443 : 80); };
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           defaultPort(a) == defaultPort(b);
}

struct Sink {
    QByteArray body;
    qsizetype max = 0;
    bool tooLarge = false;
};

size_t append(char* data, size_t size, size_t count, void* target)
{
    auto& sink = *static_cast<Sink*>(target);
    const size_t n = size * count;
    if (sink.body.size() + qsizetype(n) > sink.max) {
        sink.tooLarge = true;
        return 0; // ends the transfer
    }
    sink.body.append(data, qsizetype(n));
    return n;
}

} // namespace

QString fillLocatorTemplate(const QString& locator, const QString& ladvId)
{
    QString out;
    qsizetype placeholderAt = -1;
    for (qsizetype i = 0; i < locator.size(); ++i) {
        const QChar c = locator.at(i);
        if (c != QLatin1Char('%')) {
            out.append(c);
            continue;
        }
        const QChar next = i + 1 < locator.size() ? locator.at(i + 1) : QChar();
        ++i;
        if (next == QLatin1Char('%')) {
            out.append(next);
        } else if (next == QLatin1Char('s') && placeholderAt < 0) {
            placeholderAt = out.size();
            out.append(QString::fromLatin1(QUrl::toPercentEncoding(ladvId)));
        } else {
            badTemplate();
        }
    }
    if (placeholderAt < 0)
        badTemplate();
    // The id may fill a path segment or a query value, never the scheme or the host.
    const QString prefix = out.left(placeholderAt);
    const qsizetype authority = prefix.indexOf(QLatin1String("://"));
    if (authority < 0 || prefix.indexOf(QLatin1Char('/'), authority + 3) < 0)
        badTemplate();
    const QUrl url(out, QUrl::StrictMode);
    if (!url.isValid() || !isWebScheme(url))
        badTemplate();
    return out;
}

bool mayCarryCredentials(const QUrl& url, const QString& trustedHost)
{
    if (url.scheme() == QLatin1String("https"))
        return !url.host().isEmpty();
    return url.scheme() == QLatin1String("http") && !trustedHost.isEmpty() &&
           url.host().compare(trustedHost, Qt::CaseInsensitive) == 0;
}

struct TLadvHttpClient::Private {
    QString trustedHost;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl{nullptr, &curl_easy_cleanup};
};

TLadvHttpClient::TLadvHttpClient(QString trustedHost) : d(std::make_unique<Private>())
{
    static std::once_flag curlInit;
    std::call_once(curlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    d->trustedHost = std::move(trustedHost);
    d->curl.reset(curl_easy_init());
}

TLadvHttpClient::~TLadvHttpClient() = default;

QByteArray TLadvHttpClient::get(const QString& url, const TLadvCredentials* credentials, qsizetype maxBytes)
{
    if (!d->curl)
        throw ELadvError(QStringLiteral("HTTP-Bibliothek nicht verfügbar."));
    const QUrl first(url, QUrl::StrictMode);
    if (!first.isValid() || !isWebScheme(first) || !first.userInfo().isEmpty())
        throw ELadvError(QStringLiteral("Ungültige LADV-Adresse."));
    if (credentials && !mayCarryCredentials(first, d->trustedHost))
        throw ELadvError(QStringLiteral("Die LADV-Adresse ist nicht verschlüsselt (https). Benutzername und Passwort "
                                        "werden nicht gesendet."));
    const QByteArray user = credentials ? credentials->userName.toUtf8() : QByteArray();
    const QByteArray password = credentials ? credentials->password.toUtf8() : QByteArray();

    CURL* c = d->curl.get();
    QUrl current = first;
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        const QByteArray address = current.toEncoded();
        Sink sink;
        sink.max = maxBytes;
        char errorText[CURL_ERROR_SIZE] = {};
        curl_easy_reset(c);
        curl_easy_setopt(c, CURLOPT_URL, address.constData());
        curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(c, CURLOPT_USERAGENT, "Trivanta Pentrel");
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
        // Redirects are followed here, hop by hop, so each hop's login is decided here.
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, TLadvHttpLimits::connectMs.load());
        curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, TLadvHttpLimits::totalMs.load());
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        // A proxy from the environment may serve the internet, never this computer.
        curl_easy_setopt(c, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &append);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
        curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
        const bool withLogin = credentials && sameOrigin(current, first);
        if (withLogin) {
            curl_easy_setopt(c, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC));
            curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
            curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
        }
        const CURLcode rc = curl_easy_perform(c);
        if (sink.tooLarge)
            throw ELadvError(QStringLiteral("Die Antwort von LADV ist zu groß."));
        if (rc != CURLE_OK)
            throw ELadvError(QStringLiteral("LADV ist nicht erreichbar: ") +
                             proto::transportFailureText(c, rc, errorText));
        long status = 0;
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        if (status >= 300 && status < 400) {
            char* location = nullptr;
            curl_easy_getinfo(c, CURLINFO_REDIRECT_URL, &location);
            const QUrl next = location ? QUrl(QString::fromUtf8(location), QUrl::StrictMode) : QUrl();
            if (!next.isValid() || !isWebScheme(next) || !next.userInfo().isEmpty())
                throw ELadvError(QStringLiteral("LADV leitet auf eine ungültige Adresse weiter."));
            current = next;
            continue;
        }
        if (status == 401 && withLogin)
            throw ELadvError(
                QStringLiteral("Anmeldung bei LADV fehlgeschlagen: Benutzername oder Passwort ist falsch."));
        if (status != 200)
            throw ELadvError(QStringLiteral("LADV antwortet mit dem HTTP-Status %1.").arg(status));
        return sink.body;
    }
    throw ELadvError(QStringLiteral("LADV leitet zu oft weiter."));
}

TLadvService::TLadvService(const QString& makerBaseUrl)
    : base_(makerBaseUrl.endsWith(QLatin1Char('/')) ? makerBaseUrl : makerBaseUrl + QLatin1Char('/')),
      trustedHost_(QUrl(makerBaseUrl).host())
{
}

QString TLadvService::locatorUrl(const QString& path) const
{
    return base_ + path;
}

QString TLadvService::locatorText(const QString& path) const
{
    // The locators are public: fetched without the login.
    TLadvHttpClient http(trustedHost_);
    const std::optional<QString> text = decodeUtf8Text(http.get(locatorUrl(path), nullptr, kMaxLocatorBytes));
    if (!text)
        throw ELadvError(QStringLiteral("Die LADV-Adresse ist kein UTF-8-Text."));
    return text->trimmed();
}

std::vector<proto::CompetitionListItemType> TLadvService::loadCompetitionList(const TLadvCredentials& credentials) const
{
    const QString address = locatorText(kLadvCompetitionLocatorPath);
    if (address.isEmpty())
        return {};
    TLadvHttpClient http(trustedHost_);
    return parseCompetitionList(http.get(address, &credentials, kMaxListBytes));
}

QString TLadvService::downloadParticipants(const QString& ladvId, const TLadvCredentials& credentials) const
{
    const QString locator = locatorText(kLadvParticipantLocatorPath);
    if (locator.isEmpty())
        return {};
    const QString address = fillLocatorTemplate(locator, ladvId);
    TLadvHttpClient http(trustedHost_);
    const std::optional<QString> text = decodeUtf8Text(http.get(address, &credentials, kMaxParticipantFileBytes));
    if (!text)
        throw ELadvError(QStringLiteral("Die Teilnehmerliste von LADV ist kein UTF-8-Text."));
    return *text;
}

} // namespace tvp
