// The timing exchange as the organiser meets it, on a competition of 5,000 athletes and 40
// disciplines: a poll tick without result file (within 0.1 ms), a result file of 60 runs of 8 lines
// split, listed and sorted on the GUI thread (within 25 ms), a double click on a run of 8 lanes by
// athlete until the result entry shows its heat (within 400 ms), and the import request alone,
// worker and transaction, over loopback (within 250 ms).

#include "bench/BenchWindows.h"
#include "bench/QtBenchMain.h"
#include "core/util/AppPaths.h"
#include "core/util/ProgramLanguage.h"
#include "results/TimingImportRequests.h"
#include "results/ui/ResultsDialogs.h"
#include "results/ui/TimingImportDialog.h"
#include "results/ui/TimingSettingsDialog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QThread>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;
using bench::elapsedMs;

namespace {

constexpr int kTeams = 250;
constexpr int kPerTeam = 20;
constexpr int kDisciplines = 40;
constexpr int kLanes = 8;

QByteArray padded(const QByteArray& value, int width)
{
    return value.leftJustified(width, ' ', true);
}

QByteArray runBytes(int timing, int heat, int minute, int lines)
{
    QByteArray out = "B01\tW \tSD \t50  \t" + padded("Sprint " + QByteArray::number(heat), 45) + "\t1 \t" +
                     QByteArray::number(timing).rightJustified(2, ' ') + "\tEL\t60\t" +
                     QByteArray::number(heat).rightJustified(2, ' ') + "\t    \t07062024\t" +
                     QByteArray::number(10 + minute / 60) + ":" + QByteArray::number(10 + minute % 50) + "\t8  \t" +
                     QByteArray(12, ' ') + "\t\r\n";
    for (int l = 1; l <= lines; ++l)
        out += padded(QByteArray::number(l), 3) + "\t" + padded("00:00:0" + QByteArray::number(l) + ".120", 12) + "\t" +
               padded(QByteArray::number(l), 3) + "\t" + padded(QByteArray::number(l), 5) + "\t" +
               padded("Nachname" + QByteArray::number(l), 28) + "\t" + padded("Vorname" + QByteArray::number(l), 23) +
               "\t" + padded("Team 1", 30) + "\t07062024\t\r\n";
    return out;
}

struct Competition : bench::TBenchStandin {
    Competition()
    {
        test::StandinSeed seed = beginSeed();
        const int u10 = seed.ageClass(id, QStringLiteral("U10"));
        proto::ResultTableType table;
        table.ResultsPerRow = 1;
        for (int d = 1; d <= kDisciplines; ++d) {
            const int disc = seed.discipline(id, QStringLiteral("Sprint %1").arg(d), u10, table);
            seed.db()
                .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('Disciplin_ResultType', ?, 'Time')", disc)
                .run();
            seed.db()
                .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('DiscTimingId', ?, ?)", disc,
                       QString::number(d))
                .run();
            sprint = disc; // the last one: the import looks at every discipline first
        }
        for (int t = 1; t <= kTeams; ++t) {
            const int team = seed.team(id, QStringLiteral("Team %1").arg(t), u10);
            for (int p = 1; p <= kPerTeam; ++p) {
                const int athlete = seed.athlete(id, QStringLiteral("Vorname%1").arg(p),
                                                 QStringLiteral("Nachname%1").arg(p), team, 0, {t * 100 + p});
                if (t == 1 && p <= kLanes)
                    seed.placeAthleteAt(sprint, athlete, 1, p);
            }
        }
        seed.commit();
    }

    int sprint = 0;
};

Competition& competition()
{
    static Competition c;
    return c;
}

struct Windows : bench::TBenchWindows {
    Windows() : TBenchWindows(competition())
    {
        applyProgramLocale();
        results = std::make_unique<TResultDialog>(context);
        windows.place(TWindowId::ResultDialog, results.get());
        settings = std::make_unique<TTimingSettingsForm>(context);
        windows.place(TWindowId::TimingSettingsForm, settings.get());
        import = std::make_unique<TTimingImportForm>(context);
        windows.place(TWindowId::TimingImportForm, import.get());
        settings->setExchangeDir(exchange.path());
    }
    void settle()
    {
        bench::settle([this] { return import->pendingRequests() == 0 && results->pendingRequests() == 0; });
        QCoreApplication::processEvents();
    }
    void drop(const QByteArray& bytes)
    {
        QFile file(QDir(exchange.path()).filePath(QStringLiteral("COM_ZDT.TXT")));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    QTemporaryDir exchange;
    std::unique_ptr<TResultDialog> results;
    std::unique_ptr<TTimingSettingsForm> settings;
    std::unique_ptr<TTimingImportForm> import;
};

void BM_PollTickWithoutResultFile(benchmark::State& state)
{
    Windows w;
    for (auto _ : state)
        w.settings->Timer1Timer();
}
BENCHMARK(BM_PollTickWithoutResultFile)->Unit(benchmark::kMicrosecond);

void BM_SixtyRunsSplitListedAndSorted(benchmark::State& state)
{
    Windows w;
    QByteArray file;
    for (int h = 1; h <= 60; ++h)
        file += runBytes(7, h, h, kLanes);
    w.import->show();
    for (auto _ : state) {
        state.PauseTiming();
        QDir(w.exchange.path()).removeRecursively();
        QDir().mkpath(w.exchange.path());
        w.drop(file);
        state.ResumeTiming();
        // Each run holds the lines its header names, so the first poll splits them all; the second
        // finds the file resting.
        w.settings->Timer1Timer();
        w.settings->Timer1Timer();
        w.import->UpdateItems();
        if (w.import->runs().rowCount() != 60)
            state.SkipWithError("not every run is listed");
    }
}
BENCHMARK(BM_SixtyRunsSplitListedAndSorted)->Unit(benchmark::kMillisecond);

void BM_DoubleClickToTheImportedHeat(benchmark::State& state)
{
    Windows w;
    w.drop(runBytes(kDisciplines, 1, 0, kLanes));
    w.settings->Timer1Timer();
    w.settings->Timer1Timer();
    w.import->show();
    auto* list = w.import->findChild<QTreeView*>(QStringLiteral("ListView1"));
    const QPoint at = list->visualRect(list->model()->index(0, 1)).center();
    for (auto _ : state) {
        w.results->hide();
        QElapsedTimer timer;
        timer.start();
        // A user's double click: the first click selects the row again after the list was rebuilt.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        w.settle();
        state.SetIterationTime(elapsedMs(timer) / 1000.0);
        if (!w.results->isVisible() || w.results->currentDiscipline() != competition().sprint ||
            w.results->grid().rowCount() != kLanes)
            state.SkipWithError("the heat is not shown");
    }
}
BENCHMARK(BM_DoubleClickToTheImportedHeat)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ImportRequestByAthlete(benchmark::State& state)
{
    Windows w;
    w.drop(runBytes(kDisciplines, 1, 0, kLanes));
    w.settings->Timer1Timer();
    w.settings->Timer1Timer();
    TimingConnector connector([&] { return w.exchange.path(); });
    const std::vector<TTimingImportHeat> runs = connector.getRuns(competition().id);
    bool done = false;
    TRequestRoad<TTimingImportRequest, TTimingImportResponse> road(
        w.context, timingImportRequests(), nullptr,
        [&](std::unique_ptr<TTimingImportResponse> r, const TRequestOutcome& o) {
            done = true;
            if (!o.ok() || !r || r->discipline != competition().sprint)
                state.SkipWithError("the import failed");
        });
    for (auto _ : state) {
        done = false;
        QElapsedTimer timer;
        timer.start();
        if (road.AddRequest(makeTimingImportRequest(runs.front()), TTransactionMode::tm_readwrite) == 0)
            state.SkipWithError("not queued");
        while (!done) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QThread::usleep(20);
        }
        state.SetIterationTime(elapsedMs(timer) / 1000.0);
    }
}
BENCHMARK(BM_ImportRequestByAthlete)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

TVP_QT_WIDGETS_BENCHMARK_MAIN()
