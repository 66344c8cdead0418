#pragma once
// What the server found wrong with the results a window just loaded, shown in the windows of the
// result capture and the participants: the results window and the data view both show them so.

#include "core/protocol/ParticipantRecords.h"

#include <vector>

namespace tvp {

class TWindowContext;

// The bib conflicts in their list, the participants the team rules refuse in theirs; an empty
// list leaves its window as it is.
void showResultWarnings(TWindowContext& context, const std::vector<proto::AmbiguousResultType>& conflicts,
                        const std::vector<proto::InvalidParticipantType>& participants,
                        const std::vector<int>& resProvIds);

} // namespace tvp
