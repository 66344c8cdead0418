// Program information, message texts and the transaction operations.

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/Transactions.h"

#include <utility>

namespace tvp::standin::ops {

proto::getBackendVersionResponse1 getBackendVersion(Call& c, const op::getBackendVersion&)
{
    proto::getBackendVersionResponse1 r;
    r.version = c.options.version;
    return r;
}

// The answer does not depend on the client's version, but the request must be readable.
proto::CompatibilityInformation getCompatibilityInformation(Call& c, const op::getCompatibilityInformation&)
{
    return c.options.compatibility;
}

// One language only.
proto::getExceptionMessagesResponse1 getExceptionMessages(Call&, const op::getExceptionMessages&)
{
    proto::getExceptionMessagesResponse1 r;
    for (const errors::Message& m : errors::messages())
        r.push_back({m.id, QString::fromUtf8(m.text)});
    return r;
}

void beginTransaction(Call& c, const op::beginTransaction& a)
{
    c.transactionId = c.transactions.begin(c.sessionId, a.readonly);
}

// A transaction that is gone (rolled back after idling), another session's or an unknown one is
// refused: its commit must not look like success, and nobody ends another client's work.
void commitTransaction(Call& c, const op::commitTransaction&)
{
    const std::string id = std::exchange(c.transactionId, {});
    if (!id.empty() && !c.transactions.commit(id, c.sessionId))
        throw ServerError(errors::TransactionNotFound, {QString::fromStdString(id)});
}

// Without a Transaction element there is nothing to roll back: the client sends a rollback after
// every failure, whatever its mode.
void rollbackTransaction(Call& c, const op::rollbackTransaction&)
{
    const std::string id = std::exchange(c.transactionId, {});
    if (!id.empty() && !c.transactions.rollback(id, c.sessionId))
        throw ServerError(errors::TransactionNotFound, {QString::fromStdString(id)});
}

} // namespace tvp::standin::ops
