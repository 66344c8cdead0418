// The result entry window on a discipline of 600 athletes in ten heats of 60 with three attempts
// and 1,800 results: the grid rebuilt for a heat (within 8 ms), the discipline loaded over loopback
// to a shown grid (within 150 ms), one value typed and stored until the stand-in confirmed it (p50
// within 6 ms, p99 within 25 ms), and 500 values typed back to back until all are confirmed
// (within 4 s).

#include "bench/BenchWindows.h"
#include "bench/QtBenchMain.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/util/AppPaths.h"
#include "core/util/ProgramLanguage.h"
#include "results/ui/ResultGrid.h"
#include "results/ui/ResultsDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

using namespace tvp;
using bench::elapsedMs;

namespace {

constexpr int kHeats = 10;
constexpr int kPerHeat = 60;
constexpr int kAttempts = 3;

struct Competition : bench::TBenchStandin {
    Competition()
    {
        test::StandinSeed seed = beginSeed();
        const int u10 = seed.ageClass(id, QStringLiteral("U10"));
        proto::ResultTableType table;
        table.ResultsPerRow = kAttempts;
        jump = seed.discipline(id, QStringLiteral("Weitsprung"), u10, table);
        seed.db()
            .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('Disciplin_ResultType', ?, 'Distance')", jump)
            .run();
        bench::seedTeamPerHeat(
            seed, id, u10, jump, kHeats, kPerHeat, [](int, int) {},
            [&](int, int p, int athlete) {
                for (int a = 1; a <= kAttempts; ++a)
                    seed.db()
                        .query("INSERT INTO results (discipline_id, attempt, athlete_id, kind, distance_in_meter) "
                               "VALUES (?, ?, ?, 'Distance', ?)",
                               jump, a, athlete, 2.0 + p / 100.0)
                        .run();
            });
        seed.commit();
    }

    int jump = 0;
};

Competition& competition()
{
    static Competition c;
    return c;
}

struct Window : bench::TBenchWindows {
    Window() : TBenchWindows(competition())
    {
        // Typed as a German user types: decimal comma.
        applyProgramLocale();
        form = std::make_unique<TResultDialog>(context);
        form->resize(900, 700);
        grid = form->findChild<TResultGrid*>(QStringLiteral("StringGrid1"));
    }
    void settle()
    {
        bench::settle([this] { return form->pendingRequests() == 0; });
    }
    void open()
    {
        form->showAndLoadDisciplin(competition().jump, 1, IResultDialog::kNoVersion, 0);
        settle();
        form->activateWindow();
        grid->setFocus();
        QCoreApplication::processEvents();
    }
    // A value typed into a cell, as the keys do it; Enter stores it.
    void type(int row, int attempt, const QString& text)
    {
        const TResultGridModel& m = form->grid();
        grid->setCurrentIndex(m.index(row, m.columnOfAttempt(attempt)));
        for (QChar ch : text)
            QTest::keyClick(target(), ch.toLatin1());
    }
    void enter() { QTest::keyClick(target(), Qt::Key_Return); }
    void store(int row, int attempt, const QString& text)
    {
        type(row, attempt, text);
        enter();
    }
    QWidget* target() const { return grid->editorWidget() ? static_cast<QWidget*>(grid->editorWidget()) : grid; }
    TSetResultStatus status(int row, int attempt) const
    {
        const TResultGridModel& m = form->grid();
        return TSetResultStatus(m.index(row, m.columnOfAttempt(attempt)).data(TResultGridModel::kStatusRole).toInt());
    }

    std::unique_ptr<TResultDialog> form;
    TResultGrid* grid = nullptr;
};

void BM_GridForAHeat(benchmark::State& state)
{
    Window w;
    w.open();
    auto* heats = w.form->findChild<QComboBox*>(QStringLiteral("ComboBox2"));
    int heat = 0;
    for (auto _ : state) {
        heat = (heat + 1) % 2;
        QElapsedTimer timer;
        timer.start();
        heats->setCurrentIndex(heat);
        emit heats->activated(heat);
        w.grid->viewport()->repaint();
        state.SetIterationTime(elapsedMs(timer) / 1000.0);
    }
    state.counters["rows"] = double(w.form->grid().rowCount());
}
BENCHMARK(BM_GridForAHeat)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_DisciplineToShownGrid(benchmark::State& state)
{
    Window w;
    for (auto _ : state) {
        w.form->hide();
        QElapsedTimer timer;
        timer.start();
        w.open();
        w.grid->viewport()->repaint();
        state.SetIterationTime(elapsedMs(timer) / 1000.0);
        if (!w.grid->isVisible() || w.form->grid().rowCount() != kPerHeat)
            state.SkipWithError("the grid is not shown");
    }
}
BENCHMARK(BM_DisciplineToShownGrid)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_EnterToConfirmedCell(benchmark::State& state)
{
    Window w;
    w.open();
    std::vector<double> times;
    int n = 0;
    for (auto _ : state) {
        const int row = n % kPerHeat;
        const QString value = QStringLiteral("%1,%2").arg(3 + n % 5).arg(n % 100, 2, 10, QLatin1Char('0'));
        ++n;
        w.type(row, 1, value);
        QElapsedTimer timer;
        timer.start();
        w.enter();
        while (w.status(row, 1) != TSetResultStatus::sr_uptodate) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (w.status(row, 1) == TSetResultStatus::sr_error) {
                const TResultGridModel& m = w.form->grid();
                state.SkipWithError(
                    ("refused: " + m.cellStatusText(m.index(row, m.columnOfAttempt(1))).toStdString()).c_str());
                break;
            }
        }
        const double ms = elapsedMs(timer);
        times.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
    }
    std::sort(times.begin(), times.end());
    if (!times.empty()) {
        state.counters["p50_ms"] = times[times.size() / 2];
        state.counters["p99_ms"] = times[std::min(times.size() - 1, times.size() * 99 / 100)];
    }
}
BENCHMARK(BM_EnterToConfirmedCell)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(400);

// The same store without the window: one setResult over loopback, for comparison.
void BM_SetResultOverLoopback(benchmark::State& state)
{
    Competition& c = competition();
    proto::THTTPRIO rio;
    auto das = proto::GetDataAquisitionPortType(
        false, QStringLiteral("http://%1/TrivantaPentrel/services/DataAquisitionService/").arg(c.address), &rio);
    auto drs = proto::GetDataRetrievalPortType(
        false, QStringLiteral("http://%1/TrivantaPentrel/services/DataRetrievalService/").arg(c.address), &rio);
    const auto heats = drs->getDisciplinParticipants(c.jump, 1).HeatList;
    const int athlete = heats.at(0).VersionedParticipants.at(0).Athlete->AthleteID;
    int n = 0;
    for (auto _ : state) {
        proto::ResultType r;
        r.DistanceInMeter = 3 + (n++ % 50) / 100.0;
        das->setResult(c.jump, 0, nullptr, athlete, 0, proto::Owned<proto::ResultType>(r), 2);
    }
}
BENCHMARK(BM_SetResultOverLoopback)->Unit(benchmark::kMillisecond);

void BM_500StoresBackToBack(benchmark::State& state)
{
    Window w;
    w.open();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 500; ++i)
            w.store(i % kPerHeat, 1 + (i / kPerHeat) % kAttempts, QStringLiteral("4,%1").arg(i % 90 + 10));
        w.settle();
        state.SetIterationTime(elapsedMs(timer) / 1000.0);
        if (w.form->cache()->hasUncommitedChanges())
            state.SkipWithError("not all confirmed");
    }
}
BENCHMARK(BM_500StoresBackToBack)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

TVP_QT_WIDGETS_BENCHMARK_MAIN()
