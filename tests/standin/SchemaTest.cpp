// The data file's schema: migrations keep the data of older files, and the references hold.

#include "standin/Schema.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace tvp;
using namespace tvp::standin;

namespace {

class StandinSchema : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    std::string file(const char* name) const { return dir.filePath(QString::fromUtf8(name)).toStdString(); }

    static int count(Db& db, const char* sql, int id = 0)
    {
        Statement q = db.query(sql, id);
        return q.next() ? q.intAt(0) : -1;
    }
    static int version(Db& db)
    {
        Statement q = db.query("PRAGMA user_version");
        return q.next() ? q.intAt(0) : -1;
    }

    QTemporaryDir dir;
};

// Every table that holds data of one competition, and how to count that competition's rows.
const std::vector<const char*> kRowsOfCompetition = {
    "SELECT count(*) FROM barcodes WHERE competition_id = ?",
    "SELECT count(*) FROM age_classes WHERE competition_id = ?",
    "SELECT count(*) FROM clubs WHERE competition_id = ?",
    "SELECT count(*) FROM squads WHERE competition_id = ?",
    "SELECT count(*) FROM teams WHERE competition_id = ?",
    "SELECT count(*) FROM squad_teams WHERE squad_id IN (SELECT id FROM squads WHERE competition_id = ?)",
    "SELECT count(*) FROM athletes WHERE competition_id = ?",
    "SELECT count(*) FROM athlete_bibs WHERE competition_id = ?",
    "SELECT count(*) FROM disciplines WHERE competition_id = ?",
    "SELECT count(*) FROM discipline_squads WHERE squad_id IN (SELECT id FROM squads WHERE competition_id = ?)",
    "SELECT count(*) FROM heat_assignments WHERE discipline_id IN "
    "(SELECT id FROM disciplines WHERE competition_id = ?)",
    "SELECT count(*) FROM results WHERE discipline_id IN (SELECT id FROM disciplines WHERE competition_id = ?)",
    "SELECT count(*) FROM result_teams WHERE team_id IN (SELECT id FROM teams WHERE competition_id = ?)",
    "SELECT count(*) FROM discipline_places WHERE competition_id = ?",
    "SELECT count(*) FROM places_of_disciplines WHERE place_id IN "
    "(SELECT id FROM discipline_places WHERE competition_id = ?)",
    "SELECT count(*) FROM schedule_items WHERE squad_id IN (SELECT id FROM squads WHERE competition_id = ?)",
    "SELECT count(*) FROM global_parameters WHERE competition_id = ?",
    "SELECT count(*) FROM cup_competitions WHERE competition_id = ?",
    "SELECT count(*) FROM cup_item_members WHERE athlete_id IN (SELECT id FROM athletes WHERE competition_id = ?)",
    "SELECT count(*) FROM aggregators WHERE competition_id = ?",
    "SELECT count(*) FROM aggregator_sources WHERE aggregator_id IN "
    "(SELECT id FROM aggregators WHERE competition_id = ?)",
    "SELECT count(*) FROM aggregator_parameters WHERE aggregator_id IN "
    "(SELECT id FROM aggregators WHERE competition_id = ?)",
    "SELECT count(*) FROM aggregator_collections WHERE competition_id = ?",
    "SELECT count(*) FROM aggregator_collection_nodes WHERE aggregator_id IN "
    "(SELECT id FROM aggregators WHERE competition_id = ?)",
};

// One competition with a row in every table, its ids counted from base; the cup and the template
// are shared.
void fillCompetition(Db& db, int c)
{
    const int b = c * 100; // ids of this competition
    db.query("INSERT INTO competitions (id, name, date) VALUES (?, ?, '2026-05-03')", c,
             QStringLiteral("Sportfest %1").arg(c))
        .run();
    for (const char* kind : {"age_class", "team", "athlete", "discipline", "blank"})
        db.query("INSERT INTO barcodes (kind, competition_id) VALUES (?, ?)", QString::fromUtf8(kind), c).run();
    Statement last = db.query("SELECT max(id) FROM barcodes");
    last.next();
    const int bc = last.intAt(0); // the blank one; bc-4..bc-1 those of the kinds before it
    db.query("INSERT INTO age_classes (id, competition_id, name, barcode) VALUES (?, ?, 'U10', ?)", b + 1, c, bc - 4)
        .run();
    db.query("INSERT INTO clubs (id, competition_id, name) VALUES (?, ?, 'TV Ölbach')", b + 2, c).run();
    db.query("INSERT INTO squads (id, competition_id, age_class_id) VALUES (?, ?, ?)", b + 3, c, b + 1).run();
    db.query("INSERT INTO teams (id, competition_id, name, age_class_id, billing_club_id, barcode) "
             "VALUES (?, ?, 'Füchse', ?, ?, ?)",
             b + 4, c, b + 1, b + 2, bc - 3)
        .run();
    db.query("INSERT INTO squad_teams (team_id, squad_id, position) VALUES (?, ?, 0)", b + 4, b + 3).run();
    db.query("INSERT INTO athletes (id, competition_id, given_name, team_id, club_id, custom_barcode, barcode) "
             "VALUES (?, ?, 'Ida', ?, ?, ?, ?)",
             b + 5, c, b + 4, b + 2, bc, bc - 2)
        .run();
    db.query("INSERT INTO athlete_bibs (competition_id, bib, athlete_id, position) VALUES (?, 101, ?, 0)", c, b + 5)
        .run();
    db.query("INSERT INTO disciplines (id, competition_id, name, age_class_id, result_table_team, barcode) "
             "VALUES (?, ?, 'Weitsprung', ?, 0, ?)",
             b + 6, c, b + 1, bc - 1)
        .run();
    db.query("INSERT INTO discipline_squads (discipline_id, squad_id) VALUES (?, ?)", b + 6, b + 3).run();
    db.query("INSERT INTO heat_assignments (discipline_id, athlete_id, heat_no, position) VALUES (?, ?, 1, 0)", b + 6,
             b + 5)
        .run();
    db.query("INSERT INTO results (id, discipline_id, attempt, athlete_id, kind, distance_in_meter) "
             "VALUES (?, ?, 1, ?, 'Distance', 3.5)",
             b + 7, b + 6, b + 5)
        .run();
    db.query("INSERT INTO result_teams (result_id, team_id, position) VALUES (?, ?, 0)", b + 7, b + 4).run();
    db.query("INSERT INTO discipline_places (id, competition_id, name) VALUES (?, ?, 'Grube 1')", b + 8, c).run();
    db.query("INSERT INTO places_of_disciplines (id, place_id, discipline_id) VALUES (?, ?, ?)", b + 9, b + 8, b + 6)
        .run();
    db.query("INSERT INTO schedule_items (id, squad_id, place_of_discipline_id, time) VALUES (?, ?, ?, '09:30:00')",
             b + 10, b + 3, b + 9)
        .run();
    db.query("INSERT INTO global_parameters (competition_id, key, value) VALUES (?, 'Punkte', 2.5)", c).run();
    db.query("INSERT INTO cup_competitions (cup_id, competition_id) VALUES (1, ?)", c).run();
    db.query("INSERT INTO cup_item_members (cup_item_id, athlete_id) VALUES (2, ?)", b + 5).run();
    db.query("INSERT INTO aggregators (id, competition_id, template_id) VALUES (?, ?, 3)", b + 11, c).run();
    db.query("INSERT INTO aggregator_sources (aggregator_id, position, provider_id) VALUES (?, 0, ?)", b + 11, b + 6)
        .run();
    db.query("INSERT INTO aggregator_parameters (aggregator_id, position, value) VALUES (?, 0, '1.5')", b + 11).run();
    db.query("INSERT INTO aggregator_collections (id, competition_id, name) VALUES (?, ?, 'Urkunde')", b + 12, c).run();
    db.query("INSERT INTO aggregator_collection_nodes (collection_id, position, aggregator_id) VALUES (?, 0, ?)",
             b + 12, b + 11)
        .run();
}

} // namespace

TEST_F(StandinSchema, AFileOfTheFirstLayoutIsMigratedWithItsData)
{
    // Written by the stand-in before it numbered its schema.
    Db db(file("alt.db"));
    db.exec(R"(
        CREATE TABLE ids (id INTEGER PRIMARY KEY AUTOINCREMENT, kind TEXT NOT NULL);
        CREATE TABLE competitions (id INTEGER PRIMARY KEY, name TEXT NOT NULL, date TEXT);
        CREATE TABLE ui_infos (key TEXT NOT NULL, assoc_id INTEGER NOT NULL, value TEXT NOT NULL,
                               PRIMARY KEY (key, assoc_id));
        INSERT INTO ids (kind) VALUES ('competition');
        INSERT INTO competitions VALUES (1, 'Frühjahr', '2025-04-05');
        INSERT INTO ui_infos VALUES ('Label', 1, 'bleibt');
    )");
    ASSERT_EQ(version(db), 0);
    migrate(db);
    EXPECT_EQ(version(db), latestSchemaVersion());
    Statement q = db.query("SELECT name, date, billing_price_per_athlete FROM competitions");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.textAt(0), QStringLiteral("Frühjahr"));
    EXPECT_EQ(q.textAt(1), QStringLiteral("2025-04-05"));
    EXPECT_EQ(q.intAt(2), 0);
    EXPECT_EQ(count(db, "SELECT count(*) FROM ui_infos WHERE assoc_id = ?", 1), 1);
    Statement next = db.query("INSERT INTO ids (kind) VALUES ('x') RETURNING id");
    ASSERT_TRUE(next.next());
    EXPECT_EQ(next.intAt(0), 2) << "ids go on where they stopped";
}

TEST_F(StandinSchema, EachMigrationAppliesOnTheVersionBeforeAndKeepsTheData)
{
    for (int from = 1; from < latestSchemaVersion(); ++from) {
        SCOPED_TRACE(from);
        Db db(file(("v" + std::to_string(from) + ".db").c_str()));
        migrate(db, from);
        ASSERT_EQ(version(db), from);
        db.exec("INSERT INTO competitions (id, name) VALUES (7, 'Alt')");
        migrate(db);
        EXPECT_EQ(version(db), latestSchemaVersion());
        EXPECT_EQ(count(db, "SELECT count(*) FROM competitions WHERE id = ?", 7), 1);
    }
    // Applying again changes nothing.
    Db db(file("neu.db"));
    migrate(db);
    migrate(db);
    EXPECT_EQ(version(db), latestSchemaVersion());
}

TEST_F(StandinSchema, ListEntriesOfAnOlderFileTakeTheirListsVersion)
{
    Db db(file("v3.db"));
    migrate(db, 3);
    db.exec(R"(
        INSERT INTO competitions (id, name) VALUES (1, 'Alt');
        INSERT INTO barcodes (id, kind, competition_id) VALUES (1, 'athlete', 1), (2, 'athlete', 1),
            (3, 'discipline', 1), (4, 'discipline', 1);
        INSERT INTO athletes (id, competition_id, given_name, sur_name, barcode)
            VALUES (10, 1, 'A', 'B', 1), (11, 1, 'C', 'D', 2);
        INSERT INTO disciplines (id, competition_id, name, list_version, barcode)
            VALUES (20, 1, 'Sprint', 5, 3), (21, 1, 'Wurf', 0, 4);
        INSERT INTO heat_assignments (discipline_id, athlete_id, heat_no, position, version)
            VALUES (20, 10, 1, 1, 1), (20, 11, 1, 2, 3), (21, 10, 1, 1, 0);
    )");
    migrate(db);
    // Once counting the entry's own moves; now the list version it was placed in, which an
    // older file does not know: the list's current one marks it rather than missing it.
    Statement q = db.query("SELECT discipline_id, athlete_id, version FROM heat_assignments "
                           "ORDER BY discipline_id, athlete_id");
    std::vector<std::tuple<int, int, int>> rows;
    while (q.next())
        rows.emplace_back(q.intAt(0), q.intAt(1), q.intAt(2));
    EXPECT_EQ(rows, (std::vector<std::tuple<int, int, int>>{{20, 10, 5}, {20, 11, 5}, {21, 10, 0}}));
}

TEST_F(StandinSchema, AFileOfANewerServerIsRefusedUntouched)
{
    Db db(file("neuer.db"));
    migrate(db);
    db.exec(("PRAGMA user_version = " + std::to_string(latestSchemaVersion() + 1)).c_str());
    try {
        migrate(db);
        FAIL() << "no refusal";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Schema"), std::string::npos) << e.what();
    }
    EXPECT_EQ(version(db), latestSchemaVersion() + 1);
}

TEST_F(StandinSchema, RemovingACompetitionRemovesAllOfItAndNothingElse)
{
    Db db(file("daten.db"));
    migrate(db);
    db.exec("INSERT INTO cups (id, name) VALUES (1, 'Kreiscup');"
            "INSERT INTO cup_items (id, cup_id, item_type) VALUES (2, 1, 'Athlete');"
            "INSERT INTO cup_athletes (cup_item_id, given_name) VALUES (2, 'Ida');"
            "INSERT INTO aggregator_templates (id, name) VALUES (3, 'Summe');");
    fillCompetition(db, 1);
    fillCompetition(db, 2);
    for (const char* sql : kRowsOfCompetition)
        ASSERT_GT(count(db, sql, 1), 0) << sql;

    db.exec("DELETE FROM competitions WHERE id = 1");
    for (const char* sql : kRowsOfCompetition) {
        EXPECT_EQ(count(db, sql, 1), 0) << sql;
        EXPECT_GT(count(db, sql, 2), 0) << sql;
    }
    EXPECT_EQ(count(db, "SELECT count(*) FROM cup_items WHERE cup_id = ?", 1), 1) << "the cup stays";
    EXPECT_FALSE(db.query("PRAGMA foreign_key_check").next());
}

TEST_F(StandinSchema, BibsPerCompetitionBarcodesOnTheWholeServerAndNoDanglingReferences)
{
    Db db(file("daten.db"));
    migrate(db);
    db.exec("INSERT INTO cups (id, name) VALUES (1, 'Kreiscup');"
            "INSERT INTO cup_items (id, cup_id, item_type) VALUES (2, 1, 'Athlete');"
            "INSERT INTO aggregator_templates (id, name) VALUES (3, 'Summe');");
    fillCompetition(db, 1);
    fillCompetition(db, 2); // bib 101 again, in another competition

    EXPECT_THROW(
        db.exec("INSERT INTO athlete_bibs (competition_id, bib, athlete_id, position) VALUES (1, 101, 105, 1)"),
        std::runtime_error);
    // Another entity's barcode, or one of another kind, is refused.
    EXPECT_THROW(db.exec("UPDATE athletes SET barcode = (SELECT barcode FROM teams WHERE id = 104) WHERE id = 205"),
                 std::runtime_error);
    EXPECT_THROW(db.exec("UPDATE athletes SET barcode = (SELECT barcode FROM athletes WHERE id = 105) WHERE id = 205"),
                 std::runtime_error);
    EXPECT_THROW(db.exec("UPDATE athletes SET custom_barcode = barcode WHERE id = 205"), std::runtime_error);
    EXPECT_THROW(db.exec("UPDATE athletes SET custom_barcode = (SELECT custom_barcode FROM athletes WHERE id = 105) "
                         "WHERE id = 205"),
                 std::runtime_error);
    // An age class still used by its teams cannot simply go.
    EXPECT_THROW(db.exec("DELETE FROM age_classes WHERE id = 101"), std::runtime_error);

    // A barcode id is never handed out again, even after its competition is gone.
    Statement top = db.query("SELECT max(id) FROM barcodes");
    ASSERT_TRUE(top.next());
    const int highest = top.intAt(0);
    db.exec("DELETE FROM competitions WHERE id = 2");
    Statement fresh = db.query("INSERT INTO barcodes (kind, competition_id) VALUES ('blank', 1) RETURNING id");
    ASSERT_TRUE(fresh.next());
    EXPECT_GT(fresh.intAt(0), highest);
}

TEST_F(StandinSchema, CompilationEntriesOfAnOlderFileStayAndNameDisciplinesFromNowOn)
{
    Db db(file("v5.db"));
    migrate(db, 5);
    db.exec(R"(
        INSERT INTO competitions (id, name) VALUES (1, 'Alt');
        INSERT INTO barcodes (id, kind, competition_id) VALUES (1, 'discipline', 1);
        INSERT INTO disciplines (id, competition_id, name, barcode) VALUES (10, 1, 'Sprint', 1);
        INSERT INTO aggregator_templates (id, name) VALUES (3, 'Summe');
        INSERT INTO aggregators (id, competition_id, template_id) VALUES (11, 1, 3);
        INSERT INTO aggregator_collections (id, competition_id, name) VALUES (12, 1, 'Urkunde');
        INSERT INTO aggregator_collection_nodes (collection_id, position, aggregator_id) VALUES (12, 0, 11);
    )");
    migrate(db);
    db.exec("INSERT INTO aggregator_collection_nodes (collection_id, position, aggregator_id) VALUES (12, 1, 10)");
    auto entries = [&] {
        std::vector<int> ids;
        Statement q = db.query("SELECT aggregator_id FROM aggregator_collection_nodes WHERE collection_id = ? "
                               "ORDER BY position",
                               12);
        while (q.next())
            ids.push_back(q.intAt(0));
        return ids;
    };
    EXPECT_EQ(entries(), (std::vector<int>{11, 10}));

    // An entry goes with what it names; the compilation stays.
    db.exec("DELETE FROM disciplines WHERE id = 10");
    EXPECT_EQ(entries(), std::vector<int>{11});
    db.exec("DELETE FROM aggregators WHERE id = 11");
    EXPECT_TRUE(entries().empty());
    EXPECT_EQ(count(db, "SELECT count(*) FROM aggregator_collections WHERE id = ?", 12), 1);
    EXPECT_FALSE(db.query("PRAGMA foreign_key_check").next());
}
