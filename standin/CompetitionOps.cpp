#include "standin/Cups.h"
#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/Records.h"

namespace tvp::standin::ops {

namespace {

void requireFreeName(Db& db, const QString& name, int ownId)
{
    if (db.query("SELECT 1 FROM competitions WHERE name = ? AND id <> ?", name, ownId).next())
        throw ServerError(errors::NameInUse, {name});
}

// A missing record reads as one with empty fields, as the client would have sent it.
const proto::CompetitionInfoType& infoOrEmpty(const proto::Owned<proto::CompetitionInfoType>& info)
{
    static const proto::CompetitionInfoType empty;
    return info ? *info : empty;
}

} // namespace

proto::getCompetitionsResponse1 getCompetitions(Call& c, const op::getCompetitions&)
{
    proto::getCompetitionsResponse1 r;
    Statement q = c.database().query("SELECT id, name, date FROM competitions ORDER BY id");
    while (q.next()) {
        proto::CompetitionType& comp = r.emplace_back();
        comp.ID = q.intAt(0);
        comp.Name = q.textAt(1);
        comp.Date = q.dateAt(2);
    }
    return r;
}

proto::createCompetitionResponse1 createCompetition(Call& c, const op::createCompetition& a)
{
    const proto::CompetitionInfoType& info = infoOrEmpty(a.CompetitionInfo);
    Db& db = c.database();
    requireFreeName(db, info.Name, 0);
    proto::CompetitionType comp;
    static_cast<proto::CompetitionInfoType&>(comp) = info;
    comp.ID = db.nextId("competition");
    db.query("INSERT INTO competitions (id, name, date) VALUES (?, ?, ?)", comp.ID, comp.Name, comp.Date).run();
    proto::createCompetitionResponse1 r;
    r.Competition = comp;
    return r;
}

void modifyCompetition(Call& c, const op::modifyCompetition& a)
{
    const proto::CompetitionInfoType& info = infoOrEmpty(a.CompetitionInfo);
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    requireFreeName(db, info.Name, a.CompetitionID);
    db.query("UPDATE competitions SET name = ?, date = ? WHERE id = ?", info.Name, info.Date, a.CompetitionID).run();
}

void removeCompetition(Call& c, const op::removeCompetition& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    // Cup scorings would keep sources that are gone.
    for (int cup : cupsOfCompetition(db, a.CompetitionID))
        leaveCup(db, cup, a.CompetitionID);
    db.query("DELETE FROM ui_infos WHERE assoc_id = ?", a.CompetitionID).run();
    // Its compilations go along by cascade; their infos (linked documents) with them.
    db.query("DELETE FROM ui_infos WHERE assoc_id IN (SELECT id FROM aggregator_collections WHERE competition_id = ?)",
             a.CompetitionID)
        .run();
    db.query("DELETE FROM competitions WHERE id = ?", a.CompetitionID).run();
}

} // namespace tvp::standin::ops
