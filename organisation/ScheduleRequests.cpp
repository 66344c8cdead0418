#include "organisation/ScheduleRequests.h"

namespace tvp {

namespace {

using enum TScheduleRequestType;

void getSchedule(TServicePorts& ports, const TScheduleRequest& request, TScheduleResponse& response)
{
    response.ageClassFilterName = request.ageClassFilterName;
    proto::DataRetrievalPortType& drs = ports.drs();
    const int competition = ports.competitionId();
    response.ageClasses = drs.getAgeClasses(competition, nullptr);
    response.squads = drs.getSquads(competition, request.ageClassFilterId, 0);
    response.schedule = drs.getSquadSchedule(competition, 0);
    response.placesAll = drs.getPossibleDisciplinePlaces(competition, {});
    if (!response.squads.Squads.empty()) {
        proto::IDTypes ids;
        for (const proto::SquadType& squad : response.squads.Squads)
            ids.push_back(squad.SquadID);
        response.placesPerSquad = drs.getPossibleDisciplinePlaces(0, ids);
    }
}

void setSchedule(TServicePorts& ports, const TScheduleRequest& request, TScheduleResponse&)
{
    proto::CompetitionManagementPortType& cms = ports.cms();
    for (const TScheduleChange& change : request.ScheduleChangeSet) {
        if (change.disciplinePlaceId == 0) {
            if (change.scheduleItemId != 0)
                cms.removeScheduleItem(change.scheduleItemId);
            continue;
        }
        proto::ScheduleItemInfoDataType info;
        info.Time = change.Time;
        (void)cms.setScheduleItem(info, change.squadId, change.disciplinePlaceId);
    }
}

} // namespace

const TRequestTable<TScheduleRequest, TScheduleResponse>& scheduleRequests()
{
    static const TRequestTable<TScheduleRequest, TScheduleResponse> table{{
        {rt_get, QStringLiteral("Zeitplan laden"), &getSchedule},
        {rt_set, QStringLiteral("Zeitplaneinträge speichern"), &setSchedule},
    }};
    return table;
}

std::unique_ptr<TScheduleRequest> makeScheduleLoad(int ageClassFilterId, const QString& ageClassFilterName)
{
    auto r = std::make_unique<TScheduleRequest>();
    r->ageClassFilterId = ageClassFilterId;
    r->ageClassFilterName = ageClassFilterName;
    return r;
}

std::unique_ptr<TScheduleRequest> makeScheduleSave(const TScheduleGrid& grid)
{
    auto r = std::make_unique<TScheduleRequest>();
    r->reqType = rt_set;
    r->ScheduleChangeSet = grid.changes();
    return r;
}

} // namespace tvp
