// Global parameters of a competition and of a cup, and the cup record they name.
//
// A competition sees its own parameters and, read-only, those of every cup holding it. Removing a
// parameter that a scoring node names is refused until forced; the nodes keep the name and compute
// nothing until it exists again.

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/Parameters.h"
#include "standin/Records.h"

#include <cmath>

namespace tvp::standin {

std::optional<double> parameterNumber(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok); // C locale: "." only, no group separators
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> globalParameter(Db& db, int competitionId, int cupId, const QString& key)
{
    if (cupId != 0) {
        Statement q = db.query("SELECT value FROM cup_parameters WHERE cup_id = ? AND key = ?", cupId, key);
        if (q.next())
            return q.doubleAt(0);
    }
    Statement q =
        db.query("SELECT value FROM global_parameters WHERE competition_id = ? AND key = ?", competitionId, key);
    if (q.next())
        return q.doubleAt(0);
    return std::nullopt;
}

std::optional<double> resolveParameterText(Db& db, int competitionId, int cupId, const QString& text)
{
    if (std::optional<double> number = parameterNumber(text))
        return number;
    return globalParameter(db, competitionId, cupId, text);
}

proto::Owned<proto::CupType> readCup(Db& db, int cupId)
{
    proto::CupType cup;
    {
        Statement q = db.query("SELECT id, name, min_team_participations, min_athlete_participations FROM cups "
                               "WHERE id = ?",
                               cupId);
        if (!q.next())
            return nullptr;
        cup.CupID = q.intAt(0);
        cup.Name = q.textAt(1);
        cup.MinTeamParticipations = q.intAt(2);
        cup.MinAthleteParticipations = q.intAt(3);
    }
    Statement q =
        db.query("SELECT competition_id FROM cup_competitions WHERE cup_id = ? ORDER BY competition_id", cupId);
    while (q.next())
        if (proto::Owned<proto::CompetitionType> comp = readCompetition(db, q.intAt(0)))
            cup.AssignedCompetitions.push_back(std::move(*comp));
    return proto::Owned<proto::CupType>(std::move(cup));
}

namespace ops {

namespace {

proto::CupType requireCup(Db& db, int cupId)
{
    proto::Owned<proto::CupType> cup = readCup(db, cupId);
    if (!cup)
        throw ServerError(errors::CupNotFound, {QString::number(cupId)});
    return std::move(*cup);
}

// The cup's own parameters in the order of their creation, each naming the cup.
void appendCupParameters(Db& db, const proto::CupType& cup, bool readOnly, proto::getGlobalParametersResponse& out)
{
    Statement q = db.query("SELECT key, value FROM cup_parameters WHERE cup_id = ? ORDER BY rowid", cup.CupID);
    while (q.next()) {
        proto::GlobalParametersType& p = out.emplace_back();
        p.Key = q.textAt(0);
        p.Value = q.doubleAt(1);
        p.IsReadOnly = readOnly;
        p.Cup = cup;
    }
}

// The parameters of one owner: a competition (global_parameters) or a cup (cup_parameters).
struct Owner {
    const char* table;
    const char* column; // the owner's column there and in aggregators
    int id;
    int inUseError;
};

Owner competitionOwner(int id)
{
    return {"global_parameters", "competition_id", id, errors::GlobalParameterInUse};
}

Owner cupOwner(int id)
{
    return {"cup_parameters", "cup_id", id, errors::CupParameterInUse};
}

void setParameters(Db& db, const Owner& owner, const proto::GlobalParametersInfoTypes& parameters)
{
    const std::string sql = std::string("INSERT INTO ") + owner.table + " (" + owner.column +
                            ", key, value) VALUES (?, ?, ?) ON CONFLICT (" + owner.column +
                            ", key) DO UPDATE SET value = excluded.value";
    for (const proto::GlobalParametersInfoType& p : parameters)
        db.query(sql.c_str(), owner.id, p.Key, p.Value).run();
}

void removeParameter(Db& db, const Owner& owner, const QString& key, bool force)
{
    const std::string where = std::string(" WHERE ") + owner.column + " = ? AND key = ?";
    if (!db.query((std::string("SELECT 1 FROM ") + owner.table + where).c_str(), owner.id, key).next())
        throw ServerError(errors::ParameterNotFound, {key});
    if (!force) {
        const std::string sql = std::string("SELECT COUNT(DISTINCT a.id) FROM aggregators a JOIN "
                                            "aggregator_parameters p ON p.aggregator_id = a.id WHERE a.") +
                                owner.column + " = ? AND p.value = ?";
        Statement q = db.query(sql.c_str(), owner.id, key);
        if (const int nodes = q.next() ? q.intAt(0) : 0)
            throw ServerError(owner.inUseError, {key, QString::number(nodes)});
    }
    db.query((std::string("DELETE FROM ") + owner.table + where).c_str(), owner.id, key).run();
}

} // namespace

proto::getGlobalParametersResponse getGlobalParameters(Call& c, const op::getGlobalParameters& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionId);
    proto::getGlobalParametersResponse r;
    {
        Statement q = db.query("SELECT key, value, is_read_only FROM global_parameters WHERE competition_id = ? "
                               "ORDER BY rowid",
                               a.CompetitionId);
        while (q.next()) {
            proto::GlobalParametersType& p = r.emplace_back();
            p.Key = q.textAt(0);
            p.Value = q.doubleAt(1);
            p.IsReadOnly = q.intAt(2) != 0;
        }
    }
    std::vector<int> cups;
    {
        Statement q =
            db.query("SELECT cup_id FROM cup_competitions WHERE competition_id = ? ORDER BY cup_id", a.CompetitionId);
        while (q.next())
            cups.push_back(q.intAt(0));
    }
    for (int cupId : cups)
        appendCupParameters(db, requireCup(db, cupId), true, r);
    return r;
}

void setGlobalParameter(Call& c, const op::setGlobalParameter& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionId);
    setParameters(db, competitionOwner(a.CompetitionId), a.Parameters);
}

void removeGlobalParameter(Call& c, const op::removeGlobalParameter& a)
{
    Db& db = c.database();
    requireCompetition(db, a.CompetitionId);
    removeParameter(db, competitionOwner(a.CompetitionId), a.Key, a.forceUsedParameter);
}

proto::getCupResponse getCup(Call& c, const op::getCup& a)
{
    proto::getCupResponse r;
    r.cup = requireCup(c.database(), a.CupID);
    return r;
}

proto::getGlobalParametersResponse getCupParameters(Call& c, const op::getCupParameters& a)
{
    Db& db = c.database();
    proto::getGlobalParametersResponse r;
    appendCupParameters(db, requireCup(db, a.CupId), false, r);
    return r;
}

void setCupParameter(Call& c, const op::setCupParameter& a)
{
    Db& db = c.database();
    requireCup(db, a.CupId);
    setParameters(db, cupOwner(a.CupId), a.Parameters);
}

void removeCupParameter(Call& c, const op::removeCupParameter& a)
{
    Db& db = c.database();
    requireCup(db, a.CupId);
    removeParameter(db, cupOwner(a.CupId), a.Key, a.forceUsedParameter);
}

} // namespace ops

} // namespace tvp::standin
