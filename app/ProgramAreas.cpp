#include "app/ProgramAreas.h"

#include "core/services/ResultCaptureServices.h"
#include "core/ui/WindowRegistry.h"
#include "organisation/ui/OrganisationWindows.h"
#include "participants/ui/ParticipantWindows.h"
#include "results/ResultUnitParser.h"
#include "results/TimingConnector.h"
#include "results/ui/ResultWindows.h"
#include "scoring/ui/ScoringWindows.h"
#include "setup/ui/SetupWindows.h"

namespace tvp {

void registerProgramAreas(TWindowRegistry& registry)
{
    // The windows not built yet stay placeholders.
    registerParticipantWindows(registry);
    registerOrganisationWindows(registry);
    registerScoringServices(registry);
    registerSetupWindows(registry);
    registerResultUnitPatterns();
    registerScoringWindows(registry);
    registerResultWindows(registry);
    // The timing exchange stands ready for the competition-list window from start-up to the end, in
    // the folder the timing settings window holds (none before that window exists).
    registry.registerService<ITimingExport>(std::make_unique<TimingConnector>([&registry] {
        const ITimingSettingsForm* settings = registry.find<ITimingSettingsForm>();
        return settings ? settings->getTimingExchangeDir() : QString();
    }));
}

} // namespace tvp
