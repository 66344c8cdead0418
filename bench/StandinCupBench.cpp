// A cup of 20 competitions of 300 athletes each (1,500 cup athletes, each in four competitions, one
// custom column) over loopback: the athlete window's list within 150 ms, a 21st competition of 300
// athletes assigned within 150 ms, and a cup "Summe" over the 20 competitions' disciplines within
// 100 ms.

#include "bench/StandinCupFixture.h"

#include <benchmark/benchmark.h>

using namespace tvp;
using namespace tvp::bench;

namespace {

void BM_GetCupAthletesOnLoopback(benchmark::State& state)
{
    Cup& c = theCup();
    std::size_t count = 0;
    for (auto _ : state) {
        const proto::getCupAthletesResponse r = c.crs()->getCupAthletes(c.cup, 0, 0);
        count = r.CompletedCupAthletes.size() + r.PendingCupAthletes.size();
    }
    if (count != kCupAthletes)
        state.SkipWithError("not every cup athlete came back");
}
BENCHMARK(BM_GetCupAthletesOnLoopback)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Its athletes all join items of the cup; taking it out again is not measured.
void BM_AssignA21stCompetitionOnLoopback(benchmark::State& state)
{
    Cup& c = theCup();
    for (auto _ : state) {
        c.css()->assignCompetitions(c.cup, c.extra);
        state.PauseTiming();
        c.css()->removeCompetitions(c.cup, c.extra, true);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AssignA21stCompetitionOnLoopback)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_CupSumOverTwentySourcesOnLoopback(benchmark::State& state)
{
    Cup& c = theCup();
    std::size_t rows = 0;
    for (auto _ : state)
        rows = c.drs()->getResultTable(c.node).Results.size();
    if (rows != kCupAthletes)
        state.SkipWithError("not every cup athlete has a row");
}
BENCHMARK(BM_CupSumOverTwentySourcesOnLoopback)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
