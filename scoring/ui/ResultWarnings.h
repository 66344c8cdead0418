#pragma once
// What the server found wrong with the results a window just loaded, shown in the windows of the
// result capture and the participants: the results window and the data view both show them so.

#include "core/protocol/ParticipantRecords.h"

#include <vector>

namespace tvp {

class TWindowContext;

// The findings a window showed the user since it was opened: a load that finds nothing new shows
// nothing again, whichever discipline or scoring it is for. Opening the window again shows them all.
struct TShownResultWarnings {
    std::vector<proto::AmbiguousResultType> conflicts;
    std::vector<proto::InvalidParticipantType> participants;
};

// The bib conflicts in their list, the participants the team rules refuse in theirs, once one of
// them is new to the user; an empty list leaves its window as it is. They come after a load, which
// the user may not have asked for just now: the windows appear without taking the keyboard.
void showResultWarnings(TWindowContext& context, TShownResultWarnings& shown,
                        const std::vector<proto::AmbiguousResultType>& conflicts,
                        const std::vector<proto::InvalidParticipantType>& participants,
                        const std::vector<int>& resProvIds);

} // namespace tvp
