// Several desks on one stand-in that answers each request only after a delay (the argument, in ms),
// replayed as users take the steps, each value read back from the stand-in's data file:
// - three desks store: two result windows type 18 values each into heats 1 and 2, one value a
//   second, while a third desk stores 18 into heat 3 in read-write transactions of six;
// - "Rangfolge erfassen": ten bibs typed, one every 1.5 s;
// - two athlete windows save Ben Kurz half a second apart, one his first name, one his year;
// - Escape on a value on its way whose commit lands while its answer is lost.
// Counters: typed, stored (read back), refused (shown red), agree (cell and server show the same);
// the time is until every value was stored, or until the desks had nothing left to do.

#include "bench/BenchStandin.h"
#include "bench/QtBenchMain.h"
#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "core/util/ProgramLanguage.h"
#include "participants/ui/AthleteDialog.h"
#include "results/ui/AquireBibOrderDialog.h"
#include "results/ui/ResultGrid.h"
#include "results/ui/ResultsDialogs.h"
#include "tests/support/HoldingTransport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

using namespace tvp;

namespace {

constexpr int kPerHeat = 6;
constexpr int kAttempts = 3;

// Answers every question with its default, as a user pressing Enter does.
class EnterDialogs : public IDialogs {
public:
    TMsgAnswer messageBox(QWidget*, const QString&, const QString&, TMsgKind, TMsgButtons buttons,
                          TMsgAnswer defaultAnswer) override
    {
        return buttons == TMsgButtons::Ok ? TMsgAnswer::Ok : defaultAnswer;
    }
    QString getOpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString getSaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString getExistingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QString> getText(QWidget*, const QString&, const QString&, const QString& text) override
    {
        return text;
    }
    bool printDialog(QWidget*, const QString&, QPrinter&) override { return false; }
    int execModal(QWidget&) override { return 0; }
    void beep() override {}
};

// The stand-in with a long jump of three heats of six (attempts 1 to 3) and a finishing order of
// twelve bibs, answering after the delay.
struct SlowStandin {
    explicit SlowStandin(int delayMs)
    {
        options.port = 0;
        options.dataFile = (dir.path() + QStringLiteral("/desks.db")).toStdString();
        server = std::make_unique<standin::StandinServer>(options);
        address = QStringLiteral("127.0.0.1:%1").arg(server->port());
        test::StandinSeed seed(options.dataFile);
        competition = seed.competition(QStringLiteral("Kreisfinale"));
        seed.begin();
        const int u10 = seed.ageClass(competition, QStringLiteral("U10"));
        proto::ResultTableType table;
        table.ResultsPerRow = kAttempts;
        jump = seed.discipline(competition, QStringLiteral("Weitsprung"), u10, table);
        table.ResultsPerRow = 1;
        finish = seed.discipline(competition, QStringLiteral("Zieleinlauf"), u10, table);
        seed.db().query("UPDATE disciplines SET result_assignment = 'byBib' WHERE id = ?", finish).run();
        for (const auto& [discipline, kind] : {std::pair{jump, "Distance"}, std::pair{finish, "Rank"}})
            seed.db()
                .query("INSERT INTO ui_infos (key, assoc_id, value) VALUES ('Disciplin_ResultType', ?, ?)", discipline,
                       QString::fromLatin1(kind))
                .run();
        bench::seedTeamPerHeat(
            seed, competition, u10, jump, 3, kPerHeat, [](int, int) {},
            [&](int heat, int, int athlete) {
                athletes[heat - 1].push_back(athlete);
                if (heat < 3)
                    seed.placeAthlete(finish, athlete, 1);
            });
        seed.commit();
        server->setAnswerDelay(std::chrono::milliseconds(delayMs));
        InitComm();
        competitionUrlHolderInstance().setServerUrl(address);
    }
    // "kind value" as stored, empty for none.
    QString stored(int discipline, int attempt, int athlete) const
    {
        test::StandinSeed seed(options.dataFile);
        standin::Statement q = seed.db().query("SELECT distance_in_meter FROM results WHERE discipline_id = ? AND "
                                               "attempt = ? AND athlete_id = ?",
                                               discipline, attempt, athlete);
        return q.next() ? QString::number(q.doubleAt(0), 'f', 2) : QString();
    }
    int rankOf(int bib) const
    {
        test::StandinSeed seed(options.dataFile);
        standin::Statement q = seed.db().query(
            "SELECT rank FROM results WHERE discipline_id = ? AND bib = ? AND kind = 'Rank'", finish, bib);
        return q.next() ? q.intAt(0) : 0;
    }
    QString serviceUrl(const char* service) const
    {
        return QStringLiteral("http://%1/TrivantaPentrel/services/%2/").arg(address, QLatin1String(service));
    }

    QTemporaryDir dir;
    standin::StandinOptions options;
    std::unique_ptr<standin::StandinServer> server;
    QString address;
    int competition = 0, jump = 0, finish = 0;
    std::vector<int> athletes[3];
};

// One desk's windows: its own context, as another program has.
struct Desk {
    explicit Desk(int competition)
    {
        auto chosen = std::make_unique<proto::CompetitionType>();
        chosen->ID = competition;
        current.SetCompetitionInternal(std::move(chosen));
    }
    TCurrentCompetition current;
    TWindowRegistry windows;
    TWindowContext context{current, windows};
};

struct ResultDesk : Desk {
    ResultDesk(const SlowStandin& s, int heat) : Desk(s.competition)
    {
        form = std::make_unique<TResultDialog>(context);
        form->resize(900, 700);
        form->showAndLoadDisciplin(s.jump, heat, IResultDialog::kNoVersion, 0);
        grid = form->findChild<TResultGrid*>(QStringLiteral("StringGrid1"));
    }
    void store(int row, int attempt, const QString& text)
    {
        const TResultGridModel& m = form->grid();
        grid->setCurrentIndex(m.index(row, m.columnOfAttempt(attempt)));
        for (QChar ch : text)
            QTest::keyClick(target(), ch.toLatin1());
        QTest::keyClick(target(), Qt::Key_Return);
    }
    QWidget* target() const { return grid->editorWidget() ? static_cast<QWidget*>(grid->editorWidget()) : grid; }
    TSetResultStatus status(int row, int attempt) const
    {
        const TResultGridModel& m = form->grid();
        return TSetResultStatus(m.index(row, m.columnOfAttempt(attempt)).data(TResultGridModel::kStatusRole).toInt());
    }
    QString shown(int row, int attempt) const
    {
        const TResultGridModel& m = form->grid();
        return m.index(row, m.columnOfAttempt(attempt)).data().toString();
    }
    int refused() const
    {
        int n = 0;
        for (int row = 0; row < kPerHeat; ++row)
            for (int attempt = 1; attempt <= kAttempts; ++attempt)
                n += status(row, attempt) == TSetResultStatus::sr_error;
        return n;
    }
    bool idle() const { return form->pendingRequests() == 0; }

    std::unique_ptr<TResultDialog> form;
    TResultGrid* grid = nullptr;
};

// Runs the steps at their times (ms from now) and the event loop until done() holds or nothing is
// left to do after the last step; the time from the first step until then, in seconds.
double replay(std::vector<std::pair<int, std::function<void()>>> steps, const std::function<bool()>& done,
              const std::function<bool()>& idle, int limitMs = 1800000)
{
    QElapsedTimer clock;
    clock.start();
    std::size_t next = 0;
    while (clock.elapsed() < limitMs) {
        while (next < steps.size() && clock.elapsed() >= steps[next].first)
            steps[next++].second();
        if (next == steps.size() && (done() || (idle() && runningRequestCount() == 0)))
            break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return double(clock.elapsed()) / 1000.0;
}

bool settle(const std::function<bool()>& idle)
{
    return replay(
               {}, [] { return false; }, idle, 600000) < 600;
}

QString value(int i)
{
    return QStringLiteral("%1,%2").arg(3 + i % 5).arg(10 + i);
}

// The third desk: 18 values into heat 3, in transactions of six as the program sends them (begin,
// the discipline's results read, six stores, commit); a begin turned away as busy is tried again.
void storeAsThirdDesk(const SlowStandin& s, std::atomic<int>& stored)
{
    test::SoapSession session;
    session.rio.omitEmptyNodes = true;
    auto cms =
        proto::GetCompetitionManagementPortType(false, s.serviceUrl("CompetitionManagementService"), &session.rio);
    auto drs = proto::GetDataRetrievalPortType(false, s.serviceUrl("DataRetrievalService"), &session.rio);
    auto das = proto::GetDataAquisitionPortType(false, s.serviceUrl("DataAquisitionService"), &session.rio);
    for (int batch = 0; batch < 3; ++batch) {
        for (;;) {
            try {
                cms->beginTransaction(false);
                break;
            } catch (const ETvExceptionDetail&) {
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
            }
        }
        (void)drs->getResultTable(s.jump);
        for (int i = 0; i < 6; ++i) {
            const int n = batch * 6 + i;
            proto::ResultType r;
            r.DistanceInMeter = value(n).replace(u',', u'.').toDouble();
            das->setResult(s.jump, 0, nullptr, s.athletes[2][n % kPerHeat], 0, proto::Owned<proto::ResultType>(r),
                           1 + n / kPerHeat);
        }
        cms->commitTransaction();
        session.transactionId.clear();
        stored += 6;
    }
}

void BM_ThreeDesksStore18EachAtASlowServer(benchmark::State& state)
{
    for (auto _ : state) {
        SlowStandin s(int(state.range(0)));
        ResultDesk a(s, 1), b(s, 2);
        if (!settle([&] { return a.idle() && b.idle(); }))
            state.SkipWithError("the windows did not load");
        std::atomic<int> third = 0;
        std::thread c;
        std::vector<std::pair<int, std::function<void()>>> steps;
        steps.emplace_back(0, [&] { c = std::thread([&] { storeAsThirdDesk(s, third); }); });
        for (int i = 0; i < kPerHeat * kAttempts; ++i) {
            steps.emplace_back(i * 1000, [&a, i] { a.store(i % kPerHeat, 1 + i / kPerHeat, value(i)); });
            steps.emplace_back(i * 1000 + 500, [&b, i] { b.store(i % kPerHeat, 1 + i / kPerHeat, value(i)); });
        }
        const auto storedByWindows = [&] {
            int n = 0;
            for (int heat : {0, 1})
                for (int i = 0; i < kPerHeat * kAttempts; ++i)
                    n += s.stored(s.jump, 1 + i / kPerHeat, s.athletes[heat][i % kPerHeat]) ==
                         value(i).replace(u',', u'.');
            return n;
        };
        int checked = 0;
        const double seconds = replay(
            steps,
            [&] {
                // Read back now and then: the file is read while the server writes.
                if (++checked % 200 != 0)
                    return false;
                return third == 18 && storedByWindows() == 36;
            },
            [&] { return a.idle() && b.idle() && third == 18; });
        c.join();
        state.SetIterationTime(seconds);
        state.counters["typed"] = 54;
        state.counters["stored"] = storedByWindows() + third;
        state.counters["refused"] = a.refused() + b.refused();
        state.counters["seconds"] = seconds;
    }
}
BENCHMARK(BM_ThreeDesksStore18EachAtASlowServer)->Arg(3000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_FinishingOrderTenBibsAtASlowServer(benchmark::State& state)
{
    for (auto _ : state) {
        SlowStandin s(int(state.range(0)));
        Desk desk(s.competition);
        auto order = std::make_unique<TAquireBibOrderForm>(desk.context);
        desk.windows.place(TWindowId::AquireBibOrderForm, order.get());
        order->showDialog(s.finish, 1);
        const auto idle = [&] { return order->pendingRequests() == 0; };
        if (!settle(idle))
            state.SkipWithError("the window did not load");
        std::vector<int> bibs;
        for (int i = 0; i < 10; ++i)
            bibs.push_back((1 + i / kPerHeat) * 100 + i % kPerHeat);
        std::vector<std::pair<int, std::function<void()>>> steps;
        for (int i = 0; i < 10; ++i)
            steps.emplace_back(i * 1500, [&, i] {
                TBibOrderGrid* grid = order->grid();
                grid->setCurrentIndex(grid->model()->index(i, TRankListModel::colBibs));
                grid->setFocus();
                grid->openEditor();
                QWidget* editor = grid->editorWidget() ? grid->editorWidget() : grid;
                QTest::keyClicks(editor, QString::number(bibs[std::size_t(i)]));
                QTest::keyClick(grid->editorWidget() ? grid->editorWidget() : grid, Qt::Key_Return);
            });
        const auto storedBibs = [&] {
            int n = 0;
            for (int i = 0; i < 10; ++i)
                n += s.rankOf(bibs[std::size_t(i)]) == i + 1;
            return n;
        };
        int checked = 0;
        const double seconds = replay(
            steps, [&] { return ++checked % 200 == 0 && storedBibs() == 10; }, idle);
        settle(idle);
        int refused = 0;
        for (int i = 0; i < 10; ++i)
            refused +=
                order->grid()->model()->index(i, TRankListModel::colBibs).data(TRankListModel::kRefusedRole).toBool();
        state.SetIterationTime(seconds);
        state.counters["typed"] = 10;
        state.counters["stored"] = storedBibs();
        state.counters["refused"] = refused;
        state.counters["seconds"] = seconds;
    }
}
BENCHMARK(BM_FinishingOrderTenBibsAtASlowServer)->Arg(3000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

struct AthleteDesk : Desk {
    explicit AthleteDesk(int competition) : Desk(competition)
    {
        form = std::make_unique<TAthleteForm>(context);
        windows.place(TWindowId::AthleteForm, form.get());
        form->show();
    }
    bool idle() { return form->road().pending() == 0; }
    void choose(const QString& surName)
    {
        const QAbstractItemModel& m = form->listModel();
        for (int r = 0; r < m.rowCount(); ++r)
            if (m.index(r, colSurName).data().toString() == surName) {
                auto* list = form->findChild<QTreeView*>(QStringLiteral("ListView1"));
                list->selectionModel()->setCurrentIndex(m.index(r, 0), QItemSelectionModel::ClearAndSelect |
                                                                           QItemSelectionModel::Rows);
                emit list->clicked(m.index(r, 0));
            }
    }
    void type(const char* field, const QString& text)
    {
        auto* edit = form->findChild<QLineEdit*>(QString::fromLatin1(field));
        edit->setText(text);
        emit edit->textEdited(text);
    }
    void save() { QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton); }

    std::unique_ptr<TAthleteForm> form;
};

void BM_TwoDesksSaveOneAthleteAtASlowServer(benchmark::State& state)
{
    for (auto _ : state) {
        SlowStandin s(0);
        test::StandinSeed seed(s.options.dataFile);
        const int ben = seed.athlete(s.competition, QStringLiteral("Ben"), QStringLiteral("Kurz"));
        seed.db().query("UPDATE athletes SET year_of_birth = 2016 WHERE id = ?", ben).run();
        AthleteDesk a(s.competition), b(s.competition);
        if (!settle([&] { return a.idle() && b.idle(); }))
            state.SkipWithError("the windows did not load");
        a.choose(QStringLiteral("Kurz"));
        b.choose(QStringLiteral("Kurz"));
        a.type("EditGivenName", QStringLiteral("Benedikt85"));
        b.type("EditYear", QStringLiteral("2015"));
        s.server->setAnswerDelay(std::chrono::milliseconds(state.range(0)));
        const auto name = [&] { return seed.column("given_name", ben) == QStringLiteral("Benedikt85"); };
        const auto year = [&] { return seed.column("year_of_birth", ben) == QStringLiteral("2015"); };
        int checked = 0;
        const double seconds = replay(
            {{0, [&] { a.save(); }}, {500, [&] { b.save(); }}}, [&] { return ++checked % 50 == 0 && name() && year(); },
            [&] { return a.idle() && b.idle(); });
        settle([&] { return a.idle() && b.idle(); });
        state.SetIterationTime(seconds);
        state.counters["typed"] = 2;
        state.counters["stored"] = int(name()) + int(year());
        state.counters["first_name_kept"] = name();
        state.counters["year_kept"] = year();
        state.counters["seconds"] = seconds;
    }
}
BENCHMARK(BM_TwoDesksSaveOneAthleteAtASlowServer)->Arg(3000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_EscapeOnAStoreWhoseAnswerIsLostAtASlowServer(benchmark::State& state)
{
    for (auto _ : state) {
        SlowStandin s(0);
        ResultDesk a(s, 1);
        if (!settle([&] { return a.idle(); }))
            state.SkipWithError("the window did not load");
        auto transport = std::make_shared<test::HoldingTransport>();
        proto::setSoapTransport(transport);
        transport->release(transport->hold("commitTransaction", true, false));
        s.server->setAnswerDelay(std::chrono::milliseconds(state.range(0)));
        const double seconds = replay(
            {{0, [&] { a.store(0, 1, QStringLiteral("4")); }},
             {1000,
              [&] {
                  a.grid->setCurrentIndex(a.form->grid().index(0, a.form->grid().columnOfAttempt(1)));
                  QTest::keyClick(a.target(), Qt::Key_Escape);
              }}},
            [] { return false; }, [&] { return a.idle(); });
        proto::setSoapTransport(nullptr);
        const QString held = s.stored(s.jump, 1, s.athletes[0][0]);
        const QString shown = a.shown(0, 1);
        const bool agree = held.isEmpty() ? shown == QStringLiteral("-") || shown.isEmpty()
                                          : shown.startsWith(QString(held).replace(u'.', u','));
        state.SetIterationTime(seconds);
        state.counters["agree"] = agree && a.status(0, 1) != TSetResultStatus::sr_pending;
        state.counters["stored_4"] = held == QStringLiteral("4.00");
        state.counters["seconds"] = seconds;
    }
}
BENCHMARK(BM_EscapeOnAStoreWhoseAnswerIsLostAtASlowServer)
    ->Arg(3000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folders;
    AppPaths::setProgramDirForTests(folders.path());
    AppPaths::setCommonAppDataDirForTests(folders.path());
    applyProgramLocale();
    setDialogs(std::make_unique<EnterDialogs>());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
