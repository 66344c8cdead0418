// Automatic squad formation for 500 teams in 10 age classes, with incomplete squads to fill: the
// preview as the window computes it on every change of a setting (target: under 20 ms).

#include "participants/SquadFormation.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>

namespace {

using namespace tvp;

struct Competition {
    std::vector<proto::AgeClassType> ageClasses;
    std::vector<proto::TeamType> teams;
    std::vector<proto::SquadType> squads;
};

// 10 age classes of 50 teams (2 to 8 athletes); per age class four squads of one or two teams.
const Competition& competition()
{
    static const Competition c = [] {
        Competition c;
        QRandomGenerator random(7);
        int id = 1;
        for (int a = 0; a < 10; ++a) {
            proto::AgeClassType& ac = c.ageClasses.emplace_back();
            ac.AgeClassID = id++;
            ac.Name = QStringLiteral("U%1").arg(6 + 2 * a);
            for (int s = 0; s < 4; ++s) {
                proto::SquadType& squad = c.squads.emplace_back();
                squad.SquadID = id++;
                squad.OrderIndex = int(c.squads.size());
                squad.AgeClass = ac;
            }
            for (int t = 0; t < 50; ++t) {
                proto::TeamType& team = c.teams.emplace_back();
                team.TeamID = id++;
                team.Name = QStringLiteral("Team %1-%2").arg(a).arg(t);
                team.NoOfAthletes = int(random.bounded(2, 9));
                team.AgeClass = ac;
                // The first six teams of each age class sit in its four squads already.
                if (t < 6) {
                    proto::SquadType& squad = c.squads[std::size_t(a * 4 + t % 4)];
                    team.SquadID = squad.SquadID;
                    squad.AssignedTeams.push_back(team);
                }
            }
        }
        return c;
    }();
    return c;
}

void BM_FormSquadsOf500Teams(benchmark::State& state)
{
    const Competition& c = competition();
    const int target = int(state.range(0));
    const int maximum = state.range(1) == 0 ? kUnlimitedTeams : int(state.range(1));
    std::size_t rows = 0;
    for (auto _ : state) {
        std::vector<TSquadListItem> preview = RecalculateSquads(c.ageClasses, c.teams, c.squads, target, maximum, true);
        rows = preview.size();
        benchmark::DoNotOptimize(preview);
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_FormSquadsOf500Teams)->Args({3, 0})->Args({4, 5})->Args({2, 2})->Unit(benchmark::kMillisecond);

// The preview as the list shows it: the rows and every cell text.
void BM_FormAndShowThePreview(benchmark::State& state)
{
    const Competition& c = competition();
    TSquadPreviewModel model;
    for (auto _ : state) {
        model.setItems(RecalculateSquads(c.ageClasses, c.teams, c.squads, 3, kUnlimitedTeams, true));
        for (int r = 0; r < model.rowCount(); ++r)
            for (int col = 0; col < model.columnCount(); ++col)
                benchmark::DoNotOptimize(model.index(r, col).data());
    }
}
BENCHMARK(BM_FormAndShowThePreview)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
