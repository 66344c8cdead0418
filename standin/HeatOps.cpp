// Competition lists: the heats of a discipline with their places, moves between heats and places,
// squads assigned to a discipline and the division of their participants into heats, the lock of
// that division, and the reads the competition-list window needs besides (the discipline by id or
// barcode, its schedule).
//
// A heat is a row of places numbered from 1; a place without participant is an empty lane. Taking
// a participant out of a heat closes its place: the participants after it move up one, as far as
// the next empty place. Putting one at a place moves the participant there and those after it
// down one, as far as the next empty place; a place beyond the heat's end leaves empty places
// between. So empty lanes that were made on purpose survive every move.

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/Records.h"

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace tvp::standin::ops {

namespace {

// Places beyond this are refused: the timing program numbers lanes with three digits, and a place
// number is also the length of the heat's row.
constexpr int kMaxPosition = 999;

struct Discipline {
    int id = 0;
    int competitionId = 0;
    int ageClassId = 0;
    bool team = false;
    int maxPerHeat = 0;
    proto::LockType lock = proto::LockType::UNLOCKED;
    int listVersion = 0;
    int barcode = 0;
    QString name;
};

Discipline readDiscipline(Statement& q)
{
    Discipline d;
    d.id = q.intAt(0);
    d.competitionId = q.intAt(1);
    d.ageClassId = q.intAt(2);
    d.team = q.intAt(3) != 0;
    d.maxPerHeat = q.intAt(4);
    d.lock = proto::enumFromName<proto::LockType>(q.textAt(5).toStdString()).value_or(proto::LockType::UNLOCKED);
    d.listVersion = q.intAt(6);
    d.barcode = q.intAt(7);
    d.name = q.textAt(8);
    return d;
}

constexpr const char* kDisciplineColumns = "SELECT id, competition_id, age_class_id, result_table_team, "
                                           "max_participants_per_heat, participants_list_lock, list_version, "
                                           "barcode, name FROM disciplines ";

std::optional<Discipline> findDiscipline(Db& db, int id)
{
    Statement q = db.query((std::string(kDisciplineColumns) + "WHERE id = ?").c_str(), id);
    if (!q.next())
        return std::nullopt;
    return readDiscipline(q);
}

// Refuses an unknown discipline (error 13, which the competition-list window takes as "gone").
Discipline requireDiscipline(Db& db, int id)
{
    std::optional<Discipline> d = findDiscipline(db, id);
    if (!d)
        throw ServerError(errors::DisciplineNotFound, {QString::number(id)});
    return *d;
}

struct Participant {
    int id = 0;
    bool team = false;
};

// An athlete or team of the discipline's competition, of the kind the discipline takes.
Participant requireParticipant(Db& db, const Discipline& d, int id)
{
    Statement q = db.query("SELECT 0 FROM athletes WHERE id = ?1 AND competition_id = ?2 "
                           "UNION ALL SELECT 1 FROM teams WHERE id = ?1 AND competition_id = ?2",
                           id, d.competitionId);
    if (!q.next())
        throw ServerError(errors::ParticipantNotInCompetition, {QString::number(id), d.name});
    const Participant p{id, q.intAt(0) != 0};
    if (d.team && !p.team)
        throw ServerError(errors::TeamDisciplineTakesTeams, {d.name});
    if (!d.team && p.team)
        throw ServerError(errors::SingleDisciplineTakesAthletes, {d.name});
    return p;
}

// The places of every heat of one discipline, changed in memory and written back by save().
class HeatList {
public:
    struct Place {
        int heat = 0;
        int position = 0; // from 1
    };

    HeatList(Db& db, int disciplineId) : disciplineId_(disciplineId)
    {
        Statement q = db.query("SELECT athlete_id, team_id, heat_no, position, version FROM heat_assignments "
                               "WHERE discipline_id = ? ORDER BY heat_no, position, rowid",
                               disciplineId);
        while (q.next()) {
            const bool team = q.isNullAt(0);
            const int id = team ? q.intAt(1) : q.intAt(0);
            const int heat = q.intAt(2);
            const int position = q.intAt(3);
            std::vector<int>& row = heats_[heat];
            // Rows written by others with a place that is taken or out of range go to the end.
            if (position >= 1 && position <= kMaxPosition && (position > int(row.size()) || row[position - 1] == 0)) {
                if (position > int(row.size()))
                    row.resize(std::size_t(position), 0);
                row[position - 1] = id;
            } else {
                row.push_back(id);
            }
            team_[id] = team;
            stored_[id] = {heat, position, q.intAt(4)};
        }
    }

    std::optional<Place> find(int id) const
    {
        for (const auto& [heat, row] : heats_)
            for (std::size_t i = 0; i < row.size(); ++i)
                if (row[i] == id)
                    return Place{heat, int(i) + 1};
        return std::nullopt;
    }
    bool contains(int id) const { return find(id).has_value(); }

    void takeOut(int id)
    {
        const std::optional<Place> at = find(id);
        if (!at)
            return;
        std::vector<int>& row = heats_[at->heat];
        std::size_t i = std::size_t(at->position - 1);
        row[i] = 0;
        for (std::size_t j = i + 1; j < row.size() && row[j] != 0; ++j)
            std::swap(row[j - 1], row[j]);
        trim(at->heat);
    }

    // At the end of the heat.
    void append(const Participant& p, int heat)
    {
        std::vector<int>& row = heats_[heat];
        row.push_back(p.id);
        team_[p.id] = p.team;
    }

    // p is in no heat; it ends at exactly this place.
    void putAt(const Participant& p, int heat, int position)
    {
        std::vector<int>& row = heats_[heat];
        if (position > int(row.size()))
            row.resize(std::size_t(position), 0);
        std::size_t gap = std::size_t(position - 1);
        while (gap < row.size() && row[gap] != 0)
            ++gap;
        if (gap == row.size())
            row.push_back(0);
        for (std::size_t j = gap; j > std::size_t(position - 1); --j)
            row[j] = row[j - 1];
        row[std::size_t(position - 1)] = p.id;
        team_[p.id] = p.team;
    }

    // The length of the heat's row: its places up to the last participant.
    int places(int heat) const
    {
        auto it = heats_.find(heat);
        return it == heats_.end() ? 0 : int(it->second.size());
    }
    int lastHeat() const { return heats_.empty() ? 0 : heats_.rbegin()->first; }

    // Participants by heat and place.
    std::vector<Participant> inOrder() const
    {
        std::vector<Participant> out;
        for (const auto& [heat, row] : heats_)
            for (int id : row)
                if (id != 0)
                    out.push_back({id, team_.at(id)});
        return out;
    }
    void clear() { heats_.clear(); }

    const std::map<int, std::vector<int>>& heats() const { return heats_; }
    int version(int id) const
    {
        auto it = stored_.find(id);
        return it == stored_.end() ? 0 : it->second.version;
    }
    // Where each participant stands now.
    std::unordered_map<int, Place> placement() const
    {
        std::unordered_map<int, Place> out;
        for (const auto& [heat, row] : heats_)
            for (std::size_t i = 0; i < row.size(); ++i)
                if (row[i] != 0)
                    out[row[i]] = {heat, int(i) + 1};
        return out;
    }

    // Writes what changed. The list's version rises by one, and every participant placed or moved
    // carries that version, so the version of a printed list tells which entries changed since.
    void save(Db& db)
    {
        const std::unordered_map<int, Place> now = placement();
        Statement current = db.query("SELECT list_version FROM disciplines WHERE id = ?", disciplineId_);
        const int version = current.next() ? current.intAt(0) + 1 : 1;
        bool changed = false;
        for (const auto& [id, was] : stored_) {
            if (now.contains(id))
                continue;
            db.query("DELETE FROM heat_assignments WHERE discipline_id = ? AND (athlete_id = ?2 OR team_id = ?2)",
                     disciplineId_, id)
                .run();
            changed = true;
        }
        for (const auto& [id, place] : now) {
            auto was = stored_.find(id);
            if (was == stored_.end()) {
                const char* sql = team_.at(id) ? "INSERT INTO heat_assignments (discipline_id, team_id, heat_no, "
                                                 "position, version) VALUES (?, ?, ?, ?, ?)"
                                               : "INSERT INTO heat_assignments (discipline_id, athlete_id, heat_no, "
                                                 "position, version) VALUES (?, ?, ?, ?, ?)";
                db.query(sql, disciplineId_, id, place.heat, place.position, version).run();
                changed = true;
            } else if (was->second.heat != place.heat || was->second.position != place.position) {
                db.query("UPDATE heat_assignments SET heat_no = ?, position = ?, version = ?5 "
                         "WHERE discipline_id = ?3 AND (athlete_id = ?4 OR team_id = ?4)",
                         place.heat, place.position, disciplineId_, id, version)
                    .run();
                changed = true;
            }
        }
        if (changed)
            db.query("UPDATE disciplines SET list_version = ? WHERE id = ?", version, disciplineId_).run();
    }

private:
    struct Stored {
        int heat = 0;
        int position = 0;
        int version = 0;
    };

    void trim(int heat)
    {
        std::vector<int>& row = heats_[heat];
        while (!row.empty() && row.back() == 0)
            row.pop_back();
        if (row.empty())
            heats_.erase(heat);
    }

    int disciplineId_;
    std::map<int, std::vector<int>> heats_;
    std::unordered_map<int, bool> team_;
    std::unordered_map<int, Stored> stored_;
};

QString participantName(Db& db, const Participant& p)
{
    if (p.team) {
        Statement q = db.query("SELECT name FROM teams WHERE id = ?", p.id);
        return q.next() ? q.textAt(0) : QString::number(p.id);
    }
    Statement q = db.query("SELECT given_name, sur_name FROM athletes WHERE id = ?", p.id);
    return q.next() ? (q.textAt(0) + u' ' + q.textAt(1)).trimmed() : QString::number(p.id);
}

// Results of a discipline that count for an athlete, or for a team (its own and its members').
constexpr const char* kResultsOfAthlete = "SELECT id FROM results WHERE discipline_id = ?1 AND athlete_id = ?2";
constexpr const char* kResultsOfTeam =
    "SELECT r.id FROM results r WHERE r.discipline_id = ?1 AND (r.athlete_id IN (SELECT a.id FROM athletes a "
    "WHERE a.team_id = ?2) OR r.id IN (SELECT rt.result_id FROM result_teams rt WHERE rt.team_id = ?2))";

// Participants about to leave the discipline: refused while they have results there (45 for
// athletes, 47 for teams, the ids of removing an athlete or a team) unless forced; forced, their
// results in the discipline go with them.
void releaseResults(Db& db, const Discipline& d, const std::vector<Participant>& leaving, bool force)
{
    for (const Participant& p : leaving) {
        std::vector<int> results;
        Statement q = db.query(p.team ? kResultsOfTeam : kResultsOfAthlete, d.id, p.id);
        while (q.next())
            results.push_back(q.intAt(0));
        if (results.empty())
            continue;
        if (!force && p.team)
            throw ServerError(errors::TeamHasResults, {participantName(db, p)});
        if (!force)
            throw ServerError(errors::AthleteHasResults, {participantName(db, p)});
        for (int result : results)
            db.query("DELETE FROM results WHERE id = ?", result).run();
    }
}

// The participants that teams bring into the discipline: the teams themselves in a team
// discipline, else their athletes in the order of their creation.
std::vector<Participant> participantsOfTeams(Db& db, const Discipline& d, Statement teams)
{
    std::vector<int> teamIds;
    while (teams.next())
        teamIds.push_back(teams.intAt(0));
    std::vector<Participant> out;
    for (int team : teamIds) {
        if (d.team) {
            out.push_back({team, true});
            continue;
        }
        Statement athletes = db.query("SELECT id FROM athletes WHERE team_id = ? ORDER BY id", team);
        while (athletes.next())
            out.push_back({athletes.intAt(0), false});
    }
    return out;
}

// The participants of the discipline's squads in squad order: the squads by their order index, a
// squad's teams in their place.
std::vector<Participant> squadParticipants(Db& db, const Discipline& d)
{
    return participantsOfTeams(db, d,
                               db.query("SELECT st.team_id FROM discipline_squads ds JOIN squads s "
                                        "ON s.id = ds.squad_id JOIN squad_teams st ON st.squad_id = s.id "
                                        "WHERE ds.discipline_id = ? ORDER BY s.order_index, s.id, st.position",
                                        d.id));
}

// The participants that the given squads bring into the discipline.
std::vector<Participant> participantsOfSquads(Db& db, const Discipline& d, const std::vector<int>& squadIds)
{
    std::vector<Participant> out;
    for (int squad : squadIds) {
        std::vector<Participant> of = participantsOfTeams(
            db, d, db.query("SELECT team_id FROM squad_teams WHERE squad_id = ? ORDER BY position", squad));
        out.insert(out.end(), of.begin(), of.end());
    }
    return out;
}

// Divides the participants of the discipline's squads into heats of at most the heat size (one
// heat when the size is 0 or less), in squad order. An unlocked list is divided anew: the squads'
// participants first, then the others already in it in their order. A locked list keeps everyone
// where they are; participants it lacks are added after the last place of the last heat, and in
// new heats once that is full.
void divide(HeatList& list, const Discipline& d, const std::vector<Participant>& fromSquads)
{
    const int size = d.maxPerHeat > 0 ? d.maxPerHeat : INT_MAX;
    if (d.lock == proto::LockType::LOCKED) {
        int heat = std::max(1, list.lastHeat());
        for (const Participant& p : fromSquads) {
            if (list.contains(p.id))
                continue;
            while (list.places(heat) >= size)
                ++heat;
            list.append(p, heat);
        }
        return;
    }
    std::vector<Participant> order = fromSquads;
    std::unordered_set<int> seen;
    for (const Participant& p : order)
        seen.insert(p.id);
    for (const Participant& p : list.inOrder())
        if (seen.insert(p.id).second)
            order.push_back(p);
    list.clear();
    int heat = 1;
    for (const Participant& p : order) {
        if (list.places(heat) >= size)
            ++heat;
        list.append(p, heat);
    }
}

QString squadText(Db& db, int squadId)
{
    Statement q = db.query("SELECT order_index, custom_name FROM squads WHERE id = ?", squadId);
    if (!q.next())
        return QString::number(squadId);
    const QString number = QString::number(q.intAt(0));
    return q.textAt(1).isEmpty() ? number : q.textAt(1) + QStringLiteral(" (") + number + u')';
}

proto::Owned<proto::DisciplinType> disciplineRecord(Db& db, const Discipline& d)
{
    for (proto::DisciplinType& r : readDisciplines(db, d.competitionId))
        if (r.DisciplinID == d.id)
            return proto::Owned<proto::DisciplinType>(std::move(r));
    return nullptr;
}

} // namespace

proto::getDisciplinParticipantsResponse1 getDisciplinParticipants(Call& c, const op::getDisciplinParticipants& a)
{
    Db& db = c.database();
    const Discipline d = requireDiscipline(db, a.DisciplinID);
    const HeatList list(db, d.id);

    const CompetitionParticipants participants(db, d.competitionId);
    std::unordered_map<int, proto::AthleteType> athletes;
    std::unordered_map<int, std::vector<int>> members; // team id to its athletes in creation order
    std::vector<proto::AthleteType> all = readAthletes(db, d.competitionId, participants);
    for (proto::AthleteType& athlete : all) {
        if (athlete.Team)
            members[athlete.Team->TeamID].push_back(athlete.AthleteID);
        athletes.emplace(athlete.AthleteID, std::move(athlete));
    }

    proto::getDisciplinParticipantsResponse1 r;
    r.ParticipantsListLocked = d.lock;
    r.maxParticipantsPerHeat = d.maxPerHeat;
    r.ListVersion = d.listVersion;
    for (const auto& [heatNo, row] : list.heats()) {
        if (a.HeatNo != 0 && heatNo != a.HeatNo)
            continue;
        proto::HeatParticipantsType& heat = r.HeatList.emplace_back();
        heat.HeatNo = heatNo;
        for (int id : row) {
            proto::VersionedParticipantsType& entry = heat.VersionedParticipants.emplace_back();
            if (id == 0)
                continue; // an empty lane: neither athlete nor team
            entry.Version = list.version(id);
            if (auto athlete = athletes.find(id); athlete != athletes.end()) {
                entry.Athlete = athlete->second;
                continue;
            }
            proto::TeamWithAthletesType& team = entry.Team.ensure();
            team.Team = participants.team(id);
            for (int member : members[id])
                team.Athletes.push_back(athletes.at(member));
        }
    }
    return r;
}

// Moving to another heat keeps the participant's results: they belong to the participant and the
// discipline, not to a heat, so nothing needs forcing here.
void assignAthleteToHeat(Call& c, const op::assignAthleteToHeat& a)
{
    Db& db = c.database();
    const Discipline d = requireDiscipline(db, a.DisciplinID);
    if (a.HeatNo < 1)
        throw ServerError(errors::InvalidHeatNo, {QString::number(a.HeatNo)});
    const Participant p = requireParticipant(db, d, a.AthleteOrTeamID);
    HeatList list(db, d.id);
    if (const auto at = list.find(p.id); at && at->heat == a.HeatNo)
        return;
    list.takeOut(p.id);
    list.append(p, a.HeatNo);
    list.save(db);
}

// PositionIndex -1 takes the participant out of the discipline, a place from 1 moves it there
// within its heat; 0 with NewPosAthleteOrTeamID moves it to that participant's place.
proto::setPositionResponse1 setPosition(Call& c, const op::setPosition& a)
{
    Db& db = c.database();
    const Discipline d = requireDiscipline(db, a.DisciplinID);
    HeatList list(db, d.id);
    const std::unordered_map<int, HeatList::Place> before = list.placement();

    std::vector<Participant> leaving;
    std::unordered_set<int> assigned;
    for (const proto::PosAssignmentsType& pa : a.Assignments) {
        assigned.insert(pa.AthleteOrTeamID);
        if (pa.PositionIndex < -1 || pa.PositionIndex > kMaxPosition)
            throw ServerError(errors::InvalidPosition,
                              {QString::number(pa.PositionIndex), QString::number(kMaxPosition)});
        if (pa.PositionIndex == -1 && list.contains(pa.AthleteOrTeamID))
            leaving.push_back(requireParticipant(db, d, pa.AthleteOrTeamID));
    }
    releaseResults(db, d, leaving, a.forceRemoveAssignedResults);

    for (const proto::PosAssignmentsType& pa : a.Assignments) {
        if (pa.PositionIndex == -1) {
            list.takeOut(pa.AthleteOrTeamID);
            continue;
        }
        if (pa.PositionIndex == 0 && pa.NewPosAthleteOrTeamID == 0)
            continue;
        const std::optional<HeatList::Place> at = list.find(pa.AthleteOrTeamID);
        if (!at)
            throw ServerError(errors::NotPlacedInDiscipline, {QString::number(pa.AthleteOrTeamID), d.name});
        std::optional<HeatList::Place> target = HeatList::Place{at->heat, pa.PositionIndex};
        if (pa.PositionIndex == 0) {
            target = list.find(pa.NewPosAthleteOrTeamID);
            if (!target)
                throw ServerError(errors::NotPlacedInDiscipline, {QString::number(pa.NewPosAthleteOrTeamID), d.name});
        }
        const Participant p = requireParticipant(db, d, pa.AthleteOrTeamID);
        list.takeOut(p.id);
        list.putAt(p, target->heat, target->position);
    }
    list.save(db);

    proto::setPositionResponse1 r;
    const std::unordered_map<int, HeatList::Place> after = list.placement();
    for (const auto& [id, was] : before) {
        if (assigned.contains(id))
            continue;
        auto now = after.find(id);
        if (now != after.end() && (now->second.heat != was.heat || now->second.position != was.position))
            r.MovedOtherAthletes = true;
    }
    return r;
}

void assignSquadsToDisc(Call& c, const op::assignSquadsToDisc& a)
{
    Db& db = c.database();
    const Discipline d = requireDiscipline(db, a.DisciplinID);
    std::vector<int> squads;
    for (int id : a.SquadIDs) {
        Statement q =
            db.query("SELECT age_class_id FROM squads WHERE id = ? AND competition_id = ?", id, d.competitionId);
        if (!q.next())
            throw ServerError(errors::SquadNotInCompetition, {QString::number(id), d.name});
        const int ageClass = q.intAt(0);
        if (a.Assignment == proto::AssignmentType::ASSIGN && !a.forceAgeClass && d.ageClassId != 0 && ageClass != 0 &&
            ageClass != d.ageClassId)
            throw ServerError(errors::SquadAgeClassMismatch, {squadText(db, id), d.name});
        if (std::find(squads.begin(), squads.end(), id) == squads.end())
            squads.push_back(id);
    }

    HeatList list(db, d.id);
    if (a.Assignment == proto::AssignmentType::ASSIGN) {
        for (int id : squads)
            db.query("INSERT INTO discipline_squads (discipline_id, squad_id) VALUES (?, ?) "
                     "ON CONFLICT DO NOTHING",
                     d.id, id)
                .run();
    } else {
        std::vector<int> assigned;
        for (int id : squads)
            if (db.query("SELECT 1 FROM discipline_squads WHERE discipline_id = ? AND squad_id = ?", d.id, id).next())
                assigned.push_back(id);
        std::vector<Participant> leaving;
        for (const Participant& p : participantsOfSquads(db, d, assigned))
            if (list.contains(p.id))
                leaving.push_back(p);
        releaseResults(db, d, leaving, a.forceRemoveAssignedResults);
        for (const Participant& p : leaving)
            list.takeOut(p.id);
        for (int id : assigned)
            db.query("DELETE FROM discipline_squads WHERE discipline_id = ? AND squad_id = ?", d.id, id).run();
    }
    divide(list, d, squadParticipants(db, d));
    list.save(db);
}

// The lock governs what squad changes do to the list; changing it moves nobody.
void setParticipantListLock(Call& c, const op::setParticipantListLock& a)
{
    Db& db = c.database();
    const Discipline d = requireDiscipline(db, a.disciplinID);
    if (a.lock != proto::LockType::LOCKED && a.lock != proto::LockType::UNLOCKED)
        throw ServerError(errors::InvalidListLock, {QString::fromUtf8(proto::enumName(a.lock))});
    db.query("UPDATE disciplines SET participants_list_lock = ? WHERE id = ?",
             QString::fromUtf8(proto::enumName(a.lock)), d.id)
        .run();
}

proto::getSquadDiscAssignmentsResponse getSquadDiscAssignments(Call& c, const op::getSquadDiscAssignments& a)
{
    Db& db = c.database();
    const Discipline d = requireDiscipline(db, a.DisciplinID);
    std::unordered_set<int> assigned;
    Statement q = db.query("SELECT squad_id FROM discipline_squads WHERE discipline_id = ?", d.id);
    while (q.next())
        assigned.insert(q.intAt(0));
    const CompetitionParticipants participants(db, d.competitionId);
    proto::getSquadDiscAssignmentsResponse r = readSquads(db, d.competitionId, participants);
    std::erase_if(r, [&](const proto::SquadType& s) { return !assigned.contains(s.SquadID); });
    return r;
}

// By id, or with id 0 by barcode within the competition.
proto::getDisciplineInfoResponse1 getDisciplineInfo(Call& c, const op::getDisciplineInfo& a)
{
    Db& db = c.database();
    std::optional<Discipline> d;
    if (a.DisciplinID != 0) {
        d = findDiscipline(db, a.DisciplinID);
    } else {
        requireCompetition(db, a.CompetitionId);
        Statement q = db.query((std::string(kDisciplineColumns) + "WHERE competition_id = ? AND barcode = ?").c_str(),
                               a.CompetitionId, a.DisciplineBarcodeId);
        if (q.next())
            d = readDiscipline(q);
    }
    if (!d)
        throw ServerError(errors::DisciplineNotFound,
                          {QString::number(a.DisciplinID != 0 ? a.DisciplinID : a.DisciplineBarcodeId)});
    proto::getDisciplineInfoResponse1 r;
    r.Disciplin = disciplineRecord(db, *d);
    r.Competition = readCompetition(db, d->competitionId);
    return r;
}

// The facilities of one place mapping, of a discipline, or (both 0) of the competition, each with
// the disciplines it serves and its schedule items at the chosen mappings, by time (items without
// time last).
proto::getDisciplineScheduleResponse getDisciplineSchedule(Call& c, const op::getDisciplineSchedule& a)
{
    Db& db = c.database();
    int competitionId = a.CompetitionId;
    if (a.DisciplinePlaceMapId != 0) {
        Statement q = db.query("SELECT p.competition_id FROM places_of_disciplines m JOIN discipline_places p "
                               "ON p.id = m.place_id WHERE m.id = ?",
                               a.DisciplinePlaceMapId);
        if (!q.next())
            return {};
        competitionId = q.intAt(0);
    } else if (a.DisciplineId != 0) {
        competitionId = requireDiscipline(db, a.DisciplineId).competitionId;
    } else {
        requireCompetition(db, competitionId);
    }

    const std::vector<proto::DisciplinType> disciplines = readDisciplines(db, competitionId);
    std::unordered_map<int, const proto::DisciplinType*> disciplineById;
    for (const proto::DisciplinType& d : disciplines)
        disciplineById[d.DisciplinID] = &d;
    const CompetitionParticipants participants(db, competitionId);
    std::unordered_map<int, proto::SquadType> squads;
    for (proto::SquadType& s : readSquads(db, competitionId, participants))
        squads.emplace(s.SquadID, std::move(s));

    struct Mapping {
        int id;
        int placeId;
        int disciplineId;
    };
    std::vector<Mapping> mappings;
    std::map<int, proto::DisciplinePlaceType> places;
    Statement q = db.query("SELECT m.id, m.place_id, m.discipline_id, p.name, p.comment FROM places_of_disciplines m "
                           "JOIN discipline_places p ON p.id = m.place_id WHERE p.competition_id = ? ORDER BY m.id",
                           competitionId);
    while (q.next()) {
        const Mapping m{q.intAt(0), q.intAt(1), q.intAt(2)};
        mappings.push_back(m);
        proto::DisciplinePlaceType& place = places[m.placeId];
        place.DisciplinePlaceId = m.placeId;
        place.Name = q.textAt(3);
        place.Comment = q.textAt(4);
        if (auto d = disciplineById.find(m.disciplineId); d != disciplineById.end())
            place.AssociatedDisciplines.push_back(*d->second);
    }

    proto::getDisciplineScheduleResponse r;
    for (const auto& [placeId, place] : places) {
        std::vector<const Mapping*> chosen;
        for (const Mapping& m : mappings)
            if (m.placeId == placeId && (a.DisciplinePlaceMapId == 0 || m.id == a.DisciplinePlaceMapId) &&
                (a.DisciplinePlaceMapId != 0 || a.DisciplineId == 0 || m.disciplineId == a.DisciplineId))
                chosen.push_back(&m);
        if (chosen.empty())
            continue;
        proto::DisciplineScheduleItemType& entry = r.emplace_back();
        entry.DisciplinePlace = place;
        for (const Mapping* m : chosen) {
            Statement items = db.query("SELECT id, squad_id, time FROM schedule_items WHERE place_of_discipline_id = ? "
                                       "ORDER BY time IS NULL, time, id",
                                       m->id);
            while (items.next()) {
                proto::ScheduleItemType& item = entry.ScheduleItems.emplace_back();
                item.ScheduleItemId = items.intAt(0);
                if (auto s = squads.find(items.intAt(1)); s != squads.end())
                    item.Squad = s->second;
                if (!items.isNullAt(2))
                    item.Time = QTime::fromString(items.textAt(2), QStringLiteral("HH:mm:ss"));
                proto::PlaceOfDisciplineType& placeOf = item.DisciplinePlace.ensure();
                placeOf.Id = m->id;
                if (auto d = disciplineById.find(m->disciplineId); d != disciplineById.end())
                    placeOf.Discipline = *d->second;
                placeOf.Place = place;
            }
        }
    }
    return r;
}

} // namespace tvp::standin::ops
