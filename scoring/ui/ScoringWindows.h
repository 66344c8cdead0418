#pragma once
// What the scoring area offers the windows of other areas at start-up.

namespace tvp {

class TWindowRegistry;

// The factory of scoring trees, drawn or not, and source lists (IAggregatorTrees, IAggregatorTreeViews).
void registerScoringServices(TWindowRegistry& registry);
// The scoring area's windows built so far.
void registerScoringWindows(TWindowRegistry& registry);

} // namespace tvp
