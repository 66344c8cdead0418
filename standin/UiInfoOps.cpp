#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"

namespace tvp::standin::ops {

namespace {

QString valueOf(Db& db, const QString& key, int assocId)
{
    Statement q = db.query("SELECT value FROM ui_infos WHERE key = ? AND assoc_id = ?", key, assocId);
    return q.next() ? q.textAt(0) : QString();
}

proto::UiInfoKeyValuePair pair(const QString& key, int assocId, const QString& value)
{
    proto::UiInfoKeyValuePair p;
    p.Key = proto::UiInfoKey{key, assocId};
    p.Value = value;
    return p;
}

} // namespace

// An empty value deletes the info; a value of blanks is a value.
void setUiInfo(Call& c, const op::setUiInfo& a)
{
    Db& db = c.database();
    if (a.Value.isEmpty())
        db.query("DELETE FROM ui_infos WHERE key = ? AND assoc_id = ?", a.Key, a.AssotiatedId).run();
    else
        db.query("INSERT INTO ui_infos (key, assoc_id, value) VALUES (?, ?, ?) "
                 "ON CONFLICT (key, assoc_id) DO UPDATE SET value = excluded.value",
                 a.Key, a.AssotiatedId, a.Value)
            .run();
}

proto::getUiInfoResponse1 getUiInfo(Call& c, const op::getUiInfo& a)
{
    proto::getUiInfoResponse1 r;
    r.Value = valueOf(c.database(), a.Key, a.AssotiatedId);
    return r;
}

proto::getUiInfosResponse1 getUiInfos(Call& c, const op::getUiInfos& a)
{
    Db& db = c.database();
    proto::getUiInfosResponse1 r;
    for (const proto::UiInfoKey& k : a.Keys) {
        if (!k.Key.isEmpty()) {
            r.push_back(pair(k.Key, k.AssotiatedId, valueOf(db, k.Key, k.AssotiatedId)));
            continue;
        }
        // An empty key name asks for every info of that id.
        Statement q = db.query("SELECT key, value FROM ui_infos WHERE assoc_id = ? ORDER BY key", k.AssotiatedId);
        while (q.next())
            r.push_back(pair(q.textAt(0), k.AssotiatedId, q.textAt(1)));
    }
    return r;
}

// The chosen sort order of a result compilation, as the data view sends it: node ids in order
// (0 for a column without node), kept as they are.
void modifyAggregatorCollectionSortOrder(Call& c, const op::modifyAggregatorCollectionSortOrder& a)
{
    Db& db = c.database();
    if (!db.query("SELECT 1 FROM aggregator_collections WHERE id = ?", a.Id).next())
        throw ServerError(errors::CollectionNotFound, {QString::number(a.Id)});
    db.query("DELETE FROM aggregator_collection_order WHERE collection_id = ?", a.Id).run();
    for (std::size_t i = 0; i < a.IdOrder.size(); ++i)
        db.query("INSERT INTO aggregator_collection_order (collection_id, position, order_index) VALUES (?, ?, ?)",
                 a.Id, int(i), a.IdOrder[i])
            .run();
}

} // namespace tvp::standin::ops
