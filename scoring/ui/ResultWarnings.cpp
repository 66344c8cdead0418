#include "scoring/ui/ResultWarnings.h"

#include "core/services/ParticipantServices.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"

namespace tvp {

void showResultWarnings(TWindowContext& context, const std::vector<proto::AmbiguousResultType>& conflicts,
                        const std::vector<proto::InvalidParticipantType>& participants,
                        const std::vector<int>& resProvIds)
{
    if (!conflicts.empty())
        if (auto* bibs = context.windows().get<IBibAmbiguousWarningForm>(TWindowId::BibAmbiguousWarningForm))
            bibs->showWarning(conflicts);
    if (!participants.empty())
        if (auto* warnings = context.windows().get<ITeamMemberWarningForm>(TWindowId::TeamMemberWarningForm))
            warnings->showParticipantWarning(participants, resProvIds, 0);
}

} // namespace tvp
