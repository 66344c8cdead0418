// The cup athlete window on a cup of 20 competitions of 300 athletes (1,500 cup athletes with 6,000
// competition entries, one custom column) over loopback: a reload until both lists show, a filter
// pass and a column sort, and the memory the window takes with its lists loaded.

#include "bench/QtBenchMain.h"
#include "bench/StandinCupFixture.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "scoring/ui/CupItemsDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QSpinBox>
#include <QThread>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;
using namespace tvp::bench;

namespace {

struct Window {
    explicit Window(Cup& c)
    {
        InitComm();
        competitionUrlHolderInstance().setServerUrl(c.address);
        form = std::make_unique<TCupItemsForm>(context, proto::CupItemType::Athlete);
        form->setFilter(c.cup, TComparatorType::ct_none, 0, 0, 0);
        wait();
    }

    void wait()
    {
        while (form->pendingRequests() > 0 || form->ListView2->isHidden()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QThread::usleep(100);
        }
    }

    // Reloads and waits until both lists show again.
    void reload()
    {
        form->reloadFormData(false);
        wait();
    }

    TCurrentCompetition current;
    TWindowRegistry windows;
    TWindowContext context{current, windows};
    std::unique_ptr<TCupItemsForm> form;
};

void BM_CupAthleteWindowReload(benchmark::State& state)
{
    Window w(theCup());
    for (auto _ : state)
        w.reload();
    const int rows = w.form->ListView1->model()->rowCount() + w.form->ListView2->model()->rowCount();
    state.counters["rows"] = rows;
    if (rows != kCupAthletes)
        state.SkipWithError("not every cup athlete is shown");
}
BENCHMARK(BM_CupAthleteWindowReload)->Unit(benchmark::kMillisecond)->UseRealTime();

// ">=" with a count that alternates, so every pass shows another set of rows.
void BM_CupAthleteParticipationFilter(benchmark::State& state)
{
    Window w(theCup());
    w.form->ComboBoxCompare->setCurrentIndex(1);
    int count = 0;
    for (auto _ : state) {
        count = count == 4 ? 3 : 4;
        w.form->UpDownCount->setValue(count);
    }
}
BENCHMARK(BM_CupAthleteParticipationFilter)->Unit(benchmark::kMillisecond);

void BM_CupAthleteColumnSort(benchmark::State& state)
{
    Window w(theCup());
    int column = 0;
    for (auto _ : state) {
        // Given name and surname in turn, each click a full sort of the pending list.
        column = column == 2 ? 3 : 2;
        w.form->ListView2->compareModel()->columnClicked(column);
    }
}
BENCHMARK(BM_CupAthleteColumnSort)->Unit(benchmark::kMillisecond);

// The resident memory the window adds with both lists loaded (a single measurement).
void BM_CupAthleteWindowResidentMemory(benchmark::State& state)
{
    theCup();
    for (auto _ : state) {
        const long before = residentKb();
        Window w(theCup());
        state.counters["window_MB"] = double(residentKb() - before) / 1024.0;
    }
}
BENCHMARK(BM_CupAthleteWindowResidentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

TVP_QT_WIDGETS_BENCHMARK_MAIN()
