// The athlete window with 5,000 athletes: from the finished load to a filled, sorted list, a
// column-click sort, the whole reload through runner, loopback and the stand-in, the overview of
// all of them as PDF, and the program's resident memory with the list loaded.

#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/print/PrintObject.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "participants/AthleteListPrint.h"
#include "participants/ui/AthleteDialog.h"
#include "standin/Database.h"
#include "standin/StandinServer.h"
#include "core/protocol/TVPWebServices2.h"

#include "bench/QtBenchMain.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QPrinter>
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

// A stand-in on loopback with one competition of 5,000 athletes in 500 teams and 50 clubs.
struct Server {
    Server()
    {
        standin::StandinOptions options;
        options.port = 0;
        options.dataFile = (dir.path() + QStringLiteral("/bench.db")).toStdString();
        server = std::make_unique<standin::StandinServer>(options);
        competitionUrlHolderInstance().setServerUrl(QStringLiteral("127.0.0.1:%1").arg(server->port()));
        InitComm();
        const QString base = QStringLiteral("http://127.0.0.1:%1/TrivantaPentrel/services/").arg(server->port());
        THTTPRIO rio;
        auto cms =
            GetCompetitionManagementPortType(false, base + QStringLiteral("CompetitionManagementService/"), &rio);
        auto das = GetDataAquisitionPortType(false, base + QStringLiteral("DataAquisitionService/"), &rio);
        CompetitionInfoType info;
        info.Name = QStringLiteral("Bench");
        competitionId = cms->createCompetition(info).Competition->ID;
        seedTeamsAndClubs();
        cms->beginTransaction(false);
        const TAthleteResponse answer = loadAnswer();
        for (const AthleteType& a : answer.getResponse) {
            AthleteInfoDataType data = a;
            das->addAthlete(data, teamIds[std::size_t(a.Team->TeamID - 1000)], competitionId, false,
                            clubIds[std::size_t(a.Club->ClubId - 100)]);
        }
        cms->commitTransaction();
    }

    // No served operation of this area creates teams and clubs: they go into the file directly.
    void seedTeamsAndClubs()
    {
        standin::Db db(dir.filePath(QStringLiteral("bench.db")).toStdString());
        std::vector<int> ageClasses;
        for (int i = 0; i < kAgeClasses; ++i) {
            db.query("INSERT INTO barcodes (kind, competition_id) VALUES ('age_class', ?)", competitionId).run();
            const int barcode = db.lastInsertId();
            ageClasses.push_back(db.nextId("age_class"));
            db.query("INSERT INTO age_classes (id, competition_id, name, barcode) VALUES (?, ?, ?, ?)",
                     ageClasses.back(), competitionId, QStringLiteral("U%1").arg(6 + 2 * i), barcode)
                .run();
        }
        for (int i = 0; i < kClubs; ++i) {
            clubIds.push_back(db.nextId("club"));
            db.query("INSERT INTO clubs (id, competition_id, name) VALUES (?, ?, ?)", clubIds.back(), competitionId,
                     QStringLiteral("Verein %1").arg(i))
                .run();
        }
        for (int i = 0; i < kTeams; ++i) {
            db.query("INSERT INTO barcodes (kind, competition_id) VALUES ('team', ?)", competitionId).run();
            const int barcode = db.lastInsertId();
            teamIds.push_back(db.nextId("team"));
            db.query("INSERT INTO teams (id, competition_id, name, age_class_id, billing_club_id, barcode) "
                     "VALUES (?, ?, ?, ?, ?, ?)",
                     teamIds.back(), competitionId, QStringLiteral("Team %1").arg(i),
                     ageClasses[std::size_t(i % kAgeClasses)], clubIds[std::size_t(i % kClubs)], barcode)
                .run();
        }
    }

    QTemporaryDir dir;
    std::unique_ptr<standin::StandinServer> server;
    int competitionId = 0;
    std::vector<int> teamIds;
    std::vector<int> clubIds;
};

void BM_AthleteWindowReloadsFiveThousandThroughTheStandin(benchmark::State& state)
{
    Server server;
    Window w;
    auto competition = std::make_unique<CompetitionType>();
    competition->ID = server.competitionId;
    w.competition.SetCompetitionInternal(std::move(competition));
    const long before = residentKb();
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
    state.counters["rss_growth_mb"] = double(residentKb() - before) / 1024.0;
    bench::reportMedianMs(state, std::move(ms));
}
BENCHMARK(BM_AthleteWindowReloadsFiveThousandThroughTheStandin)->Unit(benchmark::kMillisecond)->Iterations(10);

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
