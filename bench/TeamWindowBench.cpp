// The team window on a competition of 5,000 athletes in 625 teams (and on 5,000 teams): the whole
// reload through the request runner, the stand-in and back into a filled, sorted list; a column
// click; the team-rule check of every team; and the memory the window's list takes.

#include "bench/BenchWindows.h"
#include "bench/QtBenchMain.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/util/AppPaths.h"
#include "participants/ui/TeamDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QThread>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tvp;

namespace {

// A stand-in with one competition: athletes in teams of eight over eight age classes and forty
// clubs, half boys and half girls.
struct Competition : bench::TBenchStandin {
    explicit Competition(int teams)
    {
        test::StandinSeed seed = beginSeed();
        std::vector<int> ageClasses, clubs;
        proto::AgeClassInfoType rules;
        rules.MinTeamMembers = 8;
        rules.MaxTeamMembers = 10;
        rules.MinMembersPerGender = 2;
        for (int i = 0; i < 8; ++i)
            ageClasses.push_back(seed.ageClass(id, QStringLiteral("U%1").arg(6 + i), rules));
        for (int i = 0; i < 40; ++i)
            clubs.push_back(seed.club(id, QStringLiteral("Verein %1").arg(i)));
        for (int t = 0; t < teams; ++t) {
            const int team = seed.team(id, QStringLiteral("Team %1").arg(teams - t), ageClasses[t % 8], clubs[t % 40]);
            // Every seventh team is one short, so the check finds something.
            const int members = 5000 / std::max(teams, 1) - (t % 7 == 0 ? 1 : 0);
            for (int m = 0; m < members; ++m) {
                const int a =
                    seed.athlete(id, QStringLiteral("V%1").arg(m), QStringLiteral("N%1").arg(t), team, clubs[t % 40]);
                seed.setPerson(a, m % 2 ? proto::GenderType::FEMALE : proto::GenderType::MALE, 2015);
            }
        }
        seed.commit();
    }
};

Competition& competition(int teams)
{
    static std::map<int, std::unique_ptr<Competition>> all;
    auto& c = all[teams];
    if (!c)
        c = std::make_unique<Competition>(teams);
    return *c;
}

struct Window : bench::TBenchWindows {
    explicit Window(Competition& c) : TBenchWindows(c)
    {
        form = std::make_unique<TTeamForm>(context);
        list = form->findChild<QTreeView*>(QStringLiteral("ListView1"));
        count = form->findChild<QLabel*>(QStringLiteral("CountLabel"));
    }

    // Reloads and waits until the list is filled again.
    void reload()
    {
        form->reloadFormData(false);
        while (!list->isEnabled() || count->text().isEmpty()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QThread::usleep(100);
        }
    }

    std::unique_ptr<TTeamForm> form;
    QTreeView* list = nullptr;
    QLabel* count = nullptr;
};

using bench::residentKb;

void BM_TeamWindowReload(benchmark::State& state)
{
    Competition& c = competition(int(state.range(0)));
    Window w(c);
    w.reload();
    for (auto _ : state)
        w.reload();
    state.counters["rows"] = double(w.list->model()->rowCount());
}
BENCHMARK(BM_TeamWindowReload)->Arg(625)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TeamListColumnSort(benchmark::State& state)
{
    Competition& c = competition(int(state.range(0)));
    Window w(c);
    w.reload();
    int column = 0;
    for (auto _ : state) {
        // Alternates between two columns, each click a full sort.
        column = column == 0 ? 1 : 0;
        emit w.list->header()->sectionClicked(column);
    }
}
BENCHMARK(BM_TeamListColumnSort)->Arg(625)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_TeamRuleCheckOfTheCompetition(benchmark::State& state)
{
    Competition& c = competition(int(state.range(0)));
    proto::THTTPRIO rio;
    const QString url = QStringLiteral("http://%1/TrivantaPentrel/services/DataRetrievalService/").arg(c.address);
    std::size_t found = 0;
    for (auto _ : state)
        found = proto::GetDataRetrievalPortType(false, url, &rio)->checkParticipantConstraints({}, c.id).size();
    state.counters["teams_found"] = double(found);
}
BENCHMARK(BM_TeamRuleCheckOfTheCompetition)->Arg(625)->Unit(benchmark::kMillisecond)->UseRealTime();

// The resident memory the team window adds with its list loaded (a single measurement).
void BM_TeamWindowResidentMemory(benchmark::State& state)
{
    Competition& c = competition(int(state.range(0)));
    for (auto _ : state) {
        const long before = residentKb();
        Window w(c);
        w.reload();
        state.counters["window_MB"] = double(residentKb() - before) / 1024.0;
        state.counters["process_MB"] = double(residentKb()) / 1024.0;
    }
}
BENCHMARK(BM_TeamWindowResidentMemory)->Arg(625)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

TVP_QT_WIDGETS_BENCHMARK_MAIN()
