#include "setup/ui/SetupWindows.h"

#include "core/services/CompetitionSetupServices.h"
#include "core/ui/WindowRegistry.h"
#include "setup/ui/CoarseCompStepsDialog.h"
#include "setup/ui/CompSetupWizardDialog.h"
#include "setup/ui/CompSetupPageMetaData.h"
#include "setup/ui/GlobalParameterDialog.h"
#include "setup/ui/LoadDiscTemplateDialog.h"
#include "setup/ui/LoadResultsTemplateDialog.h"
#include "setup/ui/SaveDiscTemplateDialog.h"
#include "setup/ui/SaveResultsTemplateDialog.h"
#include "setup/ui/UnmappedParameterWarningDialog.h"

namespace tvp {

namespace {

// The discipline window's way to the four template windows.
class TTemplateForms : public ITemplateForms {
public:
    explicit TTemplateForms(const TWindowRegistry& registry) : registry_(registry) {}

    void saveDiscTemplate(TAggregatorTree& tree) override
    {
        if (auto* w = registry_.getOrPlaceholder<TSaveDiscTemplateForm>(TWindowId::SaveDiscTemplateForm))
            w->ShowTemplateSaveDialog(tree);
    }
    void saveResultsTemplate(const std::vector<int>& startNodes, const std::vector<int>& markedNodes,
                             std::unique_ptr<TAggregatorTree> tree) override
    {
        if (auto* w = registry_.getOrPlaceholder<TSaveResultsTemplateForm>(TWindowId::SaveResultsTemplateForm))
            w->ShowTemplateSaveDialog(startNodes, markedNodes, std::move(tree));
    }
    bool loadDiscTemplate(ITemplateDiscWindow& window) override
    {
        auto* w = registry_.getOrPlaceholder<TLoadDiscTemplateForm>(TWindowId::LoadDiscTemplateForm);
        return w && w->ShowTemplateLoadDialog(window);
    }
    bool loadResultsTemplate(ITemplateDiscWindow& window) override
    {
        auto* w = registry_.getOrPlaceholder<TLoadResultsTemplateForm>(TWindowId::LoadResultsTemplateForm);
        return w && w->ShowTemplateLoadDialog(window);
    }

private:
    const TWindowRegistry& registry_;
};

} // namespace

void registerSetupWindows(TWindowRegistry& registry)
{
    registry.registerWindow<TGlobalParameterForm>(TWindowId::GlobalParameterForm);
    registry.registerWindow<TSaveDiscTemplateForm>(TWindowId::SaveDiscTemplateForm);
    registry.registerWindow<TLoadDiscTemplateForm>(TWindowId::LoadDiscTemplateForm);
    registry.registerWindow<TSaveResultsTemplateForm>(TWindowId::SaveResultsTemplateForm);
    registry.registerWindow<TLoadResultsTemplateForm>(TWindowId::LoadResultsTemplateForm);
    registry.registerWindow<TUnmappedParameterWarningForm>(TWindowId::UnmappedParameterWarningForm);
    registry.registerService<ITemplateForms>(std::make_unique<TTemplateForms>(registry));
    registry.registerService<IMetaDataFields>(std::make_unique<TSetupMetaDataFields>());
    registry.registerWindow<TCompSetupWizardForm>(TWindowId::CompSetupWizardForm);
    registry.registerWindow<TCoarseCompStepsForm>(TWindowId::CoarseCompStepsForm);
}

} // namespace tvp
