#pragma once
// The drawn scoring tree as a window shows it; the scoring area registers the factory as a service.
// The widget-free tree models come from core/services' IAggregatorTrees.

#include "core/services/ScoringServices.h"

#include <memory>
#include <vector>

class QMenu;
class QScrollArea;

namespace tvp {

class IAggregatorTreeViews {
public:
    virtual ~IAggregatorTreeViews() = default;
    // The tree of the root nodes, its boxes drawn in area; popup opens on a box's context menu.
    virtual std::unique_ptr<TAggregatorTree>
    createDrawnAggregatorTree(QScrollArea* area, const std::vector<proto::AggregatorTreeNodeType>& nodes,
                              const std::vector<int>& localIds, TTemplateLookup templateLookup,
                              const TDisciplineInfo& discInfo, QMenu* popup) = 0;
};

} // namespace tvp
