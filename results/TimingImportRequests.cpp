#include "results/TimingImportRequests.h"

#include "core/protocol/Errors.h"
#include "core/results/tvpTypes.h"
#include "core/results/tvpUtils.h"
#include "results/TimingConnector.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <optional>

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

// The words of the results a run touches, as the result window shows them. A line without a time
// stores nothing: what the server holds for its participant (typed by hand, or an earlier run)
// stays, and the import names it.
class RunResults {
public:
    RunResults(TServicePorts& ports, const proto::DisciplinType& discipline, TTimingImportResponse& response)
        : ports_(ports), discipline_(discipline), response_(response)
    {
    }

    bool teams() const { return discipline_.ResultTableType && discipline_.ResultTableType->Team; }

    // The line's participant: an athlete, or in a team discipline a team (the athlete's when only
    // the athlete is known).
    void note(const TTimingImportParticipant& line, const QString& place, int athlete, int team)
    {
        const proto::ResultType* held = find(athlete, team);
        if (!held)
            return;
        QStringList who;
        if (!place.isEmpty())
            who << place;
        const QString name =
            teams() && !line.Team.isEmpty() ? line.Team : (line.GivenName + u' ' + line.SurName).trimmed();
        if (!name.isEmpty())
            who << name;
        response_.kept << who.join(QStringLiteral(", ")) + QStringLiteral(": ") + text(*held);
    }

    // A line not stored, named with its time.
    void refuse(const TTimingImportParticipant& line)
    {
        response_.doubled << describeResultLine(line) + QStringLiteral(": ") +
                                 (line.hasResult ? text(line.Result) : QStringLiteral("ohne Zeit"));
    }

private:
    QString text(const proto::ResultType& result)
    {
        if (!format_)
            format_ = uiInfoStringToResultFormat(
                ports_.drs().getUiInfo(uiInfoKeys::DisciplinResultFormat, discipline_.DisciplinID).Value);
        try {
            return ResultToString(result, *format_, unitPattern());
        } catch (const std::exception&) {
            return ResultToString(result, *format_, QString());
        }
    }

    QString unitPattern() const
    {
        return discipline_.ResultTableType ? discipline_.ResultTableType->ResultUnitPattern : QString();
    }

    const proto::ResultType* find(int athlete, int team)
    {
        if (!table_)
            table_ = ports_.drs().getResultTable(discipline_.DisciplinID);
        for (const proto::AssignedResultType& r : table_->Results) {
            if (r.Attempt != kAttempt)
                continue;
            const bool mine = teams() ? team != 0 && std::ranges::find(r.TeamId, team) != r.TeamId.end()
                                      : athlete != 0 && r.AthleteId == athlete;
            if (mine)
                return &r;
        }
        return nullptr;
    }

    TServicePorts& ports_;
    const proto::DisciplinType& discipline_;
    TTimingImportResponse& response_;
    std::optional<proto::getResultTableResponse1> table_;
    std::optional<TResultformat> format_;
};

int teamOf(const proto::AthleteType& athlete)
{
    return athlete.Team ? athlete.Team->TeamID : 0;
}

// The child a line names: its bib, or without one its names.
QString childOf(const TTimingImportParticipant& line)
{
    if (line.Bib != 0)
        return QString::number(line.Bib);
    return (line.GivenName + u'\t' + line.SurName + u'\t' + line.Team).toCaseFolded();
}

// Whether the line names the participant the heat has in its lane.
bool namesOccupant(const proto::VersionedParticipantsType& at, const TTimingImportParticipant& line)
{
    auto sameName = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; };
    if (at.Athlete) {
        const proto::AthleteType& athlete = *at.Athlete;
        if (line.Bib != 0)
            return std::ranges::find(athlete.Bib, line.Bib) != athlete.Bib.end();
        return athlete.Name && sameName(athlete.Name->givenName, line.GivenName) &&
               sameName(athlete.Name->surName, line.SurName);
    }
    if (!at.Team || !at.Team->Team)
        return false;
    if (line.Bib != 0)
        return std::ranges::any_of(at.Team->Athletes, [&](const proto::AthleteType& a) {
            return std::ranges::find(a.Bib, line.Bib) != a.Bib.end();
        });
    return at.Team->Team->Name == line.Team;
}

// By lane the lane finds the child. Lines of one lane for one child are the timing program's
// corrections: stored in order, the later wins. Lines of one lane naming different children are
// stored only where they name the one the heat has there, so no child gets another's time.
void storeByLane(TServicePorts& ports, const proto::DisciplinType& d, const TTimingImportRequest& request,
                 const Lines& all, std::ptrdiff_t before, RunResults& results)
{
    QHash<int, QSet<QString>> children;
    for (const TTimingImportParticipant& line : all)
        children[line.lane].insert(childOf(line));
    std::optional<proto::getDisciplinParticipantsResponse1> heats;
    auto occupant = [&](int lane) -> const proto::VersionedParticipantsType* {
        if (!heats)
            heats = ports.drs().getDisciplinParticipants(d.DisciplinID, request.heat);
        for (const proto::HeatParticipantsType& heat : heats->HeatList)
            if (heat.HeatNo == request.heat && lane >= 1 && lane <= int(heat.VersionedParticipants.size()))
                return &heat.VersionedParticipants[std::size_t(lane - 1)];
        return nullptr;
    };
    for (std::ptrdiff_t i = before; i < std::ssize(all); ++i) {
        const TTimingImportParticipant& line = all[std::size_t(i)];
        if (line.lane > 0 && children.value(line.lane).size() > 1) {
            const proto::VersionedParticipantsType* at = occupant(line.lane);
            if (!at || !namesOccupant(*at, line)) {
                results.refuse(line);
                continue;
            }
        }
        if (!line.hasResult) {
            if (const proto::VersionedParticipantsType* at = occupant(line.lane)) {
                const QString place = QStringLiteral("Bahn %1").arg(line.lane);
                if (at->Athlete)
                    results.note(line, place, at->Athlete->AthleteID, teamOf(*at->Athlete));
                else if (at->Team && at->Team->Team)
                    results.note(line, place, 0, at->Team->Team->TeamID);
            }
            continue;
        }
        proto::LaneHeatType place;
        place.HeatNo = request.heat;
        place.Lane = line.lane;
        (void)ports.das().setResult(d.DisciplinID, 0, place, 0, 0, resultOf(line), kAttempt);
    }
}

void storeByBib(TServicePorts& ports, const proto::DisciplinType& d, const Lines& lines, RunResults& kept)
{
    for (const TTimingImportParticipant& line : lines) {
        if (line.Bib == 0)
            throw TvpError(athleteName(line) +
                           QStringLiteral(" hat keine Startnummer. Disziplineinstellungen verlangen Zuordnung über "
                                          "Startnummer. Bitte Disziplineinstellungen ändern oder Lauf manuell "
                                          "eingeben"));
        if (!line.hasResult) {
            const proto::getAthletesResponse1 holder =
                ports.drs().getAthletes(ports.competitionId(), 0, 0, line.Bib, nullptr, nullptr, 0);
            if (!holder.empty())
                kept.note(line, QStringLiteral("Startnummer %1").arg(line.Bib), holder.front().AthleteID,
                          teamOf(holder.front()));
            continue;
        }
        (void)ports.das().setResult(d.DisciplinID, line.Bib, false, nullptr, 0, 0, resultOf(line), kAttempt);
    }
}

void storeByAthleteOrTeam(TServicePorts& ports, const proto::DisciplinType& discipline, const Lines& lines,
                          RunResults& kept)
{
    const int competition = ports.competitionId();
    for (const TTimingImportParticipant& line : lines) {
        const proto::getTeamsResponse1 found = ports.drs().getTeams(competition, 0, search(line.Team, true), 0);
        const int team = found.size() == 1 ? found.front().TeamID : 0;
        const QString bib = line.Bib != 0 ? QStringLiteral("Startnummer %1").arg(line.Bib) : QString();
        if (!kept.teams()) {
            const proto::getAthletesResponse1 athletes = ports.drs().getAthletes(
                competition, 0, team, 0, search(line.GivenName, false), search(line.SurName, false), 0);
            if (athletes.size() > 1)
                throw TvpError(athleteName(line) +
                               QStringLiteral(" konnte nur mehrdeutig in der Datenbank gefunden werden. ") + kManually);
            if (athletes.empty())
                throw TvpError(athleteName(line) + QStringLiteral(" konnte nicht in der Datenbank gefunden werden. ") +
                               kManually);
            if (!line.hasResult)
                kept.note(line, bib, athletes.front().AthleteID, 0);
            else
                (void)ports.das().setResult(discipline.DisciplinID, 0, nullptr, athletes.front().AthleteID, 0,
                                            resultOf(line), kAttempt);
            continue;
        }
        if (team == 0)
            throw TvpError(
                QStringLiteral("Team \"%1\" konnte nicht in der Datenbank gefunden werden. ").arg(line.Team) +
                kManually);
        if (!line.hasResult)
            kept.note(line, bib, 0, team);
        else
            (void)ports.das().setResult(discipline.DisciplinID, 0, nullptr, 0, team, resultOf(line), kAttempt);
    }
}

void importRun(TServicePorts& ports, const TTimingImportRequest& request, TTimingImportResponse& response)
{
    response.heat = request.heat;
    response.description = request.description;
    response.laneCount = request.laneCount;
    response.filename = request.filename;
    const QString fileName = QFileInfo(request.filename).fileName();
    if (const TRunKey key = readRunKey(fileName); !key.misfit.isEmpty())
        throw TvpError(
            QStringLiteral("Der Lauf \"%1\" kann nicht importiert werden: %2. ").arg(request.description, key.misfit) +
            kManually);
    const proto::getDisciplinesResponse1 disciplines = ports.drs().getDisciplines(ports.competitionId(), nullptr, 0);
    // The timing numbers of all disciplines in one answer: a slow server would otherwise keep the
    // import waiting once per discipline.
    proto::getUiInfos keys;
    for (const proto::DisciplinType& d : disciplines)
        keys.push_back(makeUiInfoKey(uiInfoKeys::DiscTimingId, d.DisciplinID));
    QHash<int, QString> timingNumbers;
    for (const proto::UiInfoKeyValuePair& pair :
         keys.empty() ? proto::getUiInfosResponse1{} : ports.drs().getUiInfos(keys))
        if (pair.Key && pair.Key->Key == uiInfoKeys::DiscTimingId)
            timingNumbers.insert(pair.Key->AssotiatedId, pair.Value);
    const QString timingNumber = QString::number(request.timingID);
    for (const proto::DisciplinType& d : disciplines) {
        if (timingNumbers.value(d.DisciplinID) != timingNumber)
            continue;
        response.discipline = d.DisciplinID;
        response.read = readRunForImport(request.filename);
        response.changed = !sameRun(response.read, request.listed);
        // The list showed the run new, yet it was imported since, at another desk or by an earlier
        // double click: stored again, it would undo what was corrected by hand meanwhile.
        if (!request.listed.isEmpty() && request.listed.front() != 'I' && response.read.startsWith('I') &&
            !response.changed) {
            response.importedMeanwhile = true;
            return;
        }
        const Lines all = parseRunFile(response.read, fileName).participants;
        response.lines = int(all.size());
        // Lines added to an imported run: the ones imported before may have been corrected by hand.
        // By bib and by athlete every line goes to the child it names, a later one for the same
        // child (the timing program's correction) over an earlier.
        const std::ptrdiff_t before = std::min(linesImportedBefore(request.filename, response.read), response.lines);
        const Lines lines(all.begin() + before, all.end());
        RunResults results(ports, d, response);
        switch (d.ResultAssignment) {
        case ResultAssignmentType::byAthleteOrTeam: storeByAthleteOrTeam(ports, d, lines, results); break;
        case ResultAssignmentType::byBib: storeByBib(ports, d, lines, results); break;
        case ResultAssignmentType::byLane: storeByLane(ports, d, request, all, before, results); break;
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
    request->laneCount = run.laneCount;
    return request;
}

QString timingRunStatusText(const TTimingImportHeat& run)
{
    const QString status =
        run.status == TImportStatus::isImported ? QStringLiteral("Importiert") : QStringLiteral("Nicht verarbeitet");
    const int lines = int(run.participants.size());
    if (run.laneCount <= lines)
        return status;
    return status + QStringLiteral(" (%1 von %2 Zeilen)").arg(lines).arg(run.laneCount);
}

namespace {

// A remark's text ends in its own full stop ("ab.").
QString sentence(const QString& text)
{
    return text.endsWith(u'.') ? text : text + u'.';
}

} // namespace

QString timingImportNotes(const TTimingImportResponse& response)
{
    QStringList notes;
    if (response.laneCount > response.lines)
        notes << QStringLiteral("Der Lauf \"%1\" ist unvollständig: %2 von %3 Zeilen sind importiert. Zeilen, die "
                                "die Zeitmessung noch schickt, kommen zu diesem Lauf; er steht dann wieder auf "
                                "\"Nicht verarbeitet\" und kann erneut importiert werden.")
                     .arg(response.description)
                     .arg(response.lines)
                     .arg(response.laneCount);
    if (!response.doubled.isEmpty())
        notes << QStringLiteral("Im Lauf \"%1\" stehen für eine Bahn Zeilen verschiedener Teilnehmer; gespeichert "
                                "ist nur die Zeile dessen, der im Lauf auf dieser Bahn steht. Nicht gespeichert: %2")
                     .arg(response.description, sentence(response.doubled.join(QStringLiteral("; "))));
    if (!response.kept.isEmpty())
        notes << QStringLiteral("Zeilen ohne Zeit im Lauf \"%1\" ändern nichts. Gespeichert bleibt: %2")
                     .arg(response.description, response.kept.join(QStringLiteral("; ")));
    return notes.join(u' ');
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
