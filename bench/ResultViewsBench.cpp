// The data view, the cup table and the HTML page at competition size: 5,000 athletes in 600
// teams, 8 scoring nodes (4 athlete and 4 team tables); a cup of 3,000 finishers over 20
// competitions with 6 nodes; a page of 5,000 rows and 10 columns.
//
// BM_DataViewShowData runs the window's whole load through its request runner and the SOAP codec;
// the answers come from an in-process transport (encoded once), so HTTP is not in the figure.

#include "QtBenchMain.h"

#include "core/connection/CommunicationThread.h"
#include "core/connection/CompetitionUrlHolder.h"
#include "core/connection/CurrentCompetition.h"
#include "core/protocol/SoapCodec.h"
#include "core/protocol/SoapServer.h"
#include "core/protocol/THTTPRIO.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/util/AppPaths.h"
#include "scoring/CupAthleteTools.h"
#include "scoring/DataViewTable.h"
#include "scoring/HtmlPublication.h"
#include "scoring/ui/DataViewDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTreeView>

#include <malloc.h>

#include <map>

using namespace tvp;
using namespace tvp::proto;

namespace {

constexpr int kAthletes = 5000;
constexpr int kTeams = 600;
constexpr int kNodes = 8;

TAggInfo node(int id, bool multidisc)
{
    TAggInfo a;
    a.aggID = id;
    a.aggName = QStringLiteral("Wertung %1").arg(id);
    a.aggLabel = a.aggName;
    a.DiscNames = QStringLiteral("Disziplin %1").arg(id / 2);
    a.multidisc = multidisc;
    return a;
}

std::vector<TAggInfo> nodes()
{
    std::vector<TAggInfo> out;
    for (int i = 0; i < kNodes; ++i)
        out.push_back(node(1000 + i, i == kNodes - 1));
    return out;
}

std::vector<AthleteType> athletes()
{
    std::vector<AthleteType> out(kAthletes);
    for (int i = 0; i < kAthletes; ++i) {
        out[i].AthleteID = i + 1;
        out[i].Name = AthleteNameType{QStringLiteral("Vorname%1").arg(i), QStringLiteral("Nachname%1").arg(i % 977)};
        TeamType t;
        t.TeamID = 100000 + i % kTeams;
        t.Name = QStringLiteral("Team %1").arg(i % kTeams);
        out[i].Team = t;
        ClubShortType c;
        c.Name = QStringLiteral("Verein %1").arg(i % 40);
        out[i].Club = c;
    }
    return out;
}

// Even nodes are athlete tables, odd ones team tables.
getResultTableResponse1 table(int index)
{
    getResultTableResponse1 t;
    ResultTableType kind;
    kind.Team = index % 2 == 1;
    kind.ResultsPerRow = 1;
    t.ResultTableType = kind;
    const int n = kind.Team ? kTeams : kAthletes;
    for (int i = 0; i < n; ++i) {
        AssignedResultType r;
        r.Attempt = 1;
        r.ResultID = 0;
        if (kind.Team) {
            r.Type_ = ResultValueType::Rank;
            r.Rank = i + 1;
            r.TeamId = {100000 + i};
        } else {
            r.DistanceInMeter = 1.0 + (i * 7919 % 5000) / 1000.0;
            r.AthleteId = i + 1;
        }
        t.Results.push_back(r);
    }
    return t;
}

std::vector<TDataViewTable> tables()
{
    std::vector<TDataViewTable> out;
    for (int i = 0; i < kNodes; ++i)
        out.push_back({TResultformat::rf_Default, table(i)});
    return out;
}

TDataViewSort storedOrder()
{
    TDataViewSort s;
    s.FSortColList = sortColumnsOf({1, 0, 3}, kCompetitionAggStartCol);
    s.FDefaultSortColList = {0};
    return s;
}

// ---- the window's load through an in-process server ----

class AnswerTransport final : public ISoapTransport {
public:
    AnswerTransport()
    {
        encode("checkAmbiguousBibResults", TTVPWebServices::DRS, CheckAmbiguousBibResultsResponse1{});
        encode("checkParticipantConstraints", TTVPWebServices::DRS, checkParticipantConstraintsResponse{});
        encode("getUiInfo", TTVPWebServices::DRS, getUiInfoResponse1{});
        encode("getUiInfos", TTVPWebServices::DRS, getUiInfosResponse1{});
        encode("getToplevelSourceDisciplines", TTVPWebServices::DRS, getToplevelSourceDisciplinesResponse1{});
        encode("getAthletes", TTVPWebServices::DRS, athletes());
        for (int i = 0; i < kNodes; ++i)
            tables_[1000 + i] = body(TTVPWebServices::DRS, "getResultTable", table(i));
    }

    HttpAnswer post(const std::string&, const std::string&, const std::string& request) override
    {
        pugi::xml_document doc;
        parseRequest(doc, request);
        const pugi::xml_node element = codec::bodyElement(doc);
        const std::string op = codec::localName(element);
        std::string text;
        if (op == "getResultTable") {
            const int id = std::atoi(codec::childIn(element, "ResultProviderID", {}).text().get());
            text = tables_.at(id);
        } else if (auto it = answers_.find(op); it != answers_.end()) {
            text = it->second;
        } else {
            pugi::xml_document answer;
            makeAnswer(answer,
                       op == "beginTransaction" || op == "rollbackTransaction" || op == "commitTransaction"
                           ? TTVPWebServices::CMS
                           : TTVPWebServices::DRS,
                       op);
            writeAnswerHeader(answer, "S1", op == "beginTransaction" ? "T1" : "");
            return {200, codec::serialize(answer)};
        }
        return {200, text};
    }

private:
    template <class R>
    static std::string body(TTVPWebServices service, const char* op, const R& result)
    {
        pugi::xml_document answer;
        codec::encodeResult(makeAnswer(answer, service, op), result, {.omitEmpty = true});
        writeAnswerHeader(answer, "S1", "T1");
        return codec::serialize(answer);
    }
    template <class R>
    void encode(const char* op, TTVPWebServices service, const R& result)
    {
        answers_[op] = body(service, op, result);
    }

    std::map<std::string, std::string> answers_;
    std::map<int, std::string> tables_;
};

void BM_DataViewShowData(benchmark::State& state)
{
    InitComm();
    setSoapTransport(std::make_shared<AnswerTransport>());
    competitionUrlHolderInstance().setServerUrl(QStringLiteral("http://127.0.0.1:1/TrivantaPentrel/services/"));
    TCurrentCompetition competition;
    auto chosen = std::make_unique<CompetitionType>();
    chosen->ID = 5;
    chosen->Name = QStringLiteral("Sportfest");
    competition.SetCompetitionInternal(std::move(chosen));
    TWindowRegistry windows;
    TWindowContext context(competition, windows);
    TDataViewForm form(context);
    std::vector<double> ms;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        form.ShowData(QStringLiteral("Urkunden/U10"), 31, nodes(), {1, 0, 3}, false, false, 0);
        while (form.isLoading())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ms.push_back(timer.nsecsElapsed() / 1e6);
        if (form.model().rowCount() != kAthletes)
            state.SkipWithError("not every athlete has a row");
    }
    bench::reportMedianMs(state, ms);
    form.hide();
    setSoapTransport(nullptr);
}
BENCHMARK(BM_DataViewShowData)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// What the GUI thread does with a finished load: rows, columns, sort and column widths.
void BM_DataViewGuiFill(benchmark::State& state)
{
    const std::vector<AthleteType> all = athletes();
    const std::vector<TDataViewTable> fetched = tables();
    TDataViewModel model;
    QTreeView view;
    view.setModel(&model);
    view.resize(1000, 600);
    view.show();
    std::vector<double> ms;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        model.setColumns(competitionColumns(nodes()));
        TCompetitionRows filled = competitionRows(all, fetched);
        model.setRows(std::move(filled.rows));
        model.sortRows(storedOrder());
        view.header()->resizeSections(QHeaderView::ResizeToContents);
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    bench::reportMedianMs(state, ms);
}
BENCHMARK(BM_DataViewGuiFill)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

void BM_DataViewResortThreeColumns(benchmark::State& state)
{
    TDataViewModel model;
    model.setColumns(competitionColumns(nodes()));
    model.setRows(competitionRows(athletes(), tables()).rows);
    TDataViewSort sort = storedOrder();
    std::vector<double> ms;
    for (auto _ : state) {
        sort.FDownwardSort = !sort.FDownwardSort;
        QElapsedTimer timer;
        timer.start();
        model.sortRows(sort);
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    bench::reportMedianMs(state, ms);
}
BENCHMARK(BM_DataViewResortThreeColumns)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

// ---- the cup table ----

constexpr int kFinishers = 3000;
constexpr int kCompetitions = 20;

void BM_CupTable(benchmark::State& state)
{
    CupType cup;
    for (int c = 0; c < kCompetitions; ++c) {
        CompetitionType comp;
        comp.ID = 500 + c;
        comp.Name = QStringLiteral("Veranstaltung %1").arg(c);
        cup.AssignedCompetitions.push_back(comp);
    }
    std::vector<CustomColumnType> columns(3);
    for (int i = 0; i < 3; ++i) {
        columns[i].ID = 70 + i;
        columns[i].Name = QStringLiteral("Spalte %1").arg(i);
    }
    std::vector<FinisherType> finishers(kFinishers);
    for (int i = 0; i < kFinishers; ++i) {
        CupAthleteType a;
        a.AthleteID = i + 1;
        a.Name = AthleteNameType{QStringLiteral("Vorname%1").arg(i), QStringLiteral("Nachname%1").arg(i)};
        for (int c = 0; c < kCompetitions; c += 1 + i % 3) {
            CompetitionAthleteType ca;
            ca.Competition = cup.AssignedCompetitions[c];
            a.AssignedAthletes.push_back(ca);
        }
        for (int k = 0; k < 3; ++k) {
            CustomInformationType info;
            info.Column = columns[k];
            info.Value = QStringLiteral("Wert %1").arg(i);
            a.CustomInformations.push_back(info);
        }
        finishers[i].Athlete = a;
        for (int t = 0; t < 3; ++t) {
            CupTeamType team;
            team.TeamID = 9000 + (i / 5 + t * 700) % 2000;
            team.Name = QStringLiteral("Cup-Team %1").arg(team.TeamID);
            finishers[i].Teams.push_back(team);
        }
    }
    std::vector<getResultTableResponse1> cupTables;
    for (int n = 0; n < 6; ++n) {
        getResultTableResponse1 t;
        ResultTableType kind;
        kind.Team = n < 3;
        kind.ResultsPerRow = 3;
        t.ResultTableType = kind;
        const int count = kind.Team ? 2000 : kFinishers;
        for (int i = 0; i < count; ++i)
            for (int attempt = 1; attempt <= 3; ++attempt) {
                AssignedResultType r;
                r.Attempt = attempt;
                r.DistanceInMeter = 1 + (i * 31 + attempt) % 700 / 100.0;
                if (kind.Team)
                    r.TeamId = {9000 + i};
                else
                    r.AthleteId = i + 1;
                t.Results.push_back(r);
            }
        cupTables.push_back(std::move(t));
    }

    std::vector<double> ms;
    double liveMb = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        QElapsedTimer timer;
        timer.start();
        TCupAthleteList list(finishers, columns, cup);
        for (int n = 0; n < 6; ++n)
            list.addResults(cupTables[n], node(2000 + n, false), TResultformat::rf_Default);
        const TCupColumns cols = cupColumns(list);
        std::vector<TDataViewRow> all = cupRows(list, false, 0);
        std::vector<TDataViewRow> filtered = cupRows(list, true, 2);
        ms.push_back(timer.nsecsElapsed() / 1e6);
        liveMb = std::max(liveMb, (double(mallinfo2().uordblks) - double(before)) / (1024.0 * 1024.0));
        benchmark::DoNotOptimize(cols);
        benchmark::DoNotOptimize(filtered);
    }
    bench::reportMedianMs(state, ms);
    state.counters["live_mb"] = liveMb;
}
BENCHMARK(BM_CupTable)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// ---- the HTML page ----

void BM_HtmlPage(benchmark::State& state)
{
    TDataViewModel model;
    std::vector<TAggInfo> aggs;
    for (int i = 0; i < 6; ++i)
        aggs.push_back(node(3000 + i, i == 5));
    model.setColumns(competitionColumns(aggs));
    std::vector<TDataViewRow> rows(5000);
    for (int r = 0; r < 5000; ++r) {
        rows[r].caption = QStringLiteral("Füchse & Co %1").arg(r % 600);
        rows[r].cells << QStringLiteral("Jörg%1").arg(r) << QStringLiteral("Müller") << QStringLiteral("TSV <Süd>");
        for (int c = 0; c < 6; ++c)
            rows[r].cells << QStringLiteral("%1,%2m").arg(r % 7).arg(c * 11 % 100);
    }
    model.setRows(std::move(rows));
    THtmlPageInput input;
    input.stylesheet = QStringLiteral(".resultTable{border:0}");
    input.compilationName = QStringLiteral("Urkunden/U10");
    input.competitionName = QStringLiteral("Sportfest");
    input.location = QStringLiteral("Fürth");
    input.additionalColsStartIndex = kCompetitionAggStartCol + 6;
    input.today = QDate::currentDate();
    std::vector<double> ms;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const QByteArray page = generateHTML(model, input);
        ms.push_back(timer.nsecsElapsed() / 1e6);
        benchmark::DoNotOptimize(page);
    }
    bench::reportMedianMs(state, ms);
}
BENCHMARK(BM_HtmlPage)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

} // namespace

TVP_QT_WIDGETS_BENCHMARK_MAIN()
