#include "standin/NodeResultTable.h"

#include "standin/ErrorMessages.h"
#include "standin/NodeTables.h"

namespace tvp::standin {

// Computed on every read; nothing computed is stored.
proto::getResultTableResponse1 nodeResultTable(Call& c, int providerId)
{
    NodeTables tables(c.database());
    std::optional<proto::getResultTableResponse1> t =
        tables.isNode(providerId) ? tables.table(providerId) : std::nullopt;
    if (!t)
        throw ServerError(errors::NoResultTable, {QString::number(providerId)});
    return std::move(*t);
}

} // namespace tvp::standin
