#include "scoring/DocSetupRequests.h"

#include "core/results/tvpTypes.h"
#include "core/results/tvpUtils.h"

namespace tvp {

namespace {

using rt = TCertDocSetupRequestType;

const QString kCertKey = QStringLiteral("AggColl_CertDocPath");
const QString kBillingKey = QStringLiteral("Comp_BillingDocPath");
const QString kSchedulePathKey = QStringLiteral("Comp_TeamScheduleDocPath");
const QString kScheduleTypeKey = QStringLiteral("Comp_TeamScheduleDocType");

// ---- certificates ----

void getCertPath(TServicePorts& ports, const TCertDocSetupRequest& request, TCertDocSetupResponse& response)
{
    response.AggCollId = request.AggCollId;
    response.path = ports.drs().getUiInfo(kCertKey, request.AggCollId).Value;
}

void setCertPath(TServicePorts& ports, const TCertDocSetupRequest& request, TCertDocSetupResponse& response)
{
    response.AggCollId = request.AggCollId;
    response.path = request.reqType == rt::rt_removePath ? QString() : request.path;
    ports.cms().setUiInfo(kCertKey, response.path, request.AggCollId);
}

void getCertPathList(TServicePorts& ports, const TCertDocSetupRequest& request, TCertDocSetupResponse& response)
{
    response.AggCollId = request.AggCollId;
    response.pathList = ports.uir().getAllCollections();
}

// ---- competitions (receipts and schedules) ----

// Every competition and the stored path of each, in one call.
template <class Response>
void getCompetitionPathList(TServicePorts& ports, const QString& key, Response& response)
{
    response.comps = ports.drs().getCompetitions();
    proto::getUiInfos keys;
    for (const proto::CompetitionType& c : response.comps)
        keys.push_back(makeUiInfoKey(key, c.ID));
    if (!keys.empty())
        response.pathList = ports.drs().getUiInfos(keys);
}

void getBillingPath(TServicePorts& ports, const TBillingDocSetupRequest& request, TBillingDocSetupResponse& response)
{
    response.CompID = request.CompID;
    response.path = ports.drs().getUiInfo(kBillingKey, request.CompID).Value;
}

void setBillingPath(TServicePorts& ports, const TBillingDocSetupRequest& request, TBillingDocSetupResponse& response)
{
    response.CompID = request.CompID;
    response.path = request.reqType == rt::rt_removePath ? QString() : request.path;
    ports.cms().setUiInfo(kBillingKey, response.path, request.CompID);
}

void getBillingPathList(TServicePorts& ports, const TBillingDocSetupRequest& request,
                        TBillingDocSetupResponse& response)
{
    response.CompID = request.CompID;
    getCompetitionPathList(ports, kBillingKey, response);
}

void getSchedulePath(TServicePorts& ports, const TTeamScheduleDocSetupRequest& request,
                     TTeamScheduleDocSetupResponse& response)
{
    response.CompID = request.CompID;
    const proto::getUiInfosResponse1 infos = ports.drs().getUiInfos(
        {makeUiInfoKey(kSchedulePathKey, request.CompID), makeUiInfoKey(kScheduleTypeKey, request.CompID)});
    response.path = infos.size() > 0 ? infos[0].Value : QString();
    response.docType = scheduleDocTypeFromText(infos.size() > 1 ? infos[1].Value : QString());
}

void setSchedulePath(TServicePorts& ports, const TTeamScheduleDocSetupRequest& request,
                     TTeamScheduleDocSetupResponse& response)
{
    const bool remove = request.reqType == rt::rt_removePath;
    response.CompID = request.CompID;
    response.path = remove ? QString() : request.path;
    response.docType = remove ? TScheduleDocType::sd_NONE : request.docType;
    ports.cms().setUiInfo(kSchedulePathKey, response.path, request.CompID);
    ports.cms().setUiInfo(kScheduleTypeKey, scheduleDocTypeText(response.docType), request.CompID);
}

void getSchedulePathList(TServicePorts& ports, const TTeamScheduleDocSetupRequest& request,
                         TTeamScheduleDocSetupResponse& response)
{
    response.CompID = request.CompID;
    response.docType = request.docType;
    getCompetitionPathList(ports, kSchedulePathKey, response);
}

int compareTexts(const QString& a, const QString& b)
{
    return QString::localeAwareCompare(a.toLower(), b.toLower());
}

} // namespace

const TRequestTable<TCertDocSetupRequest, TCertDocSetupResponse>& certDocSetupRequests()
{
    static const TRequestTable<TCertDocSetupRequest, TCertDocSetupResponse> table{{
        {rt::rt_getPath, QStringLiteral("Urkundenpfad laden"), &getCertPath},
        {rt::rt_setPath, QStringLiteral("Urkundenpfad speichern"), &setCertPath},
        {rt::rt_removePath, QStringLiteral("Urkundenpfad entfernen"), &setCertPath},
        {rt::rt_getPathList, QStringLiteral("Urkundenpfade laden"), &getCertPathList},
    }};
    return table;
}

const TRequestTable<TBillingDocSetupRequest, TBillingDocSetupResponse>& billingDocSetupRequests()
{
    static const TRequestTable<TBillingDocSetupRequest, TBillingDocSetupResponse> table{{
        {rt::rt_getPath, QStringLiteral("Quittungspfad laden"), &getBillingPath},
        {rt::rt_setPath, QStringLiteral("Quittungspfad speichern"), &setBillingPath},
        {rt::rt_removePath, QStringLiteral("Quittungspfad entfernen"), &setBillingPath},
        {rt::rt_getPathList, QStringLiteral("Quittungspfade laden"), &getBillingPathList},
    }};
    return table;
}

const TRequestTable<TTeamScheduleDocSetupRequest, TTeamScheduleDocSetupResponse>& teamScheduleDocSetupRequests()
{
    static const TRequestTable<TTeamScheduleDocSetupRequest, TTeamScheduleDocSetupResponse> table{{
        {rt::rt_getPath, QStringLiteral("Ablaufplanpfad laden"), &getSchedulePath},
        {rt::rt_setPath, QStringLiteral("Ablaufplanpfad speichern"), &setSchedulePath},
        {rt::rt_removePath, QStringLiteral("Ablaufplanpfad entfernen"), &setSchedulePath},
        {rt::rt_getPathList, QStringLiteral("Ablaufplanpfade laden"), &getSchedulePathList},
    }};
    return table;
}

QString scheduleDocTypeText(TScheduleDocType type)
{
    switch (type) {
    case TScheduleDocType::sd_TEAM: return QStringLiteral("TEAM");
    case TScheduleDocType::sd_SQUAD: return QStringLiteral("SQUAD");
    case TScheduleDocType::sd_NONE: break;
    }
    return {};
}

TScheduleDocType scheduleDocTypeFromText(const QString& text)
{
    for (TScheduleDocType type : {TScheduleDocType::sd_NONE, TScheduleDocType::sd_TEAM, TScheduleDocType::sd_SQUAD})
        if (scheduleDocTypeText(type) == text)
            return type;
    return TScheduleDocType::sd_NONE;
}

// ---- the list of existing documents ----

std::vector<TDocListRow> certDocRows(const std::vector<proto::IDCollectionItemType>& collections,
                                     int currentCompetitionId, const TFileExists& exists)
{
    std::vector<TDocListRow> rows;
    for (const proto::IDCollectionItemType& item : collections) {
        const proto::UiInfoKeyValuePair* found = nullptr;
        for (const proto::UiInfoKeyValuePair& info : item.UIInfos) {
            if (info.Key && info.Key->Key == kCertKey && !info.Value.isEmpty() && exists(info.Value)) {
                found = &info;
                break;
            }
        }
        if (!found)
            continue;
        TDocListRow row;
        row.caption = item.IdCollection ? item.IdCollection->Name : QString();
        row.path = found->Value;
        if (item.Competition) {
            row.type = QStringLiteral("Veranstaltung");
            row.origin = item.Competition->Name;
            row.competitionId = item.Competition->ID;
        } else if (item.Cup) {
            row.type = QStringLiteral("Cup");
            row.origin = item.Cup->Name;
            for (const proto::CompetitionType& c : item.Cup->AssignedCompetitions)
                if (c.ID == currentCompetitionId && currentCompetitionId != 0)
                    row.competitionId = currentCompetitionId;
        } else {
            row.type = QStringLiteral("Unbekannt");
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<TDocListRow> competitionDocRows(const std::vector<proto::UiInfoKeyValuePair>& pathList,
                                            const std::vector<proto::CompetitionType>& comps, const TFileExists& exists)
{
    std::vector<TDocListRow> rows;
    for (const proto::UiInfoKeyValuePair& pair : pathList) {
        if (!pair.Key || pair.Value.isEmpty())
            continue;
        for (auto c = comps.rbegin(); c != comps.rend(); ++c) {
            if (c->ID != pair.Key->AssotiatedId)
                continue;
            if (exists(pair.Value)) {
                TDocListRow row;
                row.caption = c->Name;
                row.path = pair.Value;
                row.competitionId = c->ID;
                rows.push_back(std::move(row));
            }
            break;
        }
    }
    return rows;
}

int compareCertDocRows(const TDocListRow& a, const TDocListRow& b, int currentCompetitionId)
{
    const bool aCurrent = currentCompetitionId != 0 && a.competitionId == currentCompetitionId;
    const bool bCurrent = currentCompetitionId != 0 && b.competitionId == currentCompetitionId;
    if (aCurrent != bCurrent)
        return aCurrent ? -1 : 1;
    if (const int c = compareTexts(b.type, a.type))
        return c;
    if (const int c = compareTexts(a.origin, b.origin))
        return c;
    return compareTexts(a.caption, b.caption);
}

// ---- names ----

QString certDocSuggestedName(const QString& collectionName)
{
    return fileNameSaveChars(collectionName.section(u'/', 0, 0));
}

QString certDataFileName(const QString& collectionName)
{
    return fileNameSaveChars(collectionName) + QStringLiteral(".csv");
}

QString scheduleTypeName(TScheduleDocType type)
{
    return type == TScheduleDocType::sd_TEAM ? QStringLiteral("Teamablaufplan") : QStringLiteral("Riegenablaufplan");
}

} // namespace tvp
