#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "core/protocol/ParticipantRecords.h"

namespace tvp::standin::ops {

namespace {

struct CreateArgs {
    proto::CompetitionInfoType CompetitionInfo;
    TVP_FIELDS(CreateArgs, TVP_F(CompetitionInfo))
};

struct ModifyArgs {
    int CompetitionID = 0;
    proto::CompetitionInfoType CompetitionInfo;
    TVP_FIELDS(ModifyArgs, TVP_F(CompetitionID), TVP_F(CompetitionInfo))
};

struct IdArgs {
    int CompetitionID = 0;
    TVP_FIELDS(IdArgs, TVP_F(CompetitionID))
};

void requireFreeName(Db& db, const QString& name, int ownId)
{
    if (db.query("SELECT 1 FROM competitions WHERE name = ? AND id <> ?", name, ownId).next())
        throw ServerError(errors::NameInUse, {name});
}

void requireCompetition(Db& db, int id)
{
    if (!db.query("SELECT 1 FROM competitions WHERE id = ?", id).next())
        throw ServerError(errors::CompetitionNotFound, {QString::number(id)});
}

} // namespace

void getCompetitions(Call& c)
{
    proto::getCompetitionsResponse1 r;
    Statement q = c.database().query("SELECT id, name, date FROM competitions ORDER BY id");
    while (q.next()) {
        proto::CompetitionType& comp = r.emplace_back();
        comp.ID = q.intAt(0);
        comp.Name = q.textAt(1);
        comp.Date = q.dateAt(2);
    }
    reply(c, r);
}

void createCompetition(Call& c)
{
    const auto a = arguments<CreateArgs>(c);
    Db& db = c.database();
    requireFreeName(db, a.CompetitionInfo.Name, 0);
    proto::CompetitionType comp;
    static_cast<proto::CompetitionInfoType&>(comp) = a.CompetitionInfo;
    comp.ID = db.nextId("competition");
    db.query("INSERT INTO competitions (id, name, date) VALUES (?, ?, ?)", comp.ID, comp.Name, comp.Date).run();
    proto::createCompetitionResponse1 r;
    r.Competition = comp;
    reply(c, r);
}

void modifyCompetition(Call& c)
{
    const auto a = arguments<ModifyArgs>(c);
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    requireFreeName(db, a.CompetitionInfo.Name, a.CompetitionID);
    db.query("UPDATE competitions SET name = ?, date = ? WHERE id = ?", a.CompetitionInfo.Name, a.CompetitionInfo.Date,
             a.CompetitionID)
        .run();
}

void removeCompetition(Call& c)
{
    const auto a = arguments<IdArgs>(c);
    Db& db = c.database();
    requireCompetition(db, a.CompetitionID);
    db.query("DELETE FROM ui_infos WHERE assoc_id = ?", a.CompetitionID).run();
    db.query("DELETE FROM competitions WHERE id = ?", a.CompetitionID).run();
}

} // namespace tvp::standin::ops
