#pragma once
// What the core uses of the participant windows. Those windows implement these interfaces; the core
// finds them through the window registry and skips the call while none is there.

#include "core/protocol/ParticipantRecords.h"

#include <vector>

class QEvent;
class QObject;

namespace tvp {

// The team-rule warning window; the data view and analysis windows reach it through the main window.
class ITeamMemberWarningForm {
public:
    virtual ~ITeamMemberWarningForm() = default;
    virtual void showParticipantWarning(const std::vector<proto::InvalidParticipantType>& warnings,
                                        const std::vector<int>& resProvIds, int compId) = 0;
};

// The barcode settings window sees every application event first (raw scanner input).
class IAppMessageHandler {
public:
    virtual ~IAppMessageHandler() = default;
    // True when the event was a scanner's and is handled.
    virtual bool AppMsgHandler(QObject* target, QEvent* event) = 0;
};

} // namespace tvp
