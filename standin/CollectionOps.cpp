// Result compilations (aggregator collections): named, ordered lists of a competition's or a cup's
// scoring nodes and disciplines, with the sort order the data view keeps for them.

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/Parameters.h"
#include "standin/Records.h"

#include <algorithm>

namespace tvp::standin::ops {

namespace {

struct Owner {
    int competitionId = 0;
    int cupId = 0;
};

// Exactly one of the two ids names the owner, and it exists.
Owner requireOwner(Db& db, int competitionId, int cupId)
{
    if (cupId != 0 && competitionId == 0) {
        if (!db.query("SELECT 1 FROM cups WHERE id = ?", cupId).next())
            throw ServerError(errors::CupNotFound, {QString::number(cupId)});
        return {0, cupId};
    }
    if (cupId != 0 || competitionId == 0)
        throw ServerError(errors::CompetitionNotFound, {QString::number(competitionId)});
    requireCompetition(db, competitionId);
    return {competitionId, 0};
}

Owner ownerOf(Db& db, int collectionId)
{
    Statement q = db.query("SELECT IFNULL(competition_id, 0), IFNULL(cup_id, 0) FROM aggregator_collections "
                           "WHERE id = ?",
                           collectionId);
    if (!q.next())
        throw ServerError(errors::CollectionNotFound, {QString::number(collectionId)});
    return {q.intAt(0), q.intAt(1)};
}

// A competition's entries are its nodes and disciplines (a discipline stands for its plain
// results); a cup's are its own nodes.
void requireEntries(Db& db, const Owner& owner, const std::vector<int>& ids)
{
    for (int id : ids) {
        const bool known =
            owner.cupId != 0 ? db.query("SELECT 1 FROM aggregators WHERE id = ? AND cup_id = ?", id, owner.cupId).next()
                             : db.query("SELECT 1 FROM aggregators WHERE id = ?1 AND competition_id = ?2 "
                                        "UNION ALL SELECT 1 FROM disciplines WHERE id = ?1 AND competition_id = ?2",
                                        id, owner.competitionId)
                                   .next();
        if (!known)
            throw ServerError(errors::ProviderNotFound, {QString::number(id)});
    }
}

void writeEntries(Db& db, int collectionId, const std::vector<int>& ids)
{
    db.query("DELETE FROM aggregator_collection_nodes WHERE collection_id = ?", collectionId).run();
    Statement insert = db.query("INSERT INTO aggregator_collection_nodes (collection_id, position, aggregator_id) "
                                "VALUES (?, ?, ?)");
    for (std::size_t i = 0; i < ids.size(); ++i) {
        insert.reset();
        insert.bind(collectionId).bind(int(i)).bind(ids[i]);
        insert.run();
    }
}

const proto::AggregatorCollectionInfoType& infoOrEmpty(const proto::Owned<proto::AggregatorCollectionInfoType>& info)
{
    static const proto::AggregatorCollectionInfoType empty;
    return info ? *info : empty;
}

// The stored sort order holds node ids as the data view sent them; the client reads it as
// positions in AggIds. Ids that are no entry (0, a node removed since) are left out.
std::vector<int> orderPositions(Db& db, int collectionId, const std::vector<int>& aggIds)
{
    std::vector<int> positions;
    Statement q = db.query("SELECT order_index FROM aggregator_collection_order WHERE collection_id = ? "
                           "ORDER BY position",
                           collectionId);
    while (q.next()) {
        const auto at = std::find(aggIds.begin(), aggIds.end(), q.intAt(0));
        if (at != aggIds.end())
            positions.push_back(int(at - aggIds.begin()));
    }
    return positions;
}

proto::aggregatorCollectionType readCollection(Db& db, int id, const QString& name)
{
    proto::aggregatorCollectionType out;
    out.Id = id;
    out.Name = name;
    Statement q = db.query("SELECT aggregator_id FROM aggregator_collection_nodes WHERE collection_id = ? "
                           "ORDER BY position",
                           id);
    while (q.next())
        out.AggIds.push_back(q.intAt(0));
    out.SpecialOrderIndices = orderPositions(db, id, out.AggIds);
    return out;
}

} // namespace

// The sort order is not taken from the record: the data view sets it on its own.
proto::storeAggregatorCollectionResponse storeAggregatorCollection(Call& c, const op::storeAggregatorCollection& a)
{
    Db& db = c.database();
    const Owner owner = requireOwner(db, a.competitionId, a.cupId);
    const proto::AggregatorCollectionInfoType& info = infoOrEmpty(a.aggregatorCollection);
    requireEntries(db, owner, info.AggIds);
    const int id = db.nextId("aggregator_collection");
    Statement insert = db.query("INSERT INTO aggregator_collections (id, competition_id, cup_id, name) "
                                "VALUES (?, ?, ?, ?)");
    insert.bind(id);
    owner.competitionId != 0 ? insert.bind(owner.competitionId) : insert.bindNull();
    owner.cupId != 0 ? insert.bind(owner.cupId) : insert.bindNull();
    insert.bind(info.Name);
    insert.run();
    writeEntries(db, id, info.AggIds);
    proto::storeAggregatorCollectionResponse r;
    r.newAggregatorCollection = readCollection(db, id, info.Name);
    return r;
}

// Name and entries are replaced; the chosen sort order stays (its ids still name the same nodes).
void modifyAggregatorCollection(Call& c, const op::modifyAggregatorCollection& a)
{
    Db& db = c.database();
    const Owner owner = ownerOf(db, a.Id);
    const proto::AggregatorCollectionInfoType& info = infoOrEmpty(a.AggregatorCollection);
    requireEntries(db, owner, info.AggIds);
    db.query("UPDATE aggregator_collections SET name = ? WHERE id = ?", info.Name, a.Id).run();
    writeEntries(db, a.Id, info.AggIds);
}

// Its UI infos (the linked document's path) go with it.
void removeAggregatorCollection(Call& c, const op::removeAggregatorCollection& a)
{
    Db& db = c.database();
    ownerOf(db, a.id);
    db.query("DELETE FROM ui_infos WHERE assoc_id = ?", a.id).run();
    db.query("DELETE FROM aggregator_collections WHERE id = ?", a.id).run();
}

proto::getAggregatorCollectionResponse4 getAggregatorCollection(Call& c, const op::getAggregatorCollection& a)
{
    Db& db = c.database();
    const Owner owner = requireOwner(db, a.competitionId, a.cupId);
    proto::getAggregatorCollectionResponse4 r;
    Statement q =
        owner.cupId != 0
            ? db.query("SELECT id, name FROM aggregator_collections WHERE cup_id = ? ORDER BY id", owner.cupId)
            : db.query("SELECT id, name FROM aggregator_collections WHERE competition_id = ? ORDER BY id",
                       owner.competitionId);
    while (q.next())
        r.push_back(readCollection(db, q.intAt(0), q.textAt(1)));
    return r;
}

// Every compilation on the server, for choosing an existing linked document of any competition or
// cup: with its owner's record and all UI infos under its id.
proto::getAllCollectionsResponse getAllCollections(Call& c, const op::getAllCollections&)
{
    Db& db = c.database();
    proto::getAllCollectionsResponse r;
    Statement q = db.query("SELECT id, name, IFNULL(competition_id, 0), IFNULL(cup_id, 0) "
                           "FROM aggregator_collections ORDER BY id");
    while (q.next()) {
        const int id = q.intAt(0);
        proto::IDCollectionItemType& item = r.emplace_back();
        item.IdCollection = readCollection(db, id, q.textAt(1));
        if (q.intAt(2) != 0)
            item.Competition = readCompetition(db, q.intAt(2));
        if (q.intAt(3) != 0)
            item.Cup = readCup(db, q.intAt(3));
        Statement infos = db.query("SELECT key, value FROM ui_infos WHERE assoc_id = ? ORDER BY key", id);
        while (infos.next()) {
            proto::UiInfoKeyValuePair& p = item.UIInfos.emplace_back();
            p.Key = proto::UiInfoKey{infos.textAt(0), id};
            p.Value = infos.textAt(1);
        }
    }
    return r;
}

} // namespace tvp::standin::ops
