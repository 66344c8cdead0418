#pragma once
// The windows' context for the benchmarks of windows, opened on the stand-in's competition, and
// the wait for their requests:
//
//   struct Window : bench::TBenchWindows {
//       Window() : TBenchWindows(competition()) { form = std::make_unique<TResultDialog>(context); }
//   };

#include "bench/BenchStandin.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"

#include <QCoreApplication>
#include <QThread>

#include <memory>

namespace tvp::bench {

// The context that windows are made with, its current competition the stand-in's.
struct TBenchWindows {
    explicit TBenchWindows(const TBenchStandin& standin)
    {
        InitComm();
        competitionUrlHolderInstance().setServerUrl(standin.address);
        auto chosen = std::make_unique<proto::CompetitionType>();
        chosen->ID = standin.id;
        current.SetCompetitionInternal(std::move(chosen));
    }

    TCurrentCompetition current;
    TWindowRegistry windows;
    TWindowContext context{current, windows};
};

// Runs the event loop until no request of the program runs and idle holds.
template <class Idle>
void settle(Idle idle, int pauseUs = 20)
{
    while (runningRequestCount() > 0 || !idle()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(pauseUs);
    }
}

} // namespace tvp::bench
