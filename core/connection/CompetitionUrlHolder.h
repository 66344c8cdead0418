#pragma once
// The program's one server address, and the service URLs formed from it.

#include "core/protocol/WebServices.h"

#include <QString>

#include <mutex>

namespace tvp {

class TCompetitionUrlHolder {
public:
    QString getServerUrl() const;
    void setServerUrl(const QString& url);

    // Normalises the stored address in place (scheme, port 8080, no path) and appends the service path.
    QString getFullUrl(proto::TTVPWebServices service);
    // Host and port of the browser client's address; '' and 0 without an address.
    QString getHost();
    int getPort();

private:
    mutable std::mutex cs_;
    QString serverUrl_;
};

TCompetitionUrlHolder& competitionUrlHolderInstance();

} // namespace tvp
