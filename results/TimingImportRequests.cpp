#include "results/TimingImportRequests.h"

#include "core/protocol/Errors.h"
#include "core/results/tvpTypes.h"
#include "results/TimingConnector.h"

#include <QFileInfo>

#include <algorithm>

namespace tvp {

namespace {

using proto::ResultAssignmentType;

const QString kManually = QStringLiteral("Bitte Lauf manuell eingeben");

QString athleteName(const TTimingImportParticipant& line)
{
    return QStringLiteral("Athlet \"%1 %2\"").arg(line.GivenName, line.SurName);
}

proto::Owned<proto::ResultType> resultOf(const TTimingImportParticipant& line)
{
    proto::Owned<proto::ResultType> result;
    if (line.hasResult)
        result = line.Result;
    return result;
}

proto::Owned<proto::StringSearchType> search(const QString& name, bool caseSensitive)
{
    proto::StringSearchType s;
    s.Name = name;
    s.CaseSensitive = caseSensitive;
    return proto::Owned<proto::StringSearchType>(std::move(s));
}

constexpr int kAttempt = 1;

using Lines = std::vector<TTimingImportParticipant>;

void storeByLane(TServicePorts& ports, int discipline, const TTimingImportRequest& request, const Lines& lines)
{
    for (const TTimingImportParticipant& line : lines) {
        proto::LaneHeatType place;
        place.HeatNo = request.heat;
        place.Lane = line.lane;
        (void)ports.das().setResult(discipline, 0, place, 0, 0, resultOf(line), kAttempt);
    }
}

void storeByBib(TServicePorts& ports, int discipline, const Lines& lines)
{
    for (const TTimingImportParticipant& line : lines) {
        if (line.Bib == 0)
            throw TvpError(athleteName(line) +
                           QStringLiteral(" hat keine Startnummer. Disziplineinstellungen verlangen Zuordnung über "
                                          "Startnummer. Bitte Disziplineinstellungen ändern oder Lauf manuell "
                                          "eingeben"));
        (void)ports.das().setResult(discipline, line.Bib, false, nullptr, 0, 0, resultOf(line), kAttempt);
    }
}

void storeByAthleteOrTeam(TServicePorts& ports, const proto::DisciplinType& discipline, const Lines& lines)
{
    const int competition = ports.competitionId();
    const bool teams = discipline.ResultTableType && discipline.ResultTableType->Team;
    for (const TTimingImportParticipant& line : lines) {
        const proto::getTeamsResponse1 found = ports.drs().getTeams(competition, 0, search(line.Team, true), 0);
        const int team = found.size() == 1 ? found.front().TeamID : 0;
        if (!teams) {
            const proto::getAthletesResponse1 athletes = ports.drs().getAthletes(
                competition, 0, team, 0, search(line.GivenName, false), search(line.SurName, false), 0);
            if (athletes.size() > 1)
                throw TvpError(athleteName(line) +
                               QStringLiteral(" konnte nur mehrdeutig in der Datenbank gefunden werden. ") + kManually);
            if (athletes.empty())
                throw TvpError(athleteName(line) + QStringLiteral(" konnte nicht in der Datenbank gefunden werden. ") +
                               kManually);
            (void)ports.das().setResult(discipline.DisciplinID, 0, nullptr, athletes.front().AthleteID, 0,
                                        resultOf(line), kAttempt);
            continue;
        }
        if (team == 0)
            throw TvpError(
                QStringLiteral("Team \"%1\" konnte nicht in der Datenbank gefunden werden. ").arg(line.Team) +
                kManually);
        (void)ports.das().setResult(discipline.DisciplinID, 0, nullptr, 0, team, resultOf(line), kAttempt);
    }
}

void importRun(TServicePorts& ports, const TTimingImportRequest& request, TTimingImportResponse& response)
{
    response.heat = request.heat;
    response.filename = request.filename;
    const QString fileName = QFileInfo(request.filename).fileName();
    if (const TRunKey key = readRunKey(fileName); !key.misfit.isEmpty())
        throw TvpError(
            QStringLiteral("Der Lauf \"%1\" kann nicht importiert werden: %2. ").arg(request.description, key.misfit) +
            kManually);
    const proto::getDisciplinesResponse1 disciplines = ports.drs().getDisciplines(ports.competitionId(), nullptr, 0);
    const QString timingNumber = QString::number(request.timingID);
    for (const proto::DisciplinType& d : disciplines) {
        if (ports.drs().getUiInfo(uiInfoKeys::DiscTimingId, d.DisciplinID).Value != timingNumber)
            continue;
        response.discipline = d.DisciplinID;
        response.read = readRunForImport(request.filename);
        response.changed = !sameRun(response.read, request.listed);
        const Lines lines = parseRunFile(response.read, fileName).participants;
        switch (d.ResultAssignment) {
        case ResultAssignmentType::byAthleteOrTeam: storeByAthleteOrTeam(ports, d, lines); break;
        case ResultAssignmentType::byBib: storeByBib(ports, d.DisciplinID, lines); break;
        case ResultAssignmentType::byLane: storeByLane(ports, d.DisciplinID, request, lines); break;
        }
        return;
    }
}

} // namespace

const TRequestTable<TTimingImportRequest, TTimingImportResponse>& timingImportRequests()
{
    static const TRequestTable<TTimingImportRequest, TTimingImportResponse> table{
        {{0, kTimingImportName, &importRun}},
    };
    return table;
}

std::unique_ptr<TTimingImportRequest> makeTimingImportRequest(const TTimingImportHeat& run)
{
    auto request = std::make_unique<TTimingImportRequest>();
    request->timingID = run.RunId;
    request->heat = run.heatNo;
    request->description = run.description;
    request->filename = run.filename;
    request->listed = run.contents;
    return request;
}

QString timingRunStatusText(const TTimingImportHeat& run)
{
    return run.status == TImportStatus::isImported ? QStringLiteral("Importiert") : QStringLiteral("Nicht verarbeitet");
}

QString timingRunTimeText(const TTimingImportHeat& run)
{
    return fromOleDate(run.startTime).toString(QStringLiteral("hh:mm dd.MM.yyyy"));
}

void sortRunsNewestFirst(std::vector<TTimingImportHeat>& runs)
{
    std::stable_sort(runs.begin(), runs.end(),
                     [](const TTimingImportHeat& a, const TTimingImportHeat& b) { return a.startTime > b.startTime; });
}

} // namespace tvp
