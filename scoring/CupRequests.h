#pragma once
// The cups window's requests: the server's cups with their competitions, and the changes to a cup
// and to the competitions it spans.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ParticipantRecords.h"
#include "core/protocol/ScoringRecords.h"

#include <QString>

#include <vector>

namespace tvp {

enum class TCupRequestType {
    rt_get = 0,
    rt_create = 1,
    rt_modify = 2,
    rt_delete = 3,
    rt_assignCompetition = 4,
    rt_removeCompetition = 5
};

// The server's refusal to take a competition out of a cup while cup scorings draw on it.
inline constexpr int kCompetitionUsedByCupScoringsError = 110;

struct TCupRequest : TBatchRequest {
    TCupRequestType reqType = TCupRequestType::rt_get;
    QString name;
    int minTeamPart = 0;
    int minAthletePart = 0;
    int cupId = 0;
    std::vector<int> compIds;
    bool forceRemove = false;
};

struct TCupResponse : TBatchResponse {
    using TBatchResponse::TBatchResponse;
    TCupRequestType reqType = TCupRequestType::rt_get;
    std::vector<proto::CupType> cups;
    std::vector<proto::CompetitionType> competitions;
    int cupId = 0;
    std::vector<int> compIds;
};

const TRequestTable<TCupRequest, TCupResponse>& cupRequests();

// The cup the group shows while none is chosen.
const proto::CupType& defaultCup();

// What the group holds, as the user left it.
struct TCupGroupValues {
    QString name; // trimmed
    int minTeamPart = 0;
    int minAthletePart = 0;
};

// Whether the group differs from the shown cup; no cup (it left the tree) counts as a change.
bool cupGroupChanged(const TCupGroupValues& values, const proto::CupType* shown);

QString cupIdLabel(int cupId);

std::unique_ptr<TCupRequest> makeCupSave(TCupRequestType type, const TCupGroupValues& values, int cupId);

} // namespace tvp
