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

    // The schedule item of the squad at a new facility of the discipline (note the order).
    void scheduleItem(int competition, int discipline, int squad)
    {
        StandinSeed::scheduleItem(competition, squad, discipline);
    }

private:
    int teams_ = 0;
};

} // namespace tvp::test
