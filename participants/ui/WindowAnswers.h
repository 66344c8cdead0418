#pragma once
// What the participant windows do alike with a failed request.

#include "core/connection/RequestRoad.h"
#include "core/ui/WindowContext.h"

namespace tvp {

// After the last item of a chain the user declined: every visible window shows the server's state.
void refreshAllWindows(const TWindowContext& context);

// A failure in the message window: a request that brought no response (it never reached the
// server) under "Kommunikationsfehler", any other under the request's name.
template <class Road>
void reportFailure(const Road& road, const TWindowContext& context, const TRequestOutcome& outcome, bool answered,
                   QObject* window)
{
    if (answered)
        road.report(outcome);
    else
        context.messages().AddException(outcome.errorId, outcome.parameters, outcome.error,
                                        QStringLiteral("Kommunikationsfehler"), window);
}

} // namespace tvp
