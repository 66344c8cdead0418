#pragma once
// A competition with something in every table an export writes: age classes, clubs, teams of
// athletes with bibs and a blank barcode, squads, disciplines with heats and results, a facility
// with a schedule, event parameters, scoring nodes in a collection and UI infos. The athletes are
// spread over the age classes, and each takes part in the disciplines of its age class.

#include "tests/support/StandinSeed.h"

namespace tvp::test {

struct CompetitionShape {
    int athletes = 50;
    int disciplines = 3;
    int ageClasses = 1;
    int teamSize = 10;
};

inline int seedCompetition(StandinSeed& seed, const QString& name, const CompetitionShape& shape)
{
    standin::Db& db = seed.db();
    seed.begin();
    const int comp = seed.competition(name);
    db.query("UPDATE competitions SET date = '2026-06-13', billing_price_per_athlete = 2.5 WHERE id = ?", comp).run();
    db.query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('MetaData_Ort', ?, 'Großenhain')", comp).run();
    db.query("INSERT INTO global_parameters (competition_id, key, value) VALUES (?, 'Wertungsfaktor', 1.25)", comp)
        .run();
    db.exec("INSERT OR IGNORE INTO aggregator_templates (id, name) VALUES (2, 'Summe')");

    const int club = seed.club(comp, QStringLiteral("LG Süd"), QStringLiteral("Kommentar"), QStringLiteral("Weg 1"));
    std::vector<int> ageClasses, squads;
    std::vector<std::vector<int>> disciplinesOf(std::size_t(shape.ageClasses));
    for (int a = 0; a < shape.ageClasses; ++a) {
        ageClasses.push_back(seed.ageClass(comp, QStringLiteral("U%1").arg(8 + 2 * a)));
        squads.push_back(seed.squad(comp, a + 1, QStringLiteral("Riege %1").arg(a + 1), ageClasses.back()));
    }
    std::vector<int> disciplines;
    for (int d = 0; d < shape.disciplines; ++d) {
        const int a = d % shape.ageClasses;
        proto::ResultTableType table;
        table.ResultsPerRow = 2;
        table.ResultUnitPattern = QStringLiteral("$m");
        disciplines.push_back(seed.discipline(comp, QStringLiteral("Disziplin %1").arg(d + 1), ageClasses[a], table));
        disciplinesOf[std::size_t(a)].push_back(disciplines.back());
        seed.assignSquad(disciplines.back(), squads[std::size_t(a)]);
        db.query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('Disciplin_ResultType', ?, 'Distance')",
                 disciplines.back())
            .run();
    }
    const std::vector<int> places = seed.facility(comp, QStringLiteral("Sportplatz"), disciplines);
    for (std::size_t d = 0; d < places.size(); ++d)
        seed.scheduleItem(squads[d % squads.size()], places[d],
                          QStringLiteral("09:%1:00").arg(d % 60, 2, 10, QChar(u'0')));

    int team = 0;
    for (int i = 0; i < shape.athletes; ++i) {
        const int a = (i / shape.teamSize) % shape.ageClasses;
        if (i % shape.teamSize == 0) {
            team = seed.team(comp, QStringLiteral("Team %1").arg(i / shape.teamSize + 1), ageClasses[std::size_t(a)],
                             club);
            db.query("INSERT INTO squad_teams (team_id, squad_id, position) VALUES (?, ?, ?)", team,
                     squads[std::size_t(a)], i / shape.teamSize)
                .run();
        }
        const int athlete =
            seed.athlete(comp, QStringLiteral("Kind %1").arg(i + 1), QStringLiteral("Müller"), team, club, {i + 1});
        for (int discipline : disciplinesOf[std::size_t(a)]) {
            seed.placeAthlete(discipline, athlete);
            const int result = seed.result(discipline, athlete, team);
            db.query("UPDATE results SET distance_in_meter = ? WHERE id = ?", 2.0 + i * 0.01, result).run();
        }
    }
    if (shape.athletes > 0)
        seed.giveBlankBarcode(comp, seed.value("SELECT MIN(id) FROM athletes WHERE competition_id = ?", comp));

    const int node = db.nextId("aggregator");
    db.query("INSERT INTO aggregators (id, competition_id, template_id) VALUES (?, ?, 2)", node, comp).run();
    for (std::size_t p = 0; p < disciplines.size(); ++p)
        db.query("INSERT INTO aggregator_sources (aggregator_id, position, provider_id) VALUES (?, ?, ?)", node, int(p),
                 disciplines[p])
            .run();
    db.query("INSERT INTO aggregator_parameters (aggregator_id, position, value) VALUES (?, 0, '1')", node).run();
    db.query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('Label', ?, 'Gesamt')", node).run();
    const int collection = db.nextId("aggregator_collection");
    db.query("INSERT INTO aggregator_collections (id, competition_id, name) VALUES (?, ?, 'Urkunden')", collection,
             comp)
        .run();
    db.query("INSERT INTO aggregator_collection_nodes (collection_id, position, aggregator_id) VALUES (?, 0, ?)",
             collection, node)
        .run();
    seed.commit();
    return comp;
}

} // namespace tvp::test
