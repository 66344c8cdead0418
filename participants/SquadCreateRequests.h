#pragma once
// The requests of the automatic squad formation window: loading age classes, teams and squads, and
// sending the ticked rows of the preview in one transaction.

#include "core/connection/RequestRoad.h"
#include "participants/SquadFormation.h"

#include <memory>
#include <vector>

namespace tvp {

enum class TSquadCreateRequestType { rt_getTeams = 0, rt_CreateSquads = 1 };

struct TNewSquad {
    int ageClass = 0;
    std::vector<int> teamsIDs;
};

struct TExistingSquad {
    int id = 0;
    int ageClass = 0;
    std::vector<int> teamsIDs;
};

struct TSquadCreateRequest : TRequest {
    TSquadCreateRequestType reqType = TSquadCreateRequestType::rt_getTeams;
    std::vector<TNewSquad> squadsToCreate;
    std::vector<TExistingSquad> squadsToFill;

    // A row of the preview: its squad's teams followed by the planned ones.
    void addSquad(const TSquadListItem& item);
};

struct TSquadCreateResponse : TResponse {
    TSquadCreateRequestType reqType = TSquadCreateRequestType::rt_getTeams;
    std::vector<proto::AgeClassType> ageClasses;
    std::vector<proto::TeamType> teams;
    proto::getSquadsResponse squads;
};

const TRequestTable<TSquadCreateRequest, TSquadCreateResponse>& squadCreateRequests();

// The ticked rows of the preview, in row order.
std::unique_ptr<TSquadCreateRequest> makeCreateSquadsRequest(const TSquadPreviewModel& preview);

} // namespace tvp
