// Clubs, the billing of their teams and athletes, and squads.
//
// A nil record keeps what is stored; inside a record that came, a text that is missing is the empty
// text, because the client leaves empty texts out: a remark the user cleared arrives so.

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/Records.h"

#include <algorithm>
#include <optional>
#include <set>

namespace tvp::standin::ops {

namespace {

// ---- clubs ----

QString requireClub(Db& db, int id)
{
    Statement q = db.query("SELECT name FROM clubs WHERE id = ?", id);
    if (!q.next())
        throw ServerError(errors::ClubNotFound, {QString::number(id)});
    return q.textAt(0);
}

// ---- squads ----

struct StoredSquad {
    int id = 0;
    int competitionId = 0;
    int ageClassId = 0;
    int orderIndex = 0;
    QString name;
};

StoredSquad requireSquad(Db& db, int id)
{
    Statement q = db.query(
        "SELECT competition_id, COALESCE(age_class_id, 0), order_index, custom_name FROM squads WHERE id = ?", id);
    if (!q.next())
        throw ServerError(errors::SquadNotFound, {QString::number(id)});
    return {id, q.intAt(0), q.intAt(1), q.intAt(2), q.textAt(3)};
}

// "3", or "Adler (3)", as the client names a squad.
QString squadText(int orderIndex, const QString& name)
{
    return name.isEmpty() ? QString::number(orderIndex) : QStringLiteral("%1 (%2)").arg(name).arg(orderIndex);
}

QString squadText(Db& db, int squadId)
{
    Statement q = db.query("SELECT order_index, custom_name FROM squads WHERE id = ?", squadId);
    return q.next() ? squadText(q.intAt(0), q.textAt(1)) : QString::number(squadId);
}

void requireSquadAgeClass(Db& db, int competitionId, int ageClassId)
{
    if (ageClassId != 0 &&
        !db.query("SELECT 1 FROM age_classes WHERE id = ? AND competition_id = ?", ageClassId, competitionId).next())
        throw ServerError(errors::AgeClassNotFound, {QString::number(ageClassId)});
}

// The teams in the order sent, each once, every one of the competition.
std::vector<int> requireTeams(Db& db, int competitionId, const std::vector<int>& ids)
{
    std::vector<int> teams;
    std::set<int> seen;
    for (int id : ids) {
        if (!seen.insert(id).second)
            continue;
        if (!db.query("SELECT 1 FROM teams WHERE id = ? AND competition_id = ?", id, competitionId).next())
            throw ServerError(errors::TeamNotFound, {QString::number(id)});
        teams.push_back(id);
    }
    return teams;
}

std::vector<int> teamsOfSquad(Db& db, int squadId)
{
    std::vector<int> teams;
    Statement q = db.query("SELECT team_id FROM squad_teams WHERE squad_id = ? ORDER BY position", squadId);
    while (q.next())
        teams.push_back(q.intAt(0));
    return teams;
}

int squadOfTeam(Db& db, int teamId)
{
    Statement q = db.query("SELECT squad_id FROM squad_teams WHERE team_id = ?", teamId);
    return q.next() ? q.intAt(0) : 0;
}

QString teamName(Db& db, int teamId)
{
    Statement q = db.query("SELECT name FROM teams WHERE id = ?", teamId);
    return q.next() ? q.textAt(0) : QString::number(teamId);
}

// Teams leaving a squad leave the disciplines the squad is assigned to; results they have there
// go only with force.
void requireNoResults(Db& db, int squadId, const std::vector<int>& teamIds, bool forceRemoveResults)
{
    if (forceRemoveResults)
        return;
    for (int team : teamIds) {
        Statement athleteResults = db.query(
            "SELECT TRIM(a.given_name || ' ' || a.sur_name) FROM results r JOIN athletes a ON a.id = r.athlete_id "
            "JOIN disciplines d ON d.id = r.discipline_id "
            "WHERE a.team_id = ? AND r.discipline_id IN (SELECT discipline_id FROM discipline_squads "
            "WHERE squad_id = ?) LIMIT 1",
            team, squadId);
        if (athleteResults.next())
            throw ServerError(errors::AthleteHasResults, {athleteResults.textAt(0)});
        Statement teamResults =
            db.query("SELECT 1 FROM results r JOIN result_teams rt ON rt.result_id = r.id "
                     "JOIN disciplines d ON d.id = r.discipline_id "
                     "WHERE r.athlete_id IS NULL AND rt.team_id = ? AND r.discipline_id IN (SELECT discipline_id "
                     "FROM discipline_squads WHERE squad_id = ?) LIMIT 1",
                     team, squadId);
        if (teamResults.next())
            throw ServerError(errors::TeamHasResults, {teamName(db, team)});
    }
}

// Their places on the competition lists of the squad's disciplines and their results there.
void dropFromDisciplines(Db& db, int squadId, const std::vector<int>& teamIds)
{
    for (int team : teamIds) {
        db.query("DELETE FROM results WHERE discipline_id IN (SELECT discipline_id FROM discipline_squads WHERE "
                 "squad_id = ?) AND (athlete_id IN (SELECT id FROM athletes WHERE team_id = ?) OR "
                 "(athlete_id IS NULL AND id IN (SELECT result_id FROM result_teams WHERE team_id = ?)))",
                 squadId, team, team)
            .run();
        db.query("UPDATE disciplines SET list_version = list_version + 1 WHERE id IN (SELECT discipline_id FROM "
                 "heat_assignments WHERE discipline_id IN (SELECT discipline_id FROM discipline_squads WHERE "
                 "squad_id = ?1) AND (team_id = ?2 OR athlete_id IN (SELECT id FROM athletes WHERE team_id = ?2)))",
                 squadId, team)
            .run();
        db.query("DELETE FROM heat_assignments WHERE discipline_id IN (SELECT discipline_id FROM discipline_squads "
                 "WHERE squad_id = ?) AND (team_id = ? OR athlete_id IN (SELECT id FROM athletes WHERE team_id = ?))",
                 squadId, team, team)
            .run();
    }
}

// The teams that come from other squads, each with the squad it leaves. Refused without force.
std::vector<std::pair<int, int>> teamsFromOtherSquads(Db& db, int squadId, const std::vector<int>& teams,
                                                      bool forceReassignment, bool forceRemoveResults)
{
    std::vector<std::pair<int, int>> moving;
    for (int team : teams) {
        const int other = squadOfTeam(db, team);
        if (other == 0 || other == squadId)
            continue;
        if (!forceReassignment)
            throw ServerError(errors::TeamInOtherSquad, {teamName(db, team), squadText(db, other)});
        moving.emplace_back(team, other);
    }
    for (const auto& [team, other] : moving)
        requireNoResults(db, other, {team}, forceRemoveResults);
    return moving;
}

void releaseMoving(Db& db, const std::vector<std::pair<int, int>>& moving)
{
    for (const auto& [team, other] : moving)
        dropFromDisciplines(db, other, {team});
}

void setSquadTeams(Db& db, int squadId, const std::vector<int>& teams)
{
    db.query("DELETE FROM squad_teams WHERE squad_id = ?", squadId).run();
    int position = 0;
    for (int team : teams) {
        db.query("DELETE FROM squad_teams WHERE team_id = ?", team).run();
        db.query("INSERT INTO squad_teams (team_id, squad_id, position) VALUES (?, ?, ?)", team, squadId, position++)
            .run();
    }
}

// An order index of 0 or below appends the squad after the last one.
int orderIndexFor(Db& db, int competitionId, int squadId, int wanted)
{
    if (wanted > 0)
        return wanted;
    Statement q = db.query("SELECT COALESCE(MAX(order_index), 0) FROM squads WHERE competition_id = ? AND id <> ?",
                           competitionId, squadId);
    q.next();
    return q.intAt(0) + 1;
}

// Puts the squad at the index; squads in its way move up one place, and those they then meet move
// on too, until a gap takes them. A reorder sends its squads one by one, forced or not, and moving
// aside at every step is what keeps the order of those it passes.
void placeSquad(Db& db, int competitionId, int squadId, int index)
{
    std::vector<std::pair<int, int>> later; // id, order index
    Statement q = db.query("SELECT id, order_index FROM squads WHERE competition_id = ? AND id <> ? AND "
                           "order_index >= ? ORDER BY order_index, id",
                           competitionId, squadId, index);
    while (q.next())
        later.emplace_back(q.intAt(0), q.intAt(1));
    int taken = index;
    for (const auto& [id, order] : later) {
        if (order > taken)
            break;
        taken += 1;
        db.query("UPDATE squads SET order_index = ? WHERE id = ?", taken, id).run();
    }
    db.query("UPDATE squads SET order_index = ? WHERE id = ?", index, squadId).run();
}

} // namespace

// ---- clubs ----

proto::addClubResponse1 addClub(Call& c, const op::addClub& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    proto::ClubType club;
    if (a.ClubInfo)
        static_cast<proto::ClubInfoDataType&>(club) = *a.ClubInfo;
    club.ClubId = db.nextId("club");
    db.query("INSERT INTO clubs (id, competition_id, name, comment, billing_address) VALUES (?, ?, ?, ?, ?)",
             club.ClubId, a.CompetitionID, club.Name, club.Comment, club.BillingAddress)
        .run();
    proto::addClubResponse1 r;
    r.Club = club;
    return r;
}

void modifyClub(Call& c, const op::modifyClub& a)
{
    Db& db = c.database();
    requireClub(db, a.ClubID);
    if (!a.ClubInfo)
        return;
    db.query("UPDATE clubs SET name = ?, comment = ?, billing_address = ? WHERE id = ?", a.ClubInfo->Name,
             a.ClubInfo->Comment, a.ClubInfo->BillingAddress, a.ClubID)
        .run();
}

void removeClub(Call& c, const op::removeClub& a)
{
    Db& db = c.database();
    const QString name = requireClub(db, a.ClubID);
    if (!a.ForceRemoveBilling && db.query("SELECT 1 FROM teams WHERE billing_club_id = ?", a.ClubID).next())
        throw ServerError(errors::ClubHasTeams, {name});
    if (!a.ForceRemoveAthlete && db.query("SELECT 1 FROM athletes WHERE club_id = ?", a.ClubID).next())
        throw ServerError(errors::ClubHasAthletes, {name});
    db.query("UPDATE teams SET billing_club_id = NULL WHERE billing_club_id = ?", a.ClubID).run();
    db.query("UPDATE athletes SET club_id = NULL WHERE club_id = ?", a.ClubID).run();
    db.query("DELETE FROM clubs WHERE id = ?", a.ClubID).run();
}

// Every club of the competition in the order of its id: each team it pays for at the team price of
// the team's age class (nothing without one), and its athletes without team at the competition's
// price per athlete.
proto::getClubBillingResponse1 getClubBilling(Call& c, const op::getClubBilling& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    Statement price = db.query("SELECT billing_price_per_athlete FROM competitions WHERE id = ?", a.CompetitionID);
    price.next();
    const double perAthlete = price.doubleAt(0);

    proto::getClubBillingResponse1 r;
    const CompetitionParticipants participants(db, a.CompetitionID);
    for (const proto::ClubType& club : participants.clubs()) {
        proto::ClubBillingInfoType& billing = r.emplace_back();
        billing.Club = club;
        for (const proto::TeamType& team : participants.teams()) {
            if (!team.BillingClub || team.BillingClub->ClubId != club.ClubId)
                continue;
            proto::BillingTeam& billed = billing.Teams.emplace_back();
            billed.Team = team;
            billed.TeamPrincing = team.AgeClass ? team.AgeClass->BillingPricePerTeam : 0.0;
            billed.NoOfBilledParticipants = team.NoOfAthletes;
            billing.TotalAmount += billed.TeamPrincing;
        }
        Statement teamless =
            db.query("SELECT COUNT(*) FROM athletes WHERE club_id = ? AND team_id IS NULL", club.ClubId);
        teamless.next();
        if (const int count = teamless.intAt(0); count > 0) {
            proto::TeamlessAthleteBilling& athletes = billing.AthletesWithoutTeam.ensure();
            athletes.NoOfAthletes = count;
            athletes.Pricing = count * perAthlete;
            billing.TotalAmount += athletes.Pricing;
        }
    }
    return r;
}

proto::getBillingPriceResponse getBillingPrice(Call& c, const op::getBillingPrice& a)
{
    Db& db = c.database();
    requireCompetition(db, a.competitionId);
    Statement q = db.query("SELECT billing_price_per_athlete FROM competitions WHERE id = ?", a.competitionId);
    proto::getBillingPriceResponse r;
    if (q.next())
        r.billingPrice = float(q.doubleAt(0));
    return r;
}

void setBillingPrice(Call& c, const op::setBillingPrice& a)
{
    Db& db = c.database();
    requireCompetition(db, a.competitionId);
    db.query("UPDATE competitions SET billing_price_per_athlete = ? WHERE id = ?", a.BillingPricePerAthlete,
             a.competitionId)
        .run();
}

// ---- squads ----

proto::addSquadResponse addSquad(Call& c, const op::addSquad& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    requireSquadAgeClass(db, a.CompetitionID, a.AgeClassID);
    const std::vector<int> teams = requireTeams(db, a.CompetitionID, a.AssignedTeamIDs);
    const int id = db.nextId("squad");
    const auto moving = teamsFromOtherSquads(db, id, teams, a.forceTeamReassignment, a.forceRemoveAssignedResults);
    releaseMoving(db, moving);

    const proto::SquadInfoDataType info = a.SquadInfo ? *a.SquadInfo : proto::SquadInfoDataType{};
    db.query("INSERT INTO squads (id, competition_id, age_class_id, order_index, custom_name) "
             "VALUES (?, ?, NULLIF(?, 0), 0, ?)",
             id, a.CompetitionID, a.AgeClassID, info.CustomName)
        .run();
    placeSquad(db, a.CompetitionID, id, orderIndexFor(db, a.CompetitionID, id, info.OrderIndex));
    setSquadTeams(db, id, teams);

    proto::addSquadResponse r;
    for (proto::SquadType& squad : readSquads(db, a.CompetitionID, CompetitionParticipants(db, a.CompetitionID)))
        if (squad.SquadID == id)
            r.Squad = std::move(squad);
    return r;
}

// The squad takes exactly the teams sent (none clears it) and the age class sent (0: none).
void modifySquad(Call& c, const op::modifySquad& a)
{
    Db& db = c.database();
    const StoredSquad stored = requireSquad(db, a.SquadID);
    requireSquadAgeClass(db, stored.competitionId, a.AgeClassID);
    const std::vector<int> teams = requireTeams(db, stored.competitionId, a.AssignedTeamIDs);
    const std::vector<int> before = teamsOfSquad(db, a.SquadID);
    const QString text = squadText(stored.orderIndex, stored.name);

    const auto moving =
        teamsFromOtherSquads(db, a.SquadID, teams, a.forceTeamReassignment, a.forceRemoveAssignedResults);

    const bool ageClassChanges = a.AgeClassID != stored.ageClassId;
    if (ageClassChanges && !a.forceAgeClassDisc) {
        Statement q = db.query("SELECT d.name FROM discipline_squads ds JOIN disciplines d ON d.id = ds.discipline_id "
                               "WHERE ds.squad_id = ? AND d.age_class_id IS NOT NULL AND d.age_class_id <> ? LIMIT 1",
                               a.SquadID, a.AgeClassID);
        if (q.next())
            throw ServerError(errors::SquadDisciplineAgeClass, {text, q.textAt(0)});
    }
    if (a.AgeClassID != 0 && !a.forceAgeClassTeam) {
        // What stood so before is no news; a new age class or a newcomer of another one is.
        for (int team : teams) {
            const bool isNew = std::find(before.begin(), before.end(), team) == before.end();
            if (!ageClassChanges && !isNew)
                continue;
            if (db.query("SELECT 1 FROM teams WHERE id = ? AND age_class_id IS NOT NULL AND age_class_id <> ?", team,
                         a.AgeClassID)
                    .next())
                throw ServerError(errors::SquadTeamAgeClass, {teamName(db, team), text});
        }
    }

    std::vector<int> leaving;
    for (int team : before)
        if (std::find(teams.begin(), teams.end(), team) == teams.end())
            leaving.push_back(team);
    requireNoResults(db, a.SquadID, leaving, a.forceRemoveAssignedResults);

    releaseMoving(db, moving);
    dropFromDisciplines(db, a.SquadID, leaving);
    db.query("UPDATE squads SET age_class_id = NULLIF(?, 0) WHERE id = ?", a.AgeClassID, a.SquadID).run();
    if (a.SquadInfo) {
        db.query("UPDATE squads SET custom_name = ? WHERE id = ?", a.SquadInfo->CustomName, a.SquadID).run();
        placeSquad(db, stored.competitionId, a.SquadID,
                   orderIndexFor(db, stored.competitionId, a.SquadID, a.SquadInfo->OrderIndex));
    }
    setSquadTeams(db, a.SquadID, teams);
}

void removeSquad(Call& c, const op::removeSquad& a)
{
    Db& db = c.database();
    const StoredSquad stored = requireSquad(db, a.squadID);
    const QString text = squadText(stored.orderIndex, stored.name);
    const std::vector<int> teams = teamsOfSquad(db, a.squadID);
    // Results first: they are what the user loses for good.
    requireNoResults(db, a.squadID, teams, a.forceRemove);
    if (!a.forceRemove) {
        Statement q = db.query("SELECT d.name FROM discipline_squads ds JOIN disciplines d ON d.id = ds.discipline_id "
                               "WHERE ds.squad_id = ? LIMIT 1",
                               a.squadID);
        if (q.next())
            throw ServerError(errors::SquadAssignedToDiscipline, {text, q.textAt(0)});
    }
    if (!a.forceRemoveScheduleItem && db.query("SELECT 1 FROM schedule_items WHERE squad_id = ?", a.squadID).next())
        throw ServerError(errors::SquadHasScheduleItems, {text});
    dropFromDisciplines(db, a.squadID, teams);
    db.query("DELETE FROM squads WHERE id = ?", a.squadID).run();
}

} // namespace tvp::standin::ops
