#include "scoring/ui/ResultWarnings.h"

#include "core/services/ParticipantServices.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"

#include <algorithm>

namespace tvp {

namespace {

// Whether a finding is missing from those seen; adds the new ones.
template <class Finding>
bool learn(std::vector<Finding>& seen, const std::vector<Finding>& findings)
{
    bool fresh = false;
    for (const Finding& f : findings)
        if (std::find(seen.begin(), seen.end(), f) == seen.end()) {
            seen.push_back(f);
            fresh = true;
        }
    return fresh;
}

} // namespace

void showResultWarnings(TWindowContext& context, TShownResultWarnings& shown,
                        const std::vector<proto::AmbiguousResultType>& conflicts,
                        const std::vector<proto::InvalidParticipantType>& participants,
                        const std::vector<int>& resProvIds)
{
    // The whole list, once one of them is new.
    if (learn(shown.conflicts, conflicts))
        if (auto* bibs = context.windows().get<IBibAmbiguousWarningForm>(TWindowId::BibAmbiguousWarningForm))
            bibs->showWarning(conflicts);
    if (learn(shown.participants, participants))
        if (auto* warnings = context.windows().get<ITeamMemberWarningForm>(TWindowId::TeamMemberWarningForm))
            warnings->showParticipantWarning(participants, resProvIds, 0);
}

} // namespace tvp
