// Result tables of disciplines and scoring nodes. A node's table is computed on every read from the
// stored results (ScoringEvaluator); nothing computed is stored.

#include "standin/ErrorMessages.h"
#include "standin/Handlers.h"
#include "standin/NodeTables.h"

namespace tvp::standin::ops {

proto::getResultTableResponse1 getResultTable(Call& c, const op::getResultTable& a)
{
    NodeTables tables(c.database());
    std::optional<proto::getResultTableResponse1> t = tables.table(a.ResultProviderID);
    if (!t)
        throw ServerError(errors::NoResultProvider, {QString::number(a.ResultProviderID)});
    return std::move(*t);
}

} // namespace tvp::standin::ops
