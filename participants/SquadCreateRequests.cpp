#include "participants/SquadCreateRequests.h"

namespace tvp {

namespace {

using enum TSquadCreateRequestType;

void getTeams(TServicePorts& ports, const TSquadCreateRequest&, TSquadCreateResponse& response)
{
    const int competition = ports.competitionId();
    response.ageClasses = ports.drs().getAgeClasses(competition, nullptr);
    response.teams = ports.drs().getTeams(competition, 0, nullptr, 0);
    response.squads = ports.drs().getSquads(competition, 0, 0);
}

void createSquads(TServicePorts& ports, const TSquadCreateRequest& request, TSquadCreateResponse&)
{
    for (const TExistingSquad& s : request.squadsToFill)
        ports.das().modifySquad(s.id, nullptr, s.ageClass, s.teamsIDs, false, false, false, false, false);
    for (const TNewSquad& s : request.squadsToCreate)
        ports.das().addSquad(ports.competitionId(), proto::SquadInfoDataType{}, s.ageClass, s.teamsIDs, false, false);
}

} // namespace

void TSquadCreateRequest::addSquad(const TSquadListItem& item)
{
    std::vector<int> teams;
    for (const proto::TeamType& t : item.squad.AssignedTeams)
        teams.push_back(t.TeamID);
    for (const proto::TeamType* t : item.newTeams)
        teams.push_back(t->TeamID);
    const int ageClass = item.squad.AgeClass ? item.squad.AgeClass->AgeClassID : 0;
    if (item.actionType == TSquadActionType::sa_new)
        squadsToCreate.push_back({ageClass, std::move(teams)});
    else
        squadsToFill.push_back({item.squad.SquadID, ageClass, std::move(teams)});
}

const TRequestTable<TSquadCreateRequest, TSquadCreateResponse>& squadCreateRequests()
{
    static const TRequestTable<TSquadCreateRequest, TSquadCreateResponse> table{{
        {rt_getTeams, QStringLiteral("Teams laden"), &getTeams},
        {rt_CreateSquads, QStringLiteral("Riegen anlegen"), &createSquads},
    }};
    return table;
}

std::unique_ptr<TSquadCreateRequest> makeCreateSquadsRequest(const TSquadPreviewModel& preview)
{
    auto r = std::make_unique<TSquadCreateRequest>();
    r->reqType = rt_CreateSquads;
    for (int row = 0; row < preview.rowCount(); ++row)
        if (preview.isChecked(row))
            r->addSquad(preview.items()[std::size_t(row)]);
    return r;
}

} // namespace tvp
