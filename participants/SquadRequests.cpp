#include "participants/SquadRequests.h"

#include "participants/ServerChanges.h"

#include <algorithm>

namespace tvp {

namespace {

using enum TSquadRequestType;

void keepRequest(const TSquadRequest& request, TSquadResponse& response)
{
    response.id = request.squadId;
    response.orderIndex = request.orderIndex;
    response.name = request.name;
    response.AgeClassId = request.AgeClassId;
    if (request.reqType == rt_create || request.reqType == rt_modify)
        response.teamIdList = request.teamIdList;
}

proto::SquadInfoDataType info(int orderIndex, const QString& name)
{
    proto::SquadInfoDataType i;
    i.OrderIndex = orderIndex;
    i.CustomName = name;
    return i;
}

void getSquads(TServicePorts& ports, const TSquadRequest& request, TSquadResponse& response)
{
    keepRequest(request, response);
    const int competition = ports.competitionId();
    response.getResponse = ports.drs().getSquads(competition, request.ageClassFilterId, request.disciplineFilterId);
    response.ageClasses = ports.drs().getAgeClasses(competition, nullptr);
    response.disciplines = ports.drs().getDisciplines(competition, nullptr, 0);
}

void createSquad(TServicePorts& ports, const TSquadRequest& request, TSquadResponse& response)
{
    keepRequest(request, response);
    ports.das().addSquad(ports.competitionId(), info(request.orderIndex, request.name), request.AgeClassId,
                         request.teamIdList, request.forceTeamReassignment, request.forceRemoveAssignedResults);
}

// Sent on the squad as the server has it now, wherever the user left it as loaded.
void modifyOne(TServicePorts& ports, const TSquadRequest& r, const std::vector<proto::SquadType>& server)
{
    TSquadEditor squad{r.orderIndex, r.name, r.AgeClassId, r.teamIdList};
    const auto now =
        std::find_if(server.begin(), server.end(), [&](const proto::SquadType& s) { return s.SquadID == r.squadId; });
    if (r.loaded && now != server.end()) {
        refuseNameChangedElsewhere(squad.name, r.loaded->name, now->CustomName);
        takeSquadServerChanges(squad, *r.loaded, squadEditorOf(*now));
    }
    ports.das().modifySquad(r.squadId, info(squad.orderIndex, squad.name), squad.ageClassId, squad.teamIds,
                            r.forceTeamReassignment, r.forceAgeClassDisc, r.forceAgeClassTeam, r.forceOrderIndex,
                            r.forceRemoveAssignedResults);
}

// A reorder chain runs whole in this one worker run (and its one transaction); each item is
// consumed as it goes, so a refused item leaves the rest with the response.
void modifySquads(TServicePorts& ports, const TSquadRequest& request, TSquadResponse& response)
{
    keepRequest(request, response);
    // Read once for the whole chain: its items change order indices only, each its own.
    std::vector<proto::SquadType> server;
    if (request.loaded)
        server = ports.drs().getSquads(ports.competitionId(), 0, 0).Squads;
    modifyOne(ports, request, server);
    while (auto* next = dynamic_cast<TSquadRequest*>(response.nextBatch.get())) {
        if (next->reqType != rt_batchModifyOrder)
            break;
        modifyOne(ports, *next, server);
        response.nextBatch = std::move(next->nextBatch);
    }
}

void deleteSquad(TServicePorts& ports, const TSquadRequest& request, TSquadResponse& response)
{
    keepRequest(request, response);
    ports.cms().removeSquad(request.squadId, request.forceRemove, request.forceRemoveScheduleItem);
}

// Each marked squad goes to every discipline of its age class that does not have it yet.
void assignToDisciplines(TServicePorts& ports, const TSquadRequest& request, TSquadResponse& response)
{
    keepRequest(request, response);
    const int competition = ports.competitionId();
    for (const proto::DisciplinType& d : ports.drs().getDisciplines(competition, nullptr, 0)) {
        for (const proto::SquadType& s : ports.drs().getSquads(competition, 0, d.DisciplinID).Squads) {
            if (!s.AgeClass || s.AgeClass->AgeClassID != d.AgeClassID)
                continue;
            if (std::find(request.squadIdList.begin(), request.squadIdList.end(), s.SquadID) ==
                request.squadIdList.end())
                continue;
            ports.dss().assignSquadsToDisc(proto::AssignmentType::ASSIGN, d.DisciplinID, {s.SquadID}, false, false);
        }
    }
}

const QString kResultsCaption = QStringLiteral("Riegenergebnisse entfernen?");
const QString kTeamsElsewhere =
    QStringLiteral("Mindestens eines dieser Teams ist schon einer anderen Riege "
                   "zugewiesen. Sollen diese stattdessen in diese Riege übernommen werden?");
const QString kAthleteResultsOnChange =
    QStringLiteral("Durch die Riegenänderung werden Athleten aus Disziplinen entfernt, die bereits zugeordnete "
                   "Ergebnisse haben. Alle geänderten Teams und deren Athleten der Riege mit ihren Ergebnissen "
                   "entfernen?");
const QString kTeamResultsOnChange =
    QStringLiteral("Durch die Riegenänderung werden Teams aus Disziplinen entfernt, die bereits zugeordnete "
                   "Ergebnisse haben. Alle geänderten Teams und deren Athleten der Riege mit ihren Ergebnissen "
                   "entfernen?");

std::unique_ptr<TSquadRequest> newRequest(TSquadRequestType type)
{
    auto r = std::make_unique<TSquadRequest>();
    r->reqType = type;
    return r;
}

std::vector<int> teamIdsOf(const proto::SquadType& squad)
{
    std::vector<int> ids;
    for (const proto::TeamType& t : squad.AssignedTeams)
        ids.push_back(t.TeamID);
    return ids;
}

int ageClassIdOf(const proto::SquadType& squad)
{
    return squad.AgeClass ? squad.AgeClass->AgeClassID : 0;
}

// Appends to a chain kept by its head and a pointer to its last item.
void append(std::unique_ptr<TSquadRequest>& head, TSquadRequest*& last, std::unique_ptr<TSquadRequest> item)
{
    TSquadRequest* raw = item.get();
    if (last)
        last->nextBatch = std::move(item);
    else
        head = std::move(item);
    last = raw;
}

} // namespace

const TRequestTable<TSquadRequest, TSquadResponse>& squadRequests()
{
    using R = TSquadRequest;
    static const TRequestTable<TSquadRequest, TSquadResponse> table{
        {
            {rt_get, QStringLiteral("Riegenliste laden"), &getSquads},
            {rt_create, QStringLiteral("Riege anlegen"), &createSquad},
            {rt_modify, QStringLiteral("Riegedaten ändern"), &modifySquads},
            {rt_delete, QStringLiteral("Riege löschen"), &deleteSquad},
            // Its own wait text, "Riegen werden zugeordnet...", is the window's.
            {rt_assignToDisciplines, QStringLiteral("Riegen zuordnen"), &assignToDisciplines, false},
            {rt_batchModifyOrder, QStringLiteral("Riegen umsortieren"), &modifySquads},
        },
        {
            {61, &R::forceTeamReassignment, kTeamsElsewhere, QStringLiteral("Neue Riege hinzufügen"), int(rt_create)},
            {45, &R::forceRemoveAssignedResults, kAthleteResultsOnChange, kResultsCaption, int(rt_create)},
            {47, &R::forceRemoveAssignedResults, kTeamResultsOnChange, kResultsCaption, int(rt_create)},
            {61, &R::forceTeamReassignment, kTeamsElsewhere, QStringLiteral("Riege ändern"), int(rt_modify)},
            {71, &R::forceAgeClassDisc,
             QStringLiteral("Der Riege sind schon Disziplinen mit anderer Altersklasse zugewiesen, soll die "
                            "Altersklasse dennoch verändert werden?"),
             QStringLiteral("Riege ändern"), int(rt_modify)},
            {74, &R::forceAgeClassTeam,
             QStringLiteral("Der Riege sind schon Teams mit anderer Altersklasse zugewiesen, soll die Altersklasse "
                            "dennoch verändert werden?"),
             QStringLiteral("Riege ändern"), int(rt_modify)},
            {45, &R::forceRemoveAssignedResults, kAthleteResultsOnChange, kResultsCaption, int(rt_modify)},
            {47, &R::forceRemoveAssignedResults, kTeamResultsOnChange, kResultsCaption, int(rt_modify)},
            {45, &R::forceRemove,
             QStringLiteral("Athleten der zu entfernenden Riege haben in Disziplinen bereits zugeordnete Ergebnisse. "
                            "Alle Teams und deren Athleten der Riege mit ihren Ergebnissen entfernen?"),
             kResultsCaption, int(rt_delete)},
            {47, &R::forceRemove,
             QStringLiteral("Teams der zu entfernenden Riege haben in Disziplinen bereits zugeordnete Ergebnisse. "
                            "Alle Teams und deren Athleten der Riege mit ihren Ergebnissen entfernen?"),
             kResultsCaption, int(rt_delete)},
            {66, &R::forceRemove, QStringLiteral("Riege ist bereits einer Disziplin zugeordnet. Trotzdem löschen?"),
             QStringLiteral("Riege löschen"), int(rt_delete)},
            {151, &R::forceRemoveScheduleItem,
             QStringLiteral("Der Riege sind bereits Zeitplaneinträge zugeordnet. Riege inklusive Zeitplaneinträgen "
                            "löschen?"),
             QStringLiteral("Riege löschen"), int(rt_delete)},
        },
    };
    return table;
}

TSquadEditor squadEditorOf(const proto::SquadType& squad)
{
    return {squad.OrderIndex, squad.CustomName, ageClassIdOf(squad), teamIdsOf(squad)};
}

void takeSquadServerChanges(TSquadEditor& edited, const TSquadEditor& loaded, const TSquadEditor& server)
{
    if (edited.name.trimmed() == loaded.name.trimmed())
        edited.name = server.name;
    takeServerChanges(edited, loaded, server, &TSquadEditor::orderIndex, &TSquadEditor::ageClassId);
    if (edited.teamIds == loaded.teamIds) {
        edited.teamIds = server.teamIds;
        return;
    }
    const auto contains = [](const std::vector<int>& ids, int id) {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    std::vector<int> teams;
    for (int id : edited.teamIds)
        if (contains(server.teamIds, id) || !contains(loaded.teamIds, id))
            teams.push_back(id);
    for (int id : server.teamIds)
        if (!contains(loaded.teamIds, id) && !contains(edited.teamIds, id))
            teams.push_back(id);
    edited.teamIds = std::move(teams);
}

std::unique_ptr<TSquadRequest> getSquadRequestFromUI(TSquadRequestType type, int squadId, const TSquadEditor& editor,
                                                     bool teamAgeMismatchConfirmed, std::optional<TSquadEditor> loaded)
{
    auto r = newRequest(type);
    r->setBatchContext(std::make_shared<TBatchContext>());
    r->squadId = squadId;
    r->name = editor.name.trimmed();
    r->AgeClassId = editor.ageClassId;
    r->orderIndex = editor.orderIndex;
    r->teamIdList = editor.teamIds;
    r->forceOrderIndex = true;
    r->forceAgeClassTeam = teamAgeMismatchConfirmed;
    r->loaded = std::move(loaded);
    return r;
}

std::unique_ptr<TSquadRequest> makeTeamsToSquadRequest(const proto::SquadType& squad,
                                                       const std::vector<int>& droppedTeamIds)
{
    auto r = newRequest(rt_modify);
    r->setBatchContext(std::make_shared<TBatchContext>());
    r->squadId = squad.SquadID;
    r->orderIndex = squad.OrderIndex;
    r->name = squad.CustomName;
    r->AgeClassId = ageClassIdOf(squad);
    r->teamIdList = teamIdsOf(squad);
    r->loaded = squadEditorOf(squad);
    for (int id : droppedTeamIds)
        if (std::find(r->teamIdList.begin(), r->teamIdList.end(), id) == r->teamIdList.end())
            r->teamIdList.push_back(id);
    return r;
}

std::unique_ptr<TSquadRequest> makeSquadDeleteChain(const std::vector<int>& squadIds)
{
    const auto context = std::make_shared<TBatchContext>();
    std::unique_ptr<TSquadRequest> head;
    TSquadRequest* last = nullptr;
    for (int id : squadIds) {
        auto r = newRequest(rt_delete);
        r->setBatchContext(context);
        r->squadId = id;
        append(head, last, std::move(r));
    }
    return head;
}

std::unique_ptr<TSquadRequest> makeReorderChain(const std::vector<proto::SquadType>& squads,
                                                const std::vector<int>& selectedIds, int targetSquadId)
{
    // The walk needs the squads in their order: a list sorted by name would move the wrong ones.
    std::vector<const proto::SquadType*> rows;
    for (const proto::SquadType& s : squads)
        rows.push_back(&s);
    std::stable_sort(rows.begin(), rows.end(), [](const proto::SquadType* a, const proto::SquadType* b) {
        return a->OrderIndex < b->OrderIndex;
    });
    const auto targetRow =
        std::find_if(rows.begin(), rows.end(), [&](const proto::SquadType* s) { return s->SquadID == targetSquadId; });
    if (targetRow == rows.end())
        return nullptr;
    auto isSelected = [&](const proto::SquadType* s) {
        return std::find(selectedIds.begin(), selectedIds.end(), s->SquadID) != selectedIds.end();
    };
    const int target = (*targetRow)->OrderIndex;
    int next = target - int(std::count_if(rows.begin(), targetRow, isSelected));
    int shift = 0;

    const auto context = std::make_shared<TBatchContext>();
    std::unique_ptr<TSquadRequest> head;
    TSquadRequest* last = nullptr;
    for (const proto::SquadType* row : rows) {
        const bool selected = isSelected(row);
        if (!selected && shift < 1)
            continue;
        if (row->OrderIndex == target) {
            shift = 0;
            if (!selected)
                continue;
        }
        auto r = newRequest(rt_batchModifyOrder);
        r->setBatchContext(context);
        r->squadId = row->SquadID;
        r->name = row->CustomName;
        r->AgeClassId = ageClassIdOf(*row);
        r->teamIdList = teamIdsOf(*row);
        r->loaded = squadEditorOf(*row);
        if (selected) {
            r->orderIndex = next++;
            if (row->OrderIndex < target)
                ++shift;
        } else {
            r->orderIndex = row->OrderIndex - shift;
        }
        append(head, last, std::move(r));
    }
    if (last)
        last->forceOrderIndex = true;
    return head;
}

std::vector<std::pair<int, int>> chainOrder(const TSquadRequest* head)
{
    std::vector<std::pair<int, int>> out;
    for (const TSquadRequest* r = head; r; r = dynamic_cast<const TSquadRequest*>(r->nextBatch.get()))
        out.emplace_back(r->squadId, r->orderIndex);
    return out;
}

} // namespace tvp
