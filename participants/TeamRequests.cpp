#include "participants/TeamRequests.h"

#include "core/results/tvpUtils.h"
#include "core/connection/DeletedElsewhere.h"
#include "participants/ServerChanges.h"

#include <cstdlib>

namespace tvp {

namespace {

using enum TTeamRequestType;

proto::TeamInfoDataType info(const QString& name)
{
    proto::TeamInfoDataType i;
    i.Name = name;
    return i;
}

void getTeams(TServicePorts& ports, const TTeamRequest& request, TTeamResponse& response)
{
    const int competition = ports.competitionId();
    auto& drs = ports.drs();
    response.getResponse = drs.getTeams(competition, request.AgeClassId, nullptr, request.disciplineID);
    response.ageClasses = drs.getAgeClasses(competition, nullptr);
    response.clubs = drs.getClubs(competition);
    response.disciplines = drs.getDisciplines(competition, nullptr, 0);
}

void createTeam(TServicePorts& ports, const TTeamRequest& request, TTeamResponse& response)
{
    const proto::addTeamResponse1 added = ports.das().addTeam(info(request.name), request.AgeClassId, request.ClubID);
    response.id = added.Team ? added.Team->TeamID : 0;
}

void modifyTeam(TServicePorts& ports, const TTeamRequest& request, TTeamResponse& response)
{
    const QString shown = !request.listedName.isEmpty() ? request.listedName
                          : request.loaded              ? request.loaded->name
                                                        : request.name;
    const QString record = QStringLiteral("Das Team \u201E%1\u201C").arg(shown);
    saveUnlessDeletedElsewhere(ports, true, request.teamId, record, [&] {
        TTeamFields team{request.name, request.AgeClassId, request.ClubID};
        if (request.loaded) {
            const proto::getTeamInfoResponse1 now = ports.drs().getTeamInfo(request.teamId, ports.competitionId(), 0);
            if (now.Team) {
                refuseNameChangedElsewhere(team.name, request.loaded->name, now.Team->Name);
                takeServerChanges(team, *request.loaded, teamFieldsOf(*now.Team), &TTeamFields::name,
                                  &TTeamFields::ageClassId, &TTeamFields::clubId);
            }
        }
        ports.das().modifyTeam(request.teamId, info(team.name), team.ageClassId, request.ageClass, team.clubId == 0,
                               team.clubId);
    });
    response.id = request.teamId;
}

void removeTeam(TServicePorts& ports, const TTeamRequest& request, TTeamResponse& response)
{
    ports.cms().removeTeam(request.teamId, request.Remove);
    response.id = request.teamId;
}

void assignAthletes(TServicePorts& ports, const TTeamRequest& request, TTeamResponse& response)
{
    for (int athlete : request.athleteIdsToAssign)
        ports.das().modifyAthlete(athlete, nullptr, request.teamId == 0, request.teamId, false, false, false,
                                  request.forceTeamAmbiguousBib, request.removeAssignedResults, false, 0);
    response.id = request.teamId;
}

} // namespace

const TRequestTable<TTeamRequest, TTeamResponse>& teamRequests()
{
    const QString deleteCaption = QStringLiteral("Team löschen");
    const QString assignCaption = QStringLiteral("AthletIn Team zuweisen");
    static const TRequestTable<TTeamRequest, TTeamResponse> table{
        {
            {rt_get, QStringLiteral("Teamliste laden"), &getTeams},
            {rt_create, QStringLiteral("Team anlegen"), &createTeam},
            {rt_modify, QStringLiteral("Teamdaten ändern"), &modifyTeam},
            {rt_delete, QStringLiteral("Team löschen"), &removeTeam},
            {rt_assignAthletes, QStringLiteral("Athleten zuweisen"), &assignAthletes},
        },
        {
            {46, &TTeamRequest::Remove,
             QStringLiteral("Dem Team sind Athleten zugewiesen. Diese werden ebenfalls (inklusive aller ggf. bereits "
                            "zugeordneten Leistungen) gelöscht. Fortfahren?"),
             deleteCaption, int(rt_delete)},
            {47, &TTeamRequest::Remove,
             QStringLiteral("Dem Team sind schon Ergebnisse zugewiesen. Diese werden ebenfalls gelöscht. Fortfahren?"),
             deleteCaption, int(rt_delete)},
            {48, &TTeamRequest::Remove,
             QStringLiteral("Das Team ist schon in Disziplineinteilungen vorhanden. Trotzdem löschen?"), deleteCaption,
             int(rt_delete)},
            {45, &TTeamRequest::removeAssignedResults,
             QStringLiteral("Dem Athleten sind schon Ergebnisse zugewiesen. Da das neue Team nicht für die "
                            "Disziplin(en) gemeldet ist, werden die Ergebnisse gelöscht. Fortfahren?"),
             assignCaption, int(rt_assignAthletes)},
            {179, &TTeamRequest::forceTeamAmbiguousBib,
             QStringLiteral("Zuweisen der Athleten zum Team würde mehrdeutige Ergebnisse verursachen, da einer "
                            "Startnummer der Athleten schon mindestens ein Ergebnis mit selber Disziplin und Versuch "
                            "wie dem Team zugewiesen ist. Trotzdem zuweisen und Konflikt später auflösen?"),
             assignCaption, int(rt_assignAthletes)},
            {kTeamInSquadOfOtherAgeClassError, &TTeamRequest::ageClass,
             QStringLiteral(
                 "Das Team ist einer Riege mit anderer Altersklasse zugeordnet. Änderung trotzdem übernehmen?"),
             QStringLiteral("Teamdaten ändern"), int(rt_modify)},
        },
    };
    return table;
}

std::unique_ptr<TTeamRequest> makeTeamGet(int ageClassFilterId, int disciplineFilterId)
{
    auto r = std::make_unique<TTeamRequest>();
    r->reqType = rt_get;
    r->AgeClassId = ageClassFilterId;
    r->disciplineID = disciplineFilterId;
    return r;
}

std::unique_ptr<TTeamRequest> makeTeamRequest(TTeamRequestType type, int teamId, const QString& name, int ageClassId,
                                              int clubId, std::optional<TTeamFields> loaded)
{
    auto r = std::make_unique<TTeamRequest>(std::make_shared<TBatchContext>());
    r->reqType = type;
    r->teamId = teamId;
    r->name = name.trimmed();
    r->AgeClassId = ageClassId;
    r->ClubID = clubId;
    r->loaded = std::move(loaded);
    return r;
}

TTeamFields teamFieldsOf(const proto::TeamType& team)
{
    return {team.Name, team.AgeClass ? team.AgeClass->AgeClassID : 0, team.BillingClub ? team.BillingClub->ClubId : 0};
}

std::unique_ptr<TTeamRequest> makeTeamDeleteChain(const std::vector<int>& teamIds)
{
    const auto context = std::make_shared<TBatchContext>();
    std::unique_ptr<TTeamRequest> head;
    for (auto id = teamIds.rbegin(); id != teamIds.rend(); ++id) {
        auto r = std::make_unique<TTeamRequest>(context);
        r->reqType = rt_delete;
        r->teamId = *id;
        r->nextBatch = std::move(head);
        head = std::move(r);
    }
    return head;
}

std::unique_ptr<TTeamRequest> makeAssignAthletes(int teamId, std::vector<int> athleteIds)
{
    auto r = std::make_unique<TTeamRequest>(std::make_shared<TBatchContext>());
    r->reqType = rt_assignAthletes;
    r->teamId = teamId;
    r->athleteIdsToAssign = std::move(athleteIds);
    return r;
}

const proto::TeamType& defaultTeam()
{
    static const proto::TeamType d;
    return d;
}

bool teamDiffers(const QString& name, int ageClassId, int clubId, const proto::TeamType& stored)
{
    if (name != stored.Name.trimmed())
        return true;
    if (stored.AgeClass ? stored.AgeClass->AgeClassID != ageClassId : ageClassId != 0)
        return true;
    return stored.BillingClub ? stored.BillingClub->ClubId != clubId : clubId != 0;
}

std::vector<TRecordListModel<proto::TeamType>::Column> teamColumns()
{
    using T = proto::TeamType;
    return {
        {QStringLiteral("Teamname"), [](const T& t) { return t.Name; }},
        {QStringLiteral("Abrechnungsverein"),
         [](const T& t) { return t.BillingClub ? t.BillingClub->Name : QStringLiteral("-"); },
         QStringLiteral("Abrechungsverein")},
        {QStringLiteral("Altersklasse"), [](const T& t) { return t.AgeClass ? t.AgeClass->Name : QString(); }},
        {QStringLiteral("Riege"), [](const T& t) { return getSquadInfoStr(t.SquadInfo.get()); }},
        {QStringLiteral("#Athleten"), [](const T& t) { return QString::number(t.NoOfAthletes); }},
        {QStringLiteral("ID"), [](const T& t) { return QString::number(std::abs(t.TeamID)); }},
    };
}

std::vector<proto::DisciplinType> teamDisciplines(const std::vector<proto::DisciplinType>& all)
{
    std::vector<proto::DisciplinType> out;
    for (const proto::DisciplinType& d : all)
        if (d.ResultTableType && d.ResultTableType->Team)
            out.push_back(d);
    return out;
}

QString ageClassFilterName(const std::vector<proto::TeamType>& teams, int ageClassId, const QString& entryText)
{
    for (const proto::TeamType& t : teams)
        if (t.AgeClass && t.AgeClass->AgeClassID == ageClassId)
            return t.AgeClass->Name;
    return entryText;
}

} // namespace tvp
