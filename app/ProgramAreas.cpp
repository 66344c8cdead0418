#include "app/ProgramAreas.h"

#include "core/services/ResultCaptureServices.h"
#include "core/ui/WindowRegistry.h"
#include "organisation/ui/OrganisationWindows.h"
#include "participants/ui/ParticipantWindows.h"
#include "results/ResultUnitParser.h"
#include "results/TimingConnector.h"
#include "scoring/ui/ScoringWindows.h"
#include "setup/ui/SetupWindows.h"

namespace tvp {

void registerProgramAreas(TWindowRegistry& registry)
{
    // The windows not built yet stay placeholders.
    registerParticipantWindows(registry);
    registerOrganisationWindows(registry);
    registerScoringServices(registry);
    registerScoringWindows(registry);
    registerSetupWindows(registry);
    registerResultUnitPatterns();
    // The timing exchange stands ready for the competition-list window from start-up to the end.
    registry.registerService<ITimingExport>(std::make_unique<TimingConnector>());
}

} // namespace tvp
