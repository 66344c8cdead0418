// The stand-in's result operations with 60,000 results stored: one store of the entry grid (on
// loopback and the server's own share), the result table of a discipline of 600 participants
// with 3 attempts, and the plausibility checks over 20 disciplines.

#include "bench/BenchStandin.h"
#include "core/protocol/SoapCodec.h"
#include "core/protocol/TVPWebServices2.h"
#include "standin/Dispatcher.h"
#include "standin/Transactions.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;

namespace {

constexpr int kAthletes = 600;
constexpr int kDisciplines = 20;
constexpr int kAttempts = 3;
constexpr int kHeatSize = 60;
// A second competition holds the rest of the 60,000 results.
constexpr int kOtherAthletes = 830;
constexpr int kOtherDisciplines = 10;

struct Competition : bench::TBenchServer {
    Competition()
    {
        test::StandinSeed seed = beginSeed();
        id = fill(seed, QStringLiteral("Kreisfinale"), kAthletes, kDisciplines, athletes, disciplines);
        std::vector<int> otherAthletes, otherDisciplines;
        fill(seed, QStringLiteral("Bezirksfinale"), kOtherAthletes, kOtherDisciplines, otherAthletes, otherDisciplines);
        node = seed.aggregator(id, disciplines);
        seed.commit();
        stored = seed.count("SELECT COUNT(*) FROM results WHERE ? = 0", 0);
        drs = serviceUrl(QStringLiteral("DataRetrievalService"));
        das = serviceUrl(QStringLiteral("DataAquisitionService"));
    }

    // Athletes in teams of 8 and squads of 4 teams, each placed in every discipline in heats of
    // 60, with a result in every attempt: distances, every fifth discipline ranks, every third
    // attempt by bib. A few are left out so that the checks find something.
    static int fill(test::StandinSeed& seed, const QString& name, int athleteCount, int disciplineCount,
                    std::vector<int>& athletes, std::vector<int>& disciplines)
    {
        const int comp = seed.competition(name);
        int team = 0;
        std::vector<int> squadTeams;
        for (int i = 0; i < athleteCount; ++i) {
            if (i % 8 == 0) {
                team = seed.team(comp, QStringLiteral("Team %1").arg(i / 8));
                squadTeams.push_back(team);
                if (squadTeams.size() == 4) {
                    seed.squad(comp, i / 32 + 1, QString(), 0, squadTeams);
                    squadTeams.clear();
                }
            }
            athletes.push_back(
                seed.athlete(comp, QStringLiteral("Vor%1").arg(i), QStringLiteral("Nach%1").arg(i), team, 0, {i + 1}));
        }
        proto::ResultTableType table;
        table.ResultsPerRow = kAttempts;
        for (int d = 0; d < disciplineCount; ++d) {
            const int disc = seed.discipline(comp, QStringLiteral("Disziplin %1").arg(d), 0, table);
            disciplines.push_back(disc);
            const bool ranks = d % 5 == 0;
            for (int i = 0; i < athleteCount; ++i) {
                seed.placeAthlete(disc, athletes[std::size_t(i)], i / kHeatSize + 1);
                for (int attempt = 1; attempt <= kAttempts; ++attempt) {
                    if ((i + d + attempt) % 97 == 0)
                        continue;
                    const bool byBib = attempt == 3;
                    seed.db()
                        .query("INSERT INTO results (id, discipline_id, attempt, athlete_id, bib, kind, "
                               "distance_in_meter, rank) VALUES (?, ?, ?, ?, NULLIF(?, 0), ?, ?, ?)",
                               seed.db().nextId("result"), disc, attempt, athletes[std::size_t(i)], byBib ? i + 1 : 0,
                               ranks ? QStringLiteral("Rank") : QStringLiteral("Distance"), 2.0 + (i % 300) / 100.0,
                               ranks ? i % kHeatSize + 1 : 0)
                        .run();
                }
            }
        }
        return comp;
    }

    int id = 0;
    int node = 0;
    int stored = 0;
    std::vector<int> athletes, disciplines;
    QString drs, das;
};

Competition& competition()
{
    static Competition c;
    return c;
}

proto::ResultType distance(double m)
{
    proto::ResultType r;
    r.DistanceInMeter = m;
    return r;
}

// Enter on a cell: a changed value of one athlete's attempt, stored in place.
void BM_SetResultOnLoopback(benchmark::State& state)
{
    Competition& c = competition();
    proto::THTTPRIO rio;
    auto das = proto::GetDataAquisitionPortType(false, c.das, &rio);
    std::size_t i = 0;
    for (auto _ : state) {
        const int athlete = c.athletes[i % c.athletes.size()];
        das->setResult(c.disciplines[1], 0, nullptr, athlete, 0, distance(3.0 + double(i % 100) / 100.0),
                       int(i % 2) + 1);
        ++i;
    }
}
BENCHMARK(BM_SetResultOnLoopback)->Unit(benchmark::kMillisecond);

// A store by bib that replaces the participant's other results of the attempt.
void BM_SetResultByBibOnLoopback(benchmark::State& state)
{
    Competition& c = competition();
    proto::THTTPRIO rio;
    auto das = proto::GetDataAquisitionPortType(false, c.das, &rio);
    std::size_t i = 0;
    for (auto _ : state) {
        das->setResult(c.disciplines[2], int(i % kAthletes) + 1, true, nullptr, 0, 0, distance(4.0), 3);
        ++i;
    }
}
BENCHMARK(BM_SetResultByBibOnLoopback)->Unit(benchmark::kMillisecond);

// The stand-in's own share of a store: decode, write in its own transaction, answer.
void BM_SetResultServerTime(benchmark::State& state)
{
    Competition& c = competition();
    standin::ConnectionPool pool(c.dataFile());
    standin::Transactions transactions(pool, c.options());
    const standin::Dispatcher dispatcher(c.options(), pool, transactions);
    using Op = proto::op::setResult;
    std::vector<std::string> requests;
    for (int i = 0; i < kAthletes; ++i) {
        pugi::xml_document request;
        pugi::xml_node element = proto::codec::makeEnvelope(request, proto::serviceNamespace(Op::service), Op::name);
        Op args;
        args.DisciplinID = c.disciplines[3];
        args.AthleteId = c.athletes[std::size_t(i)];
        args.DiscResult = distance(2.5 + i % 7);
        args.Attempt = 1 + i % kAttempts;
        proto::codec::encodeFields(element, args, {});
        requests.push_back(proto::codec::serialize(request));
    }
    std::size_t i = 0;
    for (auto _ : state) {
        const standin::SoapAnswer answer = dispatcher.handle(Op::service, requests[i++ % requests.size()]);
        if (answer.status != 200) {
            state.SkipWithError(answer.body.c_str());
            break;
        }
    }
}
BENCHMARK(BM_SetResultServerTime)->Unit(benchmark::kMillisecond);

void BM_GetResultTable600x3OnLoopback(benchmark::State& state)
{
    Competition& c = competition();
    proto::THTTPRIO rio;
    rio.omitEmptyNodes = true;
    auto drs = proto::GetDataRetrievalPortType(false, c.drs, &rio);
    std::size_t count = 0;
    for (auto _ : state)
        count = drs->getResultTable(c.disciplines[4]).Results.size();
    if (count < kAthletes * kAttempts - 30)
        state.SkipWithError("results missing from the table");
    state.counters["results"] = double(count);
    state.counters["stored"] = double(c.stored);
}
BENCHMARK(BM_GetResultTable600x3OnLoopback)->Unit(benchmark::kMillisecond);

// The plausibility window's three checks, over a node on the 20 disciplines.
void BM_PlausibilityChecksOver20DisciplinesOnLoopback(benchmark::State& state)
{
    Competition& c = competition();
    proto::THTTPRIO rio;
    rio.omitEmptyNodes = true;
    auto drs = proto::GetDataRetrievalPortType(false, c.drs, &rio);
    std::size_t findings = 0;
    for (auto _ : state) {
        findings = drs->getAthletesWithoutValidSingleResults({c.node}).size() +
                   drs->getMissingResults({c.node}, 0).size() + drs->checkResultRankingPlausibility({c.node}, 0).size();
    }
    state.counters["findings"] = double(findings);
}
BENCHMARK(BM_PlausibilityChecksOver20DisciplinesOnLoopback)->Unit(benchmark::kMillisecond);

void BM_BibConflictsOver20DisciplinesOnLoopback(benchmark::State& state)
{
    Competition& c = competition();
    proto::THTTPRIO rio;
    rio.omitEmptyNodes = true;
    auto drs = proto::GetDataRetrievalPortType(false, c.drs, &rio);
    for (auto _ : state)
        benchmark::DoNotOptimize(drs->checkAmbiguousBibResults({c.node}));
}
BENCHMARK(BM_BibConflictsOver20DisciplinesOnLoopback)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
