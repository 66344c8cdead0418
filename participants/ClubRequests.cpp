#include "participants/ClubRequests.h"

#include "participants/ServerChanges.h"

namespace tvp {

namespace {

using enum TClubRequestType;

proto::ClubInfoDataType info(const TClubInfo& c)
{
    proto::ClubInfoDataType i;
    i.Name = c.name;
    i.Comment = c.comment;
    i.BillingAddress = c.billingAddress;
    return i;
}

void keepRequest(const TClubRequest& request, TClubResponse& response)
{
    response.id = request.ClubID;
    response.ClubInfo = request.ClubInfo;
    response.billingDataPath = request.billingDataPath;
    response.keptOwn = request.keptOwn;
}

void getClubs(TServicePorts& ports, const TClubRequest& request, TClubResponse& response)
{
    keepRequest(request, response);
    response.getResponse = ports.drs().getClubs(ports.competitionId());
}

void createClub(TServicePorts& ports, const TClubRequest& request, TClubResponse& response)
{
    keepRequest(request, response);
    ports.das().addClub(ports.competitionId(), info(request.ClubInfo));
}

QString clubFieldText(const TClubInfo& club, int field)
{
    const QString text = (field == 0 ? club.name : field == 1 ? club.comment : club.billingAddress).trimmed();
    return text.isEmpty() ? QStringLiteral("-") : text;
}

void modifyClub(TServicePorts& ports, const TClubRequest& request, TClubResponse& response)
{
    keepRequest(request, response);
    TClubInfo club = request.ClubInfo;
    if (request.loaded)
        for (const proto::ClubType& c : ports.drs().getClubs(ports.competitionId()))
            if (c.ClubId == request.ClubID) {
                const TClubInfo server{c.Name, c.Comment, c.BillingAddress};
                const int conflict =
                    mergeServerChanges(club, *request.loaded, server, request.keptOwn, &TClubInfo::name,
                                       &TClubInfo::comment, &TClubInfo::billingAddress);
                if (conflict >= 0)
                    refuseChangedElsewhere(clubFieldCaption(conflict), conflict, clubFieldText(server, conflict),
                                           clubFieldText(club, conflict));
            }
    ports.das().modifyClub(request.ClubID, info(club));
}

void deleteClub(TServicePorts& ports, const TClubRequest& request, TClubResponse& response)
{
    keepRequest(request, response);
    ports.cms().removeClub(request.ClubID, request.forceAthleteAssignment, request.forceBillingTeamAssignment);
}

void getBilling(TServicePorts& ports, const TClubRequest& request, TClubResponse& response)
{
    keepRequest(request, response);
    response.billingInfo = ports.drs().getClubBilling(ports.competitionId());
}

// No athlete data: only the club changes, the team stays.
void assignAthletes(TServicePorts& ports, const TClubRequest& request, TClubResponse& response)
{
    keepRequest(request, response);
    for (int athlete : request.athleteIdsToAssign)
        ports.das().modifyAthlete(athlete, nullptr, false, 0, false, false, false, false, false, false, request.ClubID);
}

// No team data and age class 0: only the billing club changes.
void assignTeams(TServicePorts& ports, const TClubRequest& request, TClubResponse& response)
{
    keepRequest(request, response);
    for (int team : request.athleteIdsToAssign)
        ports.das().modifyTeam(team, nullptr, 0, false, false, request.ClubID);
}

} // namespace

const TRequestTable<TClubRequest, TClubResponse>& clubRequests()
{
    static const QString kDeleteCaption = QStringLiteral("Verein/Organisation löschen");
    static const TRequestTable<TClubRequest, TClubResponse> table{
        {
            {rt_get, QStringLiteral("Vereins-/Organisationsliste laden"), &getClubs},
            {rt_create, QStringLiteral("Verein/Organisation anlegen"), &createClub},
            {rt_modify, QStringLiteral("Vereins-/Organisationsdaten ändern"), &modifyClub},
            {rt_delete, kDeleteCaption, &deleteClub},
            {rt_billingInfo, QStringLiteral("Quittungen erstellen"), &getBilling},
            {rt_assignAthletes, QStringLiteral("Athleten zuweisen"), &assignAthletes},
            {rt_assignTeams, QStringLiteral("Teams zuweisen"), &assignTeams},
        },
        {
            {kClubHasTeamsError, &TClubRequest::forceBillingTeamAssignment,
             QStringLiteral("Der Verein/die Organisation ist schon Teams zugewiesen. Trotzdem löschen und betroffene "
                            "Teams ohne Verein/Organisation zurücklassen?"),
             kDeleteCaption, int(rt_delete)},
            {kClubHasAthletesError, &TClubRequest::forceAthleteAssignment,
             QStringLiteral("Der Verein/die Organisation ist schon Athleten zugewiesen. Trotzdem löschen und "
                            "betroffene Athleten ohne Verein/Organisation zurücklassen?"),
             kDeleteCaption, int(rt_delete)},
        },
    };
    return table;
}

QString clubFieldCaption(int field)
{
    static const QStringList captions{QStringLiteral("Der Name"), QStringLiteral("Die Bemerkung"),
                                      QStringLiteral("Die Anschrift")};
    return captions.value(field);
}

std::unique_ptr<TClubRequest> makeClubRequest(TClubRequestType type, int clubId, const TClubInfo& editor,
                                              const std::optional<TClubInfo>& loaded)
{
    auto r = std::make_unique<TClubRequest>();
    r->reqType = type;
    r->ClubID = clubId;
    r->ClubInfo = {editor.name.trimmed(), editor.comment, editor.billingAddress};
    if (loaded)
        r->loaded = TClubInfo{loaded->name.trimmed(), loaded->comment, loaded->billingAddress};
    return r;
}

std::unique_ptr<TClubRequest> makeDeleteChain(const std::vector<int>& clubIds)
{
    const auto context = std::make_shared<TBatchContext>();
    std::unique_ptr<TClubRequest> head;
    for (auto id = clubIds.rbegin(); id != clubIds.rend(); ++id) {
        auto r = makeClubRequest(rt_delete, *id, {});
        r->setBatchContext(context);
        r->nextBatch = std::move(head);
        head = std::move(r);
    }
    return head;
}

std::unique_ptr<TClubRequest> makeAssignRequest(TClubRequestType type, int clubId, std::vector<int> ids)
{
    auto r = makeClubRequest(type, clubId, {});
    r->athleteIdsToAssign = std::move(ids);
    return r;
}

std::unique_ptr<TClubRequest> makeBillingRequest(const QString& billingDataPath)
{
    auto r = makeClubRequest(rt_billingInfo, 0, {});
    r->billingDataPath = billingDataPath;
    return r;
}

} // namespace tvp
