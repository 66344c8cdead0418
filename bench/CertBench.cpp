// The compilation window: from showing it on a competition of 40 disciplines with 400 scoring
// nodes (all marked for certificates) to its filled list of available data, through the stand-in;
// and the change check of a 200-row compilation after a drop.

#include "bench/BenchWindows.h"
#include "bench/QtBenchMain.h"
#include "core/util/AppPaths.h"
#include "scoring/CertRequests.h"
#include "scoring/ui/CertSetupDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;

namespace {

struct Competition : bench::TBenchStandin {
    Competition()
    {
        AppPaths::setProgramDirForTests(dir.path());
        AppPaths::setCommonAppDataDirForTests(dir.path());
        test::StandinSeed seed = beginSeed();
        // Per discipline a chain of ten nodes, each fed by the one before.
        for (int d = 0; d < 40; ++d) {
            int source = seed.discipline(id, QStringLiteral("Disziplin %1").arg(d));
            for (int n = 0; n < 10; ++n) {
                source = seed.aggregator(id, {source});
                seed.db()
                    .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('Label', ?, ?)", source,
                           QStringLiteral("Wertung %1/%2").arg(d).arg(n))
                    .run();
                seed.db()
                    .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('ResAgg_VisCertificate', ?, 'true')",
                           source)
                    .run();
            }
        }
        seed.commit();
    }

    QTemporaryDir dir;
};

void BM_CertWindowShowToAvailableData(benchmark::State& state)
{
    static Competition c;
    bench::TBenchWindows w(c);
    std::vector<double> ms;
    int rows = 0;
    for (auto _ : state) {
        TCertForm form(w.context);
        QElapsedTimer timer;
        timer.start();
        form.show();
        while (!form.ListView1->isEnabled() || form.ListView1->model()->rowCount() == 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QThread::usleep(100);
        }
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        rows = form.ListView1->model()->rowCount();
        while (form.pendingRequests() > 0 || runningRequestCount() > 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    state.counters["rows"] = rows;
    bench::reportMedianMs(state, ms);
}
BENCHMARK(BM_CertWindowShowToAvailableData)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CertChangeCheckAfterDrop(benchmark::State& state)
{
    std::vector<TCertItem> rows;
    for (int i = 0; i < 200; ++i)
        rows.push_back({1000 + i, QStringLiteral("Wertung %1").arg(i), QStringLiteral("Disziplin"), {i}});
    TCertificate stored{1, QStringLiteral("Gesamtwertung"), {}, {}};
    for (const TCertItem& r : rows)
        stored.AggIds.push_back(r.AggId);
    TCertItemListModel list;
    list.setItems(rows);
    const std::vector<TCertItem> dropped{{5000, QStringLiteral("Neu"), QStringLiteral("Disziplin"), {}}};
    bool changed = false;
    for (auto _ : state) {
        list.dropItems(dropped, 100);
        changed = certTemplateChanged(&stored, QStringLiteral("Gesamtwertung"), list.ids());
        benchmark::DoNotOptimize(changed);
        state.PauseTiming();
        list.removeItem(100);
        state.ResumeTiming();
    }
    state.counters["changed"] = changed;
}
BENCHMARK(BM_CertChangeCheckAfterDrop)->Unit(benchmark::kMicrosecond);

} // namespace

TVP_QT_WIDGETS_BENCHMARK_MAIN()
