// Results: storing one result of a participant in one attempt (setResult), reading a discipline's
// results (getResultTable), and the checks run before certificates and result lists are made
// (participants without valid result, missing results, rank gaps, bib conflicts).
//
// A result belongs to a participant, an attempt and a bib (none when stored by id or by place);
// there is at most one for each. A result stored by bib counts for whoever holds the bib now, so
// every read resolves it through the bib's current holder and, in a team discipline, his team.

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/NodeResultTable.h"
#include "standin/Records.h"

#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace tvp::standin::ops {

namespace {

using proto::ResultValueType;

QString num(int value)
{
    return QString::number(value);
}

struct Discipline {
    int id = 0;
    int competitionId = 0;
    bool team = false;
    int attempts = 1; // without a result table a discipline has one result per row
    QString name;
};

std::optional<Discipline> findDiscipline(Db& db, int id)
{
    Statement q = db.query("SELECT competition_id, IFNULL(result_table_team, 0), "
                           "IFNULL(result_table_results_per_row, 1), name FROM disciplines WHERE id = ?",
                           id);
    if (!q.next())
        return std::nullopt;
    return Discipline{id, q.intAt(0), q.intAt(1) != 0, q.intAt(2), q.textAt(3)};
}

Discipline requireDiscipline(Db& db, int id)
{
    std::optional<Discipline> d = findDiscipline(db, id);
    if (!d)
        throw ServerError(errors::DisciplineNotFound, {num(id)});
    return *d;
}

// ---- stored results, resolved to their participants -------------------------------------------

struct StoredResult {
    int id = 0;
    int attempt = 0;
    int bib = 0;
    int athlete = 0;        // the bib's holder when it has one, else the athlete stored with it
    std::vector<int> teams; // the bib holder's team when it has one, else the teams stored with it
    proto::ResultType value;

    // Whom the result counts for: the athlete, or in a team discipline the team; 0 for nobody.
    int participant(bool teamDiscipline) const
    {
        if (!teamDiscipline)
            return athlete;
        return teams.empty() ? 0 : teams.front();
    }
};

// The columns of a result with its bib's holder, for reads that resolve it.
constexpr const char* kResultColumns =
    "SELECT r.id, r.attempt, IFNULL(r.bib, 0), IFNULL(r.athlete_id, 0), IFNULL(hb.athlete_id, 0), "
    "IFNULL(ha.team_id, 0), r.kind, r.distance_in_meter, r.time_in_seconds, r.info, r.rank, r.info_string "
    "FROM results r LEFT JOIN athlete_bibs hb ON hb.competition_id = ?1 AND hb.bib = r.bib "
    "LEFT JOIN athletes ha ON ha.id = hb.athlete_id ";

// The results of a discipline (of one attempt, or of all with attempt 0) in the order of their ids.
std::vector<StoredResult> readResults(Db& db, const Discipline& d, int attempt = 0)
{
    // Spelled out per case: an "?2 = 0 OR" would keep SQLite from using the attempt in the index.
    const std::string ofAttempt = attempt != 0 ? " AND r.attempt = ?3" : " AND ?3 = 0";
    std::unordered_map<int, std::vector<int>> storedTeams;
    Statement t = db.query(("SELECT rt.result_id, rt.team_id FROM results r JOIN result_teams rt "
                            "ON rt.result_id = r.id WHERE r.discipline_id = ?2" +
                            ofAttempt + " ORDER BY rt.result_id, rt.position")
                               .c_str(),
                           d.competitionId, d.id, attempt);
    while (t.next())
        storedTeams[t.intAt(0)].push_back(t.intAt(1));

    std::vector<StoredResult> out;
    Statement q =
        db.query((kResultColumns + ("WHERE r.discipline_id = ?2" + ofAttempt)).c_str(), d.competitionId, d.id, attempt);
    while (q.next()) {
        StoredResult& r = out.emplace_back();
        r.id = q.intAt(0);
        r.attempt = q.intAt(1);
        r.bib = q.intAt(2);
        const int holder = q.intAt(4);
        r.athlete = holder != 0 ? holder : q.intAt(3);
        if (holder != 0 && d.team) {
            if (q.intAt(5) != 0)
                r.teams.push_back(q.intAt(5));
        } else if (auto it = storedTeams.find(r.id); it != storedTeams.end()) {
            r.teams = std::move(it->second);
        }
        proto::ResultType& v = r.value;
        v.Type_ = enumAt(q, 6, ResultValueType::Distance);
        v.DistanceInMeter = q.doubleAt(7);
        v.TimeInSeconds = q.doubleAt(8);
        v.Info = enumAt(q, 9, proto::ResultInfo::disq);
        v.Rank = q.intAt(10);
        v.InfoString = q.textAt(11);
    }
    // In the order they were stored; sorted here, a sort in the query costs more.
    std::sort(out.begin(), out.end(), [](const StoredResult& a, const StoredResult& b) { return a.id < b.id; });
    return out;
}

bool sameValue(const proto::ResultType& a, const proto::ResultType& b)
{
    return a.Type_ == b.Type_ && a.DistanceInMeter == b.DistanceInMeter && a.TimeInSeconds == b.TimeInSeconds &&
           a.Info == b.Info && a.Rank == b.Rank && a.InfoString == b.InfoString;
}

// ---- setResult --------------------------------------------------------------------------------

// Whom a store is for, as the request names it.
struct Target {
    int athlete = 0; // the named athlete, the bib's holder, or the athlete at the place
    int team = 0;    // team discipline: the named team, the holder's team, or the team at the place
    int bib = 0;
    bool placed = false;

    int participant(bool teamDiscipline) const { return teamDiscipline ? team : athlete; }
};

// An athlete or team named by id: of the discipline's competition (1201) and of the kind the
// discipline takes (1205 team discipline, 1206 single discipline).
Target namedParticipant(Db& db, const Discipline& d, int id)
{
    Statement q = db.query("SELECT 0 FROM athletes WHERE id = ?1 AND competition_id = ?2 "
                           "UNION ALL SELECT 1 FROM teams WHERE id = ?1 AND competition_id = ?2",
                           id, d.competitionId);
    if (!q.next())
        throw ServerError(errors::ParticipantNotInCompetition, {num(id), d.name});
    const bool team = q.intAt(0) != 0;
    if (d.team && !team)
        throw ServerError(errors::TeamDisciplineTakesTeams, {d.name});
    if (!d.team && team)
        throw ServerError(errors::SingleDisciplineTakesAthletes, {d.name});
    Target t;
    (team ? t.team : t.athlete) = id;
    return t;
}

int teamOf(Db& db, int athlete)
{
    Statement q = db.query("SELECT IFNULL(team_id, 0) FROM athletes WHERE id = ?", athlete);
    return q.next() ? q.intAt(0) : 0;
}

bool isPlaced(Db& db, const Discipline& d, const Target& t)
{
    if (t.athlete != 0 && !d.team &&
        db.query("SELECT 1 FROM heat_assignments WHERE discipline_id = ? AND athlete_id = ?", d.id, t.athlete).next())
        return true;
    const int team = d.team ? t.team : (t.athlete != 0 ? teamOf(db, t.athlete) : 0);
    return team != 0 &&
           db.query("SELECT 1 FROM heat_assignments WHERE discipline_id = ? AND team_id = ?", d.id, team).next();
}

// The participant of a store: at the place, else the bib's holder, else the athlete or team named.
// nullopt for a deletion at a place where nobody stands: there is nothing to delete.
std::optional<Target> resolveTarget(Db& db, const Discipline& d, const op::setResult& a)
{
    if (a.LaneHeat) {
        Statement q = db.query("SELECT IFNULL(athlete_id, 0), IFNULL(team_id, 0) FROM heat_assignments "
                               "WHERE discipline_id = ? AND heat_no = ? AND position = ?",
                               d.id, a.LaneHeat->HeatNo, a.LaneHeat->Lane);
        if (!q.next()) {
            if (!a.DiscResult)
                return std::nullopt;
            throw ServerError(errors::EmptyPlace, {num(a.LaneHeat->Lane), num(a.LaneHeat->HeatNo), d.name});
        }
        // By place the result has no bib, whatever else the request names.
        Target t{q.intAt(0), q.intAt(1), 0, true};
        if (d.team && t.team == 0)
            t.team = teamOf(db, t.athlete);
        return t;
    }
    if (a.AthleteBib != 0) {
        Target t;
        t.bib = a.AthleteBib;
        Statement q = db.query("SELECT ab.athlete_id, IFNULL(at.team_id, 0) FROM athlete_bibs ab "
                               "JOIN athletes at ON at.id = ab.athlete_id WHERE ab.competition_id = ? AND ab.bib = ?",
                               d.competitionId, a.AthleteBib);
        if (q.next()) {
            t.athlete = q.intAt(0);
            if (d.team)
                t.team = q.intAt(1);
        }
        t.placed = t.participant(d.team) != 0 && isPlaced(db, d, t);
        return t;
    }
    const int id = d.team ? (a.TeamId != 0 ? a.TeamId : a.AthleteId) : (a.AthleteId != 0 ? a.AthleteId : a.TeamId);
    if (id == 0)
        throw ServerError(errors::NoParticipantNamed, {d.name});
    Target t = namedParticipant(db, d, id);
    t.placed = isPlaced(db, d, t);
    return t;
}

// The one result of the target in the attempt: by its bib, else by its participant without bib.
int existingResult(Db& db, const Discipline& d, const Target& t, int attempt)
{
    if (t.bib != 0) {
        Statement q = db.query("SELECT id FROM results WHERE discipline_id = ? AND attempt = ? AND bib = ? LIMIT 1",
                               d.id, attempt, t.bib);
        return q.next() ? q.intAt(0) : 0;
    }
    if (d.team) {
        Statement q = db.query("SELECT r.id FROM result_teams rt JOIN results r ON r.id = rt.result_id "
                               "WHERE rt.team_id = ? AND r.discipline_id = ? AND r.attempt = ? AND r.bib IS NULL "
                               "AND r.athlete_id IS NULL LIMIT 1",
                               t.team, d.id, attempt);
        return q.next() ? q.intAt(0) : 0;
    }
    Statement q = db.query("SELECT id FROM results WHERE discipline_id = ? AND athlete_id = ? AND attempt = ? "
                           "AND bib IS NULL LIMIT 1",
                           d.id, t.athlete, attempt);
    return q.next() ? q.intAt(0) : 0;
}

void deleteResult(Db& db, int id)
{
    db.query("DELETE FROM ui_infos WHERE assoc_id = ?", id).run();
    db.query("DELETE FROM results WHERE id = ?", id).run();
}

QString participantName(Db& db, bool team, int id)
{
    if (team) {
        Statement q = db.query("SELECT name FROM teams WHERE id = ?", id);
        return q.next() ? q.textAt(0) : num(id);
    }
    Statement q = db.query("SELECT given_name, sur_name FROM athletes WHERE id = ?", id);
    return q.next() ? (q.textAt(0) + u' ' + q.textAt(1)).trimmed() : num(id);
}

// Another participant's result of the same rank in the attempt; refused with 122 because the
// finishing order would name two participants at one place.
void refuseTakenRank(Db& db, const Discipline& d, const Target& t, int attempt, int rank)
{
    const int mine = t.participant(d.team);
    for (const StoredResult& r : readResults(db, d, attempt)) {
        if (r.value.Type_ != ResultValueType::Rank || r.value.Rank != rank)
            continue;
        const int theirs = r.participant(d.team);
        const bool same = theirs != 0 ? theirs == mine : (r.bib != 0 && r.bib == t.bib);
        if (same)
            continue;
        const QString holder = theirs != 0  ? participantName(db, d.team, theirs)
                               : r.bib != 0 ? QStringLiteral("der Startnummer %1").arg(r.bib)
                                            : QStringLiteral("einem anderen Teilnehmer");
        throw ServerError(errors::RankTaken, {num(rank), num(attempt), d.name, holder});
    }
}

// The participant's other results of the attempt, whichever bib or none they were stored under.
void removeOtherResults(Db& db, const Discipline& d, const Target& t, int attempt, int keep)
{
    const int mine = t.participant(d.team);
    if (mine == 0)
        return;
    for (const StoredResult& r : readResults(db, d, attempt))
        if (r.id != keep && r.participant(d.team) == mine)
            deleteResult(db, r.id);
}

int newResultId(Db& db)
{
    // 1 is the client's "no result".
    int id = db.nextId("result");
    while (id == 1)
        id = db.nextId("result");
    return id;
}

void writeResult(Db& db, const Discipline& d, const Target& t, const op::setResult& a, int& id)
{
    const proto::ResultType& v = *a.DiscResult;
    const int heat = a.LaneHeat ? a.LaneHeat->HeatNo : 0;
    const int lane = a.LaneHeat ? a.LaneHeat->Lane : 0;
    if (id == 0) {
        id = newResultId(db);
        db.query("INSERT INTO results (id, discipline_id, attempt, athlete_id, bib, heat_no, lane, kind, "
                 "distance_in_meter, time_in_seconds, info, rank, info_string) "
                 "VALUES (?, ?, ?, NULLIF(?, 0), NULLIF(?, 0), NULLIF(?, 0), NULLIF(?, 0), ?, ?, ?, ?, ?, ?)",
                 id, d.id, a.Attempt, t.athlete, t.bib, heat, lane, wireName(v.Type_), v.DistanceInMeter,
                 v.TimeInSeconds, wireName(v.Info), v.Rank, v.InfoString)
            .run();
    } else {
        // The place it was captured at stays when the new value comes by id or bib: a later
        // switch to results by lane would otherwise drop it.
        db.query("UPDATE results SET athlete_id = NULLIF(?, 0), heat_no = IFNULL(NULLIF(?, 0), heat_no), "
                 "lane = IFNULL(NULLIF(?, 0), lane), kind = ?, distance_in_meter = ?, time_in_seconds = ?, "
                 "info = ?, rank = ?, info_string = ? WHERE id = ?",
                 t.athlete, heat, lane, wireName(v.Type_), v.DistanceInMeter, v.TimeInSeconds, wireName(v.Info), v.Rank,
                 v.InfoString, id)
            .run();
        // Only a team discipline's result names its team here; others keep what they count for.
        if (d.team)
            db.query("DELETE FROM result_teams WHERE result_id = ?", id).run();
    }
    if (d.team && t.team != 0)
        db.query("INSERT INTO result_teams (result_id, team_id, position) VALUES (?, ?, 0)", id, t.team).run();
}

} // namespace

proto::setResultResponse1 setResult(Call& c, const op::setResult& a)
{
    Db& db = c.database();
    const Discipline d = requireDiscipline(db, a.DisciplinID);
    if (a.Attempt < 1 || a.Attempt > d.attempts)
        throw ServerError(errors::AttemptOutOfRange, {num(a.Attempt), d.name, num(d.attempts)});
    const std::optional<Target> target = resolveTarget(db, d, a);

    proto::setResultResponse1 r;
    if (!target) {
        r.NotAParticipantWarning = true;
        return r;
    }
    const Target& t = *target;
    r.AthleteTeamIDret = t.participant(d.team);
    r.NotAParticipantWarning = !t.placed || r.AthleteTeamIDret == 0;

    int id = existingResult(db, d, t, a.Attempt);
    if (!a.DiscResult) {
        if (id != 0)
            deleteResult(db, id);
        return r; // ResultID 0: none left
    }
    const bool byBibRemovingOthers = t.bib != 0 && a.removeAmbiguousResults;
    if (byBibRemovingOthers && a.DiscResult->Type_ == ResultValueType::Rank)
        refuseTakenRank(db, d, t, a.Attempt, a.DiscResult->Rank);
    writeResult(db, d, t, a, id);
    if (byBibRemovingOthers)
        removeOtherResults(db, d, t, a.Attempt, id);
    r.ResultID = id;
    return r;
}

proto::getResultTableResponse1 getResultTable(Call& c, const op::getResultTable& a)
{
    Db& db = c.database();
    const std::optional<Discipline> d = findDiscipline(db, a.ResultProviderID);
    if (!d)
        return nodeResultTable(c, a.ResultProviderID);

    proto::getResultTableResponse1 r;
    Statement table = db.query("SELECT result_table_team, result_table_results_per_row, result_table_unit_pattern, "
                               "result_table_lower_values_higher_ranked FROM disciplines WHERE id = ?",
                               d->id);
    if (table.next() && !table.isNullAt(0)) {
        proto::ResultTableType& t = r.ResultTableType.ensure();
        t.Team = table.intAt(0) != 0;
        t.ResultsPerRow = table.intAt(1);
        t.ResultUnitPattern = table.textAt(2);
        t.LowerValuesAreHigherRanked = table.intAt(3) != 0;
    }
    std::vector<StoredResult> results = readResults(db, *d);
    r.Results.reserve(results.size());
    for (StoredResult& s : results) {
        proto::AssignedResultType& out = r.Results.emplace_back();
        static_cast<proto::ResultType&>(out) = std::move(s.value);
        out.AthleteId = s.athlete;
        out.TeamId = std::move(s.teams);
        out.Attempt = s.attempt;
        out.ResultID = s.id;
    }
    return r;
}

// ---- the finishing order ------------------------------------------------------------------------

proto::getBibRankingResponse1 getBibRanking(Call& c, const op::getBibRanking& a)
{
    Db& db = c.database();
    const Discipline d = requireDiscipline(db, a.DisciplineID);
    // Storing order within a rank keeps a tie's bibs as they were typed.
    Statement q = db.query("SELECT rank, bib FROM results WHERE discipline_id = ? AND attempt = ? AND kind = ? "
                           "AND bib IS NOT NULL ORDER BY rank, id",
                           d.id, a.Attempt, wireName(ResultValueType::Rank));
    proto::getBibRankingResponse1 out;
    while (q.next())
        out.push_back({q.intAt(0), q.intAt(1)});
    return out;
}

void shiftRanking(Call& c, const op::shiftRanking& a)
{
    Db& db = c.database();
    const Discipline d = requireDiscipline(db, a.DisciplineID);
    const QString rankKind = wireName(ResultValueType::Rank);
    if (a.Offset == 0)
        return;
    // Checked before anything changes: the lowest rank that moves must stay at 1 or above.
    Statement lowest = db.query("SELECT MIN(rank) FROM results WHERE discipline_id = ? AND attempt = ? AND kind = ? "
                                "AND rank >= ?",
                                d.id, a.Attempt, rankKind, a.StartRank);
    if (lowest.next() && !lowest.isNullAt(0) && qint64(lowest.intAt(0)) + a.Offset < 1)
        throw ServerError(errors::RankBelowOne, {num(a.Attempt), d.name, num(a.Offset), num(lowest.intAt(0))});
    if (a.Offset < 0) {
        // The ranks moved onto would otherwise end up tied with the ones moving down.
        const int overrunFrom = int(std::max<qint64>(qint64(a.StartRank) + a.Offset, INT_MIN));
        std::vector<int> overrun;
        Statement q = db.query("SELECT id FROM results WHERE discipline_id = ? AND attempt = ? AND kind = ? "
                               "AND rank >= ? AND rank < ?",
                               d.id, a.Attempt, rankKind, overrunFrom, a.StartRank);
        while (q.next())
            overrun.push_back(q.intAt(0));
        for (int id : overrun)
            deleteResult(db, id);
    }
    db.query("UPDATE results SET rank = rank + ? WHERE discipline_id = ? AND attempt = ? AND kind = ? AND rank >= ?",
             a.Offset, d.id, a.Attempt, rankKind, a.StartRank)
        .run();
}

namespace {

// ---- the checks -------------------------------------------------------------------------------

// The disciplines behind a set of providers, each once, by id, with what the answers carry of
// their competitions.
class CheckScope {
public:
    CheckScope(Call& c, const std::vector<int>& providers) : db_(c.database())
    {
        std::set<int> ids;
        for (int provider : providers) {
            op::getToplevelSourceDisciplines q;
            q.ResultAggregatorId = provider;
            for (const proto::DisciplinType& d : getToplevelSourceDisciplines(c, q))
                if (ids.insert(d.DisciplinID).second)
                    records_.emplace(d.DisciplinID, d);
        }
        for (int id : ids)
            disciplines_.push_back(requireDiscipline(db_, id));
    }

    Db& db() { return db_; }
    const std::vector<Discipline>& disciplines() const { return disciplines_; }
    const proto::DisciplinType& record(int id) const { return records_.at(id); }

    // The participants' records of a discipline's competition, read once per competition.
    struct Competition {
        CompetitionParticipants participants;
        std::unordered_map<int, proto::AthleteType> athletes;
        std::unordered_map<int, std::vector<int>> members; // team -> athletes in creation order
        std::unordered_map<int, proto::SquadType> squads;
        proto::Owned<proto::CompetitionType> record;

        Competition(Db& db, int id) : participants(db, id), record(readCompetition(db, id))
        {
            for (proto::AthleteType& a : readAthletes(db, id, participants)) {
                if (a.Team)
                    members[a.Team->TeamID].push_back(a.AthleteID);
                athletes.emplace(a.AthleteID, std::move(a));
            }
            for (proto::SquadType& s : readSquads(db, id, participants))
                squads.emplace(s.SquadID, std::move(s));
        }

        proto::Owned<proto::AthleteType> athlete(int id) const
        {
            auto it = athletes.find(id);
            return it == athletes.end() ? nullptr : proto::Owned<proto::AthleteType>(it->second);
        }
        int teamOf(int athlete) const
        {
            auto it = athletes.find(athlete);
            return it != athletes.end() && it->second.Team ? it->second.Team->TeamID : 0;
        }
        int squadOfTeam(int team) const
        {
            const proto::TeamType* t = participants.findTeam(team);
            return t ? t->SquadID : 0;
        }
    };

    const Competition& competition(int id)
    {
        auto it = competitions_.find(id);
        if (it == competitions_.end())
            it = competitions_.emplace(id, std::make_unique<Competition>(db_, id)).first;
        return *it->second;
    }

private:
    Db& db_;
    std::vector<Discipline> disciplines_;
    std::unordered_map<int, proto::DisciplinType> records_;
    std::unordered_map<int, std::unique_ptr<Competition>> competitions_;
};

// A discipline's list entries in heat and place order.
struct Entry {
    int heat = 0;
    int athlete = 0;
    int team = 0;
};

std::vector<Entry> entriesOf(Db& db, int discipline)
{
    std::vector<Entry> out;
    Statement q = db.query("SELECT heat_no, IFNULL(athlete_id, 0), IFNULL(team_id, 0) FROM heat_assignments "
                           "WHERE discipline_id = ? ORDER BY heat_no, position, rowid",
                           discipline);
    while (q.next())
        out.push_back({q.intAt(0), q.intAt(1), q.intAt(2)});
    return out;
}

bool isValidSingleResult(ResultValueType kind)
{
    return kind == ResultValueType::Distance || kind == ResultValueType::Time || kind == ResultValueType::Rank;
}

// The participant record of a ranking issue: the athlete with his team, or the team.
proto::Owned<proto::ParticipantRankType> rankHolder(const CheckScope::Competition& comp, bool team,
                                                    const StoredResult& r)
{
    proto::ParticipantRankType p;
    p.Rank = r.value.Rank;
    if (team) {
        p.Team = comp.participants.team(r.participant(true));
    } else if (r.athlete != 0) {
        p.Athlete = comp.athlete(r.athlete);
        p.Team = comp.participants.team(comp.teamOf(r.athlete));
    }
    return proto::Owned<proto::ParticipantRankType>(std::move(p));
}

} // namespace

proto::getAthletesWithoutValidSingleResultsResponse
getAthletesWithoutValidSingleResults(Call& c, const op::getAthletesWithoutValidSingleResults& a)
{
    CheckScope scope(c, a.ResultProviderIDs);
    // Per competition: the athletes placed, and each one's statuses with their disciplines.
    std::map<int, std::set<int>> placed; // competition -> athletes
    std::unordered_set<int> valid;
    std::unordered_map<int, std::map<proto::ResultInfo, std::set<int>>> invalid;
    for (const Discipline& d : scope.disciplines()) {
        const CheckScope::Competition& comp = scope.competition(d.competitionId);
        std::set<int>& mine = placed[d.competitionId];
        for (const Entry& e : entriesOf(scope.db(), d.id)) {
            if (e.athlete != 0)
                mine.insert(e.athlete);
            if (auto m = comp.members.find(e.team); e.team != 0 && m != comp.members.end())
                mine.insert(m->second.begin(), m->second.end());
        }
        if (d.team)
            continue; // a team's result is no athlete's single result
        for (const StoredResult& r : readResults(scope.db(), d)) {
            if (r.athlete == 0)
                continue;
            if (isValidSingleResult(r.value.Type_))
                valid.insert(r.athlete);
            else if (r.value.Type_ == ResultValueType::Info)
                invalid[r.athlete][r.value.Info].insert(d.id);
        }
    }

    proto::getAthletesWithoutValidSingleResultsResponse out;
    for (const auto& [competition, athletes] : placed) {
        const CheckScope::Competition& comp = scope.competition(competition);
        for (int athlete : athletes) {
            if (valid.contains(athlete))
                continue;
            proto::AthleteWithoutValidResultType& item = out.emplace_back();
            item.Athlete = comp.athlete(athlete);
            if (auto it = invalid.find(athlete); it != invalid.end()) {
                for (const auto& [status, disciplines] : it->second) {
                    proto::InvalidResultsType& group = item.InvalidResults.emplace_back();
                    group.ResultType = status;
                    for (int d : disciplines)
                        group.Disciplines.push_back(scope.record(d));
                }
            }
        }
    }
    return out;
}

proto::getMissingResultsResponse getMissingResults(Call& c, const op::getMissingResults& a)
{
    CheckScope scope(c, a.ResultProviderIDs);
    proto::getMissingResultsResponse out;
    for (const Discipline& d : scope.disciplines()) {
        const CheckScope::Competition& comp = scope.competition(d.competitionId);
        // Which attempts each participant has a result in (a status counts).
        std::unordered_map<int, std::vector<bool>> has;
        for (const StoredResult& r : readResults(scope.db(), d)) {
            const int p = r.participant(d.team);
            if (p == 0 || r.attempt < 1 || r.attempt > d.attempts)
                continue;
            std::vector<bool>& attempts = has[p];
            attempts.resize(std::size_t(d.attempts) + 1, false);
            attempts[std::size_t(r.attempt)] = true;
        }
        auto firstMissing = [&](int participant) {
            auto it = has.find(participant);
            for (int attempt = 1; attempt <= d.attempts; ++attempt)
                if (it == has.end() || !it->second[std::size_t(attempt)])
                    return attempt;
            return 0;
        };

        // One group per heat and squad, in the order their first participant stands.
        int heat = 0;
        std::map<int, std::size_t> groupOfSquad; // within the current heat
        for (const Entry& e : entriesOf(scope.db(), d.id)) {
            if (e.heat != heat) {
                heat = e.heat;
                groupOfSquad.clear();
            }
            const int participant = d.team ? e.team : e.athlete;
            const int missing = participant != 0 ? firstMissing(participant) : 0;
            if (missing == 0)
                continue;
            const int team = e.team != 0 ? e.team : comp.teamOf(e.athlete);
            const int squad = comp.squadOfTeam(team);
            auto [at, added] = groupOfSquad.try_emplace(squad, out.size());
            if (added) {
                proto::MissingResultType& m = out.emplace_back();
                m.Discipline = scope.record(d.id);
                m.HeatNo = heat;
                proto::ParticipantGroupType& g = m.ParticipantGroup.ensure();
                if (auto s = comp.squads.find(squad); s != comp.squads.end())
                    g.Squad = s->second;
                g.FirstMissingAttempt = missing;
            }
            proto::ParticipantGroupType& g = *out[at->second].ParticipantGroup;
            g.FirstMissingAttempt = std::min(g.FirstMissingAttempt, missing);
            const bool teamListed =
                std::any_of(g.Teams.begin(), g.Teams.end(), [&](const proto::TeamType& t) { return t.TeamID == team; });
            if (team != 0 && !teamListed)
                if (const proto::TeamType* t = comp.participants.findTeam(team))
                    g.Teams.push_back(*t);
            if (!d.team && e.athlete != 0)
                if (auto athlete = comp.athletes.find(e.athlete); athlete != comp.athletes.end())
                    g.Athletes.push_back(athlete->second);
        }
    }
    return out;
}

proto::checkResultRankingPlausibilityResponse
checkResultRankingPlausibility(Call& c, const op::checkResultRankingPlausibility& a)
{
    CheckScope scope(c, a.ResultProviderIDs);
    proto::checkResultRankingPlausibilityResponse out;
    for (const Discipline& d : scope.disciplines()) {
        const CheckScope::Competition& comp = scope.competition(d.competitionId);
        // attempt -> rank -> holders in the order they were stored
        std::map<int, std::map<int, std::vector<StoredResult>>> ranks;
        for (StoredResult& r : readResults(scope.db(), d))
            if (r.value.Type_ == ResultValueType::Rank && r.value.Rank >= 1)
                ranks[r.attempt][r.value.Rank].push_back(std::move(r));
        for (const auto& [attempt, byRank] : ranks) {
            // The rank that follows the one before: ties share a rank and the next one skips it,
            // so 1, 1, 3 has no gap. Measured from the rank before, one gap is one entry.
            long long next = 1;
            const std::vector<StoredResult>* before = nullptr;
            for (const auto& [rank, holders] : byRank) {
                if (rank > next) {
                    proto::RankingIssueType& issue = out.emplace_back();
                    issue.Discipline = scope.record(d.id);
                    issue.Attempt = attempt;
                    proto::MissingRankType& gap = issue.MissingRank.ensure();
                    if (before)
                        gap.Before = rankHolder(comp, d.team, before->back());
                    gap.After = rankHolder(comp, d.team, holders.front());
                }
                next = rank + static_cast<long long>(holders.size());
                before = &holders;
            }
        }
    }
    return out;
}

proto::CheckAmbiguousBibResultsResponse1 checkAmbiguousBibResults(Call& c, const op::checkAmbiguousBibResults& a)
{
    CheckScope scope(c, a.ResultProviderIDs);
    proto::CheckAmbiguousBibResultsResponse1 out;
    for (const Discipline& d : scope.disciplines()) {
        const CheckScope::Competition& comp = scope.competition(d.competitionId);
        // (attempt, participant) -> the results stored by bib, by id
        std::map<std::pair<int, int>, std::vector<StoredResult>> byParticipant;
        for (StoredResult& r : readResults(scope.db(), d)) {
            const int p = r.participant(d.team);
            if (r.bib != 0 && p != 0)
                byParticipant[{r.attempt, p}].push_back(std::move(r));
        }
        for (const auto& [key, results] : byParticipant) {
            std::set<int> bibs;
            for (const StoredResult& r : results)
                bibs.insert(r.bib);
            const StoredResult& first = results.front();
            const bool differ = std::any_of(results.begin(), results.end(), [&first](const StoredResult& r) {
                return !sameValue(r.value, first.value);
            });
            if (bibs.size() < 2 || !differ)
                continue;
            proto::AmbiguousResultType& item = out.emplace_back();
            item.Discipline = scope.record(d.id);
            item.Attempt = key.first;
            item.Competition = comp.record;
            if (d.team)
                item.Team = comp.participants.team(key.second);
            else
                item.Athlete = comp.athlete(key.second);
            for (const StoredResult& r : results) {
                proto::AmbiguousBibResultType& b = item.AmbiguousBibResults.emplace_back();
                b.Bib = r.bib;
                b.Result = r.value;
            }
        }
    }
    return out;
}

} // namespace tvp::standin::ops
