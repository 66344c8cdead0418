// The finishing order on a stand-in with 5,000 athletes and 40 disciplines, one of them ranked by
// bib: 600 bibs over 60 heats. The stand-in's share of one row (the row's calls in their
// transaction, within 15 ms) and of getBibRanking of the 600 (within 10 ms), the window loading
// the ranking to a shown grid (within 120 ms), and Enter on a row until the row is drawn again
// from the server's answer (within 30 ms).

#include "bench/BenchWindows.h"
#include "bench/QtBenchMain.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/util/AppPaths.h"
#include "results/ui/AquireBibOrderDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;
using bench::elapsedMs;

namespace {

constexpr int kAthletes = 5000;
constexpr int kDisciplines = 40;
constexpr int kRanked = 600;
constexpr int kHeats = 60;

struct Competition : bench::TBenchStandin {
    Competition()
    {
        test::StandinSeed seed = beginSeed();
        const int u10 = seed.ageClass(id, QStringLiteral("U10"));
        proto::ResultTableType table;
        table.ResultsPerRow = 1;
        for (int d = 0; d < kDisciplines; ++d)
            disciplines.push_back(seed.discipline(id, QStringLiteral("Disziplin %1").arg(d), u10, table));
        finish = disciplines.front();
        int team = 0;
        for (int i = 0; i < kAthletes; ++i) {
            if (i % 8 == 0)
                team = seed.team(id, QStringLiteral("Team %1").arg(i / 8), u10);
            const int bib = i + 1;
            const int athlete =
                seed.athlete(id, QStringLiteral("Vor%1").arg(i), QStringLiteral("Nach%1").arg(i), team, 0, {bib});
            if (i < kRanked) {
                seed.placeAthlete(finish, athlete, i % kHeats + 1);
                seed.db()
                    .query("INSERT INTO results (discipline_id, attempt, athlete_id, bib, kind, rank) "
                           "VALUES (?, 1, ?, ?, 'Rank', ?)",
                           finish, athlete, bib, bib)
                    .run();
            }
        }
        seed.commit();
    }

    int finish = 0;
    std::vector<int> disciplines;
};

Competition& competition()
{
    static Competition c;
    return c;
}

// The ports of one session.
struct Session : bench::TBenchSession {
    Session()
    {
        const QString base = QStringLiteral("http://%1/TrivantaPentrel/services/").arg(competition().address);
        cms = proto::GetCompetitionManagementPortType(false, base + QStringLiteral("CompetitionManagementService/"),
                                                      &rio);
        drs = proto::GetDataRetrievalPortType(false, base + QStringLiteral("DataRetrievalService/"), &rio);
        das = proto::GetDataAquisitionPortType(false, base + QStringLiteral("DataAquisitionService/"), &rio);
    }
    std::unique_ptr<proto::CompetitionManagementPortType> cms;
    std::unique_ptr<proto::DataRetrievalPortType> drs;
    std::unique_ptr<proto::DataAquisitionPortType> das;
};

// A row of one bib typed again: its old bib cleared, stored as the rank, its athlete fetched, the
// ranking read back, in one read-write transaction.
void BM_FinishingOrderRowOnLoopback(benchmark::State& state)
{
    Competition& c = competition();
    Session s;
    std::vector<double> times;
    int n = 0;
    for (auto _ : state) {
        const int bib = n++ % kRanked + 1;
        QElapsedTimer timer;
        timer.start();
        s.cms->beginTransaction(false);
        (void)s.das->setResult(c.finish, bib, false, nullptr, 0, 0, nullptr, 1);
        proto::ResultType rank;
        rank.Type_ = proto::ResultValueType::Rank;
        rank.Rank = bib;
        const proto::setResultResponse1 answer = s.das->setResult(c.finish, bib, false, nullptr, 0, 0, rank, 1);
        const proto::getAthleteInfoResponse1 athlete = s.drs->getAthleteInfo(answer.AthleteTeamIDret, 0, 0, 0);
        const proto::getBibRankingResponse1 ranking = s.drs->getBibRanking(c.finish, 1);
        s.cms->commitTransaction();
        s.transactionId.clear();
        times.push_back(elapsedMs(timer));
        if (!athlete.Athlete || ranking.size() != std::size_t(kRanked))
            state.SkipWithError("the row was not stored");
    }
    bench::reportMedianMs(state, times);
}
BENCHMARK(BM_FinishingOrderRowOnLoopback)->Unit(benchmark::kMillisecond);

void BM_GetBibRanking600OnLoopback(benchmark::State& state)
{
    Competition& c = competition();
    Session s;
    std::size_t count = 0;
    for (auto _ : state)
        count = s.drs->getBibRanking(c.finish, 1).size();
    if (count != std::size_t(kRanked))
        state.SkipWithError("ranks missing");
}
BENCHMARK(BM_GetBibRanking600OnLoopback)->Unit(benchmark::kMillisecond);

struct Window : bench::TBenchWindows {
    Window() : TBenchWindows(competition())
    {
        form = std::make_unique<TAquireBibOrderForm>(context);
        form->resize(560, 700);
    }
    void settle()
    {
        bench::settle([this] { return form->pendingRequests() == 0; });
        QCoreApplication::processEvents();
    }
    QWidget* target() const
    {
        QWidget* editor = form->grid()->editorWidget();
        return editor && editor->isVisible() ? editor : form->grid();
    }

    std::unique_ptr<TAquireBibOrderForm> form;
};

void BM_Ranking600Over60HeatsLoaded(benchmark::State& state)
{
    Window w;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        w.form->showDialog(competition().finish, 1);
        w.settle();
        w.form->grid()->viewport()->repaint();
        state.SetIterationTime(elapsedMs(timer) / 1000.0);
        if (w.form->rankList().count() != kRanked + 1)
            state.SkipWithError("the ranking is not shown");
    }
}
BENCHMARK(BM_Ranking600Over60HeatsLoaded)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_EnterToRedrawnRow(benchmark::State& state)
{
    Window w;
    w.form->showDialog(competition().finish, 1);
    w.settle();
    w.form->activateWindow();
    std::vector<double> times;
    int n = 0;
    for (auto _ : state) {
        const int row = n++ % kRanked;
        TBibOrderGrid* grid = w.form->grid();
        grid->setCurrentIndex(grid->model()->index(row, TRankListModel::colBibs));
        grid->setFocus();
        grid->openEditor();
        QTest::keyClick(w.target(), Qt::Key_A, Qt::ControlModifier);
        for (QChar ch : QString::number(row + 1))
            QTest::keyClick(w.target(), ch.toLatin1());
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(w.target(), Qt::Key_Return);
        w.settle();
        grid->viewport()->repaint();
        const double ms = elapsedMs(timer);
        times.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
        if (grid->model()->index(row, TRankListModel::colName).data().toString() !=
            QStringLiteral("Vor%1 Nach%1 (Team %2) ").arg(row).arg(row / 8))
            state.SkipWithError("the row is not drawn again");
    }
    bench::reportMedianMs(state, times);
}
BENCHMARK(BM_EnterToRedrawnRow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace

TVP_QT_WIDGETS_BENCHMARK_MAIN();
