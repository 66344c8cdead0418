#pragma once
// The online side of the LADV exchange. Two small locator documents on the maker's service say
// where LADV's competition overview and participant download are; both are then fetched with the
// user's LADV login (HTTP basic authentication). Runs on request workers: each call makes its own
// HTTP handle, so requests running at once share nothing.
//
// The login travels only to https addresses or to the maker service's own host (the stand-in's
// LADV fake on this computer), never along a redirect to another scheme, host or port, and it is
// never logged nor put into an address or a message.

#include "core/protocol/ScoringRecords.h"
#include "participants/LadvFiles.h"

#include <QString>
#include <QUrl>

#include <atomic>
#include <memory>
#include <vector>

namespace tvp {

struct TLadvCredentials {
    QString userName;
    QString password;
};

// Limits of each HTTP request; tests shorten them.
struct TLadvHttpLimits {
    static inline std::atomic<long> connectMs{10000};
    static inline std::atomic<long> totalMs{120000};
};

// The locator documents, below the maker service's address.
inline const QString kLadvParticipantLocatorPath = QStringLiteral("ladv/participantDownload");
inline const QString kLadvCompetitionLocatorPath = QStringLiteral("ladv/competitionOverview");

inline const QString kLadvDownloadCaption = QStringLiteral("Teilnehmer von LADV herunterladen");
inline const QString kLadvDownloadEmptyText = QStringLiteral("Teilnehmerliste konnte nicht heruntergeladen werden.");

// The participant download's address: the locator's one "%s" replaced by the LADV id, percent-
// encoded so it stays one piece of the path or query; "%%" stands for "%". Any other placeholder,
// none or several, or a "%s" before the path throws ELadvError.
QString fillLocatorTemplate(const QString& locator, const QString& ladvId);

// https anywhere; plain http only to the trusted host.
bool mayCarryCredentials(const QUrl& url, const QString& trustedHost);

// One HTTP GET road; make one per request and never share it between threads.
class TLadvHttpClient {
public:
    // Plain http may carry the login only to trustedHost.
    explicit TLadvHttpClient(QString trustedHost);
    ~TLadvHttpClient();
    TLadvHttpClient(const TLadvHttpClient&) = delete;
    TLadvHttpClient& operator=(const TLadvHttpClient&) = delete;

    // The body of a 200 answer, after at most five redirects. The login goes along only while the
    // address keeps the first one's scheme, host and port. Throws ELadvError.
    QByteArray get(const QString& url, const TLadvCredentials* credentials, qsizetype maxBytes);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

class TLadvService {
public:
    // The maker service's address; its host is the one plain-http host the login may reach.
    explicit TLadvService(const QString& makerBaseUrl);

    // The user's competitions (all states); empty when the locator is empty. Throws ELadvError.
    std::vector<proto::CompetitionListItemType> loadCompetitionList(const TLadvCredentials& credentials) const;
    // The participant file of one competition as text; empty when the locator is empty.
    QString downloadParticipants(const QString& ladvId, const TLadvCredentials& credentials) const;

    QString locatorUrl(const QString& path) const;

private:
    QString locatorText(const QString& path) const;

    QString base_;
    QString trustedHost_;
};

} // namespace tvp
