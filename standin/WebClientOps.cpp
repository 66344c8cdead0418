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

} // namespace tvp::standin::ops
