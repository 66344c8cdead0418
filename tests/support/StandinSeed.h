#pragma once
// Writes what no served operation of a test writes (teams, clubs, age classes, disciplines,
// results, list places) straight into a stand-in's data file, and reads athletes back from it.

#include "standin/Database.h"

#include <string>
#include <vector>

namespace tvp::test {

using standin::Statement;

class StandinSeed {
public:
    explicit StandinSeed(const std::string& file) : db(file) {}

    int ageClass(int competition, const QString& name)
    {
        const int barcode = barcodeOf("age_class", competition);
        const int id = db.nextId("age_class");
        db.query("INSERT INTO age_classes (id, competition_id, name, barcode) VALUES (?, ?, ?, ?)", id, competition,
                 name, barcode)
            .run();
        return id;
    }
    // ageClass and billingClub 0 store none.
    int team(int competition, const QString& name, int ageClass = 0, int billingClub = 0)
    {
        const int barcode = barcodeOf("team", competition);
        const int id = db.nextId("team");
        db.query("INSERT INTO teams (id, competition_id, name, age_class_id, billing_club_id, barcode) "
                 "VALUES (?, ?, ?, NULLIF(?, 0), NULLIF(?, 0), ?)",
                 id, competition, name, ageClass, billingClub, barcode)
            .run();
        return id;
    }
    int club(int competition, const QString& name)
    {
        const int id = db.nextId("club");
        db.query("INSERT INTO clubs (id, competition_id, name) VALUES (?, ?, ?)", id, competition, name).run();
        return id;
    }
    // A discipline with a result table for athletes, or for teams.
    int discipline(int competition, const QString& name, bool teamTable = false)
    {
        const int barcode = barcodeOf("discipline", competition);
        const int id = db.nextId("discipline");
        db.query("INSERT INTO disciplines (id, competition_id, name, barcode, result_table_team, "
                 "result_table_results_per_row) VALUES (?, ?, ?, ?, ?, 1)",
                 id, competition, name, barcode, teamTable ? 1 : 0)
            .run();
        return id;
    }
    int blank(int competition) { return barcodeOf("blank", competition); }
    // bib 0 and athlete 0 store NULL.
    int result(int discipline, int attempt, int athlete, int bib, int team = 0)
    {
        db.query("INSERT INTO results (discipline_id, attempt, athlete_id, bib, kind) "
                 "VALUES (?, ?, NULLIF(?, 0), NULLIF(?, 0), 'Distance')",
                 discipline, attempt, athlete, bib)
            .run();
        const int id = db.lastInsertId();
        if (team != 0)
            db.query("INSERT INTO result_teams (result_id, team_id, position) VALUES (?, ?, 0)", id, team).run();
        return id;
    }
    void place(int discipline, int athlete)
    {
        db.query("INSERT INTO heat_assignments (discipline_id, athlete_id, heat_no, position) VALUES (?, ?, 1, 0)",
                 discipline, athlete)
            .run();
    }

    int count(const char* sql, int id)
    {
        Statement q = db.query(sql, id);
        return q.next() ? q.intAt(0) : -1;
    }
    bool exists(int athlete) { return count("SELECT COUNT(*) FROM athletes WHERE id = ?", athlete) == 1; }
    std::vector<int> bibs(int athlete)
    {
        std::vector<int> out;
        Statement q = db.query("SELECT bib FROM athlete_bibs WHERE athlete_id = ? ORDER BY position", athlete);
        while (q.next())
            out.push_back(q.intAt(0));
        return out;
    }
    QString column(const char* name, int athlete)
    {
        Statement q =
            db.query((std::string("SELECT IFNULL(") + name + ", '') FROM athletes WHERE id = ?").c_str(), athlete);
        return q.next() ? q.textAt(0) : QStringLiteral("<none>");
    }
    int results(int athlete) { return count("SELECT COUNT(*) FROM results WHERE athlete_id = ?", athlete); }

    standin::Db db;

private:
    int barcodeOf(const char* kind, int competition)
    {
        db.query("INSERT INTO barcodes (kind, competition_id) VALUES (?, ?)", QString::fromUtf8(kind), competition)
            .run();
        return db.lastInsertId();
    }
};

} // namespace tvp::test
