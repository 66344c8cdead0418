#pragma once
// What the scoring area offers the windows of other areas at start-up.

namespace tvp {

class TWindowRegistry;

// The factory of drawn scoring trees and source lists (IAggregatorTrees).
void registerScoringServices(TWindowRegistry& registry);
// The scoring area's windows built so far.
void registerScoringWindows(TWindowRegistry& registry);

} // namespace tvp
