// Program information, message texts and the transaction operations.

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/Transactions.h"

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
    c.transactionId = c.transactions.begin(a.readonly);
}

void commitTransaction(Call& c, const op::commitTransaction&)
{
    // A commit of a transaction that is gone (rolled back after idling) must not look like success.
    const std::string id = c.transactionId;
    c.transactionId.clear();
    if (!id.empty() && !c.transactions.commit(id))
        throw ServerError(errors::TransactionNotFound, {QString::fromStdString(id)});
}

void rollbackTransaction(Call& c, const op::rollbackTransaction&)
{
    c.transactions.rollback(c.transactionId);
    c.transactionId.clear();
}

} // namespace tvp::standin::ops
