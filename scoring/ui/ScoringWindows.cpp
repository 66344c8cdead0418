#include "scoring/ui/ScoringWindows.h"

#include "core/services/CompetitionSetupServices.h"
#include "core/ui/ScoringViews.h"
#include "core/ui/WindowRegistry.h"
#include "scoring/AggregatorSourceList.h"
#include "scoring/ui/AggregatorTreeUI.h"
#include "scoring/ui/AnalyseDialog.h"
#include "scoring/ui/BillingDocSetupDialog.h"
#include "scoring/ui/CertDocSetupDialog.h"
#include "scoring/ui/CertSetupDialog.h"
#include "scoring/ui/CupCertSetupDialog.h"
#include "scoring/ui/CupItemsDialog.h"
#include "scoring/ui/CupResultModellingDialog.h"
#include "scoring/ui/CupsDialog.h"
#include "scoring/ui/CustomColImportDialog.h"
#include "scoring/ui/CustomCupColDialog.h"
#include "scoring/ui/DataViewDialog.h"
#include "scoring/ui/TeamScheduleDocSetupDialog.h"

#include <QScrollArea>

namespace tvp {

namespace {

// Both factories: the widget-free trees and source lists, and the trees drawn on a window.
class TAggregatorTrees : public IAggregatorTrees, public IAggregatorTreeViews {
public:
    explicit TAggregatorTrees(const TWindowRegistry& registry) : registry_(registry) {}

    std::unique_ptr<TAggregatorTree> createAggregatorTree(const std::vector<proto::AggregatorTreeNodeType>& nodes,
                                                          const std::vector<int>& localIds,
                                                          TTemplateLookup templateLookup,
                                                          const TDisciplineInfo& discInfo) override
    {
        return std::make_unique<TAggregatorTreeModel>(nodes, localIds, std::move(templateLookup), &discInfo,
                                                      resolver());
    }

    std::unique_ptr<TAggregatorTree> createDrawnAggregatorTree(QScrollArea* area,
                                                               const std::vector<proto::AggregatorTreeNodeType>& nodes,
                                                               const std::vector<int>& localIds,
                                                               TTemplateLookup templateLookup,
                                                               const TDisciplineInfo& discInfo, QMenu* popup) override
    {
        return std::make_unique<TDrawnAggregatorTree>(area, nodes, localIds, std::move(templateLookup), &discInfo,
                                                      popup, resolver());
    }

    std::unique_ptr<TAggregatorSourceList> createAggregatorSourceList(TRequestContext& context, QObject* window,
                                                                      TDisciplineLookup disciplineLookup) override
    {
        return std::make_unique<TAggregatorSourceListModel>(context, window, std::move(disciplineLookup));
    }

private:
    // Boxes show the values the parameter window has loaded; it is asked each time, on the GUI thread.
    TParameterResolver resolver() const
    {
        return [&registry = registry_](const QString& name, int cupId) -> std::optional<double> {
            auto* parameters = registry.find<IGlobalParameterForm>();
            return parameters ? parameters->resolveParameter(name, cupId) : std::nullopt;
        };
    }

    const TWindowRegistry& registry_;
};

} // namespace

void registerScoringServices(TWindowRegistry& registry)
{
    auto trees = std::make_unique<TAggregatorTrees>(registry);
    registry.registerService<IAggregatorTreeViews>(trees.get());
    registry.registerService<IAggregatorTrees>(std::move(trees));
}

void registerScoringWindows(TWindowRegistry& registry)
{
    registry.registerWindow<TAnalyseForm>(TWindowId::AnalyseForm);
    registry.registerWindow<TDataViewForm>(TWindowId::DataViewForm);
    registry.registerWindow<TCertForm>(TWindowId::CertForm);
    registry.registerWindow<TCupCertForm>(TWindowId::CupCertForm);
    registry.registerWindow<TCupsForm>(TWindowId::CupsForm);
    const auto cupItems = [&registry](TWindowId id, proto::CupItemType kind) {
        registry.registerWindow(
            id, [kind](TWindowContext& context) { return std::make_unique<TCupItemsForm>(context, kind); });
    };
    cupItems(TWindowId::CupAgeClassForm, proto::CupItemType::AgeClass);
    cupItems(TWindowId::CupTeamForm, proto::CupItemType::Team);
    cupItems(TWindowId::CupAthleteForm, proto::CupItemType::Athlete);
    registry.registerWindow<TCupResultModelForm>(TWindowId::CupResultModelForm);
    registry.registerWindow<TCustomCupColForm>(TWindowId::CustomCupColForm);
    registry.registerWindow<TCustomColImportForm>(TWindowId::CustomColImportForm);
    registry.registerWindow<TCertDocSetupForm>(TWindowId::CertDocSetupForm);
    registry.registerWindow<TBillingDocSetupForm>(TWindowId::BillingDocSetupForm);
    registry.registerWindow<TTeamScheduleDocSetupForm>(TWindowId::TeamScheduleDocSetupForm);
}

} // namespace tvp
