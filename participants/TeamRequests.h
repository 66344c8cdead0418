#pragma once
// The team window's server requests, the refusals the user may overrule, the list's columns and
// the printout's caption.

#include "core/connection/RequestRoad.h"
#include "core/lists/RecordListModel.h"
#include "core/protocol/ParticipantRecords.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace tvp {

enum class TTeamRequestType { rt_get = 0, rt_create = 1, rt_modify = 2, rt_delete = 3, rt_assignAthletes = 4 };

// The team is in a squad of another age class than the one it is given.
inline constexpr int kTeamInSquadOfOtherAgeClassError = 67;

// The editor's fields of a team: its name, age class and billing club (0 for none).
struct TTeamFields {
    QString name;
    int ageClassId = 0;
    int clubId = 0;
};
TTeamFields teamFieldsOf(const proto::TeamType& team);

struct TTeamRequest : TBatchRequest {
    using TBatchRequest::TBatchRequest;
    TTeamRequestType reqType = TTeamRequestType::rt_get;
    QString name;
    int AgeClassId = 0;
    int disciplineID = 0;
    int ClubID = 0;
    int teamId = 0;
    // The force set, one flag per element.
    bool Remove = false;
    bool ageClass = false;
    bool removeAssignedResults = false;
    bool forceTeamAmbiguousBib = false;
    std::vector<int> athleteIdsToAssign;
    // A change: the team as the editor loaded it, its name trimmed as the editor compares it. Fields
    // typed as loaded are saved as the server has them then, so another window's change stays.
    std::optional<TTeamFields> loaded;
    // The name the list shows: a team deleted elsewhere is named so, also when the loaded name is
    // kept back because both desks renamed it.
    QString listedName;
};

struct TTeamResponse : TBatchResponse {
    TTeamRequestType reqType = TTeamRequestType::rt_get;
    std::vector<proto::TeamType> getResponse;
    std::vector<proto::AgeClassType> ageClasses;
    std::vector<proto::ClubType> clubs;
    std::vector<proto::DisciplinType> disciplines;
    int id = 0; // the created or changed team
};

// Request names, worker functions and the refusals that are asked about, each for its request.
const TRequestTable<TTeamRequest, TTeamResponse>& teamRequests();

// The list for the filters: age class 0 and discipline 0 for none.
std::unique_ptr<TTeamRequest> makeTeamGet(int ageClassFilterId, int disciplineFilterId);
// From the editor: the name is trimmed.
std::unique_ptr<TTeamRequest> makeTeamRequest(TTeamRequestType type, int teamId, const QString& name, int ageClassId,
                                              int clubId, std::optional<TTeamFields> loaded = std::nullopt);
// Deleting several rows: one chain, first id first, sharing one batch context.
std::unique_ptr<TTeamRequest> makeTeamDeleteChain(const std::vector<int>& teamIds);
// Athletes dropped onto a team: one request for all of them.
std::unique_ptr<TTeamRequest> makeAssignAthletes(int teamId, std::vector<int> athleteIds);

// What the editor shows when no stored team is current.
const proto::TeamType& defaultTeam();

// Whether the editor's team (trimmed name, chosen age class and billing club, 0 for none) differs
// from the stored one.
bool teamDiffers(const QString& name, int ageClassId, int clubId, const proto::TeamType& stored);

// The list's columns: "Teamname", "Abrechnungsverein", "Altersklasse", "Riege", "#Athleten", "ID";
// its CSV files keep the header "Abrechungsverein" that users' documents may name.
std::vector<TRecordListModel<proto::TeamType>::Column> teamColumns();

// The team disciplines, the only ones the discipline filter offers.
std::vector<proto::DisciplinType> teamDisciplines(const std::vector<proto::DisciplinType>& all);

// The age-class name of the printout's caption: from the first listed team of that class, else
// from the filter's entry.
QString ageClassFilterName(const std::vector<proto::TeamType>& teams, int ageClassId, const QString& entryText);

} // namespace tvp
