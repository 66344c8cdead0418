#pragma once
// Runs one request on its own road, as a window would, and waits for the answer.

#include "core/connection/RequestRoad.h"
#include "tests/support/TestUtil.h"

#include <QObject>

#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace tvp::test {

// The response (null when the request never reached its worker) and the outcome.
template <class Request, class Response>
std::pair<std::unique_ptr<Response>, TRequestOutcome>
runOnRoad(TRequestContext& context, const TRequestTable<Request, Response>& table, std::unique_ptr<Request> request,
          TTransactionMode mode, int timeoutMs = 20000)
{
    QObject window;
    bool done = false;
    std::unique_ptr<Response> response;
    TRequestOutcome outcome;
    TRequestRoad<Request, Response> road(context, table, &window,
                                         [&](std::unique_ptr<Response> r, const TRequestOutcome& o) {
                                             response = std::move(r);
                                             outcome = o;
                                             done = true;
                                         });
    road.AddRequest(std::move(request), mode);
    EXPECT_TRUE(waitUntil([&] { return done; }, timeoutMs));
    return {std::move(response), outcome};
}

} // namespace tvp::test
