#pragma once
// The competition-list window's server requests: the list of a discipline with its squads and
// schedule, moves of participants into heats and places, squad assignment, the lock of the
// automatic division and the discipline's timing number.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ParticipantRecords.h"
#include "core/protocol/ScoringRecords.h"

#include <optional>
#include <vector>

namespace tvp {

enum class TDiscListRequestType {
    rt_getList,
    rt_AssignAthlete,
    rt_setPosition,
    rt_getDiscTimingID,
    rt_assignSquads,
    rt_unassignSquads,
    rt_setLock,
    rt_assignFittingSquad
};

struct TDiscListRequest : TBatchRequest {
    using TBatchRequest::TBatchRequest;

    TDiscListRequestType reqType = TDiscListRequestType::rt_getList;
    int DisciplinId = 0;
    std::vector<int> AthleteId; // athlete or team ids
    int HeatNo = 0;
    int PosInHeat = 0;         // 0: no place; -1: out of the discipline
    bool internalmove = false; // the ids come from the window's own tree
    std::vector<int> squadIds;
    proto::LockType lock = proto::LockType::UNLOCKED;
    bool checkTeams = false;
    bool forceAgeClass = false;
    bool forceRemoveResults = false;
};

struct TDiscListResponse : TBatchResponse {
    TDiscListRequestType reqType = TDiscListRequestType::rt_getList;
    // Only when a discipline was asked for.
    std::optional<proto::getDisciplinParticipantsResponse1> getResponse;
    std::vector<proto::SquadType> getSquadResponse;
    proto::getDisciplineScheduleResponse getDisciplineScheduleResponse;
    std::vector<proto::InvalidParticipantType> participantWarning;
    std::vector<int> AthleteId;
    int DisciplinId = 0;
    int PosInHeat = 0;
    std::vector<int> squadIds;
    bool AthletesChanged = false; // the athlete and team windows must refresh
    bool checkTeams = false;
    int DisciplinTimingId = 0;
    std::vector<proto::DisciplinType> disciplines;
    std::vector<proto::UiInfoKeyValuePair> uiInfos;
};

using TDiscListRoad = TRequestRoad<TDiscListRequest, TDiscListResponse>;

// Request names, worker functions and the refusals the user may overrule.
const TRequestTable<TDiscListRequest, TDiscListResponse>& discListRequests();

// A request with its discipline, and for a batch a fresh context.
std::unique_ptr<TDiscListRequest> makeDiscListRequest(TDiscListRequestType type, int disciplineId, bool batch = false);

// The discipline's number for the timing program: the one it keeps under "DiscTimingId", or, when
// it has none above 0, the next one from the competition's counter "NextDiscTimingId" (first 1),
// which then advances. Runs on a worker inside the request's transaction.
int handOutDiscTimingId(TServicePorts& ports, int disciplineId);

// The UI info of a key and associated id among answered pairs, nullptr when not answered.
const proto::UiInfoKeyValuePair* findUiInfo(const std::vector<proto::UiInfoKeyValuePair>& infos, const QString& key,
                                            int associatedId);

} // namespace tvp
