// The competition-list window on a discipline of 60 heats of 8 athletes (480 participants): the
// tree filled from the list answer (within 50 ms), and a drag of one participant into another heat,
// from the request through the stand-in to the redrawn tree (within 100 ms).

#include "bench/QtBenchMain.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/ui/ListViewHelpers.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "organisation/HeatTreeModel.h"
#include "organisation/ui/DisciplinListDialog.h"
#include "standin/StandinServer.h"
#include "tests/support/StandinSeed.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;

namespace {

constexpr int kHeats = 60;
constexpr int kPerHeat = 8;

// A stand-in with one competition: a team of eight per heat of the sprint, every athlete with a
// bib, the teams in squads of four.
struct Competition {
    Competition()
    {
        standin::StandinOptions options;
        options.port = 0;
        options.dataFile = (dir.path() + QStringLiteral("/bench.db")).toStdString();
        server = std::make_unique<standin::StandinServer>(options);
        test::StandinSeed seed(options.dataFile);
        seed.begin();
        id = seed.competition(QStringLiteral("Kreisfinale"));
        const int u10 = seed.ageClass(id, QStringLiteral("U10"));
        proto::ResultTableType table;
        table.ResultsPerRow = 1;
        sprint = seed.discipline(id, QStringLiteral("Sprint 50 m"), u10, table);
        seed.setHeatSize(sprint, kPerHeat);
        seed.db()
            .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('Disciplin_ResultType', ?, 'Time')", sprint)
            .run();
        std::vector<int> squadTeams;
        for (int h = 1; h <= kHeats; ++h) {
            const int team = seed.team(id, QStringLiteral("Team %1").arg(h), u10);
            squadTeams.push_back(team);
            if (squadTeams.size() == 4) {
                seed.squad(id, h / 4, QString(), u10, squadTeams);
                squadTeams.clear();
            }
            for (int p = 0; p < kPerHeat; ++p) {
                const int athlete = seed.athlete(id, QStringLiteral("Vorname%1").arg(p),
                                                 QStringLiteral("Nachname%1").arg(h), team, 0, {h * 100 + p});
                seed.placeAthlete(sprint, athlete, h);
            }
        }
        seed.commit();
        address = QStringLiteral("127.0.0.1:%1").arg(server->port());
    }

    QTemporaryDir dir;
    std::unique_ptr<standin::StandinServer> server;
    QString address;
    int id = 0;
    int sprint = 0;
};

Competition& competition()
{
    static Competition c;
    return c;
}

double elapsedMs(const QElapsedTimer& t)
{
    return double(t.nsecsElapsed()) / 1e6;
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

struct Window {
    Window()
    {
        Competition& c = competition();
        InitComm();
        competitionUrlHolderInstance().setServerUrl(c.address);
        auto chosen = std::make_unique<proto::CompetitionType>();
        chosen->ID = c.id;
        current.SetCompetitionInternal(std::move(chosen));
        form = std::make_unique<TDisciplinListForm>(context);
        view = form->findChild<QTreeView*>(QStringLiteral("TreeView1"));
        form->showAndLoadDisciplin(c.sprint);
        settle();
    }
    void settle()
    {
        while (form->pendingRequests() > 0 || runningRequestCount() > 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QThread::usleep(50);
        }
    }

    TCurrentCompetition current;
    TWindowRegistry windows;
    TWindowContext context{current, windows};
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
