#include "scoring/CupRequests.h"

namespace tvp {

namespace {

using R = TCupRequestType;

void copyRequest(const TCupRequest& request, TCupResponse& response)
{
    response.cupId = request.cupId;
    response.compIds = request.compIds;
}

proto::Owned<proto::CupInfoDataType> cupInfo(const TCupRequest& request)
{
    proto::CupInfoDataType info;
    info.Name = request.name;
    info.MinTeamParticipations = request.minTeamPart;
    info.MinAthleteParticipations = request.minAthletePart;
    return proto::Owned<proto::CupInfoDataType>(std::move(info));
}

void getCups(TServicePorts& ports, const TCupRequest& request, TCupResponse& response)
{
    copyRequest(request, response);
    response.competitions = ports.drs().getCompetitions();
    // Cups are server-wide: 0 asks for all of them.
    response.cups = ports.crs().getCups(0);
}

void createCup(TServicePorts& ports, const TCupRequest& request, TCupResponse& response)
{
    copyRequest(request, response);
    response.cupId = ports.css().createCup(cupInfo(request)).CupID;
}

void modifyCup(TServicePorts& ports, const TCupRequest& request, TCupResponse& response)
{
    copyRequest(request, response);
    ports.css().modifyCup(request.cupId, cupInfo(request));
}

void removeCup(TServicePorts& ports, const TCupRequest& request, TCupResponse& response)
{
    copyRequest(request, response);
    ports.css().removeCup(request.cupId);
}

void assignCompetitions(TServicePorts& ports, const TCupRequest& request, TCupResponse& response)
{
    copyRequest(request, response);
    ports.css().assignCompetitions(request.cupId, request.compIds);
}

void removeCompetitions(TServicePorts& ports, const TCupRequest& request, TCupResponse& response)
{
    copyRequest(request, response);
    ports.css().removeCompetitions(request.cupId, request.compIds, request.forceRemove);
}

} // namespace

const TRequestTable<TCupRequest, TCupResponse>& cupRequests()
{
    static const TRequestTable<TCupRequest, TCupResponse> table{
        {
            {R::rt_get, QStringLiteral("Cup-Listen laden"), &getCups},
            {R::rt_create, QStringLiteral("Cup anlegen"), &createCup},
            {R::rt_modify, QStringLiteral("Cup-Daten ändern"), &modifyCup},
            {R::rt_delete, QStringLiteral("Cup löschen"), &removeCup},
            {R::rt_assignCompetition, QStringLiteral("Veranstaltung zuordnen"), &assignCompetitions},
            {R::rt_removeCompetition, QStringLiteral("Veranstaltung von Cup entfernen"), &removeCompetitions},
        },
        {
            {kCompetitionUsedByCupScoringsError, &TCupRequest::forceRemove,
             QStringLiteral("Es sind noch Cup-Ergebnis-Aggregatoren mit dieser Veranstaltung verbunden. Beim "
                            "Fortfahren wird die Zuordnung aufgehoben und die Cup-Ergebnis-Aggregatoren, die zu "
                            "keiner Veranstaltung mehr gehören gelöscht. Fortfahren?"),
             QStringLiteral("Veranstaltung entfernen?"), int(R::rt_removeCompetition)},
        },
    };
    return table;
}

const proto::CupType& defaultCup()
{
    static const proto::CupType cup = [] {
        proto::CupType c;
        c.MinTeamParticipations = 3;
        c.MinAthleteParticipations = 3;
        c.CupID = 0;
        return c;
    }();
    return cup;
}

bool cupGroupChanged(const TCupGroupValues& values, const proto::CupType* shown)
{
    return !shown || values.name != shown->Name || values.minTeamPart != shown->MinTeamParticipations ||
           values.minAthletePart != shown->MinAthleteParticipations;
}

QString cupIdLabel(int cupId)
{
    return cupId == 0 ? QStringLiteral("ID: -") : QStringLiteral("ID: ") + QString::number(cupId);
}

std::unique_ptr<TCupRequest> makeCupSave(TCupRequestType type, const TCupGroupValues& values, int cupId)
{
    auto request = std::make_unique<TCupRequest>();
    request->reqType = type;
    request->name = values.name;
    request->minTeamPart = values.minTeamPart;
    request->minAthletePart = values.minAthletePart;
    request->cupId = cupId;
    return request;
}

} // namespace tvp
