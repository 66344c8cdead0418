#pragma once
// Writes rows straight into a stand-in's data file, for tests that need data whose operations
// another test covers (or that no client operation makes, such as results).
//
//   StandinSeed seed(standin.dataFile());
//   const int club = seed.club(competition, QStringLiteral("TV Nord"));

#include "standin/Database.h"

#include <QString>

#include <string>
#include <vector>

namespace tvp::test {

class StandinSeed {
public:
    explicit StandinSeed(const std::string& dataFile) : db_(dataFile) {}

    int club(int competition, const QString& name, const QString& comment = {})
    {
        const int id = db_.nextId("club");
        db_.query("INSERT INTO clubs (id, competition_id, name, comment) VALUES (?, ?, ?, ?)", id, competition, name,
                  comment)
            .run();
        return id;
    }

    // gender: "MALE", "FEMALE" or "NotSpecified"; team and club 0 for none.
    int athlete(int competition, int team, const char* gender, const QString& givenName = QStringLiteral("Kim"),
                const QString& surName = QStringLiteral("Muster"), int club = 0)
    {
        const int id = db_.nextId("athlete");
        db_.query("INSERT INTO athletes (id, competition_id, given_name, sur_name, gender, team_id, club_id, barcode) "
                  "VALUES (?, ?, ?, ?, ?, NULLIF(?, 0), NULLIF(?, 0), ?)",
                  id, competition, givenName, surName, QString::fromLatin1(gender), team, club,
                  barcode("athlete", competition))
            .run();
        return id;
    }

    int squad(int competition, int ageClass, int orderIndex, const QString& name = {})
    {
        const int id = db_.nextId("squad");
        db_.query("INSERT INTO squads (id, competition_id, age_class_id, order_index, custom_name) "
                  "VALUES (?, ?, NULLIF(?, 0), ?, ?)",
                  id, competition, ageClass, orderIndex, name)
            .run();
        return id;
    }

    void squadTeam(int squad, int team, int position)
    {
        db_.query("INSERT INTO squad_teams (team_id, squad_id, position) VALUES (?, ?, ?)", team, squad, position)
            .run();
    }

    int discipline(int competition, const QString& name, bool teamDiscipline, int ageClass = 0)
    {
        const int id = db_.nextId("discipline");
        db_.query("INSERT INTO disciplines (id, competition_id, name, age_class_id, result_table_team, "
                  "result_table_results_per_row, barcode) VALUES (?, ?, ?, NULLIF(?, 0), ?, 1, ?)",
                  id, competition, name, ageClass, teamDiscipline ? 1 : 0, barcode("discipline", competition))
            .run();
        return id;
    }

    void assignSquad(int discipline, int squad)
    {
        db_.query("INSERT INTO discipline_squads (discipline_id, squad_id) VALUES (?, ?)", discipline, squad).run();
    }

    // athleteOrTeam names an athlete unless team is set.
    void heatEntry(int discipline, int athleteOrTeam, bool team, int heat = 1, int position = 1)
    {
        db_.query(
               team ? "INSERT INTO heat_assignments (discipline_id, team_id, heat_no, position) VALUES (?, ?, ?, ?)"
                    : "INSERT INTO heat_assignments (discipline_id, athlete_id, heat_no, position) VALUES (?, ?, ?, ?)",
               discipline, athleteOrTeam, heat, position)
            .run();
    }

    // A distance result of an athlete (0 for none) that counts for the team (0 for none).
    int result(int discipline, int athlete, int team)
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

    // A scoring node fed by the providers.
    int aggregator(int competition, const std::vector<int>& providers)
    {
        db_.exec("INSERT OR IGNORE INTO aggregator_templates (id, name) VALUES (-1, 'Seed')");
        const int id = db_.nextId("aggregator");
        db_.query("INSERT INTO aggregators (id, competition_id, template_id) VALUES (?, ?, -1)", id, competition).run();
        int position = 0;
        for (int p : providers)
            db_.query("INSERT INTO aggregator_sources (aggregator_id, position, provider_id) VALUES (?, ?, ?)", id,
                      position++, p)
                .run();
        return id;
    }

    int count(const char* sql, int id)
    {
        standin::Statement q = db_.query(sql, id);
        return q.next() ? q.intAt(0) : -1;
    }

    standin::Db& db() { return db_; }

private:
    int barcode(const char* kind, int competition)
    {
        db_.query("INSERT INTO barcodes (kind, competition_id) VALUES (?, ?)", QString::fromLatin1(kind), competition)
            .run();
        return db_.lastInsertId();
    }

    standin::Db db_;
};

} // namespace tvp::test
