// Age classes, teams and the team rules of the age classes.

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"

#include <map>
#include <optional>
#include <set>

namespace tvp::standin::ops {

namespace {

void requireCompetition(Db& db, int id)
{
    if (!db.query("SELECT 1 FROM competitions WHERE id = ?", id).next())
        throw ServerError(errors::CompetitionNotFound, {QString::number(id)});
}

// Barcode ids are unique on the whole server and start at 1; printed sheets outlive what they name.
int newBarcode(Db& db, const char* kind, int competitionId)
{
    db.query("INSERT INTO barcodes (kind, competition_id) VALUES (?, ?)", QString::fromLatin1(kind), competitionId)
        .run();
    return db.lastInsertId();
}

const char* const kAgeClassColumns = "id, name, billing_price_per_team, min_team_members, max_team_members, "
                                     "min_members_per_gender, male_members_less_than, female_members_less_than, "
                                     "barcode, competition_id";

proto::AgeClassType ageClassAt(const Statement& q)
{
    proto::AgeClassType a;
    a.AgeClassID = q.intAt(0);
    a.Name = q.textAt(1);
    a.BillingPricePerTeam = q.doubleAt(2);
    a.MinTeamMembers = q.intAt(3);
    a.MaxTeamMembers = q.intAt(4);
    a.MinMembersPerGender = q.intAt(5);
    a.MaleMembersLessThan = q.intAt(6);
    a.FemaleMembersLessThan = q.intAt(7);
    a.Barcode = q.intAt(8);
    return a;
}

struct StoredAgeClass {
    proto::AgeClassType ageClass;
    int competitionId = 0;
};

StoredAgeClass requireAgeClass(Db& db, int id)
{
    Statement q = db.query((std::string("SELECT ") + kAgeClassColumns + " FROM age_classes WHERE id = ?").c_str(), id);
    if (!q.next())
        throw ServerError(errors::AgeClassNotFound, {QString::number(id)});
    return {ageClassAt(q), q.intAt(9)};
}

void requireClubOf(Db& db, int clubId, int competitionId)
{
    if (!db.query("SELECT 1 FROM clubs WHERE id = ? AND competition_id = ?", clubId, competitionId).next())
        throw ServerError(errors::ClubNotFound, {QString::number(clubId)});
}

struct StoredTeam {
    proto::TeamType team;
    int competitionId = 0;
    int ageClassId = 0; // 0 for none
    int squadAgeClassId = 0;
};

StoredTeam requireTeam(Db& db, int id)
{
    Statement q = db.query("SELECT t.id, t.name, t.barcode, t.competition_id, IFNULL(t.age_class_id, 0), "
                           "       t.billing_club_id, c.name, c.comment, st.squad_id, s.order_index, s.custom_name, "
                           "       IFNULL(s.age_class_id, 0), (SELECT COUNT(*) FROM athletes a WHERE a.team_id = t.id) "
                           "FROM teams t LEFT JOIN clubs c ON c.id = t.billing_club_id "
                           "     LEFT JOIN squad_teams st ON st.team_id = t.id "
                           "     LEFT JOIN squads s ON s.id = st.squad_id "
                           "WHERE t.id = ?",
                           id);
    if (!q.next())
        throw ServerError(errors::TeamNotFound, {QString::number(id)});
    StoredTeam stored;
    proto::TeamType& t = stored.team;
    t.TeamID = q.intAt(0);
    t.Name = q.textAt(1);
    t.Barcode = q.intAt(2);
    stored.competitionId = q.intAt(3);
    stored.ageClassId = q.intAt(4);
    if (!q.isNullAt(5)) {
        proto::ClubShortType club;
        club.ClubId = q.intAt(5);
        club.Name = q.textAt(6);
        club.Comment = q.textAt(7);
        t.BillingClub = club;
    }
    if (!q.isNullAt(8)) {
        t.SquadID = q.intAt(8);
        proto::SquadInfoDataType squad;
        squad.OrderIndex = q.intAt(9);
        squad.CustomName = q.textAt(10);
        t.SquadInfo = squad;
        stored.squadAgeClassId = q.intAt(11);
    }
    t.NoOfAthletes = q.intAt(12);
    if (stored.ageClassId != 0)
        t.AgeClass = requireAgeClass(db, stored.ageClassId).ageClass;
    return stored;
}

const proto::AgeClassInfoType& infoOrEmpty(const proto::Owned<proto::AgeClassInfoType>& info)
{
    static const proto::AgeClassInfoType empty;
    return info ? *info : empty;
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
    int all = 0;
    int male = 0;
    int female = 0;
};

proto::FailedParticipantConstraintType judge(const proto::AgeClassType& a, const Members& m)
{
    proto::FailedParticipantConstraintType f;
    // A maximum below the minimum (the client sends -1) means no upper bound.
    const bool hasMaximum = a.MaxTeamMembers >= 0 && a.MaxTeamMembers >= a.MinTeamMembers;
    f.InvalidNoOfMembers =
        (a.MinTeamMembers > 0 && m.all < a.MinTeamMembers) || (hasMaximum && m.all > a.MaxTeamMembers);
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
                 "UNION SELECT st.team_id FROM discipline_squads ds JOIN squad_teams st ON st.squad_id = ds.squad_id "
                 "      WHERE ds.discipline_id = ?1",
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
    writeAgeClass(db, id, infoOrEmpty(a.AgeClassInfo));
    proto::createAgeClassResponse1 r;
    r.AgeClass = requireAgeClass(db, id).ageClass;
    return r;
}

void modifyAgeClass(Call& c, const op::modifyAgeClass& a)
{
    Db& db = c.database();
    requireAgeClass(db, a.AgeClassID);
    if (a.AgeClassInfo)
        writeAgeClass(db, a.AgeClassID, *a.AgeClassInfo);
}

void removeAgeClass(Call& c, const op::removeAgeClass& a)
{
    Db& db = c.database();
    const StoredAgeClass stored = requireAgeClass(db, a.AgeClassID);
    // No force flag: what still uses the age class must be moved first.
    const int teams = countOf(db, "SELECT COUNT(*) FROM teams WHERE age_class_id = ?", a.AgeClassID);
    const int squads = countOf(db, "SELECT COUNT(*) FROM squads WHERE age_class_id = ?", a.AgeClassID);
    const int disciplines = countOf(db, "SELECT COUNT(*) FROM disciplines WHERE age_class_id = ?", a.AgeClassID);
    if (teams + squads + disciplines > 0)
        throw ServerError(errors::AgeClassInUse, {stored.ageClass.Name, QString::number(teams), QString::number(squads),
                                                  QString::number(disciplines)});
    db.query("DELETE FROM cup_item_members WHERE age_class_id = ?", a.AgeClassID).run();
    db.query("DELETE FROM age_classes WHERE id = ?", a.AgeClassID).run();
}

// ---- teams ----

proto::addTeamResponse1 addTeam(Call& c, const op::addTeam& a)
{
    Db& db = c.database();
    // A team has no competition of its own in the call: it is that of its age class.
    const StoredAgeClass ageClass = requireAgeClass(db, a.AgeClassID);
    if (a.BillingClubID != 0)
        requireClubOf(db, a.BillingClubID, ageClass.competitionId);
    const int id = db.nextId("team");
    db.query("INSERT INTO teams (id, competition_id, name, age_class_id, billing_club_id, barcode) "
             "VALUES (?, ?, ?, ?, NULLIF(?, 0), ?)",
             id, ageClass.competitionId, a.TeamInfo ? a.TeamInfo->Name : QString(), a.AgeClassID, a.BillingClubID,
             newBarcode(db, "team", ageClass.competitionId))
        .run();
    proto::addTeamResponse1 r;
    r.Team = requireTeam(db, id).team;
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
        const StoredAgeClass target = requireAgeClass(db, a.ageClassID);
        if (target.competitionId != stored.competitionId)
            throw ServerError(errors::AgeClassNotFound, {QString::number(a.ageClassID)});
        if (stored.squadAgeClassId != 0 && stored.squadAgeClassId != a.ageClassID && !a.forceAgeClass)
            throw ServerError(errors::TeamSquadOfOtherAgeClass,
                              {stored.team.Name, QString::number(stored.team.SquadInfo->OrderIndex),
                               requireAgeClass(db, stored.squadAgeClassId).ageClass.Name});
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
        const QStringList name{stored.team.Name};
        if (stored.team.NoOfAthletes > 0)
            throw ServerError(errors::TeamHasAthletes, name);
        if (countOf(db, "SELECT COUNT(*) FROM result_teams WHERE team_id = ?", a.TeamID) > 0)
            throw ServerError(errors::TeamHasResults, name);
        if (countOf(db, "SELECT COUNT(*) FROM heat_assignments WHERE team_id = ?", a.TeamID) > 0)
            throw ServerError(errors::TeamInDisciplineLists, name);
    }
    // Forced: the members go with the team, with their results, and so do the team's results.
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
    std::optional<std::set<int>> only;
    if (!a.ResultProviderIDs.empty()) {
        only.emplace();
        for (int discipline : disciplinesOf(db, a.ResultProviderIDs))
            addTeamsOfDiscipline(db, discipline, *only);
    } else {
        requireCompetition(db, a.CompetitionId);
    }

    proto::checkParticipantConstraintsResponse r;
    Statement q = db.query("SELECT t.id, t.age_class_id, COUNT(m.id), "
                           "       IFNULL(SUM(m.gender = 'MALE'), 0), IFNULL(SUM(m.gender = 'FEMALE'), 0) "
                           "FROM teams t LEFT JOIN athletes m ON m.team_id = t.id "
                           "WHERE t.age_class_id IS NOT NULL AND (?1 = 0 OR t.competition_id = ?2) "
                           "GROUP BY t.id ORDER BY t.name, t.id",
                           only ? 0 : 1, a.CompetitionId);
    std::map<int, proto::AgeClassType> ageClasses;
    while (q.next()) {
        const int teamId = q.intAt(0);
        if (only && !only->contains(teamId))
            continue;
        const int ageClassId = q.intAt(1);
        auto known = ageClasses.find(ageClassId);
        if (known == ageClasses.end())
            known = ageClasses.emplace(ageClassId, requireAgeClass(db, ageClassId).ageClass).first;
        const proto::FailedParticipantConstraintType failed =
            judge(known->second, {q.intAt(2), q.intAt(3), q.intAt(4)});
        if (!failed.InvalidNoOfMembers && !failed.MixedGendersViolation && !failed.MaxMaleViolation &&
            !failed.MaxFemaleViolation)
            continue;
        proto::InvalidParticipantType& invalid = r.emplace_back();
        invalid.FailedConstraints = failed;
        proto::FailedObjectType object;
        object.Team = requireTeam(db, teamId).team;
        invalid.FailedObject = std::move(object);
    }
    return r;
}

} // namespace tvp::standin::ops
