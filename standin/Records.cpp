#include "standin/Records.h"

#include "standin/ErrorMessages.h"
#include "standin/Operations.h"

#include <algorithm>

namespace tvp::standin {

namespace {

template <class T>
proto::Owned<T> ownedAt(const std::vector<T>& all, const std::unordered_map<int, std::size_t>& at, int id)
{
    auto it = at.find(id);
    return it == at.end() ? proto::Owned<T>() : proto::Owned<T>(all[it->second]);
}

} // namespace

void requireCompetition(Db& db, int competitionId)
{
    if (!db.query("SELECT 1 FROM competitions WHERE id = ?", competitionId).next())
        throw ServerError(errors::CompetitionNotFound, {QString::number(competitionId)});
}

proto::Owned<proto::CompetitionType> readCompetition(Db& db, int competitionId)
{
    Statement q = db.query("SELECT id, name, date FROM competitions WHERE id = ?", competitionId);
    if (!q.next())
        return nullptr;
    proto::CompetitionType comp;
    comp.ID = q.intAt(0);
    comp.Name = q.textAt(1);
    comp.Date = q.dateAt(2);
    return proto::Owned<proto::CompetitionType>(std::move(comp));
}

NameFilter::NameFilter(const proto::Owned<proto::StringSearchType>& search)
{
    if (!search)
        return;
    text_ = search->Name;
    cs_ = search->CaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

bool NameFilter::matches(const QString& name) const
{
    return text_.isEmpty() || name.compare(text_, cs_) == 0;
}

CompetitionParticipants::CompetitionParticipants(Db& db, int competitionId)
{
    Statement ages = db.query("SELECT id, name, billing_price_per_team, min_team_members, max_team_members, "
                              "min_members_per_gender, male_members_less_than, female_members_less_than, barcode "
                              "FROM age_classes WHERE competition_id = ? ORDER BY id",
                              competitionId);
    readAgeClasses(ages);

    Statement clubs = db.query("SELECT id, name, comment, billing_address FROM clubs WHERE competition_id = ? "
                               "ORDER BY id",
                               competitionId);
    readClubs(clubs);

    // A team's member count is a range of the athletes' team index, read without the rows; a
    // grouped pass over the competition's athletes reads every row and sorts them first.
    Statement teams = db.query("SELECT t.id, t.name, t.age_class_id, t.billing_club_id, t.barcode, s.id, "
                               "s.order_index, s.custom_name, "
                               "(SELECT COUNT(*) FROM athletes a WHERE a.team_id = t.id) "
                               "FROM teams t LEFT JOIN squad_teams st ON st.team_id = t.id "
                               "LEFT JOIN squads s ON s.id = st.squad_id "
                               "WHERE t.competition_id = ?1 ORDER BY t.id",
                               competitionId);
    readTeams(teams);
}

CompetitionParticipants CompetitionParticipants::carriedBy(Db& db, int competitionId, int teamId, int clubId)
{
    // Only what one athlete carries: a single write must not read the whole competition.
    CompetitionParticipants p;
    Statement ages = db.query("SELECT id, name, billing_price_per_team, min_team_members, max_team_members, "
                              "min_members_per_gender, male_members_less_than, female_members_less_than, barcode "
                              "FROM age_classes WHERE id = (SELECT age_class_id FROM teams WHERE id = ?2) "
                              "AND competition_id = ?1",
                              competitionId, teamId);
    p.readAgeClasses(ages);

    Statement clubs = db.query("SELECT id, name, comment, billing_address FROM clubs "
                               "WHERE id IN (?2, (SELECT billing_club_id FROM teams WHERE id = ?3)) "
                               "AND competition_id = ?1 ORDER BY id",
                               competitionId, clubId, teamId);
    p.readClubs(clubs);

    Statement teams = db.query("SELECT t.id, t.name, t.age_class_id, t.billing_club_id, t.barcode, s.id, "
                               "s.order_index, s.custom_name, "
                               "(SELECT COUNT(*) FROM athletes WHERE team_id = t.id) "
                               "FROM teams t LEFT JOIN squad_teams st ON st.team_id = t.id "
                               "LEFT JOIN squads s ON s.id = st.squad_id "
                               "WHERE t.id = ?2 AND t.competition_id = ?1",
                               competitionId, teamId);
    p.readTeams(teams);
    return p;
}

void CompetitionParticipants::readAgeClasses(Statement& ages)
{
    while (ages.next()) {
        proto::AgeClassType& a = ageClasses_.emplace_back();
        a.AgeClassID = ages.intAt(0);
        a.Name = ages.textAt(1);
        a.BillingPricePerTeam = ages.doubleAt(2);
        a.MinTeamMembers = ages.intAt(3);
        a.MaxTeamMembers = ages.intAt(4);
        a.MinMembersPerGender = ages.intAt(5);
        a.MaleMembersLessThan = ages.intAt(6);
        a.FemaleMembersLessThan = ages.intAt(7);
        a.Barcode = ages.intAt(8);
        ageClassAt_.emplace(a.AgeClassID, ageClasses_.size() - 1);
    }
}

void CompetitionParticipants::readClubs(Statement& clubs)
{
    while (clubs.next()) {
        proto::ClubType& c = clubs_.emplace_back();
        c.ClubId = clubs.intAt(0);
        c.Name = clubs.textAt(1);
        c.Comment = clubs.textAt(2);
        c.BillingAddress = clubs.textAt(3);
        clubAt_.emplace(c.ClubId, clubs_.size() - 1);
    }
}

void CompetitionParticipants::readTeams(Statement& teams)
{
    while (teams.next()) {
        proto::TeamType& t = teams_.emplace_back();
        t.TeamID = teams.intAt(0);
        t.Name = teams.textAt(1);
        t.AgeClass = ageClass(teams.intAt(2));
        t.BillingClub = clubShort(teams.intAt(3));
        t.Barcode = teams.intAt(4);
        if (!teams.isNullAt(5)) {
            t.SquadID = teams.intAt(5);
            proto::SquadInfoDataType& squad = t.SquadInfo.ensure();
            squad.OrderIndex = teams.intAt(6);
            squad.CustomName = teams.textAt(7);
        }
        t.NoOfAthletes = teams.intAt(8);
        teamAt_.emplace(t.TeamID, teams_.size() - 1);
    }
}

proto::Owned<proto::AgeClassType> CompetitionParticipants::ageClass(int id) const
{
    return ownedAt(ageClasses_, ageClassAt_, id);
}

proto::Owned<proto::ClubShortType> CompetitionParticipants::clubShort(int id) const
{
    auto it = clubAt_.find(id);
    if (it == clubAt_.end())
        return nullptr;
    const proto::ClubType& club = clubs_[it->second];
    proto::ClubShortType s;
    s.Name = club.Name;
    s.Comment = club.Comment;
    s.ClubId = club.ClubId;
    return proto::Owned<proto::ClubShortType>(std::move(s));
}

proto::Owned<proto::TeamType> CompetitionParticipants::team(int id) const
{
    return ownedAt(teams_, teamAt_, id);
}

const proto::TeamType* CompetitionParticipants::findTeam(int id) const
{
    auto it = teamAt_.find(id);
    return it == teamAt_.end() ? nullptr : &teams_[it->second];
}

std::vector<AthleteRow> readAthleteRows(Db& db, int competitionId, const AthleteSelection& s)
{
    // Only the filters that are set go into the text: one of the form "?2 = 0 OR ..." is still
    // tested on every row, and keeps SQLite from going by a key (one athlete, one team). Each
    // combination is a text of its own, prepared once per connection.
    std::string where = "a.competition_id = ?1";
    if (s.ageClassId)
        where += " AND a.team_id IN (SELECT t.id FROM teams t WHERE t.age_class_id = ?2)";
    if (s.teamId)
        where += " AND a.team_id = ?3";
    if (s.bib)
        where +=
            " AND a.id IN (SELECT ab.athlete_id FROM athlete_bibs ab WHERE ab.competition_id = ?1 AND ab.bib = ?4)";
    if (s.disciplineId)
        where += " AND NOT EXISTS (SELECT 1 FROM heat_assignments h WHERE h.discipline_id = ?5 "
                 "AND (h.athlete_id = a.id OR h.team_id = a.team_id))";
    if (s.athleteId)
        where += " AND a.id = ?6";
    const bool all = where.find(" AND ") == std::string::npos;

    // The bibs of all athletes read in one pass: cheaper than one query per athlete. Put in order
    // here, not by SQLite: its sorter copies every row once more, and most athletes have one bib.
    std::unordered_map<int, std::vector<std::pair<int, int>>> bibs; // position, bib
    const std::string bibSql = all ? std::string("SELECT athlete_id, bib, position FROM athlete_bibs "
                                                 "WHERE competition_id = ?1")
                                   : "SELECT ab.athlete_id, ab.bib, ab.position FROM athlete_bibs ab "
                                     "WHERE ab.athlete_id IN (SELECT a.id FROM athletes a WHERE " +
                                         where + ")";
    Statement b = db.query(bibSql.c_str(), competitionId, s.ageClassId, s.teamId, s.bib, s.disciplineId, s.athleteId);
    while (b.next())
        bibs[b.intAt(0)].emplace_back(b.intAt(2), b.intAt(1));

    const std::string sql = "SELECT a.id, a.given_name, a.sur_name, a.gender, a.year_of_birth, a.custom_barcode, "
                            "a.team_id, a.club_id, a.barcode FROM athletes a WHERE " +
                            where;
    Statement q = db.query(sql.c_str(), competitionId, s.ageClassId, s.teamId, s.bib, s.disciplineId, s.athleteId);
    std::vector<AthleteRow> out;
    while (q.next()) {
        AthleteRow& row = out.emplace_back();
        proto::AthleteType& a = row.athlete;
        a.AthleteID = q.intAt(0);
        proto::AthleteNameType& name = a.Name.ensure();
        name.givenName = q.textAt(1);
        name.surName = q.textAt(2);
        a.Gender = enumAt(q, 3, proto::GenderType::NotSpecified);
        a.YearOfBirth = q.intAt(4);
        a.CustomBarcode = q.intAt(5); // NULL reads as 0, the client's "none"
        row.teamId = q.intAt(6);
        row.clubId = q.intAt(7);
        a.Barcode = q.intAt(8);
        if (auto it = bibs.find(a.AthleteID); it != bibs.end()) {
            std::sort(it->second.begin(), it->second.end());
            a.Bib.reserve(it->second.size());
            for (const auto& [position, bib] : it->second)
                a.Bib.push_back(bib);
        }
    }
    // In the order of their creation, sorted here for the same reason as the bibs.
    std::sort(out.begin(), out.end(),
              [](const AthleteRow& x, const AthleteRow& y) { return x.athlete.AthleteID < y.athlete.AthleteID; });
    return out;
}

std::vector<proto::AthleteType> readAthletes(Db& db, int competitionId, const CompetitionParticipants& participants,
                                             const AthleteSelection& selection)
{
    std::vector<proto::AthleteType> out;
    std::vector<AthleteRow> rows = readAthleteRows(db, competitionId, selection);
    out.reserve(rows.size());
    for (AthleteRow& row : rows) {
        proto::AthleteType& a = out.emplace_back(std::move(row.athlete));
        a.Team = participants.team(row.teamId);
        a.Club = participants.clubShort(row.clubId);
    }
    return out;
}

std::vector<proto::DisciplinType> readDisciplines(Db& db, int competitionId, int ageClassId)
{
    Statement q = db.query("SELECT id, name, result_assignment, age_class_id, squad_assignment, "
                           "max_participants_per_heat, result_table_team, result_table_results_per_row, "
                           "result_table_unit_pattern, result_table_lower_values_higher_ranked, barcode "
                           "FROM disciplines WHERE competition_id = ?1 AND (?2 = 0 OR age_class_id = ?2) "
                           "ORDER BY id",
                           competitionId, ageClassId);
    std::vector<proto::DisciplinType> out;
    while (q.next()) {
        proto::DisciplinType& d = out.emplace_back();
        d.DisciplinID = q.intAt(0);
        d.Name = q.textAt(1);
        d.ResultAssignment = enumAt(q, 2, proto::ResultAssignmentType::byAthleteOrTeam);
        d.AgeClassID = q.intAt(3);
        d.SquadAssignment = enumAt(q, 4, proto::SquadAssignmentType::teamDistributed);
        d.maxParticipantsPerHeat = q.intAt(5);
        if (!q.isNullAt(6)) {
            proto::ResultTableType& table = d.ResultTableType.ensure();
            table.Team = q.intAt(6) != 0;
            table.ResultsPerRow = q.intAt(7);
            table.ResultUnitPattern = q.textAt(8);
            table.LowerValuesAreHigherRanked = q.intAt(9) != 0;
        }
        d.Barcode = q.intAt(10);
        d.CompetitionID = competitionId;
    }
    return out;
}

std::vector<proto::SquadType> readSquads(Db& db, int competitionId, const CompetitionParticipants& participants)
{
    std::vector<proto::SquadType> out;
    std::unordered_map<int, std::size_t> at;
    Statement q = db.query("SELECT id, order_index, custom_name, age_class_id FROM squads WHERE competition_id = ? "
                           "ORDER BY order_index, id",
                           competitionId);
    while (q.next()) {
        proto::SquadType& s = out.emplace_back();
        s.SquadID = q.intAt(0);
        s.OrderIndex = q.intAt(1);
        s.CustomName = q.textAt(2);
        s.AgeClass = participants.ageClass(q.intAt(3));
        at.emplace(s.SquadID, out.size() - 1);
    }
    Statement teams = db.query("SELECT st.squad_id, st.team_id FROM squad_teams st JOIN squads s ON s.id = st.squad_id "
                               "WHERE s.competition_id = ? ORDER BY st.squad_id, st.position",
                               competitionId);
    while (teams.next()) {
        const proto::TeamType* team = participants.findTeam(teams.intAt(1));
        auto squad = at.find(teams.intAt(0));
        if (team && squad != at.end())
            out[squad->second].AssignedTeams.push_back(*team);
    }
    return out;
}

} // namespace tvp::standin
