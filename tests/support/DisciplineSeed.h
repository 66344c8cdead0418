#pragma once
// What the discipline refusals guard, written straight into a stand-in's data file: squads of one
// team of one athlete, results and schedule items, besides the rows StandinSeed writes. The
// operations that make them belong to other windows; these tests only need them to be there.

#include "tests/support/StandinSeed.h"

namespace tvp::test {

class DisciplineSeed : public StandinSeed {
public:
    using StandinSeed::squad;
    using StandinSeed::StandinSeed;

    struct Squad {
        int squad = 0;
        int team = 0;
        int athlete = 0;
    };
    // A squad of the age class (0: none) with one team of one athlete.
    Squad squad(int competition, int ageClass)
    {
        Squad s;
        s.team = team(competition, QStringLiteral("Team %1").arg(++teams_), ageClass);
        s.athlete = athlete(competition, QStringLiteral("Kind"), QStringLiteral("Läufer %1").arg(teams_), s.team);
        s.squad = squad(competition, teams_, QString(), ageClass, {s.team});
        return s;
    }

    void heat(int discipline, int athlete, int heatNo = 1) { placeAthlete(discipline, athlete, heatNo); }

    void result(int discipline, int athlete, int attempt = 1)
    {
        db().query("INSERT INTO results (id, discipline_id, attempt, athlete_id, kind) VALUES (?, ?, ?, ?, 'Distance')",
                   db().nextId("result"), discipline, attempt, athlete)
            .run();
    }

    void scheduleItem(int competition, int discipline, int squad)
    {
        const int place = db().nextId("place");
        db().query("INSERT INTO discipline_places (id, competition_id, name) VALUES (?, ?, 'Platz')", place,
                   competition)
            .run();
        const int map = db().nextId("place_map");
        db().query("INSERT INTO places_of_disciplines (id, place_id, discipline_id) VALUES (?, ?, ?)", map, place,
                   discipline)
            .run();
        db().query("INSERT INTO schedule_items (id, squad_id, place_of_discipline_id, time) VALUES (?, ?, ?, "
                   "'09:00:00')",
                   db().nextId("schedule_item"), squad, map)
            .run();
    }

    // The one number a query of one id answers, -1 for no row.
    int count(const char* sql, int id)
    {
        standin::Statement q = db().query(sql, id);
        return q.next() ? q.intAt(0) : -1;
    }

private:
    int teams_ = 0;
};

} // namespace tvp::test
