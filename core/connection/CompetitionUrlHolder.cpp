#include "core/connection/CompetitionUrlHolder.h"

#include <QUrl>

namespace tvp {

QString TCompetitionUrlHolder::getServerUrl() const
{
    std::lock_guard lock(cs_);
    return serverUrl_;
}

void TCompetitionUrlHolder::setServerUrl(const QString& url)
{
    std::lock_guard lock(cs_);
    serverUrl_ = url;
}

QString TCompetitionUrlHolder::getFullUrl(proto::TTVPWebServices service)
{
    const QString original = getServerUrl();
    QString url = original;

    // A pasted service address keeps only scheme, host and port.
    const qsizetype lastSlash = url.lastIndexOf(QLatin1Char('/'));
    if (lastSlash >= 3 && url.mid(lastSlash - 2, 3) != QLatin1String("://")) {
        const qsizetype scheme = url.indexOf(QLatin1String("://"));
        const qsizetype hostStart = scheme >= 0 ? scheme + 3 : 0;
        const qsizetype pathStart = url.indexOf(QLatin1Char('/'), hostStart);
        if (pathStart >= 0)
            url.truncate(pathStart);
    }
    if (url.size() > 4 && !url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) &&
        !url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        url.prepend(QLatin1String("http://"));
    if (url.indexOf(QLatin1Char(':')) == url.lastIndexOf(QLatin1Char(':')))
        url += QLatin1String(":8080");

    if (!original.isEmpty()) {
        std::lock_guard lock(cs_);
        // A concurrent change of the address wins over our normalisation.
        if (serverUrl_ == original)
            serverUrl_ = url;
    }
    if (service == proto::TTVPWebServices::WEB_UI)
        return url + QLatin1Char('/') + proto::serviceUrlSegment(service);
    return url + QLatin1String("/TrivantaPentrel/services/") + proto::serviceUrlSegment(service);
}

QString TCompetitionUrlHolder::getHost()
{
    if (getServerUrl().isEmpty())
        return {};
    return QUrl(getFullUrl(proto::TTVPWebServices::WEB_UI)).host();
}

int TCompetitionUrlHolder::getPort()
{
    if (getServerUrl().isEmpty())
        return 0;
    const int port = QUrl(getFullUrl(proto::TTVPWebServices::WEB_UI)).port();
    return port < 0 ? 0 : port;
}

TCompetitionUrlHolder& competitionUrlHolderInstance()
{
    // Never destroyed: a request worker may still ask for an address while the program ends.
    static auto* instance = new TCompetitionUrlHolder;
    return *instance;
}

} // namespace tvp
