// The finishing order on a stand-in with 5,000 athletes and 40 disciplines, one of them ranked by
// bib: 600 bibs over 60 heats. The stand-in's share of one row (the row's calls in their
// transaction, within 15 ms) and of getBibRanking of the 600 (within 10 ms), the window loading
// the ranking to a shown grid (within 120 ms), and Enter on a row until the row is drawn again
// from the server's answer (within 30 ms).

#include "bench/QtBenchMain.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/protocol/SoapHeader.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "results/ui/AquireBibOrderDialog.h"
#include "standin/StandinServer.h"
#include "tests/support/StandinSeed.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;

namespace {

constexpr int kAthletes = 5000;
constexpr int kDisciplines = 40;
constexpr int kRanked = 600;
constexpr int kHeats = 60;

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
        address = QStringLiteral("127.0.0.1:%1").arg(server->port());
    }

    QTemporaryDir dir;
    std::unique_ptr<standin::StandinServer> server;
    QString address;
    int id = 0;
    int finish = 0;
    std::vector<int> disciplines;
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

// One session with its transaction header, as the request runner keeps it.
struct Session {
    Session()
    {
        rio.omitEmptyNodes = true;
        rio.OnBeforeExecute = [this](std::string_view, pugi::xml_document& request) {
            if (!sessionId.empty())
                proto::setSessionToSoap(request, sessionId, !transactionId.empty(), transactionId);
        };
        rio.OnAfterExecute = [this](std::string_view, const pugi::xml_document& answer) {
            const std::string s = proto::getSessionfromSoap(answer, transactionId);
            if (!s.empty())
                sessionId = s;
        };
        const QString base = QStringLiteral("http://%1/TrivantaPentrel/services/").arg(competition().address);
        cms = proto::GetCompetitionManagementPortType(false, base + QStringLiteral("CompetitionManagementService/"),
                                                      &rio);
        drs = proto::GetDataRetrievalPortType(false, base + QStringLiteral("DataRetrievalService/"), &rio);
        das = proto::GetDataAquisitionPortType(false, base + QStringLiteral("DataAquisitionService/"), &rio);
    }
    proto::THTTPRIO rio;
    std::string sessionId, transactionId;
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

struct Window {
    Window()
    {
        Competition& c = competition();
        InitComm();
        competitionUrlHolderInstance().setServerUrl(c.address);
        auto chosen = std::make_unique<proto::CompetitionType>();
        chosen->ID = c.id;
        current.SetCompetitionInternal(std::move(chosen));
        form = std::make_unique<TAquireBibOrderForm>(context);
        form->resize(560, 700);
    }
    void settle()
    {
        while (form->pendingRequests() > 0 || runningRequestCount() > 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QThread::usleep(20);
        }
        QCoreApplication::processEvents();
    }
    QWidget* target() const
    {
        QWidget* editor = form->grid()->editorWidget();
        return editor && editor->isVisible() ? editor : form->grid();
    }

    TCurrentCompetition current;
    TWindowRegistry windows;
    TWindowContext context{current, windows};
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
