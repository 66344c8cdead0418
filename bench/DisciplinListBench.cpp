// The competition-list window on a discipline of 60 heats of 8 athletes (480 participants): the
// tree filled from the list answer (within 50 ms), and a drag of one participant into another heat,
// from the request through the stand-in to the redrawn tree (within 100 ms).

#include "bench/BenchWindows.h"
#include "bench/QtBenchMain.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/ui/ListViewHelpers.h"
#include "core/util/AppPaths.h"
#include "organisation/HeatTreeModel.h"
#include "organisation/ui/DisciplinListDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;
using bench::elapsedMs;

namespace {

constexpr int kHeats = 60;
constexpr int kPerHeat = 8;

// A stand-in with one competition: a team of eight per heat of the sprint, every athlete with a
// bib, the teams in squads of four.
struct Competition : bench::TBenchStandin {
    Competition()
    {
        test::StandinSeed seed = beginSeed();
        const int u10 = seed.ageClass(id, QStringLiteral("U10"));
        proto::ResultTableType table;
        table.ResultsPerRow = 1;
        sprint = seed.discipline(id, QStringLiteral("Sprint 50 m"), u10, table);
        seed.setHeatSize(sprint, kPerHeat);
        seed.db()
            .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('Disciplin_ResultType', ?, 'Time')", sprint)
            .run();
        std::vector<int> squadTeams;
        const auto teamMade = [&](int h, int team) {
            squadTeams.push_back(team);
            if (squadTeams.size() == 4) {
                seed.squad(id, h / 4, QString(), u10, squadTeams);
                squadTeams.clear();
            }
        };
        bench::seedTeamPerHeat(seed, id, u10, sprint, kHeats, kPerHeat, teamMade, [](int, int, int) {});
        seed.commit();
    }

    int sprint = 0;
};

Competition& competition()
{
    static Competition c;
    return c;
}

// The list answer into the tree of a shown view, with the heats expanded and the expansion state
// carried over, as the window does on every load.
void BM_HeatTreeFromAnswer(benchmark::State& state)
{
    Competition& c = competition();
    proto::THTTPRIO rio;
    const auto answer =
        proto::GetDataRetrievalPortType(
            false, QStringLiteral("http://%1/TrivantaPentrel/services/DataRetrievalService/").arg(c.address), &rio)
            ->getDisciplinParticipants(c.sprint, 0);
    THeatTreeModel tree;
    QTreeView view;
    view.setModel(&tree);
    view.resize(400, 600);
    view.show();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const QStringList collapsed = getCollapsedItems(view);
        tree.setList(QStringLiteral("Sprint 50 m"), answer);
        const QModelIndex root = tree.rootNode();
        view.expand(root);
        for (int h = 0; h < tree.rowCount(root); ++h)
            view.expand(tree.index(h, 0, root));
        restoreCollapsedItems(view, collapsed);
        view.viewport()->repaint();
        state.SetIterationTime(elapsedMs(timer) / 1000.0);
    }
    state.counters["nodes"] = double(tree.nodeCount());
}
BENCHMARK(BM_HeatTreeFromAnswer)->UseManualTime()->Unit(benchmark::kMillisecond);

struct Window : bench::TBenchWindows {
    Window() : TBenchWindows(competition())
    {
        form = std::make_unique<TDisciplinListForm>(context);
        view = form->findChild<QTreeView*>(QStringLiteral("TreeView1"));
        form->showAndLoadDisciplin(competition().sprint);
        settle();
    }
    void settle()
    {
        bench::settle([this] { return form->pendingRequests() == 0; }, 50);
    }

    std::unique_ptr<TDisciplinListForm> form;
    QTreeView* view = nullptr;
};

// One participant dragged within the tree into the next heat and back: the request, the reload of
// the list and the redrawn tree.
void BM_DragToAnotherHeat(benchmark::State& state)
{
    Window w;
    const THeatTreeModel& tree = w.form->heatTree();
    for (auto _ : state) {
        // Back and forth between the first two heats (the data outlive a run of the benchmark).
        const int from = tree.rowCount(tree.heatNode(1)) >= tree.rowCount(tree.heatNode(2)) ? 1 : 2;
        const int to = 3 - from;
        const int before = tree.rowCount(tree.heatNode(to));
        const QModelIndex node = tree.index(0, 0, tree.heatNode(from));
        w.view->selectionModel()->select(node, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QElapsedTimer timer;
        timer.start();
        w.form->TreeView1DragDrop(w.view, tree.heatNode(to));
        w.settle();
        w.view->viewport()->repaint();
        state.SetIterationTime(elapsedMs(timer) / 1000.0);
        if (tree.rowCount(tree.heatNode(to)) != before + 1)
            state.SkipWithError("the participant did not arrive");
    }
    state.counters["nodes"] = double(tree.nodeCount());
}
BENCHMARK(BM_DragToAnotherHeat)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

TVP_QT_WIDGETS_BENCHMARK_MAIN()
