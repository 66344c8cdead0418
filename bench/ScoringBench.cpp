// The stand-in's computed node tables over loopback: 5,000 athletes in 600 teams, 12 disciplines of
// 3 attempts, 60 scoring nodes. getResultTable of a "Team: Beste N" node over the "Punkte nach
// Tabelle" nodes of 6 disciplines must come back within 150 ms.

#include "bench/BenchStandin.h"
#include "core/protocol/TVPWebServices2.h"
#include "standin/Database.h"
#include "standin/NodeTables.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;

namespace {

constexpr int kAthletes = 5000;
constexpr int kTeams = 600;
constexpr int kDisciplines = 12;

struct Competition : bench::TBenchStandin {
    Competition()
    {
        std::vector<int> disciplines;
        {
            test::StandinSeed seed = beginSeed();
            std::vector<int> teams;
            for (int t = 0; t < kTeams; ++t)
                teams.push_back(seed.team(id, QStringLiteral("Team %1").arg(t)));
            std::vector<int> athletes;
            for (int i = 0; i < kAthletes; ++i)
                athletes.push_back(seed.athlete(id, QStringLiteral("V%1").arg(i), QStringLiteral("N%1").arg(i),
                                                teams[std::size_t(i % kTeams)], 0, {i + 1}));
            proto::ResultTableType table;
            table.ResultsPerRow = 3;
            for (int d = 0; d < kDisciplines; ++d) {
                const bool times = d % 2 == 1;
                table.LowerValuesAreHigherRanked = times;
                disciplines.push_back(seed.discipline(id, QStringLiteral("Disziplin %1").arg(d), 0, table));
                for (int i = 0; i < kAthletes; ++i)
                    for (int attempt = 1; attempt <= 3; ++attempt) {
                        const double v = 2.0 + ((i * 7 + attempt * 13 + d * 3) % 300) / 100.0;
                        seed.measured(disciplines.back(), athletes[std::size_t(i)], attempt,
                                      times ? proto::ResultValueType::Time : proto::ResultValueType::Distance,
                                      times ? 10 - v : v);
                    }
            }
            seed.commit();
        }
        url = serviceUrl(QStringLiteral("DataRetrievalService"));
        auto cms = proto::GetCompetitionManagementPortType(
            false, serviceUrl(QStringLiteral("CompetitionManagementService")), &rio);
        auto node = [&](int templateId, std::vector<int> sources, std::vector<QString> parameters) {
            proto::ResultAggregatorInstanceInfoType n;
            n.TemplateID = templateId;
            n.ConnectedAggregators = std::move(sources);
            n.Parameters = std::move(parameters);
            return cms->assignResultAggregator(n).CreatedResultAggregator->ID;
        };
        // Per discipline: best attempt, points, a sum over the best attempt and a rank over the points.
        std::vector<int> points;
        for (int d : disciplines) {
            const int best = node(1, {d}, {QStringLiteral("1")});
            points.push_back(node(4, {d}, {QStringLiteral("100"), QStringLiteral("1"), QStringLiteral("1.1")}));
            node(2, {best}, {QStringLiteral("0")});
            node(3, {points.back()}, {QStringLiteral("0")});
        }
        teamNode = node(5, {points.begin(), points.begin() + 6}, {QStringLiteral("5")});
        node(5, {points.begin() + 6, points.end()}, {QStringLiteral("5")});
        for (int i = 0; i < 10; ++i)
            node(2, {points[std::size_t(i)], points[std::size_t(i + 1)]}, {QStringLiteral("0")});
    }

    proto::THTTPRIO rio;
    int teamNode = 0;
    QString url;
};

Competition& competition()
{
    static Competition c;
    return c;
}

void BM_TeamBestNOverPointsOfSixDisciplinesOnLoopback(benchmark::State& state)
{
    Competition& c = competition();
    proto::THTTPRIO rio;
    rio.omitEmptyNodes = true;
    std::size_t rows = 0;
    for (auto _ : state) {
        auto drs = proto::GetDataRetrievalPortType(false, c.url, &rio);
        rows = drs->getResultTable(c.teamNode).Results.size();
    }
    if (rows != std::size_t(kTeams))
        state.SkipWithError("not every team came back");
}
BENCHMARK(BM_TeamBestNOverPointsOfSixDisciplinesOnLoopback)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The stand-in's reading and computing alone.
void BM_TeamBestNComputedInTheStandin(benchmark::State& state)
{
    Competition& c = competition();
    standin::Db db(c.dataFile());
    for (auto _ : state) {
        standin::NodeTables tables(db);
        benchmark::DoNotOptimize(tables.table(c.teamNode));
    }
}
BENCHMARK(BM_TeamBestNComputedInTheStandin)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
