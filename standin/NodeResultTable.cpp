#include "standin/NodeResultTable.h"

#include "standin/ErrorMessages.h"

namespace tvp::standin {

// No evaluator yet: no node has a table.
proto::getResultTableResponse1 nodeResultTable(Call&, int providerId)
{
    throw ServerError(errors::NoResultTable, {QString::number(providerId)});
}

} // namespace tvp::standin
