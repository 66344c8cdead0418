#pragma once
// Data written straight into a running stand-in's file, for tests of operations whose inputs other
// operations make (teams, athletes, disciplines, results, schedule items). Each call returns the
// new id; barcodes come from the server's one table as the operations would take them.

#include "standin/Database.h"

#include <QString>

#include <string>

namespace tvp::test {

class StandinSeed {
public:
    explicit StandinSeed(const std::string& dataFile) : db(dataFile) {}

    int ageClass(int competition, const QString& name, double pricePerTeam = 0)
    {
        const int id = db.nextId("age_class");
        db.query("INSERT INTO age_classes (id, competition_id, name, billing_price_per_team, barcode) "
                 "VALUES (?, ?, ?, ?, ?)",
                 id, competition, name, pricePerTeam, barcode("age_class", competition))
            .run();
        return id;
    }

    int club(int competition, const QString& name)
    {
        const int id = db.nextId("club");
        db.query("INSERT INTO clubs (id, competition_id, name) VALUES (?, ?, ?)", id, competition, name).run();
        return id;
    }

    // ageClass and billingClub 0 for none.
    int team(int competition, const QString& name, int ageClass, int billingClub = 0)
    {
        const int id = db.nextId("team");
        db.query("INSERT INTO teams (id, competition_id, name, age_class_id, billing_club_id, barcode) "
                 "VALUES (?, ?, ?, NULLIF(?, 0), NULLIF(?, 0), ?)",
                 id, competition, name, ageClass, billingClub, barcode("team", competition))
            .run();
        return id;
    }

    // team and club 0 for none.
    int athlete(int competition, const QString& surName, int team, int club = 0)
    {
        const int id = db.nextId("athlete");
        db.query("INSERT INTO athletes (id, competition_id, sur_name, team_id, club_id, barcode) "
                 "VALUES (?, ?, ?, NULLIF(?, 0), NULLIF(?, 0), ?)",
                 id, competition, surName, team, club, barcode("athlete", competition))
            .run();
        return id;
    }

    // n athletes in the team.
    void members(int competition, int team, int n)
    {
        for (int i = 0; i < n; ++i)
            athlete(competition, QStringLiteral("Mitglied %1").arg(i + 1), team);
    }

    int squad(int competition, int orderIndex, int ageClass, const std::vector<int>& teams,
              const QString& name = QString())
    {
        const int id = db.nextId("squad");
        db.query("INSERT INTO squads (id, competition_id, age_class_id, order_index, custom_name) "
                 "VALUES (?, ?, NULLIF(?, 0), ?, ?)",
                 id, competition, ageClass, orderIndex, name)
            .run();
        int position = 0;
        for (int t : teams)
            db.query("INSERT INTO squad_teams (team_id, squad_id, position) VALUES (?, ?, ?)", t, id, position++).run();
        return id;
    }

    int discipline(int competition, const QString& name, int ageClass)
    {
        const int id = db.nextId("discipline");
        db.query("INSERT INTO disciplines (id, competition_id, name, age_class_id, barcode) "
                 "VALUES (?, ?, ?, NULLIF(?, 0), ?)",
                 id, competition, name, ageClass, barcode("discipline", competition))
            .run();
        return id;
    }

    void assign(int discipline, int squad)
    {
        db.query("INSERT INTO discipline_squads (discipline_id, squad_id) VALUES (?, ?)", discipline, squad).run();
    }

    void heatPlace(int discipline, int athlete, int heat, int position)
    {
        db.query("INSERT INTO heat_assignments (discipline_id, athlete_id, heat_no, position) VALUES (?, ?, ?, ?)",
                 discipline, athlete, heat, position)
            .run();
    }

    int athleteResult(int discipline, int athlete, double meters)
    {
        const int id = db.nextId("result");
        db.query("INSERT INTO results (id, discipline_id, attempt, athlete_id, kind, distance_in_meter) "
                 "VALUES (?, ?, 1, ?, 'Distance', ?)",
                 id, discipline, athlete, meters)
            .run();
        return id;
    }

    int teamResult(int discipline, int team, double seconds)
    {
        const int id = db.nextId("result");
        db.query("INSERT INTO results (id, discipline_id, attempt, kind, time_in_seconds) VALUES (?, ?, 1, 'Time', ?)",
                 id, discipline, seconds)
            .run();
        db.query("INSERT INTO result_teams (result_id, team_id, position) VALUES (?, ?, 0)", id, team).run();
        return id;
    }

    int scheduleItem(int competition, int squad, int discipline)
    {
        const int place = db.nextId("place");
        db.query("INSERT INTO discipline_places (id, competition_id, name) VALUES (?, ?, 'Platz')", place, competition)
            .run();
        const int map = db.nextId("place_map");
        db.query("INSERT INTO places_of_disciplines (id, place_id, discipline_id) VALUES (?, ?, ?)", map, place,
                 discipline)
            .run();
        const int id = db.nextId("schedule_item");
        db.query("INSERT INTO schedule_items (id, squad_id, place_of_discipline_id) VALUES (?, ?, ?)", id, squad, map)
            .run();
        return id;
    }

    // ---- reading back ----

    int count(const char* sql, int id)
    {
        standin::Statement q = db.query(sql, id);
        return q.next() ? q.intAt(0) : -1;
    }
    // "name|comment|address" of a club.
    QString clubState(int club)
    {
        standin::Statement q = db.query("SELECT name, comment, billing_address FROM clubs WHERE id = ?", club);
        return q.next() ? QStringList{q.textAt(0), q.textAt(1), q.textAt(2)}.join(u'|') : QStringLiteral("gone");
    }
    // The order index, name, age class and teams of a squad as "3|Adler|12|7,8".
    QString squadState(int squad)
    {
        standin::Statement q =
            db.query("SELECT order_index, custom_name, COALESCE(age_class_id, 0) FROM squads WHERE id = ?", squad);
        if (!q.next())
            return QStringLiteral("gone");
        QString s = QStringLiteral("%1|%2|%3|").arg(q.intAt(0)).arg(q.textAt(1)).arg(q.intAt(2));
        standin::Statement t = db.query("SELECT team_id FROM squad_teams WHERE squad_id = ? ORDER BY position", squad);
        QStringList teams;
        while (t.next())
            teams << QString::number(t.intAt(0));
        return s + teams.join(u',');
    }

    standin::Db db;

private:
    int barcode(const char* kind, int competition)
    {
        db.query("INSERT INTO barcodes (kind, competition_id) VALUES (?, ?)", QString::fromLatin1(kind), competition)
            .run();
        return db.lastInsertId();
    }
};

} // namespace tvp::test
