#include "organisation/DisciplinListRequests.h"

#include "core/results/tvpTypes.h"

#include <algorithm>

namespace tvp {

namespace {

using enum TDiscListRequestType;
using Request = TDiscListRequest;
using Response = TDiscListResponse;

int uiInfoNumber(const QString& value, int fallback)
{
    bool ok = false;
    const int number = value.trimmed().toInt(&ok);
    return ok ? number : fallback;
}

void getList(TServicePorts& ports, const Request& request, Response& response)
{
    const int competitionId = ports.competitionId();
    proto::DataRetrievalPortType& drs = ports.drs();
    response.disciplines = drs.getDisciplines(competitionId, nullptr, 0);
    if (request.checkTeams)
        response.participantWarning = drs.checkParticipantConstraints({request.DisciplinId}, 0);
    proto::getUiInfos keys;
    keys.reserve(response.disciplines.size() * 2);
    for (const proto::DisciplinType& d : response.disciplines) {
        keys.push_back(makeUiInfoKey(uiInfoKeys::DisciplinResultType, d.DisciplinID));
        keys.push_back(makeUiInfoKey(uiInfoKeys::DisciplinResultFormat, d.DisciplinID));
    }
    if (!keys.empty())
        response.uiInfos = drs.getUiInfos(keys);
    if (request.DisciplinId == 0)
        return;
    response.getResponse = drs.getDisciplinParticipants(request.DisciplinId, 0);
    response.getSquadResponse = drs.getSquadDiscAssignments(request.DisciplinId);
    response.getDisciplineScheduleResponse = drs.getDisciplineSchedule(0, request.DisciplinId, 0);
}

void assignAthletes(TServicePorts& ports, const Request& request, Response& response)
{
    proto::DisciplinSetupPortType& dss = ports.dss();
    for (std::size_t i = 0; i < request.AthleteId.size(); ++i) {
        const int id = request.AthleteId[i];
        dss.assignAthleteToHeat(id, request.DisciplinId, request.HeatNo, false);
        if (request.PosInHeat == 0)
            continue;
        proto::PosAssignmentsType position;
        position.AthleteOrTeamID = id;
        position.PositionIndex = request.PosInHeat + int(i);
        dss.setPosition(request.DisciplinId, {position}, request.forceRemoveResults);
    }
    response.AthletesChanged = !request.internalmove;
}

void setPositions(TServicePorts& ports, const Request& request, Response& response)
{
    proto::PosAssignmentsTypes assignments;
    for (int id : request.AthleteId) {
        proto::PosAssignmentsType& a = assignments.emplace_back();
        a.AthleteOrTeamID = id;
        a.PositionIndex = request.PosInHeat;
    }
    ports.dss().setPosition(request.DisciplinId, assignments, request.forceRemoveResults);
    response.AthletesChanged = request.PosInHeat == -1;
}

void getTimingId(TServicePorts& ports, const Request& request, Response& response)
{
    response.DisciplinTimingId = handOutDiscTimingId(ports, request.DisciplinId);
}

void assignSquads(TServicePorts& ports, const Request& request, Response&)
{
    ports.dss().assignSquadsToDisc(proto::AssignmentType::ASSIGN, request.DisciplinId, request.squadIds,
                                   request.forceAgeClass, false);
}

void unassignSquads(TServicePorts& ports, const Request& request, Response&)
{
    ports.dss().assignSquadsToDisc(proto::AssignmentType::REMOVE, request.DisciplinId, request.squadIds, false,
                                   request.forceRemoveResults);
}

void setLock(TServicePorts& ports, const Request& request, Response&)
{
    ports.dss().setParticipantListLock(request.DisciplinId, request.lock);
}

// The squads of the discipline's age class that it does not have yet.
void assignFittingSquads(TServicePorts& ports, const Request& request, Response& response)
{
    const proto::getDisciplineInfoResponse1 info = ports.drs().getDisciplineInfo(request.DisciplinId, 0, 0);
    const int ageClassId = info.Disciplin ? info.Disciplin->AgeClassID : 0;
    response.squadIds.clear();
    for (const proto::SquadType& s :
         ports.drs().getSquads(ports.competitionId(), ageClassId, request.DisciplinId).Squads)
        response.squadIds.push_back(s.SquadID);
    ports.dss().assignSquadsToDisc(proto::AssignmentType::ASSIGN, request.DisciplinId, response.squadIds, false, false);
}

// Every response starts with the request's discipline, ids and squads, also when its calls fail:
// the window and a forced re-send read them from the response.
template <void (*Run)(TServicePorts&, const Request&, Response&)>
void withRequestData(TServicePorts& ports, const Request& request, Response& response)
{
    response.DisciplinId = request.DisciplinId;
    response.squadIds = request.squadIds;
    response.AthleteId = request.AthleteId;
    response.PosInHeat = request.PosInHeat;
    response.checkTeams = request.checkTeams;
    Run(ports, request, response);
}

const QString kRemoveResultsCaption = QStringLiteral("Riege mit Ergebnissen entfernen?");

} // namespace

const TRequestTable<TDiscListRequest, TDiscListResponse>& discListRequests()
{
    static const TRequestTable<TDiscListRequest, TDiscListResponse> table{
        {
            {rt_getList, QStringLiteral("Teilnehmer- und Riegenliste laden"), &withRequestData<getList>},
            {rt_AssignAthlete, QStringLiteral("Athlet->Lauf zuordnen"), &withRequestData<assignAthletes>},
            {rt_setPosition, QStringLiteral("Athlet im Lauf setzen"), &withRequestData<setPositions>},
            {rt_getDiscTimingID, QStringLiteral("Zeitmessungsdaten exportieren"), &withRequestData<getTimingId>},
            {rt_assignSquads, QStringLiteral("Riegen zuordnen"), &withRequestData<assignSquads>},
            {rt_unassignSquads, QStringLiteral("Riegenzuordnung entfernen"), &withRequestData<unassignSquads>},
            {rt_setLock, QStringLiteral("Freigabestatus ändern"), &withRequestData<setLock>},
            {rt_assignFittingSquad, QStringLiteral("Riegen passender Altersklassen einfügen"),
             &withRequestData<assignFittingSquads>},
        },
        {
            {45, &Request::forceRemoveResults,
             QStringLiteral("Zu entfernende Athleten haben bereits zugeordnete Ergebnisse in dieser Disziplin. "
                            "Gewählte Athleten mit ihren Ergebnissen von Disziplin entfernen?"),
             QStringLiteral("Athleten mit Ergebnissen entfernen?"), int(rt_setPosition)},
            {47, &Request::forceRemoveResults,
             QStringLiteral("Zu entfernende Teams haben bereits zugeordnete Ergebnisse in dieser Disziplin. Gewählte "
                            "Teams mit ihren Ergebnissen von Disziplin entfernen?"),
             QStringLiteral("Teams mit Ergebnissen entfernen?"), int(rt_setPosition)},
            {73, &Request::forceAgeClass,
             QStringLiteral("Disziplin und eine zuzuweisende Riege haben unterschiedliche Altersklassen. Trotzdem "
                            "zuweisen?"),
             QStringLiteral("Riege zuweisen?"), int(rt_assignSquads)},
            {45, &Request::forceRemoveResults,
             QStringLiteral("Athleten der zu entfernenden Riege haben bereits zugeordnete Ergebnisse in dieser "
                            "Disziplin. Gewählte Athleten mit ihren Ergebnissen von Disziplin entfernen?"),
             kRemoveResultsCaption, int(rt_unassignSquads)},
            {47, &Request::forceRemoveResults,
             QStringLiteral("Teams der zu entfernenden Riege haben bereits zugeordnete Ergebnisse in dieser Disziplin. "
                            "Gewählte Teams mit ihren Ergebnissen von Disziplin entfernen?"),
             kRemoveResultsCaption, int(rt_unassignSquads)},
        },
    };
    return table;
}

std::unique_ptr<TDiscListRequest> makeDiscListRequest(TDiscListRequestType type, int disciplineId, bool batch)
{
    auto r = std::make_unique<TDiscListRequest>(batch ? std::make_shared<TBatchContext>() : nullptr);
    r->reqType = type;
    r->DisciplinId = disciplineId;
    return r;
}

int handOutDiscTimingId(TServicePorts& ports, int disciplineId)
{
    proto::DataRetrievalPortType& drs = ports.drs();
    const int kept = uiInfoNumber(drs.getUiInfo(uiInfoKeys::DiscTimingId, disciplineId).Value, -1);
    if (kept > 0)
        return kept;
    const int competitionId = ports.competitionId();
    // A counter below 1 would hand out numbers the timing program has no slot for.
    const int next = std::max(1, uiInfoNumber(drs.getUiInfo(uiInfoKeys::NextDiscTimingId, competitionId).Value, 1));
    proto::CompetitionManagementPortType& cms = ports.cms();
    cms.setUiInfo(uiInfoKeys::NextDiscTimingId, QString::number(next + 1), competitionId);
    cms.setUiInfo(uiInfoKeys::DiscTimingId, QString::number(next), disciplineId);
    return next;
}

const proto::UiInfoKeyValuePair* findUiInfo(const std::vector<proto::UiInfoKeyValuePair>& infos, const QString& key,
                                            int associatedId)
{
    for (const proto::UiInfoKeyValuePair& info : infos)
        if (info.Key && info.Key->Key == key && info.Key->AssotiatedId == associatedId)
            return &info;
    return nullptr;
}

} // namespace tvp
