// The athlete window with 5,000 athletes: from the finished load to a filled, sorted list, a
// column-click sort, the whole reload through runner, loopback and the stand-in, the overview of
// all of them as PDF, and the program's resident memory with the list loaded, also beside the
// team and club windows.

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/print/PrintObject.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "participants/AthleteListPrint.h"
#include "participants/ui/AthleteDialog.h"
#include "participants/ui/ClubDialog.h"
#include "participants/ui/TeamDialog.h"
#include "standin/Database.h"
#include "tests/support/StandinSeed.h"
#include "core/protocol/TVPWebServices2.h"

#include "bench/QtBenchMain.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QPrinter>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTreeView>

#include <chrono>
#include <random>

using namespace tvp;
using namespace tvp::proto;

namespace {

constexpr int kAthletes = 5000;
constexpr int kTeams = 500;
constexpr int kClubs = 50;
constexpr int kAgeClasses = 10;

const QStringList kGiven{"Anna", "Ben", "Cem", "Dora", "Emil", "Frieda", "Jürgen", "Lea", "Mia", "Noah", "Ole", "Zoe"};
const QStringList kSur{"Acker", "Berg",   "Müller", "Schmidt",  "Schneider", "Fischer",
                       "Weber", "Wagner", "Becker", "Hoffmann", "Schäfer",   "Koch"};

// A load's answer: athletes with their teams (age class, billing club) and clubs.
TAthleteResponse loadAnswer()
{
    TAthleteResponse r;
    r.reqType = TAthleteRequestType::rt_get;
    std::mt19937 random(11);
    for (int i = 0; i < kAgeClasses; ++i) {
        AgeClassType a;
        a.AgeClassID = 1 + i;
        a.Name = QStringLiteral("U%1").arg(6 + 2 * i);
        r.ageClasses.push_back(a);
    }
    for (int i = 0; i < kClubs; ++i) {
        ClubType c;
        c.ClubId = 100 + i;
        c.Name = QStringLiteral("Verein %1").arg(i);
        r.clubs.push_back(c);
    }
    for (int i = 0; i < kTeams; ++i) {
        TeamType t;
        t.TeamID = 1000 + i;
        t.Name = QStringLiteral("Team %1").arg(i);
        t.AgeClass = r.ageClasses[std::size_t(i % kAgeClasses)];
        ClubShortType billing;
        billing.ClubId = r.clubs[std::size_t(i % kClubs)].ClubId;
        billing.Name = r.clubs[std::size_t(i % kClubs)].Name;
        t.BillingClub = billing;
        r.teams.push_back(t);
    }
    for (int i = 0; i < kAthletes; ++i) {
        AthleteType a;
        a.AthleteID = 10000 + i;
        a.Barcode = 20000 + i;
        a.Name = AthleteNameType{kGiven[int(random() % kGiven.size())], kSur[int(random() % kSur.size())]};
        a.Bib = {1 + i};
        a.YearOfBirth = 2010 + int(random() % 8);
        a.Gender = random() % 2 ? GenderType::MALE : GenderType::FEMALE;
        a.Team = r.teams[std::size_t(i % kTeams)];
        ClubShortType club;
        club.ClubId = r.clubs[std::size_t(i % kClubs)].ClubId;
        club.Name = r.clubs[std::size_t(i % kClubs)].Name;
        a.Club = club;
        r.getResponse.push_back(std::move(a));
    }
    return r;
}

// An athlete window of its own, with settings in a temporary folder.
struct Window {
    Window()
    {
        AppPaths::setProgramDirForTests(dir.path());
        AppPaths::setCommonAppDataDirForTests(dir.path());
        form = std::make_unique<TAthleteForm>(context);
        form->resize(1200, 800);
    }
    ~Window()
    {
        form.reset();
        AppPaths::setProgramDirForTests({});
        AppPaths::setCommonAppDataDirForTests({});
    }
    void useCompetition(int id)
    {
        auto chosen = std::make_unique<CompetitionType>();
        chosen->ID = id;
        competition.SetCompetitionInternal(std::move(chosen));
    }

    QTemporaryDir dir;
    TCurrentCompetition competition;
    TWindowRegistry windows;
    TWindowContext context{competition, windows};
    std::unique_ptr<TAthleteForm> form;
};

void BM_AthleteWindowFillsFiveThousand(benchmark::State& state)
{
    Window w;
    w.form->show();
    const TAthleteResponse answer = loadAnswer();
    std::vector<double> ms;
    for (auto _ : state) {
        state.PauseTiming();
        auto response = std::make_unique<TAthleteResponse>();
        response->reqType = answer.reqType;
        response->getResponse = answer.getResponse;
        response->teams = answer.teams;
        response->clubs = answer.clubs;
        response->ageClasses = answer.ageClasses;
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        w.form->RequestFinished(std::move(response), TRequestOutcome{});
        // Laid out and painted as the user sees it.
        QCoreApplication::processEvents();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    if (w.form->listModel().rowCount() != kAthletes)
        state.SkipWithError("the list is not filled");
    bench::reportMedianMs(state, std::move(ms));
}
BENCHMARK(BM_AthleteWindowFillsFiveThousand)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_AthleteColumnClickSortsFiveThousand(benchmark::State& state)
{
    Window w;
    w.form->show();
    auto response = std::make_unique<TAthleteResponse>(loadAnswer());
    w.form->RequestFinished(std::move(response), TRequestOutcome{});
    QHeaderView* header = w.form->findChild<QTreeView*>(QStringLiteral("ListView1"))->header();
    int column = 0;
    std::vector<double> ms;
    for (auto _ : state) {
        // Surname, team, bibs, year, club in turn, each click a full sort.
        column = column == colSurName ? colTeam
                 : column == colTeam  ? colBibs
                 : column == colBibs  ? colClub
                                      : colSurName;
        const auto start = std::chrono::steady_clock::now();
        emit header->sectionClicked(column);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    bench::reportMedianMs(state, std::move(ms));
}
BENCHMARK(BM_AthleteColumnClickSortsFiveThousand)->Unit(benchmark::kMillisecond)->Iterations(20);

// Both printouts of all 5,000 athletes into a PDF file.
void printFiveThousand(benchmark::State& state, bool teamPerPage)
{
    QTemporaryDir dir;
    const std::vector<AthleteType> athletes = loadAnswer().getResponse;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("athletes.pdf")));
        TPrintManager manager(printer, teamPerPage ? kAthleteTeamOverviewJob : kAthleteOverviewTitle, true);
        if (teamPerPage)
            printAthleteTeamOverview(manager, athletes);
        else
            printAthleteOverview(manager, athletes, QString());
        manager.endJob();
        state.counters["pages"] = manager.pagesPrinted();
    }
}

void BM_AthleteOverviewOfFiveThousandToPdf(benchmark::State& state)
{
    printFiveThousand(state, false);
}
BENCHMARK(BM_AthleteOverviewOfFiveThousandToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AthleteTeamOverviewOfFiveThousandToPdf(benchmark::State& state)
{
    printFiveThousand(state, true);
}
BENCHMARK(BM_AthleteTeamOverviewOfFiveThousandToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---- through the stand-in ----

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// A stand-in of its own process on loopback (the program's memory is the client's alone) with one
// competition of 5,000 athletes in 500 teams of 10 age classes and 50 clubs.
struct Server {
    Server()
    {
        const std::string file = dir.filePath(QStringLiteral("bench.db")).toStdString();
        standin::prepareDatabase(file);
        test::StandinSeed seed(file);
        seed.begin();
        competitionId = seed.competition(QStringLiteral("Bench"));
        const TAthleteResponse answer = loadAnswer();
        std::vector<int> ageClasses, clubs, teams;
        for (const AgeClassType& a : answer.ageClasses)
            ageClasses.push_back(seed.ageClass(competitionId, a.Name));
        for (const ClubType& c : answer.clubs)
            clubs.push_back(seed.club(competitionId, c.Name));
        for (int i = 0; i < kTeams; ++i)
            teams.push_back(seed.team(competitionId, answer.teams[std::size_t(i)].Name,
                                      ageClasses[std::size_t(i % kAgeClasses)], clubs[std::size_t(i % kClubs)]));
        for (int i = 0; i < kAthletes; ++i) {
            const AthleteType& a = answer.getResponse[std::size_t(i)];
            const int id = seed.athlete(competitionId, a.Name->givenName, a.Name->surName,
                                        teams[std::size_t(i % kTeams)], clubs[std::size_t(i % kClubs)], a.Bib);
            seed.setPerson(id, a.Gender, a.YearOfBirth);
        }
        seed.commit();

        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        process.start(QStringLiteral(TVP_STANDIN_BINARY), {QStringLiteral("--port"), QString::number(port),
                                                           QStringLiteral("--data"), QString::fromStdString(file)});
        competitionUrlHolderInstance().setServerUrl(QStringLiteral("127.0.0.1:%1").arg(port));
        InitComm();
        QTcpSocket socket;
        for (int i = 0; i < 100 && socket.state() != QAbstractSocket::ConnectedState; ++i) {
            socket.connectToHost(QHostAddress::LocalHost, port);
            socket.waitForConnected(100);
        }
    }
    ~Server()
    {
        process.terminate();
        process.waitForFinished(5000);
    }

    QTemporaryDir dir;
    QProcess process;
    int competitionId = 0;
};

void BM_AthleteWindowReloadsFiveThousandThroughTheStandin(benchmark::State& state)
{
    Server server;
    Window w;
    w.useCompetition(server.competitionId);
    w.form->show();
    std::vector<double> ms;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        w.form->reloadFormData(false);
        while (w.form->road().pending() > 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    if (w.form->listModel().rowCount() != kAthletes)
        state.SkipWithError("the list is not filled");
    state.counters["rss_mb"] = double(residentKb()) / 1024.0;
    bench::reportMedianMs(state, std::move(ms));
}
BENCHMARK(BM_AthleteWindowReloadsFiveThousandThroughTheStandin)->Unit(benchmark::kMillisecond)->Iterations(10);

// The program's resident memory with the 5,000 athletes, their 500 teams and 50 clubs loaded in
// the athlete, team and club windows at once (a single measurement).
void BM_ResidentMemoryWithAthleteTeamAndClubWindows(benchmark::State& state)
{
    Server server;
    Window w;
    w.useCompetition(server.competitionId);
    TTeamForm teams(w.context);
    TClubForm clubs(w.context);
    const auto rows = [](QWidget& form) {
        return form.findChild<QTreeView*>(QStringLiteral("ListView1"))->model()->rowCount();
    };
    for (auto _ : state) {
        for (TTVPForm* form : std::initializer_list<TTVPForm*>{w.form.get(), &teams, &clubs}) {
            form->show();
            form->reloadFormData(false);
        }
        while (runningRequestCount() > 0 || rows(*w.form) != kAthletes || rows(teams) != kTeams ||
               rows(clubs) != kClubs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
        state.counters["rss_mb"] = double(residentKb()) / 1024.0;
    }
}
BENCHMARK(BM_ResidentMemoryWithAthleteTeamAndClubWindows)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
