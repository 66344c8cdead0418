#include "standin/Handlers.h"
#include "standin/WebNotifications.h"

namespace tvp::standin::ops {

// The browser client hands a command to the program whose WebSocket got the session id; there is
// no browser connection here, so WEB_UI finds nobody. False when nobody took it.
bool notifySessionClient(Call& c, const op::notifySessionClient& a)
{
    if (!c.notifications || a.client != proto::clientType::NATIVE || a.abstractTarget.isEmpty())
        return false;
    return c.notifications->notify(a.sessionId.toStdString(), a.abstractTarget.toStdString(),
                                   a.contextId.toStdString());
}

// A key saved again replaces its information.
void saveSessionInformation(Call& c, const op::saveSessionInformation& a)
{
    Db& db = c.database();
    for (const proto::SessionInformationsType& item : a.sessionInformations)
        db.query("INSERT INTO session_informations (session_id, key, information) VALUES (?, ?, ?) "
                 "ON CONFLICT (session_id, key) DO UPDATE SET information = excluded.information",
                 a.sessionId, item.key, item.sessionInformation)
            .run();
}

// The stored items among the keys, in key order; a key without item is left out. The items are
// removed only after all were read, so a key asked twice is answered twice.
proto::getSessionInformationResponse getSessionInformation(Call& c, const op::getSessionInformation& a)
{
    Db& db = c.database();
    proto::getSessionInformationResponse r;
    for (const QString& key : a.keys) {
        Statement q =
            db.query("SELECT information FROM session_informations WHERE session_id = ? AND key = ?", a.sessionId, key);
        if (q.next())
            r.push_back(proto::SessionInformationsType{key, q.textAt(0)});
    }
    if (a.removeItems)
        for (const QString& key : a.keys)
            db.query("DELETE FROM session_informations WHERE session_id = ? AND key = ?", a.sessionId, key).run();
    return r;
}

} // namespace tvp::standin::ops
