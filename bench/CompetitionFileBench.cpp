// A competition file of 5,000 athletes in 40 disciplines with their results, out of and back into
// the stand-in over loopback as the export and import windows run them: each must stay under 3 s.
// The athletes are in teams of ten over five age classes; each takes part in the eight
// disciplines of its age class with one result there (40,000 results, heat places alike).

#include "bench/BenchStandin.h"
#include "core/competition/CompetitionFiles.h"
#include "core/protocol/TVPWebServices2.h"
#include "tests/support/CompetitionSeed.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;

namespace {

struct Server : bench::TBenchServer {
    Server()
    {
        test::StandinSeed seed(dataFile());
        id = test::seedCompetition(seed, QStringLiteral("Kreisfinale"),
                                   {.athletes = 5000, .disciplines = 40, .ageClasses = 5, .teamSize = 10});
        cms = proto::GetCompetitionManagementPortType(false, serviceUrl(QStringLiteral("CompetitionManagementService")),
                                                      nullptr);
    }

    QTemporaryDir dir;
    std::unique_ptr<proto::CompetitionManagementPortType> cms;
    int id = 0;
};

Server& server()
{
    static Server s;
    return s;
}

void BM_ExportCompetition(benchmark::State& state)
{
    Server& s = server();
    const QString file = s.dir.path() + QStringLiteral("/Kreisfinale.qpc");
    for (auto _ : state) {
        const QString text = s.cms->exportCompetition(s.id, false).XmlStream;
        if (!writeExportFile(file, text).isEmpty())
            state.SkipWithError("file not written");
        state.counters["MB"] = double(text.size()) / 1e6;
    }
}
BENCHMARK(BM_ExportCompetition)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportCompetition(benchmark::State& state)
{
    Server& s = server();
    const QString text = s.cms->exportCompetition(s.id, false).XmlStream;
    int n = 0;
    for (auto _ : state)
        s.cms->importCompetition(QStringLiteral("Kopie %1").arg(++n), QDate(2027, 1, 1), text);
}
BENCHMARK(BM_ImportCompetition)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
