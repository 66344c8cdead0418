#pragma once
// getResultTable of a provider that is not a discipline. Disciplines answer their stored results
// (ResultOps.cpp); a scoring node's table is computed, and this is where the evaluator answers it.

#include "standin/Operations.h"

namespace tvp::standin {

// The computed table of the node providerId (any id that names no discipline arrives here).
// Refuses with error 22 whatever it cannot compute.
proto::getResultTableResponse1 nodeResultTable(Call& c, int providerId);

} // namespace tvp::standin
