// Program information, message texts and the transaction operations.

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "core/protocol/ScoringRecords.h"
#include "standin/Transactions.h"

namespace tvp::standin::ops {

namespace {

struct CompatibilityArgs {
    proto::GenericTvpVersion FrontendVersion;
    TVP_FIELDS(CompatibilityArgs, TVP_F(FrontendVersion))
};

struct LanguageArgs {
    int LanguageId = 0;
    TVP_FIELDS(LanguageArgs, TVP_F(LanguageId))
};

struct BeginArgs {
    bool readonly = false;
    TVP_FIELDS(BeginArgs, TVP_F(readonly))
};

} // namespace

void getBackendVersion(Call& c)
{
    proto::getBackendVersionResponse1 r;
    r.version = c.options.version;
    reply(c, r);
}

void getCompatibilityInformation(Call& c)
{
    arguments<CompatibilityArgs>(c); // the answer does not depend on it, but it must be readable
    reply(c, c.options.compatibility);
}

void getExceptionMessages(Call& c)
{
    arguments<LanguageArgs>(c); // one language only
    proto::getExceptionMessagesResponse1 r;
    for (const errors::Message& m : errors::messages())
        r.push_back({m.id, QString::fromUtf8(m.text)});
    reply(c, r);
}

void beginTransaction(Call& c)
{
    c.transactionId = c.transactions.begin(arguments<BeginArgs>(c).readonly);
}

void commitTransaction(Call& c)
{
    // A commit of a transaction that is gone (rolled back after idling) must not look like success.
    const std::string id = c.transactionId;
    c.transactionId.clear();
    if (!id.empty() && !c.transactions.commit(id))
        throw ServerError(errors::TransactionNotFound, {QString::fromStdString(id)});
}

void rollbackTransaction(Call& c)
{
    c.transactions.rollback(c.transactionId);
    c.transactionId.clear();
}

} // namespace tvp::standin::ops
