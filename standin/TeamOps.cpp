// Age classes, teams and the team rules of the age classes. Created records are read back through
// Records.h, as the reads hand them out.

#include "standin/Cups.h"
#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/Records.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace tvp::standin::ops {

namespace {

// Barcode ids are unique on the whole server and start at 1; printed sheets outlive what they name.
int newBarcode(Db& db, const char* kind, int competitionId)
{
    db.query("INSERT INTO barcodes (kind, competition_id) VALUES (?, ?)", QString::fromLatin1(kind), competitionId)
        .run();
    return db.lastInsertId();
}

int competitionOfAgeClass(Db& db, int ageClassId)
{
    Statement q = db.query("SELECT competition_id FROM age_classes WHERE id = ?", ageClassId);
    if (!q.next())
        throw ServerError(errors::AgeClassNotFound, {QString::number(ageClassId)});
    return q.intAt(0);
}

QString ageClassName(Db& db, int ageClassId)
{
    Statement q = db.query("SELECT name FROM age_classes WHERE id = ?", ageClassId);
    return q.next() ? q.textAt(0) : QString();
}

void requireClubOf(Db& db, int clubId, int competitionId)
{
    if (!db.query("SELECT 1 FROM clubs WHERE id = ? AND competition_id = ?", clubId, competitionId).next())
        throw ServerError(errors::ClubNotFound, {QString::number(clubId)});
}

// What the writes of a team check, without reading the whole competition.
struct StoredTeam {
    QString name;
    int competitionId = 0;
    int ageClassId = 0; // 0 for none
    int members = 0;
    int squadOrder = 0;
    int squadAgeClassId = 0; // 0 without squad or when the squad has none
};

StoredTeam requireTeam(Db& db, int id)
{
    Statement q = db.query("SELECT t.name, t.competition_id, IFNULL(t.age_class_id, 0), "
                           "       (SELECT COUNT(*) FROM athletes a WHERE a.team_id = t.id), "
                           "       IFNULL(s.order_index, 0), IFNULL(s.age_class_id, 0) "
                           "FROM teams t LEFT JOIN squad_teams st ON st.team_id = t.id "
                           "     LEFT JOIN squads s ON s.id = st.squad_id "
                           "WHERE t.id = ?",
                           id);
    if (!q.next())
        throw ServerError(errors::TeamNotFound, {QString::number(id)});
    return {q.textAt(0), q.intAt(1), q.intAt(2), q.intAt(3), q.intAt(4), q.intAt(5)};
}

void writeAgeClass(Db& db, int id, const proto::AgeClassInfoType& i)
{
    db.query("UPDATE age_classes SET name = ?, billing_price_per_team = ?, min_team_members = ?, "
             "max_team_members = ?, min_members_per_gender = ?, male_members_less_than = ?, "
             "female_members_less_than = ? WHERE id = ?",
             i.Name, i.BillingPricePerTeam, i.MinTeamMembers, i.MaxTeamMembers, i.MinMembersPerGender,
             i.MaleMembersLessThan, i.FemaleMembersLessThan, id)
        .run();
}

int countOf(Db& db, const char* sql, int id)
{
    Statement q = db.query(sql, id);
    return q.next() ? q.intAt(0) : 0;
}

// ---- team rules ----

struct Members {
    int male = 0;
    int female = 0;
};

proto::FailedParticipantConstraintType judge(const proto::AgeClassType& a, int all, const Members& m)
{
    proto::FailedParticipantConstraintType f;
    // A maximum below the minimum (the client sends -1) means no upper bound.
    const bool hasMaximum = a.MaxTeamMembers >= 0 && a.MaxTeamMembers >= a.MinTeamMembers;
    f.InvalidNoOfMembers = (a.MinTeamMembers > 0 && all < a.MinTeamMembers) || (hasMaximum && all > a.MaxTeamMembers);
    f.MixedGendersViolation =
        a.MinMembersPerGender > 0 && (m.male < a.MinMembersPerGender || m.female < a.MinMembersPerGender);
    // n means at most n - 1.
    f.MaxMaleViolation = a.MaleMembersLessThan > 0 && m.male >= a.MaleMembersLessThan;
    f.MaxFemaleViolation = a.FemaleMembersLessThan > 0 && m.female >= a.FemaleMembersLessThan;
    return f;
}

// The disciplines behind result providers: a discipline stands for itself, a scoring node for the
// providers of its sources, followed through nested nodes.
std::set<int> disciplinesOf(Db& db, const std::vector<int>& providers)
{
    std::set<int> disciplines;
    std::set<int> seen;
    std::vector<int> open(providers.begin(), providers.end());
    while (!open.empty()) {
        const int id = open.back();
        open.pop_back();
        if (!seen.insert(id).second)
            continue;
        if (db.query("SELECT 1 FROM disciplines WHERE id = ?", id).next()) {
            disciplines.insert(id);
            continue;
        }
        Statement sources = db.query("SELECT provider_id FROM aggregator_sources WHERE aggregator_id = ?", id);
        while (sources.next())
            open.push_back(sources.intAt(0));
    }
    return disciplines;
}

// The teams that take part in a discipline: entered as a team, through an athlete, or through a
// squad assigned to it.
void addTeamsOfDiscipline(Db& db, int disciplineId, std::set<int>& teams)
{
    Statement q =
        db.query("SELECT h.team_id FROM heat_assignments h WHERE h.discipline_id = ?1 AND h.team_id IS NOT NULL "
                 "UNION SELECT a.team_id FROM heat_assignments h JOIN athletes a ON a.id = h.athlete_id "
                 "      WHERE h.discipline_id = ?1 AND a.team_id IS NOT NULL "
                 "UNION SELECT st.team_id FROM discipline_squads ds "
                 "      JOIN squad_teams st ON st.squad_id = ds.squad_id WHERE ds.discipline_id = ?1",
                 disciplineId);
    while (q.next())
        teams.insert(q.intAt(0));
}

} // namespace

// ---- age classes ----

proto::createAgeClassResponse1 createAgeClass(Call& c, const op::createAgeClass& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    const int id = db.nextId("age_class");
    db.query("INSERT INTO age_classes (id, competition_id, name, barcode) VALUES (?, ?, '', ?)", id, a.CompetitionID,
             newBarcode(db, "age_class", a.CompetitionID))
        .run();
    writeAgeClass(db, id, a.AgeClassInfo ? *a.AgeClassInfo : proto::AgeClassInfoType{});
    placeInCups(db, proto::CupItemType::AgeClass, id, a.CompetitionID);
    proto::createAgeClassResponse1 r;
    r.AgeClass = CompetitionParticipants(db, a.CompetitionID).ageClass(id);
    return r;
}

void modifyAgeClass(Call& c, const op::modifyAgeClass& a)
{
    Db& db = c.database();
    competitionOfAgeClass(db, a.AgeClassID);
    if (a.AgeClassInfo)
        writeAgeClass(db, a.AgeClassID, *a.AgeClassInfo);
}

void removeAgeClass(Call& c, const op::removeAgeClass& a)
{
    Db& db = c.database();
    competitionOfAgeClass(db, a.AgeClassID);
    // No force flag: what still uses the age class must be moved first.
    const int teams = countOf(db, "SELECT COUNT(*) FROM teams WHERE age_class_id = ?", a.AgeClassID);
    const int squads = countOf(db, "SELECT COUNT(*) FROM squads WHERE age_class_id = ?", a.AgeClassID);
    const int disciplines = countOf(db, "SELECT COUNT(*) FROM disciplines WHERE age_class_id = ?", a.AgeClassID);
    if (teams + squads + disciplines > 0)
        throw ServerError(errors::AgeClassInUse, {ageClassName(db, a.AgeClassID), QString::number(teams),
                                                  QString::number(squads), QString::number(disciplines)});
    db.query("DELETE FROM cup_item_members WHERE age_class_id = ?", a.AgeClassID).run();
    db.query("DELETE FROM age_classes WHERE id = ?", a.AgeClassID).run();
}

// ---- teams ----

proto::addTeamResponse1 addTeam(Call& c, const op::addTeam& a)
{
    Db& db = c.database();
    // A team has no competition of its own in the call: it is that of its age class.
    const int competition = competitionOfAgeClass(db, a.AgeClassID);
    if (a.BillingClubID != 0)
        requireClubOf(db, a.BillingClubID, competition);
    const int id = db.nextId("team");
    db.query("INSERT INTO teams (id, competition_id, name, age_class_id, billing_club_id, barcode) "
             "VALUES (?, ?, ?, ?, NULLIF(?, 0), ?)",
             id, competition, a.TeamInfo ? a.TeamInfo->Name : QString(), a.AgeClassID, a.BillingClubID,
             newBarcode(db, "team", competition))
        .run();
    placeInCups(db, proto::CupItemType::Team, id, competition);
    proto::addTeamResponse1 r;
    r.Team = CompetitionParticipants(db, competition).team(id);
    return r;
}

void modifyTeam(Call& c, const op::modifyTeam& a)
{
    Db& db = c.database();
    const StoredTeam stored = requireTeam(db, a.TeamID);
    if (a.TeamInfo)
        db.query("UPDATE teams SET name = ? WHERE id = ?", a.TeamInfo->Name, a.TeamID).run();
    // Age class 0 keeps the stored one (the club window assigns billing clubs so).
    if (a.ageClassID != 0 && a.ageClassID != stored.ageClassId) {
        if (competitionOfAgeClass(db, a.ageClassID) != stored.competitionId)
            throw ServerError(errors::AgeClassNotFound, {QString::number(a.ageClassID)});
        if (stored.squadAgeClassId != 0 && stored.squadAgeClassId != a.ageClassID && !a.forceAgeClass)
            throw ServerError(errors::TeamSquadOfOtherAgeClass, {stored.name, QString::number(stored.squadOrder),
                                                                 ageClassName(db, stored.squadAgeClassId)});
        db.query("UPDATE teams SET age_class_id = ? WHERE id = ?", a.ageClassID, a.TeamID).run();
    }
    if (a.RemoveBillingClub) {
        db.query("UPDATE teams SET billing_club_id = NULL WHERE id = ?", a.TeamID).run();
    } else if (a.BillingClubID != 0) {
        requireClubOf(db, a.BillingClubID, stored.competitionId);
        db.query("UPDATE teams SET billing_club_id = ? WHERE id = ?", a.BillingClubID, a.TeamID).run();
    }
}

void removeTeam(Call& c, const op::removeTeam& a)
{
    Db& db = c.database();
    const StoredTeam stored = requireTeam(db, a.TeamID);
    if (!a.forceRemove) {
        const QStringList name{stored.name};
        if (stored.members > 0)
            throw ServerError(errors::TeamHasAthletes, name);
        if (countOf(db, "SELECT COUNT(*) FROM result_teams WHERE team_id = ?", a.TeamID) > 0)
            throw ServerError(errors::TeamHasResults, name);
        if (countOf(db, "SELECT COUNT(*) FROM heat_assignments WHERE team_id = ?", a.TeamID) > 0)
            throw ServerError(errors::TeamInDisciplineLists, name);
    }
    // Forced: the members go with the team, with their results, and so do the team's results. The
    // lists they leave change.
    db.query("UPDATE disciplines SET list_version = list_version + 1 WHERE id IN (SELECT discipline_id FROM "
             "heat_assignments WHERE team_id = ?1 OR athlete_id IN (SELECT id FROM athletes WHERE team_id = ?1))",
             a.TeamID)
        .run();
    db.query("DELETE FROM results WHERE id IN (SELECT result_id FROM result_teams WHERE team_id = ?)", a.TeamID).run();
    db.query("DELETE FROM athletes WHERE team_id = ?", a.TeamID).run();
    db.query("DELETE FROM teams WHERE id = ?", a.TeamID).run();
}

// ---- team rules ----

proto::checkParticipantConstraintsResponse checkParticipantConstraints(Call& c,
                                                                       const op::checkParticipantConstraints& a)
{
    Db& db = c.database();
    // Without providers every team of the competition is checked; with providers the teams behind
    // them, in whichever competition that is.
    int competition = a.CompetitionId;
    std::optional<std::set<int>> only;
    if (!a.ResultProviderIDs.empty()) {
        only.emplace();
        for (int discipline : disciplinesOf(db, a.ResultProviderIDs))
            addTeamsOfDiscipline(db, discipline, *only);
        if (only->empty())
            return {};
        competition = countOf(db, "SELECT competition_id FROM teams WHERE id = ?", *only->begin());
    } else {
        requireCompetition(db, competition);
    }

    std::map<int, Members> genders;
    Statement q = db.query("SELECT team_id, SUM(gender = 'MALE'), SUM(gender = 'FEMALE') FROM athletes "
                           "WHERE competition_id = ? AND team_id IS NOT NULL GROUP BY team_id",
                           competition);
    while (q.next())
        genders[q.intAt(0)] = {q.intAt(1), q.intAt(2)};

    const CompetitionParticipants participants(db, competition);
    std::vector<const proto::TeamType*> teams;
    for (const proto::TeamType& t : participants.teams())
        if (t.AgeClass && (!only || only->contains(t.TeamID)))
            teams.push_back(&t);
    std::stable_sort(teams.begin(), teams.end(),
                     [](const proto::TeamType* x, const proto::TeamType* y) { return x->Name < y->Name; });

    proto::checkParticipantConstraintsResponse r;
    for (const proto::TeamType* t : teams) {
        const proto::FailedParticipantConstraintType failed = judge(*t->AgeClass, t->NoOfAthletes, genders[t->TeamID]);
        if (!failed.InvalidNoOfMembers && !failed.MixedGendersViolation && !failed.MaxMaleViolation &&
            !failed.MaxFemaleViolation)
            continue;
        proto::InvalidParticipantType& invalid = r.emplace_back();
        invalid.FailedConstraints = failed;
        proto::FailedObjectType object;
        object.Team = *t;
        invalid.FailedObject = std::move(object);
    }
    return r;
}

} // namespace tvp::standin::ops
