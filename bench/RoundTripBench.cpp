// One small call through the request runner, HTTP on loopback and the stand-in server.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/connection/RequestRoad.h"
#include "core/protocol/TVPWebServices2.h"

#include <QCoreApplication>
#include <QEventLoop>

#include "bench/BenchStandin.h"
#include "bench/QtBenchMain.h"

#include <algorithm>
#include <chrono>

using namespace tvp;

namespace {

// A stand-in on loopback for one benchmark.
struct Server : bench::TBenchServer {
    Server()
    {
        competitionUrlHolderInstance().setServerUrl(address);
        InitComm();
    }
};

// Times send() until its answer has come back through the event loop (which calls finish).
template <class Send>
void timeRoundTrips(benchmark::State& state, QEventLoop& loop, const QString& error, Send send)
{
    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        send();
        loop.exec();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (!error.isEmpty()) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
    }
    tvp::bench::reportMedianMs(state, std::move(ms));
}

struct Req : TRequest {};

void BM_RunnerRoundTripOnLoopback(benchmark::State& state)
{
    Server server;
    TCommunicationThread runner;
    runner.commandCallback = [](proto::THTTPRIO* rio, TRequest*, std::unique_ptr<TResponse>&, TSoapThread* thread) {
        if (thread)
            proto::GetDataRetrievalPortType(false,
                                            competitionUrlHolderInstance().getFullUrl(proto::TTVPWebServices::DRS), rio)
                ->getUiInfo(QStringLiteral("Label"), 1);
    };
    QEventLoop loop;
    QString error;
    runner.OnFinished = [&](std::unique_ptr<TResponse>, const QString& e, int, const QStringList&, quint32) {
        error = e;
        loop.quit();
    };
    timeRoundTrips(state, loop, error, [&] { runner.AddRequest(std::make_unique<Req>(), TTransactionMode::tm_None); });
}
BENCHMARK(BM_RunnerRoundTripOnLoopback)->Unit(benchmark::kMillisecond)->Iterations(500);

// The same call on the typed road, which adds the table lookup, the response envelope and the
// wait-text bookkeeping.
struct LabelRequest : TRequest {};
struct LabelResponse : TResponse {
    QString value;
};

void readLabel(TServicePorts& ports, const LabelRequest&, LabelResponse& response)
{
    response.value = ports.drs().getUiInfo(QStringLiteral("Label"), 1).Value;
}

void BM_RoadRoundTripOnLoopback(benchmark::State& state)
{
    Server server;
    TCurrentCompetition competition;
    TRequestContext context(competition);
    const TRequestTable<LabelRequest, LabelResponse> table{{{0, QStringLiteral("Bezeichnung laden"), &readLabel}}};
    QEventLoop loop;
    QString error;
    TRequestRoad<LabelRequest, LabelResponse> road(context, table, nullptr,
                                                   [&](std::unique_ptr<LabelResponse>, const TRequestOutcome& o) {
                                                       error = o.error;
                                                       loop.quit();
                                                   });
    timeRoundTrips(state, loop, error,
                   [&] { road.AddRequest(std::make_unique<LabelRequest>(), TTransactionMode::tm_None); });
}
BENCHMARK(BM_RoadRoundTripOnLoopback)->Unit(benchmark::kMillisecond)->Iterations(500);

} // namespace

TVP_QT_BENCHMARK_MAIN()
