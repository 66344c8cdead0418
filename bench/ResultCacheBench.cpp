// The result-unit pattern of a time shown as minutes and seconds, and the result cache filled on a
// reload: 600 participants with 1,800 results and 200 stored changes awaiting their answer, and
// 5,000 rows with the heap they take.

#include "bench/QtBenchMain.h"
#include "core/results/ResultCache.h"
#include "results/ResultUnitParser.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <vector>

namespace {

using namespace tvp;

void BM_ParseResultValue(benchmark::State& state)
{
    const QString pattern = QStringLiteral("$(/60|.0):$(%60|.0|.-2) min");
    for (auto _ : state)
        benchmark::DoNotOptimize(parseResultValue(pattern, 125));
}
BENCHMARK(BM_ParseResultValue);

struct Discipline {
    std::vector<proto::HeatParticipantsType> heats;
    std::vector<proto::AssignedResultType> results;
};

// Heats of 20, three timed attempts per athlete.
Discipline discipline(int athletes)
{
    Discipline d;
    for (int i = 0; i < athletes; ++i) {
        if (i % 20 == 0) {
            d.heats.emplace_back();
            d.heats.back().HeatNo = int(d.heats.size());
        }
        proto::VersionedParticipantsType entry;
        entry.Version = 1 + i % 4;
        proto::AthleteType a;
        a.AthleteID = 1000 + i;
        a.Bib = {i + 1};
        proto::AthleteNameType name;
        name.givenName = QStringLiteral("Vorname%1").arg(i);
        name.surName = QStringLiteral("Nachname%1").arg(i);
        a.Name = name;
        proto::TeamType team;
        team.TeamID = 50 + i / 10;
        team.Name = QStringLiteral("Team %1").arg(team.TeamID);
        a.Team = team;
        entry.Athlete = a;
        d.heats.back().VersionedParticipants.push_back(entry);
        for (int attempt = 1; attempt <= 3; ++attempt) {
            proto::AssignedResultType r;
            r.Type_ = proto::ResultValueType::Time;
            r.TimeInSeconds = 60 + (i * 7 + attempt) % 120;
            r.AthleteId = a.AthleteID;
            r.Attempt = attempt;
            r.ResultID = 2 + i * 3 + attempt;
            d.results.push_back(r);
        }
    }
    return d;
}

std::unique_ptr<TResultCache> newCache()
{
    return std::make_unique<TResultCache>(
        7, false, proto::ResultAssignmentType::byAthleteOrTeam, proto::ResultValueType::Time,
        QStringLiteral("$(/60|.0):$(%60|.0|.-2) min"), 3, [](int, int) {}, TResultformat::rf_Default, 4, std::nullopt);
}

// A reload of the same discipline: the cache is cleared and filled again, its queue kept.
void BM_ResultCacheReload(benchmark::State& state)
{
    registerResultUnitPatterns();
    const Discipline d = discipline(int(state.range(0)));
    std::unique_ptr<TResultCache> cache = newCache();
    proto::ResultType changed;
    changed.Type_ = proto::ResultValueType::Time;
    changed.TimeInSeconds = 99;
    for (int i = 0; i < state.range(1); ++i)
        cache->addChange(1000 + (i * 3) % int(state.range(0)), 1 + i % 3, &changed);
    for (auto _ : state) {
        cache->Clear(4);
        addParticipantsToResultCache(*cache, d.heats, d.results);
    }
    state.counters["rows"] = double(cache->getResultTable().rows.size());
}
BENCHMARK(BM_ResultCacheReload)->Args({600, 200})->Args({5000, 200})->Unit(benchmark::kMillisecond);

// The heap a filled cache of 5,000 rows holds (its rows, cells and texts; not the answers).
void BM_ResultCacheHeap(benchmark::State& state)
{
    registerResultUnitPatterns();
    const Discipline d = discipline(int(state.range(0)));
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        std::unique_ptr<TResultCache> cache = newCache();
        addParticipantsToResultCache(*cache, d.heats, d.results);
        state.counters["cache_MB"] = double(mallinfo2().uordblks - before) / (1024.0 * 1024.0);
    }
}
BENCHMARK(BM_ResultCacheHeap)->Arg(5000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

TVP_QT_BENCHMARK_MAIN()
