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

} // namespace tvp::standin::ops
