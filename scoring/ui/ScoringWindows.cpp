#include "scoring/ui/ScoringWindows.h"

#include "core/ui/WindowRegistry.h"
#include "scoring/ui/AggregatorSourceListUI.h"
#include "scoring/ui/AggregatorTreeUI.h"
#include "scoring/ui/DataViewDialog.h"

namespace tvp {

namespace {

class TAggregatorTrees : public IAggregatorTrees {
public:
    std::unique_ptr<TAggregatorTree> createAggregatorTree(QWidget* parent,
                                                          const std::vector<proto::AggregatorTreeNodeType>& nodes,
                                                          const std::vector<int>& localIds,
                                                          TTemplateLookup templateLookup,
                                                          const TDisciplineInfo& discInfo, QMenu* popup) override
    {
        return std::make_unique<TDrawnAggregatorTree>(parent, nodes, localIds, std::move(templateLookup), &discInfo,
                                                      popup);
    }

    std::unique_ptr<TAggregatorSourceList> createAggregatorSourceList(QTreeWidget* listView,
                                                                      TDisciplineLookup disciplineLookup) override
    {
        return std::make_unique<TAggregatorSourceListUI>(listView, std::move(disciplineLookup));
    }
};

} // namespace

void registerScoringServices(TWindowRegistry& registry)
{
    registry.registerService<IAggregatorTrees>(std::make_unique<TAggregatorTrees>());
}

void registerScoringWindows(TWindowRegistry& registry)
{
    registry.registerWindow<TDataViewForm>(TWindowId::DataViewForm);
}

} // namespace tvp
