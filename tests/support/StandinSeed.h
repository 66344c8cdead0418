#pragma once
// Rows written straight into a stand-in's data file, for tests and benchmarks of operations whose
// data other operations make (or none: results, scoring nodes). The file must have been prepared (the server started
// once):
//
//   StandinSeed seed(standin.dataFile());
//   const int comp = seed.competition(QStringLiteral("Sportfest"));
//   const int u10 = seed.ageClass(comp, QStringLiteral("U10"));
//   const int team = seed.team(comp, QStringLiteral("Füchse"), u10);
//   seed.athlete(comp, QStringLiteral("Ida"), QStringLiteral("Ahorn"), team, 0, {7});
//
// Ids come from the server's one sequence and every barcode from its table, as the server's own
// writes would take them.

#include "core/protocol/ParticipantRecords.h"
#include "standin/Database.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tvp::test {

class StandinSeed {
public:
    explicit StandinSeed(const std::string& dataFile) : db_(dataFile) {}

    standin::Db& db() { return db_; }
    // Many rows at once are far quicker inside one transaction.
    void begin() { db_.exec("BEGIN IMMEDIATE"); }
    void commit() { db_.exec("COMMIT"); }

    int competition(const QString& name)
    {
        const int id = db_.nextId("competition");
        db_.query("INSERT INTO competitions (id, name) VALUES (?, ?)", id, name).run();
        return id;
    }

    int ageClass(int comp, const QString& name, const proto::AgeClassInfoType& rules = {})
    {
        const int id = db_.nextId("age_class");
        db_.query("INSERT INTO age_classes (id, competition_id, name, billing_price_per_team, min_team_members, "
                  "max_team_members, min_members_per_gender, male_members_less_than, female_members_less_than, "
                  "barcode) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                  id, comp, name, rules.BillingPricePerTeam, rules.MinTeamMembers, rules.MaxTeamMembers,
                  rules.MinMembersPerGender, rules.MaleMembersLessThan, rules.FemaleMembersLessThan,
                  barcode("age_class", comp))
            .run();
        return id;
    }

    int club(int comp, const QString& name, const QString& comment = {}, const QString& billingAddress = {})
    {
        const int id = db_.nextId("club");
        db_.query("INSERT INTO clubs (id, competition_id, name, comment, billing_address) VALUES (?, ?, ?, ?, ?)", id,
                  comp, name, comment, billingAddress)
            .run();
        return id;
    }

    int team(int comp, const QString& name, int ageClassId = 0, int billingClubId = 0)
    {
        const int id = db_.nextId("team");
        db_.query("INSERT INTO teams (id, competition_id, name, age_class_id, billing_club_id, barcode) "
                  "VALUES (?, ?, ?, NULLIF(?, 0), NULLIF(?, 0), ?)",
                  id, comp, name, ageClassId, billingClubId, barcode("team", comp))
            .run();
        return id;
    }

    int athlete(int comp, const QString& givenName, const QString& surName, int teamId = 0, int clubId = 0,
                const std::vector<int>& bibs = {})
    {
        const int id = db_.nextId("athlete");
        db_.query("INSERT INTO athletes (id, competition_id, given_name, sur_name, team_id, club_id, barcode) "
                  "VALUES (?, ?, ?, ?, NULLIF(?, 0), NULLIF(?, 0), ?)",
                  id, comp, givenName, surName, teamId, clubId, barcode("athlete", comp))
            .run();
        int position = 0;
        for (int bib : bibs)
            db_.query("INSERT INTO athlete_bibs (competition_id, bib, athlete_id, position) VALUES (?, ?, ?, ?)", comp,
                      bib, id, position++)
                .run();
        return id;
    }

    void setPerson(int athleteId, proto::GenderType gender, int yearOfBirth)
    {
        db_.query("UPDATE athletes SET gender = ?, year_of_birth = ? WHERE id = ?",
                  QString::fromUtf8(proto::enumName(gender)), yearOfBirth, athleteId)
            .run();
    }

    // Reserves a blank barcode of the competition and makes it the athlete's custom barcode.
    int giveBlankBarcode(int comp, int athleteId)
    {
        const int code = barcode("blank", comp);
        db_.query("UPDATE athletes SET custom_barcode = ? WHERE id = ?", code, athleteId).run();
        return code;
    }

    int squad(int comp, int orderIndex, const QString& customName, int ageClassId = 0,
              const std::vector<int>& teamIds = {})
    {
        const int id = db_.nextId("squad");
        db_.query("INSERT INTO squads (id, competition_id, age_class_id, order_index, custom_name) "
                  "VALUES (?, ?, NULLIF(?, 0), ?, ?)",
                  id, comp, ageClassId, orderIndex, customName)
            .run();
        int position = 0;
        for (int team : teamIds)
            db_.query("INSERT INTO squad_teams (team_id, squad_id, position) VALUES (?, ?, ?)", team, id, position++)
                .run();
        return id;
    }

    // Without a result table when table is empty.
    int discipline(int comp, const QString& name, int ageClassId = 0,
                   const std::optional<proto::ResultTableType>& table = proto::ResultTableType{})
    {
        const int id = db_.nextId("discipline");
        db_.query("INSERT INTO disciplines (id, competition_id, name, age_class_id, barcode) "
                  "VALUES (?, ?, ?, NULLIF(?, 0), ?)",
                  id, comp, name, ageClassId, barcode("discipline", comp))
            .run();
        if (table)
            db_.query("UPDATE disciplines SET result_table_team = ?, result_table_results_per_row = ?, "
                      "result_table_unit_pattern = ?, result_table_lower_values_higher_ranked = ? WHERE id = ?",
                      int(table->Team), table->ResultsPerRow, table->ResultUnitPattern,
                      int(table->LowerValuesAreHigherRanked), id)
                .run();
        return id;
    }

    void setHeatSize(int discipline, int maxParticipantsPerHeat)
    {
        db_.query("UPDATE disciplines SET max_participants_per_heat = ? WHERE id = ?", maxParticipantsPerHeat,
                  discipline)
            .run();
    }
    void setListLock(int discipline, proto::LockType lock)
    {
        db_.query("UPDATE disciplines SET participants_list_lock = ? WHERE id = ?",
                  QString::fromUtf8(proto::enumName(lock)), discipline)
            .run();
    }

    // At the end of the heat.
    void placeAthlete(int discipline, int athlete, int heat = 1) { place(discipline, "athlete_id", athlete, heat); }
    void placeTeam(int discipline, int team, int heat = 1) { place(discipline, "team_id", team, heat); }
    // At a place of its own (from 1); the places before it may stay empty.
    void placeAthleteAt(int discipline, int athlete, int heat, int position)
    {
        db_.query("INSERT INTO heat_assignments (discipline_id, athlete_id, heat_no, position) VALUES (?, ?, ?, ?)",
                  discipline, athlete, heat, position)
            .run();
    }
    void assignSquad(int discipline, int squad)
    {
        db_.query("INSERT INTO discipline_squads (discipline_id, squad_id) VALUES (?, ?)", discipline, squad).run();
    }

    // A distance result of an athlete (0 for none) that counts for the team (0 for none).
    int result(int discipline, int athlete, int team = 0)
    {
        const int id = db_.nextId("result");
        db_.query("INSERT INTO results (id, discipline_id, attempt, athlete_id, kind, distance_in_meter) "
                  "VALUES (?, ?, 1, NULLIF(?, 0), 'Distance', 3.5)",
                  id, discipline, athlete)
            .run();
        if (team != 0)
            db_.query("INSERT INTO result_teams (result_id, team_id, position) VALUES (?, ?, 0)", id, team).run();
        return id;
    }

    // A result of an athlete in an attempt: a measured value of the kind, or (kind Info or
    // InfoString) a status or text without value.
    int measured(int discipline, int athlete, int attempt, proto::ResultValueType kind, double value,
                 const QString& text = {})
    {
        const int id = db_.nextId("result");
        db_.query("INSERT INTO results (id, discipline_id, attempt, athlete_id, kind, distance_in_meter, "
                  "time_in_seconds, rank, info_string) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                  id, discipline, attempt, athlete, QString::fromUtf8(proto::enumName(kind)),
                  kind == proto::ResultValueType::Distance ? value : 0.0,
                  kind == proto::ResultValueType::Time ? value : 0.0,
                  kind == proto::ResultValueType::Rank ? int(value) : 0, text)
            .run();
        return id;
    }

    void globalParameter(int comp, const QString& key, double value)
    {
        db_.query("INSERT OR REPLACE INTO global_parameters (competition_id, key, value) VALUES (?, ?, ?)", comp, key,
                  value)
            .run();
    }

    // A facility serving the disciplines; its place mappings (PlaceOfDisciplineType ids) in their order.
    std::vector<int> facility(int comp, const QString& name, const std::vector<int>& disciplines)
    {
        const int id = db_.nextId("discipline_place");
        db_.query("INSERT INTO discipline_places (id, competition_id, name) VALUES (?, ?, ?)", id, comp, name).run();
        std::vector<int> mappings;
        for (int discipline : disciplines) {
            const int mapping = db_.nextId("place_of_discipline");
            db_.query("INSERT INTO places_of_disciplines (id, place_id, discipline_id) VALUES (?, ?, ?)", mapping, id,
                      discipline)
                .run();
            mappings.push_back(mapping);
        }
        return mappings;
    }
    // time "HH:mm:ss", empty for none.
    int scheduleItem(int squad, int placeMapping, const QString& time)
    {
        const int id = db_.nextId("schedule_item");
        db_.query("INSERT INTO schedule_items (id, squad_id, place_of_discipline_id, time) "
                  "VALUES (?, ?, ?, NULLIF(?, ''))",
                  id, squad, placeMapping, time)
            .run();
        return id;
    }

    // Reserves a blank barcode of the competition for late registrations.
    int blank(int comp) { return barcode("blank", comp); }

    // A result of a participant in one attempt; athlete, bib and team 0 store none.
    int result(int discipline, int attempt, int athlete, int bib, int team = 0)
    {
        db_.query("INSERT INTO results (discipline_id, attempt, athlete_id, bib, kind) "
                  "VALUES (?, ?, NULLIF(?, 0), NULLIF(?, 0), 'Distance')",
                  discipline, attempt, athlete, bib)
            .run();
        const int id = db_.lastInsertId();
        if (team != 0)
            db_.query("INSERT INTO result_teams (result_id, team_id, position) VALUES (?, ?, 0)", id, team).run();
        return id;
    }

    // A scoring node fed by the providers (disciplines or other nodes).
    int aggregator(int comp, const std::vector<int>& providers)
    {
        db_.exec("INSERT OR IGNORE INTO aggregator_templates (id, name) VALUES (-1, 'Seed')");
        const int id = db_.nextId("aggregator");
        db_.query("INSERT INTO aggregators (id, competition_id, template_id) VALUES (?, ?, -1)", id, comp).run();
        int position = 0;
        for (int p : providers)
            db_.query("INSERT INTO aggregator_sources (aggregator_id, position, provider_id) VALUES (?, ?, ?)", id,
                      position++, p)
                .run();
        return id;
    }

    // A cup over the competitions with its own parameters, in this order.
    int cup(const QString& name, const std::vector<int>& competitions = {},
            const std::vector<std::pair<QString, double>>& parameters = {})
    {
        const int id = db_.nextId("cup");
        db_.query("INSERT INTO cups (id, name) VALUES (?, ?)", id, name).run();
        for (int comp : competitions)
            db_.query("INSERT INTO cup_competitions (cup_id, competition_id) VALUES (?, ?)", id, comp).run();
        for (const auto& [key, value] : parameters)
            db_.query("INSERT INTO cup_parameters (cup_id, key, value) VALUES (?, ?, ?)", id, key, value).run();
        return id;
    }

    // The first column of the first row of a query with one parameter; -1 without a row.
    int value(const char* sql, int parameter)
    {
        standin::Statement q = db_.query(sql, parameter);
        return q.next() ? q.intAt(0) : -1;
    }

    // ---- reading back ----

    // The first column of the first row of a query with one parameter; -1 without a row.
    int count(const char* sql, int id)
    {
        standin::Statement q = db_.query(sql, id);
        return q.next() ? q.intAt(0) : -1;
    }
    bool exists(int athlete) { return count("SELECT COUNT(*) FROM athletes WHERE id = ?", athlete) == 1; }
    std::vector<int> bibs(int athlete)
    {
        std::vector<int> out;
        standin::Statement q =
            db_.query("SELECT bib FROM athlete_bibs WHERE athlete_id = ? ORDER BY position", athlete);
        while (q.next())
            out.push_back(q.intAt(0));
        return out;
    }
    // An athlete's column as text, empty for NULL.
    QString column(const char* name, int athlete)
    {
        standin::Statement q =
            db_.query((std::string("SELECT IFNULL(") + name + ", '') FROM athletes WHERE id = ?").c_str(), athlete);
        return q.next() ? q.textAt(0) : QStringLiteral("<none>");
    }
    int results(int athlete) { return count("SELECT COUNT(*) FROM results WHERE athlete_id = ?", athlete); }

    // n athletes in the team.
    void members(int comp, int team, int n)
    {
        for (int i = 0; i < n; ++i)
            athlete(comp, QString(), QStringLiteral("Mitglied %1").arg(i + 1), team);
    }

    // A schedule item of the squad at a new facility of the discipline.
    int scheduleItem(int comp, int squad, int discipline)
    {
        const int place = db_.nextId("place");
        db_.query("INSERT INTO discipline_places (id, competition_id, name) VALUES (?, ?, 'Platz')", place, comp).run();
        const int map = db_.nextId("place_map");
        db_.query("INSERT INTO places_of_disciplines (id, place_id, discipline_id) VALUES (?, ?, ?)", map, place,
                  discipline)
            .run();
        const int id = db_.nextId("schedule_item");
        db_.query("INSERT INTO schedule_items (id, squad_id, place_of_discipline_id, time) VALUES (?, ?, ?, "
                  "'09:00:00')",
                  id, squad, map)
            .run();
        return id;
    }

    // "name|comment|address" of a club.
    QString clubState(int club)
    {
        standin::Statement q = db_.query("SELECT name, comment, billing_address FROM clubs WHERE id = ?", club);
        return q.next() ? QStringList{q.textAt(0), q.textAt(1), q.textAt(2)}.join(u'|') : QStringLiteral("gone");
    }
    // "order index|name|age class|team,team" of a squad.
    QString squadState(int squad)
    {
        QString state;
        {
            standin::Statement q =
                db_.query("SELECT order_index, custom_name, COALESCE(age_class_id, 0) FROM squads WHERE id = ?", squad);
            if (!q.next())
                return QStringLiteral("gone");
            state = QStringLiteral("%1|%2|%3|").arg(q.intAt(0)).arg(q.textAt(1)).arg(q.intAt(2));
        }
        standin::Statement t = db_.query("SELECT team_id FROM squad_teams WHERE squad_id = ? ORDER BY position", squad);
        QStringList teams;
        while (t.next())
            teams << QString::number(t.intAt(0));
        return state + teams.join(u',');
    }

private:
    int barcode(const char* kind, int comp)
    {
        db_.query("INSERT INTO barcodes (kind, competition_id) VALUES (?, ?)", QString::fromUtf8(kind), comp).run();
        return db_.lastInsertId();
    }

    void place(int discipline, const std::string& column, int id, int heat)
    {
        const std::string sql = "INSERT INTO heat_assignments (discipline_id, " + column +
                                ", heat_no, position) VALUES (?, ?, ?, "
                                "(SELECT COALESCE(MAX(position), 0) + 1 FROM heat_assignments "
                                "WHERE discipline_id = ? AND heat_no = ?))";
        db_.query(sql.c_str(), discipline, id, heat, discipline, heat).run();
    }

    standin::Db db_;
};

} // namespace tvp::test
