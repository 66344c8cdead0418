#include "participants/LadvRequests.h"

#include "core/protocol/TVPWebServices2.h"

namespace tvp {

namespace {

using enum TLADVRequestType;

void importStream(TServicePorts& ports, const TLADVRequest& request, TLADVResponse&)
{
    ports.cms().importParticipants(ports.competitionId(), request.streamType, request.importStream);
}

TLadvCredentials credentialsOf(const TLADVRequest& request)
{
    return {request.userName, request.password};
}

void download(TServicePorts&, const TLADVRequest& request, TLADVResponse& response)
{
    // A service of its own per request: its HTTP handles are never shared.
    const TLadvService service(request.makerBaseUrl);
    response.importStream = service.downloadParticipants(request.competitionLADVID, credentialsOf(request));
}

void competitionList(TServicePorts&, const TLADVRequest& request, TLADVResponse& response)
{
    const TLadvService service(request.makerBaseUrl);
    response.competitionList = service.loadCompetitionList(credentialsOf(request));
}

// The import's server calls through the worker's ports.
class TPortImportTarget : public IImportTarget {
public:
    explicit TPortImportTarget(TServicePorts& ports) : ports_(ports), competition_(ports.competitionId()) {}

    int createAgeClass(const proto::AgeClassInfoType& info) override
    {
        const proto::createAgeClassResponse1 r =
            ports_.cms().createAgeClass(proto::Owned<proto::AgeClassInfoType>(info), competition_);
        return r.AgeClass ? r.AgeClass->AgeClassID : 0;
    }
    int addClub(const proto::ClubInfoDataType& info) override
    {
        const proto::addClubResponse1 r =
            ports_.das().addClub(competition_, proto::Owned<proto::ClubInfoDataType>(info));
        return r.Club ? r.Club->ClubId : 0;
    }
    int addTeam(const proto::TeamInfoDataType& info, int ageClassId) override
    {
        const proto::addTeamResponse1 r =
            ports_.das().addTeam(proto::Owned<proto::TeamInfoDataType>(info), ageClassId, 0);
        return r.Team ? r.Team->TeamID : 0;
    }
    void addAthlete(const proto::AthleteInfoDataType& info, int teamId, int clubId) override
    {
        (void)ports_.das().addAthlete(proto::Owned<proto::AthleteInfoDataType>(info), teamId, competition_, false,
                                      clubId);
    }

private:
    TServicePorts& ports_;
    int competition_;
};

void genericImport(TServicePorts& ports, const TGenericImportRequest& request, TGenericImportResponse&)
{
    executeImportOnServer(ports, request.import);
}

} // namespace

void executeImportOnServer(TServicePorts& ports, const TImportRequest& request)
{
    const int competition = ports.competitionId();
    TImportExisting existing;
    existing.ageClasses = ports.drs().getAgeClasses(competition, nullptr);
    existing.teams = ports.drs().getTeams(competition, 0, nullptr, 0);
    existing.clubs = ports.drs().getClubs(competition);
    TPortImportTarget target(ports);
    executeImportRequest(request, existing, target);
}

const TRequestTable<TLADVRequest, TLADVResponse>& ladvRequests()
{
    // The wait texts are the window's own, not the request names.
    static const TRequestTable<TLADVRequest, TLADVResponse> table{{
        {lr_import, QStringLiteral("Athleten importieren"), &importStream, false},
        {lr_download, QStringLiteral("Teilnehmer von LADV herunterladen"), &download, false},
        {lr_getCompList, QStringLiteral("Veranstaltungsliste herunterladen"), &competitionList, false},
    }};
    return table;
}

const TRequestTable<TGenericImportRequest, TGenericImportResponse>& genericImportRequests()
{
    static const TRequestTable<TGenericImportRequest, TGenericImportResponse> table{{
        {0, kGenericImportCaption, &genericImport, false},
    }};
    return table;
}

} // namespace tvp
