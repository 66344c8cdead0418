#include "results/ui/ResultWindows.h"

#include "core/ui/WindowRegistry.h"
#include "results/ui/AquireBibOrderDialog.h"
#include "results/ui/ChooseBibDialog.h"
#include "results/ui/BibAmbiguousWarningDialog.h"
#include "results/ui/ResultCheckDialog.h"
#include "results/ui/ResultsDialogs.h"
#include "results/ui/TallySheetDialog.h"
#include "results/ui/TimingImportDialog.h"
#include "results/ui/TimingSettingsDialog.h"

namespace tvp {

void registerResultWindows(TWindowRegistry& registry)
{
    registry.registerWindow<TBibAmbiguousWarningForm>(TWindowId::BibAmbiguousWarningForm);
    registry.registerWindow<TResultCheckForm>(TWindowId::ResultCheckForm);
    registry.registerWindow<TResultDialog>(TWindowId::ResultDialog);
    registry.registerWindow<TAquireBibOrderForm>(TWindowId::AquireBibOrderForm);
    registry.registerWindow<TChooseBibForm>(TWindowId::ChooseBibForm);
    registry.registerWindow<TTallySheetForm>(TWindowId::TallySheetForm);
    registry.registerWindow<TTimingImportForm>(TWindowId::TimingImportForm);
    registry.registerWindow<TTimingSettingsForm>(TWindowId::TimingSettingsForm);
}

} // namespace tvp
