// One small call through the request runner, HTTP on loopback and the stand-in server.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "standin/StandinServer.h"
#include "core/protocol/TVPWebServices2.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>

#include "bench/QtBenchMain.h"

#include <algorithm>
#include <chrono>

using namespace tvp;

namespace {

struct Req : TRequest {};

void BM_RunnerRoundTripOnLoopback(benchmark::State& state)
{
    QTemporaryDir dir;
    standin::StandinOptions options;
    options.port = 0;
    options.dataFile = (dir.path() + QStringLiteral("/bench.db")).toStdString();
    standin::StandinServer server(options);
    competitionUrlHolderInstance().setServerUrl(QStringLiteral("127.0.0.1:%1").arg(server.port()));
    InitComm();

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

    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        runner.AddRequest(std::make_unique<Req>(), TTransactionMode::tm_None);
        loop.exec();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (!error.isEmpty()) {
            state.SkipWithError(error.toStdString().c_str());
            break;
        }
    }
    tvp::bench::reportMedianMs(state, std::move(ms));
}
BENCHMARK(BM_RunnerRoundTripOnLoopback)->Unit(benchmark::kMillisecond)->Iterations(500);

} // namespace

TVP_QT_BENCHMARK_MAIN()
