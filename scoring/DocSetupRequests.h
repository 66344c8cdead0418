#pragma once
// The requests of the three document setup windows (certificates, receipts, schedules): the stored
// document path of a compilation or competition, and the documents of all others to start from.
// Also the rows of their lists of existing documents and the names they propose.

#include "core/connection/RequestRoad.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/services/ScoringServices.h"

#include <QString>

#include <functional>
#include <vector>

namespace tvp {

enum class TCertDocSetupRequestType { rt_getPath = 0, rt_setPath = 1, rt_removePath = 2, rt_getPathList = 3 };
using TBillingDocSetupRequestType = TCertDocSetupRequestType;
using TTeamScheduleDocSetupRequestType = TCertDocSetupRequestType;

struct TCertDocSetupRequest : TRequest {
    TCertDocSetupRequestType reqType = TCertDocSetupRequestType::rt_getPath;
    int AggCollId = 0;
    QString path;
};

struct TCertDocSetupResponse : TResponse {
    TCertDocSetupRequestType reqType = TCertDocSetupRequestType::rt_getPath;
    std::vector<proto::IDCollectionItemType> pathList;
    int AggCollId = 0;
    QString path;
};

struct TBillingDocSetupRequest : TRequest {
    TBillingDocSetupRequestType reqType = TBillingDocSetupRequestType::rt_getPath;
    int CompID = 0;
    QString path;
};

struct TBillingDocSetupResponse : TResponse {
    TBillingDocSetupRequestType reqType = TBillingDocSetupRequestType::rt_getPath;
    std::vector<proto::UiInfoKeyValuePair> pathList;
    int CompID = 0;
    std::vector<proto::CompetitionType> comps;
    QString path;
};

struct TTeamScheduleDocSetupRequest : TRequest {
    TTeamScheduleDocSetupRequestType reqType = TTeamScheduleDocSetupRequestType::rt_getPath;
    int CompID = 0;
    QString path;
    TScheduleDocType docType = TScheduleDocType::sd_NONE;
};

struct TTeamScheduleDocSetupResponse : TResponse {
    TTeamScheduleDocSetupRequestType reqType = TTeamScheduleDocSetupRequestType::rt_getPath;
    std::vector<proto::UiInfoKeyValuePair> pathList;
    int CompID = 0;
    std::vector<proto::CompetitionType> comps;
    QString path;
    TScheduleDocType docType = TScheduleDocType::sd_NONE;
};

const TRequestTable<TCertDocSetupRequest, TCertDocSetupResponse>& certDocSetupRequests();
const TRequestTable<TBillingDocSetupRequest, TBillingDocSetupResponse>& billingDocSetupRequests();
const TRequestTable<TTeamScheduleDocSetupRequest, TTeamScheduleDocSetupResponse>& teamScheduleDocSetupRequests();

// The stored text of a schedule kind ("", "TEAM", "SQUAD") and back; any other text is sd_NONE.
QString scheduleDocTypeText(TScheduleDocType type);
TScheduleDocType scheduleDocTypeFromText(const QString& text);

// ---- the list of existing documents ----

struct TDocListRow {
    QString caption; // the compilation's or competition's name
    QString type;    // certificates: "Veranstaltung", "Cup" or "Unbekannt"
    QString origin;  // certificates: the competition's or cup's name
    QString path;
    int competitionId = 0;    // the row's data: a competition id, 0 for none
    bool placeholder = false; // "Lade ..." and "Keine ... gefunden"
};

using TFileExists = std::function<bool(const QString& path)>;

// One row per collection with a stored certificate document that exists. A cup's row carries the
// current competition when the cup is assigned to it.
std::vector<TDocListRow> certDocRows(const std::vector<proto::IDCollectionItemType>& collections,
                                     int currentCompetitionId, const TFileExists& exists);
// One row per stored path that exists, named after its competition (searched from the last).
std::vector<TDocListRow> competitionDocRows(const std::vector<proto::UiInfoKeyValuePair>& pathList,
                                            const std::vector<proto::CompetitionType>& comps,
                                            const TFileExists& exists);
// The first ordering of the certificate list: rows of the current competition, then "Typ"
// descending, "Ursprung" and the name ascending, case-insensitively. Negative when a comes first.
int compareCertDocRows(const TDocListRow& a, const TDocListRow& b, int currentCompetitionId);

// ---- names ----

// The compilation name up to its first "/", made file-name-safe (without extension).
QString certDocSuggestedName(const QString& collectionName);
// The compilation name made file-name-safe, with ".csv".
QString certDataFileName(const QString& collectionName);
// "Riegenablaufplan" for squads, "Teamablaufplan" for teams.
QString scheduleTypeName(TScheduleDocType type);

} // namespace tvp
