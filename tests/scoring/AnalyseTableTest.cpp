// What the results window shows without widgets: the rows of a loaded table (competition and cup
// participants), the evaluation list of a tree and the titles of its printouts.

#include "scoring/AnalyseRequests.h"

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;

namespace {

AssignedResultType distance(int athlete, int attempt, double value, std::vector<int> teams = {})
{
    AssignedResultType r;
    r.Type_ = ResultValueType::Distance;
    r.DistanceInMeter = value;
    r.AthleteId = athlete;
    r.Attempt = attempt;
    r.TeamId = std::move(teams);
    r.ResultID = 100 + attempt;
    return r;
}

TAnalyseResponse tableOf(std::vector<AssignedResultType> results, int attempts, bool team)
{
    TAnalyseResponse response;
    ResultTableType& t = response.getResultTableResponse.ResultTableType.ensure();
    t.Team = team;
    t.ResultsPerRow = attempts;
    response.getResultTableResponse.Results = std::move(results);
    response.resultFormat = TResultformat::rf_Unknown; // plain numbers
    return response;
}

AthleteType athlete(int id, const QString& given, std::vector<int> bibs = {})
{
    AthleteType a;
    a.AthleteID = id;
    a.Name.ensure().givenName = given;
    a.Name->surName = QStringLiteral("X");
    a.Bib = std::move(bibs);
    return a;
}

UiInfoKeyValuePair label(const QString& key, int id, const QString& value)
{
    UiInfoKeyValuePair p;
    p.Key = makeUiInfoKey(key, id);
    p.Value = value;
    return p;
}

// The shown table as the window builds it: the cache of the load, then the display of its rows.
struct TShown {
    std::unique_ptr<TResultCache> cache;
    TAnalyseTableModel model;
    int changes = 0;

    void finish(const TAnalyseResponse& response)
    {
        changes = 0;
        cache = makeAnalyseCache(response, [this](int, int) {
            ++changes;
            model.showCache(*cache);
        });
        fillAnalyseCache(*cache, response);
    }
};

QStringList rows(const TAnalyseTableModel& m)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m.columnCount(); ++c)
            cells << m.index(r, c).data().toString();
        out << cells.join(u'|');
    }
    return out;
}

} // namespace

TEST(AnalyseTable, RowsComeOnlyForParticipantsWithAResultInAnAttemptOfTheTable)
{
    // Attempt 0 and attempt 9 of a table of two attempts have no column; an athlete with only
    // those has no row. Ben appears twice in the athlete list and is listed once.
    TAnalyseResponse r = tableOf(
        {distance(1, 1, 3.5), distance(1, 2, 3.75), distance(2, 0, 9.0), distance(2, 9, 9.0), distance(3, 2, 2.5)}, 2,
        false);
    r.getAthletes = {athlete(1, QStringLiteral("Anna"), {7, 9}), athlete(2, QStringLiteral("Ben")),
                     athlete(3, QStringLiteral("Cem")), athlete(3, QStringLiteral("Cem")),
                     athlete(4, QStringLiteral("Dora"))};
    r.getAthletes[0].Team.ensure().Name = QStringLiteral("Füchse");
    TShown shown;
    shown.finish(r);
    EXPECT_EQ(shown.changes, 1); // filled in one update
    const TAnalyseTableModel& m = shown.model;
    EXPECT_EQ(m.headerData(4, Qt::Horizontal).toString(), QStringLiteral("1."));
    EXPECT_EQ(m.columnCount(), 6);
    EXPECT_EQ(rows(m), (QStringList{QStringLiteral("7,9|Anna|X|Füchse|3,50|3,75"), QStringLiteral("|Cem|X||-|2,50")}));
    EXPECT_EQ(m.columnWidths(), (std::vector<int>{50, 100, 100, 100, 50, 50}));

    EXPECT_EQ(shown.cache->getNoOfHeats(), 1);
    EXPECT_EQ(shown.cache->getHeatRowCount(1), 2);

    // A team table: rows of teams by any team a result counts for; one without team counts for none,
    // nor does a team without id.
    TAnalyseResponse t = tableOf(
        {distance(0, 1, 10.0, {40}), distance(0, 1, 11.0, {}), distance(0, 1, 12.0, {42, 0}), distance(0, 1, 5.0, {0})},
        1, true);
    t.getTeams.resize(4);
    t.getTeams[0].TeamID = 40;
    t.getTeams[0].Name = QStringLiteral("Adler");
    t.getTeams[1].TeamID = 41;
    t.getTeams[1].Name = QStringLiteral("Bären");
    t.getTeams[2].TeamID = 42;
    t.getTeams[2].Name = QStringLiteral("Eulen");
    t.getTeams[3].Name = QStringLiteral("Niemand");
    shown.finish(t);
    EXPECT_EQ(rows(m), (QStringList{QStringLiteral("Adler|10,00"), QStringLiteral("Eulen|12,00")}));
    EXPECT_EQ(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Team"));
}

TEST(AnalyseTable, CupFinishersCarryAllTheirCupTeamsAndThePendingWarnings)
{
    TAnalyseResponse r = tableOf({distance(500, 1, 4.0)}, 1, false);
    getFinisherAthletesResponse1 finishers;
    FinisherType& f = finishers.Finisher.emplace_back();
    f.Athlete = CupAthleteType{};
    f.Athlete->AthleteID = 500;
    f.Athlete->Name.ensure().givenName = QStringLiteral("Ida");
    f.Teams.resize(2);
    f.Teams[0].TeamID = 70;
    f.Teams[0].Name = QStringLiteral("Adler");
    f.Teams[1].TeamID = 71;
    f.Teams[1].Name = QStringLiteral("Adler II");
    finishers.Finisher.emplace_back(); // a finisher without athlete is skipped
    finishers.PendingTeams = true;
    finishers.PendingAthletes = true;
    r.getFinisherAthletes = finishers;
    TShown shown;
    shown.finish(r);
    EXPECT_EQ(rows(shown.model), QStringList{QStringLiteral("|Ida||Adler, Adler II|4,00")});
    // The row's team is the first cup team's id under all their names.
    const TResultRow* row = shown.cache->getRow(1, 1);
    ASSERT_TRUE(row && row->Team());
    EXPECT_EQ(row->Team()->TeamID, 70);
    EXPECT_EQ(analyseCupWarnings(r),
              (QStringList{
                  QStringLiteral("WARNUNG: Cup enthält noch nicht zugeordnete Teams einzelner Veranstaltungen."),
                  QStringLiteral("WARNUNG: Cup enthält noch nicht zugeordnete Athleten einzelner Veranstaltungen.")}));
}

TEST(AnalyseTable, EvaluationListAndPrintTitlesFollowTheTree)
{
    // The discipline (1) feeds a shown node (2) and a hidden one (3, no label); 3 feeds 4, which
    // also draws on a discipline outside the tree.
    AggregatorTreeNodeType root;
    root.ID = 1;
    auto instance = [](int id, int templateId, std::vector<int> sources) {
        ResultAggregatorInstanceType i;
        i.ID = id;
        i.TemplateID = templateId;
        i.ConnectedAggregators = std::move(sources);
        i.Parameters = {QStringLiteral("1")};
        return i;
    };
    AggregatorTreeNodeType& shown = root.OutputConnections.emplace_back();
    shown.ID = 2;
    shown.AggregatorInfo = instance(2, 1, {1});
    AggregatorTreeNodeType& hidden = root.OutputConnections.emplace_back();
    hidden.ID = 3;
    hidden.AggregatorInfo = instance(3, 2, {1});
    AggregatorTreeNodeType& outer = hidden.OutputConnections.emplace_back();
    outer.ID = 4;
    outer.AggregatorInfo = instance(4, 2, {3, 99});

    auto inputs = std::make_shared<TAnalyseTreeInputs>();
    inputs->templates.resize(2);
    inputs->templates[0].ID = 1;
    inputs->templates[0].Name = QStringLiteral("Bester Versuch");
    inputs->templates[0].ParameterTypes.resize(1);
    inputs->templates[1].ID = 2;
    inputs->templates[1].Name = QStringLiteral("Summe");
    inputs->templates[1].ParameterTypes.resize(1);
    std::unique_ptr<TAggregatorTreeModel> tree = makeHeadlessTree({root}, 1, inputs);
    inputs.reset(); // the tree keeps what it reads
    tree->setLabelsToAggTree(
        {label(QStringLiteral("Label"), 1, QString()), label(QStringLiteral("Label"), 2, QStringLiteral("Bester")),
         label(QStringLiteral("ResAgg_VisAnalysis"), 2, QStringLiteral("true")),
         label(QStringLiteral("Label"), 3, QString()), label(QStringLiteral("ResAgg_VisAnalysis"), 3, QString()),
         label(QStringLiteral("Label"), 4, QStringLiteral("Tag $(1)")),
         label(QStringLiteral("ResAgg_VisAnalysis"), 4, QStringLiteral("true"))},
        0);
    auto names = [](const std::vector<TResultProviderInfo>& items) {
        QStringList out;
        for (const TResultProviderInfo& i : items)
            out << i.name;
        return out;
    };
    const std::vector<TResultProviderInfo> visible = evaluationItems(*tree, false, QStringLiteral("Weitsprung"));
    // Last laid out first: the discipline, then each node before those it was laid out after.
    EXPECT_EQ(names(visible),
              (QStringList{QStringLiteral("Weitsprung"), QStringLiteral("Tag 1"), QStringLiteral("Bester")}));
    const std::vector<TResultProviderInfo> all = evaluationItems(*tree, true, QStringLiteral("Weitsprung"));
    ASSERT_EQ(names(all), (QStringList{QStringLiteral("Weitsprung"), QStringLiteral("Summe"), QStringLiteral("Tag 1"),
                                       QStringLiteral("Bester")}));
    EXPECT_EQ(all[0].aggType, TAggregatorType::ag_Unknown);
    EXPECT_EQ(all[2].aggType, TAggregatorType::ag_ExtRef);

    EXPECT_EQ(analysisPrintTitle(all[0].aggType, all[0].name, QStringLiteral("Weitsprung")),
              QStringLiteral("Weitsprung - Ergebnisse"));
    EXPECT_EQ(analysisPrintTitle(all[3].aggType, all[3].name, QStringLiteral("Weitsprung")),
              QStringLiteral("Bester - Weitsprung"));
    EXPECT_EQ(analysisPrintTitle(all[2].aggType, all[2].name, QStringLiteral("Weitsprung")),
              QStringLiteral("Tageswertung - Tag 1"));
    EXPECT_EQ(analysisPrintTitle(TAggregatorType::ag_CupRef, QStringLiteral("Serie"), QString()),
              QStringLiteral("Cup-Wertung - Serie"));
}
