#pragma once
// Puts what the discipline refusals guard straight into a stand-in's data file: age classes, squads
// of teams with one athlete each, heats, results and schedule items. The operations that make them
// belong to other windows; these tests only need them to be there.

#include "standin/Database.h"

#include <QString>

#include <string>

namespace tvp::test {

class DisciplineSeed {
public:
    explicit DisciplineSeed(const std::string& dataFile) : db_(dataFile) {}

    int ageClass(int competition, const QString& name)
    {
        const int id = db_.nextId("age_class");
        db_.query("INSERT INTO age_classes (id, competition_id, name, barcode) VALUES (?, ?, ?, ?)", id, competition,
                  name, barcode("age_class", competition))
            .run();
        return id;
    }

    // A squad of the age class (0: none) with one team of one athlete.
    struct Squad {
        int squad = 0;
        int team = 0;
        int athlete = 0;
    };
    Squad squad(int competition, int ageClass)
    {
        Squad s;
        s.squad = db_.nextId("squad");
        db_.query("INSERT INTO squads (id, competition_id, age_class_id) VALUES (?, ?, NULLIF(?, 0))", s.squad,
                  competition, ageClass)
            .run();
        s.team = db_.nextId("team");
        db_.query(
               "INSERT INTO teams (id, competition_id, name, age_class_id, barcode) VALUES (?, ?, ?, NULLIF(?, 0), ?)",
               s.team, competition, QStringLiteral("Team %1").arg(s.team), ageClass, barcode("team", competition))
            .run();
        db_.query("INSERT INTO squad_teams (team_id, squad_id, position) VALUES (?, ?, 0)", s.team, s.squad).run();
        s.athlete = db_.nextId("athlete");
        db_.query("INSERT INTO athletes (id, competition_id, team_id, sur_name, barcode) VALUES (?, ?, ?, ?, ?)",
                  s.athlete, competition, s.team, QStringLiteral("Läufer %1").arg(s.athlete),
                  barcode("athlete", competition))
            .run();
        return s;
    }

    void assignSquad(int discipline, int squad)
    {
        db_.query("INSERT INTO discipline_squads (discipline_id, squad_id) VALUES (?, ?)", discipline, squad).run();
    }

    void heat(int discipline, int athlete, int heatNo = 1)
    {
        db_.query("INSERT INTO heat_assignments (discipline_id, athlete_id, heat_no, position) VALUES (?, ?, ?, 0)",
                  discipline, athlete, heatNo)
            .run();
    }

    void result(int discipline, int athlete, int attempt = 1)
    {
        db_.query("INSERT INTO results (id, discipline_id, attempt, athlete_id, kind) VALUES (?, ?, ?, ?, 'Distance')",
                  db_.nextId("result"), discipline, attempt, athlete)
            .run();
    }

    void scheduleItem(int competition, int discipline, int squad)
    {
        const int place = db_.nextId("place");
        db_.query("INSERT INTO discipline_places (id, competition_id, name) VALUES (?, ?, 'Platz')", place, competition)
            .run();
        const int map = db_.nextId("place_map");
        db_.query("INSERT INTO places_of_disciplines (id, place_id, discipline_id) VALUES (?, ?, ?)", map, place,
                  discipline)
            .run();
        db_.query(
               "INSERT INTO schedule_items (id, squad_id, place_of_discipline_id, time) VALUES (?, ?, ?, '09:00:00')",
               db_.nextId("schedule_item"), squad, map)
            .run();
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
