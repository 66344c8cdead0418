// The tally-sheet window beside the result entry window, on a points discipline of 600 athletes in
// ten heats with two attempts and stored counts: a scanned sheet until the tally window shows its
// counts (within 80 ms), and a changed count saved until the tally window shows it confirmed
// (within 25 ms).

#include "bench/BenchWindows.h"
#include "bench/QtBenchMain.h"
#include "core/barcode/BarcodeDispatcher.h"
#include "core/barcode/BarcodeUtils.h"
#include "core/util/AppPaths.h"
#include "core/util/ProgramLanguage.h"
#include "results/ui/ResultsDialogs.h"
#include "results/ui/TallySheetDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;
using bench::elapsedMs;

namespace {

constexpr int kHeats = 10;
constexpr int kPerHeat = 60;
constexpr int kAttempts = 2;

struct Competition : bench::TBenchStandin {
    Competition()
    {
        test::StandinSeed seed = beginSeed();
        const int u10 = seed.ageClass(id, QStringLiteral("U10"));
        proto::ResultTableType table;
        table.ResultsPerRow = kAttempts;
        zone = seed.discipline(id, QStringLiteral("Zielwurf"), u10, table);
        seed.db()
            .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('Disciplin_ResultType', ?, 'Distance'), "
                   "('Disciplin_ResultFormat', ?, 'Points')",
                   zone, zone)
            .run();
        bench::seedTeamPerHeat(
            seed, id, u10, zone, kHeats, kPerHeat, [](int, int) {},
            [&](int h, int p, int athlete) {
                for (int a = 1; a <= kAttempts; ++a) {
                    const int result = seed.db().nextId("result");
                    seed.db()
                        .query("INSERT INTO results (id, discipline_id, attempt, athlete_id, kind, distance_in_meter) "
                               "VALUES (?, ?, ?, ?, 'Distance', 16)",
                               result, zone, a, athlete)
                        .run();
                    seed.db()
                        .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('Result_TallyList', ?, "
                               "';;2;;;;;;;1;;;;;;')",
                               result)
                        .run();
                }
                if (h == 5 && p == 30)
                    scanned = athlete;
            });
        seed.commit();
        zoneBarcode = seed.value("SELECT barcode FROM disciplines WHERE id = ?", zone);
        athleteBarcode = seed.value("SELECT barcode FROM athletes WHERE id = ?", scanned);
    }

    int zone = 0;
    int scanned = 0;
    int zoneBarcode = 0;
    int athleteBarcode = 0;
};

Competition& competition()
{
    static Competition c;
    return c;
}

struct Windows : bench::TBenchWindows {
    // withResults: the result entry window beside it, which a scanned sheet moves and a save
    // reloads (its own load is measured in bench_result_entry).
    explicit Windows(bool withResults = true) : TBenchWindows(competition())
    {
        applyProgramLocale();
        // Created in the program's order: the tally window first.
        sheet = std::make_unique<TTallySheetForm>(context);
        windows.place(TWindowId::TallySheetForm, sheet.get());
        if (withResults) {
            results = std::make_unique<TResultDialog>(context);
            windows.place(TWindowId::ResultDialog, results.get());
        }
        grid = sheet->findChild<QTableView*>(QStringLiteral("StringGrid1"));
    }
    void settle()
    {
        bench::settle(
            [this] { return sheet->pendingRequests() == 0 && (!results || results->pendingRequests() == 0); });
    }
    // Until the tally window shows the scanned participant's counts.
    bool scan(const QString& code)
    {
        if (barcodeDispatcher().processBarcode(code) != TBarcodeDispatcher::Outcome::Taken)
            return false;
        while (!(sheet->isVisible() && grid->isVisible() && sheet->pendingRequests() == 0)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QThread::usleep(20);
        }
        grid->viewport()->repaint();
        return sheet->grid().tallyList() == QStringLiteral(";;2;;;;;;;1;;;;;;");
    }

    std::unique_ptr<TTallySheetForm> sheet;
    std::unique_ptr<TResultDialog> results;
    QTableView* grid = nullptr;
};

void BM_ScannedSheetToFilledWindow(benchmark::State& state)
{
    Windows w;
    const Competition& c = competition();
    int n = 0;
    for (auto _ : state) {
        const QString code = tallySheetBarcode({c.zoneBarcode, c.athleteBarcode, 1 + n++ % kAttempts, 3});
        w.settle();
        w.sheet->hide();
        QElapsedTimer timer;
        timer.start();
        const bool filled = w.scan(code);
        state.SetIterationTime(elapsedMs(timer) / 1000.0);
        if (!filled)
            state.SkipWithError("the scanned counts are not shown");
    }
}
BENCHMARK(BM_ScannedSheetToFilledWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

void BM_SaveToConfirmed(benchmark::State& state)
{
    Windows w(false);
    const Competition& c = competition();
    if (!w.scan(tallySheetBarcode({c.zoneBarcode, c.athleteBarcode, 1, 3})))
        state.SkipWithError("the scanned counts are not shown");
    w.settle();
    w.sheet->activateWindow();
    QApplication::setActiveWindow(w.sheet.get());
    auto* save = w.sheet->findChild<QPushButton*>(QStringLiteral("Button1"));
    int n = 0;
    for (auto _ : state) {
        w.grid->setCurrentIndex(w.sheet->grid().index(0, 1));
        QTest::keyClick(w.grid, Qt::Key_F2);
        QWidget* editor = nullptr;
        for (QLineEdit* e : w.grid->findChildren<QLineEdit*>())
            if (e->isVisible())
                editor = e;
        if (!editor) {
            state.SkipWithError("no editor");
            break;
        }
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QString::number(1 + n++ % 9));
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(save, Qt::LeftButton);
        while (w.sheet->pendingRequests() > 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QThread::usleep(20);
        }
        state.SetIterationTime(elapsedMs(timer) / 1000.0);
        if (w.sheet->hasOverallDirtyData())
            state.SkipWithError("the save was not confirmed");
        w.settle();
    }
}
BENCHMARK(BM_SaveToConfirmed)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

} // namespace

TVP_QT_WIDGETS_BENCHMARK_MAIN()
