#pragma once
// Scoring-node storage of DisciplineOps.cpp that the cup scorings (CupOps.cpp) share.

#include "core/protocol/ScoringRecords.h"
#include "standin/Database.h"

#include <vector>

namespace tvp::standin::ops {

std::vector<int> nodeSources(Db& db, int id);
// Writes the sources and the result table they give.
void setNodeSources(Db& db, int id, const std::vector<int>& sources);
void setNodeParameters(Db& db, int id, const std::vector<QString>& parameters);
// Removes the node, its labels, and the nodes then left without sources.
void removeNode(Db& db, int id);
proto::ResultAggregatorInstanceType nodeRecord(Db& db, int id);
// The node with the nodes it feeds, as getResultAggregatorTree answers them.
proto::AggregatorTreeNodeType nodeTree(Db& db, int root);
// The competition of a discipline or competition node; 0 otherwise.
int competitionOfProvider(Db& db, int id);

} // namespace tvp::standin::ops
