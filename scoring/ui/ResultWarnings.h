#pragma once
// What the server found wrong with the results a window just loaded, shown in the windows of the
// result capture and the participants: the results window and the data view both show them so.

#include "core/protocol/ParticipantRecords.h"

#include <vector>

class QWidget;

namespace tvp {

class TWindowContext;

// What a window last showed: its next load with the same findings shows nothing again.
struct TShownResultWarnings {
    std::vector<proto::AmbiguousResultType> conflicts;
    std::vector<proto::InvalidParticipantType> participants;
    std::vector<int> resProvIds;
};

// The bib conflicts in their list, the participants the team rules refuse in theirs, each once
// until the findings change; an empty list leaves its window as it is. A window loaded while the
// user works in another (its reload follows a store there) shows them without taking the keyboard.
void showResultWarnings(TWindowContext& context, TShownResultWarnings& shown, const QWidget& asking,
                        const std::vector<proto::AmbiguousResultType>& conflicts,
                        const std::vector<proto::InvalidParticipantType>& participants,
                        const std::vector<int>& resProvIds);

} // namespace tvp
