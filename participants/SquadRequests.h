#pragma once
// The squads window's server requests, and the requests it builds from the editor, from a team
// drop, from a reordering drag and from a delete of several rows.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ParticipantRecords.h"

#include <memory>
#include <optional>
#include <vector>

namespace tvp {

enum class TSquadRequestType {
    rt_get = 0,
    rt_create = 1,
    rt_modify = 2,
    rt_delete = 3,
    rt_assignToDisciplines = 4,
    rt_batchModifyOrder = 5,
};

// The editor's values.
struct TSquadEditor {
    int orderIndex = 0;
    QString name;
    int ageClassId = 0;
    std::vector<int> teamIds;
};
TSquadEditor squadEditorOf(const proto::SquadType& squad);

// What the user left as loaded takes the server's value, so that saving never undoes another
// window's or desk's change: the name (compared trimmed, as it is saved), order index and age
// class; the teams are the user's list without the loaded ones the server took out since, and with
// the ones it added at the end.
void takeSquadServerChanges(TSquadEditor& edited, const TSquadEditor& loaded, const TSquadEditor& server);

struct TSquadRequest : TBatchRequest {
    TSquadRequestType reqType = TSquadRequestType::rt_get;
    int orderIndex = 0;
    QString name;
    int AgeClassId = 0;
    int squadId = 0;
    std::vector<int> squadIdList;
    std::vector<int> teamIdList;
    // The design's force set, one flag per element.
    bool forceTeamReassignment = false;
    bool forceAgeClassDisc = false;
    bool forceAgeClassTeam = false;
    bool forceOrderIndex = false;
    bool forceRemove = false;
    bool forceRemoveAssignedResults = false;
    bool forceRemoveScheduleItem = false;
    // The filters of rt_get.
    int ageClassFilterId = 0;
    int disciplineFilterId = 0;
    // A change: the squad as the window had it. The worker reads the squad again and sends the
    // server's value for whatever the request leaves as loaded (takeSquadServerChanges).
    std::optional<TSquadEditor> loaded;
};

struct TSquadResponse : TBatchResponse {
    TSquadRequestType reqType = TSquadRequestType::rt_get;
    proto::getSquadsResponse getResponse;
    int id = 0;
    int orderIndex = 0;
    QString name;
    int AgeClassId = 0;
    std::vector<int> teamIdList;
    std::vector<proto::AgeClassType> ageClasses;
    std::vector<proto::DisciplinType> disciplines;
};

// Request names, worker functions and the refusals the user may overrule, per command.
const TRequestTable<TSquadRequest, TSquadResponse>& squadRequests();

// From the editor: the name trimmed, force {ft_forceOrderIndex} plus ft_forceAgeClassTeam when the
// user accepted teams of another age class. A new batch context. A change carries the squad as the
// editor loaded it.
std::unique_ptr<TSquadRequest> getSquadRequestFromUI(TSquadRequestType type, int squadId, const TSquadEditor& editor,
                                                     bool teamAgeMismatchConfirmed,
                                                     std::optional<TSquadEditor> loaded = std::nullopt);

// Teams dropped onto a squad row: the squad as it is, its teams followed by the dropped ones (those
// already in it stay where they are), no force. Like the reorder below, it carries the squad as
// listed as loaded.
std::unique_ptr<TSquadRequest> makeTeamsToSquadRequest(const proto::SquadType& squad,
                                                       const std::vector<int>& droppedTeamIds);

// Deleting: one chain in the order given, sharing one batch context, no force.
std::unique_ptr<TSquadRequest> makeSquadDeleteChain(const std::vector<int>& squadIds);

// Moving the selected squads before the target squad (Ctrl-drag onto a row). Worked out on the
// squads in order-index order, whatever column the list is sorted by, so the squads in between
// close the gap or move aside. One request per squad that changes, the last one forced; null when
// nothing changes.
std::unique_ptr<TSquadRequest> makeReorderChain(const std::vector<proto::SquadType>& squads,
                                                const std::vector<int>& selectedIds, int targetSquadId);

// One request of the chain, for the window's tests and the worker: the squads in chain order with
// their new order index.
std::vector<std::pair<int, int>> chainOrder(const TSquadRequest* head);

} // namespace tvp
