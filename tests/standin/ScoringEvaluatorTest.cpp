// The stand-in's scoring: the rules of each node template over result rows, the parameters, graphs
// with cycles and repeats, and node tables read over HTTP.

#include "standin/ScoringEvaluator.h"
#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

#include <cmath>

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::standin::scoring;
using namespace tvp::test;

namespace {

AssignedResultType row(int athlete, int attempt, ResultValueType kind, double value, std::vector<int> teams = {})
{
    AssignedResultType r;
    r.AthleteId = athlete;
    r.Attempt = attempt;
    r.Type_ = kind;
    r.DistanceInMeter = kind == ResultValueType::Distance ? value : 0;
    r.TimeInSeconds = kind == ResultValueType::Time ? value : 0;
    r.Rank = kind == ResultValueType::Rank ? int(value) : 0;
    r.TeamId = std::move(teams);
    r.ResultID = 100 + athlete * 10 + attempt;
    return r;
}

AssignedResultType status(int athlete, int attempt, ResultValueType kind, const QString& text = {})
{
    AssignedResultType r = row(athlete, attempt, kind, 0);
    r.Info = ResultInfo::disq;
    r.InfoString = text;
    return r;
}

getResultTableResponse1 table(std::vector<AssignedResultType> rows, bool lower = false, bool team = false,
                              const QString& pattern = {})
{
    getResultTableResponse1 t;
    ResultTableType& type = t.ResultTableType.ensure();
    type.Team = team;
    type.ResultsPerRow = 3;
    type.LowerValuesAreHigherRanked = lower;
    type.ResultUnitPattern = pattern;
    t.Results = std::move(rows);
    return t;
}

double valueIn(const AssignedResultType& r)
{
    switch (r.Type_) {
    case ResultValueType::Time: return r.TimeInSeconds;
    case ResultValueType::Rank: return r.Rank;
    default: return r.DistanceInMeter;
    }
}

// (participant, value) of each row, best first.
std::vector<std::pair<int, double>> rowsOf(const getResultTableResponse1& t)
{
    std::vector<std::pair<int, double>> out;
    for (const AssignedResultType& r : t.Results)
        out.emplace_back(t.ResultTableType && t.ResultTableType->Team ? r.TeamId.at(0) : r.AthleteId, valueIn(r));
    return out;
}

using Rows = std::vector<std::pair<int, double>>;

// Disciplines 10 and 11 of competition 1; nodes from the test.
struct Graph {
    std::map<int, getResultTableResponse1> disciplines;
    std::map<int, Node> nodes;
    std::map<QString, double> competitionParams, cupParams;

    Evaluator evaluator()
    {
        return Evaluator(
            [this](int id) -> std::optional<Node> {
                auto it = nodes.find(id);
                return it == nodes.end() ? std::nullopt : std::optional<Node>(it->second);
            },
            [this](int id) -> std::optional<getResultTableResponse1> {
                auto it = disciplines.find(id);
                return it == disciplines.end() ? std::nullopt : std::optional(it->second);
            },
            [this](const QString& name, int cupId, int) -> std::optional<double> {
                const auto& params = cupId != 0 ? cupParams : competitionParams;
                auto it = params.find(name);
                return it == params.end() ? std::nullopt : std::optional(it->second);
            });
    }
    void node(int id, int templateId, std::vector<int> sources, std::vector<QString> parameters, int cup = 0)
    {
        nodes[id] = Node{id, templateId, std::move(sources), std::move(parameters), 1, cup};
    }
};

} // namespace

TEST(ScoringEvaluator, BestAttemptTakesEachAthletesBestValuedAttemptAndLeavesOutThoseWithoutValue)
{
    using enum ResultValueType;
    // A 3.10/3.45/3.20, B 2.90/"x"/3.05, C "disq."
    const getResultTableResponse1 jump = table(
        {row(1, 1, Distance, 3.10), row(1, 2, Distance, 3.45), row(1, 3, Distance, 3.20), row(2, 1, Distance, 2.90),
         status(2, 2, InfoString, QStringLiteral("x")), row(2, 3, Distance, 3.05), status(3, 1, Info)});
    const getResultTableResponse1 t = combine(BestAttempt, {bestValues(jump)}, {1.0});
    EXPECT_EQ(rowsOf(t), (Rows{{1, 3.45}, {2, 3.05}}));
    for (const AssignedResultType& r : t.Results) {
        EXPECT_EQ(r.Attempt, 1);
        EXPECT_EQ(r.ResultID, 0);
        EXPECT_EQ(r.Type_, Distance);
    }

    // Times: the smallest is best, the factor scales, the table keeps the source's direction.
    const getResultTableResponse1 sprint = table({row(1, 1, Time, 9.8), row(1, 2, Time, 9.5), row(2, 1, Time, 9.6)});
    const getResultTableResponse1 scaled = combine(BestAttempt, {bestValues(sprint)}, {2.0});
    EXPECT_EQ(rowsOf(scaled), (Rows{{1, 19.0}, {2, 19.2}}));
    EXPECT_TRUE(scaled.ResultTableType->LowerValuesAreHigherRanked);

    // A distance table whose lower values rank higher (a throw at a target) takes the smallest.
    const getResultTableResponse1 target =
        table({row(1, 1, Distance, 2.0), row(1, 2, Distance, 1.0), row(2, 1, Distance, 1.5)}, true, false,
              QStringLiteral("$(.00) m"));
    const getResultTableResponse1 t2 = combine(BestAttempt, {bestValues(target)}, {1.0});
    EXPECT_EQ(rowsOf(t2), (Rows{{1, 1.0}, {2, 1.5}}));
    EXPECT_EQ(t2.ResultTableType->ResultUnitPattern, QStringLiteral("$(.00) m"));

    // Equal values: the smaller id first.
    const getResultTableResponse1 tie = table({row(7, 1, Distance, 3.0), row(4, 1, Distance, 3.0)});
    EXPECT_EQ(rowsOf(combine(BestAttempt, {bestValues(tie)}, {1.0})), (Rows{{4, 3.0}, {7, 3.0}}));
}

TEST(ScoringEvaluator, SumRankPointsAndTeamRules)
{
    using enum ResultValueType;
    const getResultTableResponse1 a =
        table({row(1, 1, Distance, 3.0), row(2, 1, Distance, 2.0), row(3, 1, Distance, 4.0)});
    const getResultTableResponse1 b = table({row(1, 1, Distance, 1.0), row(2, 1, Distance, 2.0)});
    const getResultTableResponse1 c = table({row(1, 1, Distance, 5.0), row(2, 1, Distance, 2.0)});
    const std::vector<SourceValues> three{bestValues(a), bestValues(b), bestValues(c)};

    // Summe(1): the worst of three goes; with only one value nothing goes.
    EXPECT_EQ(rowsOf(combine(Sum, three, {1.0})), (Rows{{1, 8.0}, {2, 4.0}, {3, 4.0}}));
    EXPECT_EQ(rowsOf(combine(Sum, three, {0.0})), (Rows{{1, 9.0}, {2, 6.0}, {3, 4.0}}));

    // Rang over the sums (9, 6, 4): descending, then ascending; ties share the rank.
    const getResultTableResponse1 ranked = combine(TemplateId::Rank, three, {0.0});
    EXPECT_EQ(rowsOf(ranked), (Rows{{1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(ranked.Results.at(0).Type_, Rank);
    EXPECT_TRUE(ranked.ResultTableType->LowerValuesAreHigherRanked);
    EXPECT_EQ(rowsOf(combine(TemplateId::Rank, three, {1.0})), (Rows{{3, 1}, {2, 2}, {1, 3}}));
    const getResultTableResponse1 tied =
        table({row(1, 1, Distance, 5.0), row(2, 1, Distance, 5.0), row(3, 1, Distance, 4.0)});
    EXPECT_EQ(rowsOf(combine(TemplateId::Rank, {bestValues(tied)}, {0.0})), (Rows{{1, 1}, {2, 1}, {3, 3}}));

    // Punkte nach Tabelle: round(a * (v - b)^c), nothing below b; for times b - v.
    const getResultTableResponse1 pts = combine(PointsByTable, {bestValues(a)}, {10.0, 2.5, 1.0});
    EXPECT_EQ(rowsOf(pts), (Rows{{3, 15.0}, {1, 5.0}, {2, 0.0}}));
    EXPECT_EQ(pts.ResultTableType->ResultUnitPattern, QStringLiteral("$(.0) $P"));
    EXPECT_EQ(pts.Results.at(0).Type_, Distance);
    const getResultTableResponse1 run = table({row(1, 1, Time, 8.0), row(2, 1, Time, 12.0)});
    EXPECT_EQ(rowsOf(combine(PointsByTable, {bestValues(run)}, {3.0, 10.0, 2.0})), (Rows{{1, 12.0}, {2, 0.0}}));
    // c = 0.5 with d < 0 is no root of a negative number: 0 points.
    EXPECT_EQ(rowsOf(combine(PointsByTable, {bestValues(run)}, {1.0, 9.0, 0.5})), (Rows{{1, 1.0}, {2, 0.0}}));

    // Team: Beste N: per source the N best members of each team, summed over the sources.
    const getResultTableResponse1 m1 = table({row(1, 1, Distance, 3.0, {50}), row(2, 1, Distance, 4.0, {50}),
                                              row(3, 1, Distance, 1.0, {50}), row(4, 1, Distance, 2.0, {60})});
    const getResultTableResponse1 m2 = table({row(3, 1, Distance, 5.0, {50}), row(4, 1, Distance, 6.0, {60})});
    const getResultTableResponse1 teams = combine(TeamBestN, {bestValues(m1), bestValues(m2)}, {2.0});
    EXPECT_TRUE(teams.ResultTableType->Team);
    EXPECT_EQ(rowsOf(teams), (Rows{{50, 12.0}, {60, 8.0}}));
    EXPECT_EQ(teams.Results.at(0).AthleteId, 0);
}

TEST(ScoringEvaluator, ValuesThatLeaveTheFiniteNumbersGiveAnEmptyTableOfTheRightType)
{
    using enum ResultValueType;
    const getResultTableResponse1 a = table({row(1, 1, Distance, 3.0), row(2, 1, Distance, 2.0)});
    const getResultTableResponse1 huge = combine(PointsByTable, {bestValues(a)}, {1e308, 0.0, 2.0});
    EXPECT_TRUE(huge.Results.empty());
    ASSERT_TRUE(huge.ResultTableType);
    EXPECT_EQ(huge.ResultTableType->ResultUnitPattern, QStringLiteral("$(.0) $P"));
    EXPECT_TRUE(combine(BestAttempt, {bestValues(a)}, {1e308 * 10}).Results.empty());
    EXPECT_TRUE(
        combine(Sum, {bestValues(table({row(1, 1, Distance, 1e308)})), bestValues(table({row(1, 1, Distance, 1e308)}))},
                {0.0})
            .Results.empty());
    // A huge factor on ranks does not fit a rank.
    EXPECT_TRUE(combine(BestAttempt, {bestValues(table({row(1, 1, Rank, 3)}))}, {1e12}).Results.empty());
}

TEST(ScoringEvaluator, ParametersAreNumbersWithAPointOrNamesOfTheCupOrCompetition)
{
    Graph g;
    g.disciplines[10] = table({row(1, 1, ResultValueType::Distance, 2.0)});
    g.competitionParams[QStringLiteral("Faktor")] = 1.5;
    g.cupParams[QStringLiteral("Faktor")] = 3.0;
    g.node(20, BestAttempt, {10}, {QStringLiteral("Faktor")});
    g.node(21, BestAttempt, {10}, {QStringLiteral("Faktor")}, 7);
    g.node(22, BestAttempt, {10}, {QStringLiteral("0.5")});
    g.node(23, BestAttempt, {10}, {QStringLiteral("0,5")}); // no number, and no parameter of that name
    g.node(24, BestAttempt, {10}, {QStringLiteral("NaN")});
    g.node(25, BestAttempt, {10}, {QStringLiteral("inf")});
    g.node(26, BestAttempt, {10}, {QStringLiteral("1e2")});
    Evaluator e = g.evaluator();
    EXPECT_EQ(rowsOf(*e.table(20)), (Rows{{1, 3.0}}));
    EXPECT_EQ(rowsOf(*e.table(21)), (Rows{{1, 6.0}}));
    EXPECT_EQ(rowsOf(*e.table(22)), (Rows{{1, 1.0}}));
    EXPECT_EQ(rowsOf(*e.table(26)), (Rows{{1, 200.0}}));
    for (int unresolved : {23, 24, 25}) {
        const std::optional<getResultTableResponse1> t = e.table(unresolved);
        ASSERT_TRUE(t) << unresolved;
        EXPECT_TRUE(t->Results.empty()) << unresolved;
        EXPECT_TRUE(t->ResultTableType) << unresolved;
    }
    EXPECT_FALSE(e.table(99)) << "neither discipline nor node";
}

TEST(ScoringEvaluator, GraphsChainNodesCountRepeatedSourcesOnceAndSurviveCycles)
{
    Graph g;
    using enum ResultValueType;
    g.disciplines[10] = table({row(1, 1, Distance, 3.0, {50}), row(2, 1, Distance, 4.0, {50})});
    g.disciplines[11] = table({row(1, 1, Time, 8.0, {50}), row(2, 1, Time, 9.0, {50})});
    g.node(20, PointsByTable, {10}, {QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("1")});
    g.node(21, PointsByTable, {11}, {QStringLiteral("10"), QStringLiteral("10"), QStringLiteral("1")});
    g.node(22, Sum, {20, 21, 20}, {QStringLiteral("0")});
    g.node(23, TeamBestN, {20, 21}, {QStringLiteral("1")});
    g.node(30, Sum, {31, 10}, {QStringLiteral("0")});
    g.node(31, Sum, {30, 10}, {QStringLiteral("0")});
    Evaluator e = g.evaluator();
    // 1: 10 + 20 points, 2: 20 + 10 points; the repeated source counts once.
    EXPECT_EQ(rowsOf(*e.table(22)), (Rows{{1, 30.0}, {2, 30.0}}));
    // The team's best member per node: 20 + 20.
    EXPECT_EQ(rowsOf(*e.table(23)), (Rows{{50, 40.0}}));
    // Each of two nodes feeding each other: finite, and no node waits for itself.
    for (int id : {30, 31}) {
        const std::optional<getResultTableResponse1> t = e.table(id);
        ASSERT_TRUE(t);
        for (const AssignedResultType& r : t->Results)
            EXPECT_TRUE(std::isfinite(r.DistanceInMeter));
    }
}

TEST(ScoringEvaluator, ThePerSourceStepReKeysParticipants)
{
    using enum ResultValueType;
    const getResultTableResponse1 jump =
        table({row(1, 1, Distance, 3.0), row(2, 1, Distance, 4.0), row(3, 1, Distance, 5.0)});
    // Athletes 1 and 2 are one cup athlete (900); 3 has none.
    const SourceValues v = bestValues(jump, [](int id) { return id == 3 ? 0 : 900; });
    ASSERT_EQ(v.values.size(), 1u);
    EXPECT_EQ(v.values[0].participant, 900);
    EXPECT_EQ(v.values[0].value, 4.0);
    // A team table's row without team counts for nobody.
    AssignedResultType orphan = row(0, 1, Distance, 9.0);
    const SourceValues t = bestValues(table({orphan, row(0, 1, Distance, 2.0, {50})}, false, true));
    ASSERT_EQ(t.values.size(), 1u);
    EXPECT_EQ(t.values[0].participant, 50);
}

// ---- over HTTP --------------------------------------------------------------------------------

class StandinNodeTables : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        c = standin.newClient();
        StandinSeed seed(standin.dataFile());
        comp = seed.competition(QStringLiteral("Sportfest"));
        team = seed.team(comp, QStringLiteral("Füchse"), 0);
        a = seed.athlete(comp, QStringLiteral("Anna"), QStringLiteral("A"), team);
        b = seed.athlete(comp, QStringLiteral("Ben"), QStringLiteral("B"), team);
        cc = seed.athlete(comp, QStringLiteral("Cem"), QStringLiteral("C"), team);
        ResultTableType t;
        t.ResultsPerRow = 3;
        jump = seed.discipline(comp, QStringLiteral("Weitsprung"), 0, t);
        using enum ResultValueType;
        seed.measured(jump, a, 1, Distance, 3.10);
        seed.measured(jump, a, 2, Distance, 3.45);
        seed.measured(jump, a, 3, Distance, 3.20);
        seed.measured(jump, b, 1, Distance, 2.90);
        seed.measured(jump, b, 2, InfoString, 0, QStringLiteral("x"));
        seed.measured(jump, b, 3, Distance, 3.05);
        seed.measured(jump, cc, 1, Info, 0);
        seed.globalParameter(comp, QStringLiteral("Faktor"), 1.0);
    }

    int assign(int templateId, std::vector<int> sources, std::vector<QString> parameters)
    {
        ResultAggregatorInstanceInfoType n;
        n.TemplateID = templateId;
        n.ConnectedAggregators = std::move(sources);
        n.Parameters = std::move(parameters);
        return c->cms()->assignResultAggregator(n).CreatedResultAggregator->ID;
    }

    std::unique_ptr<StandinClient> c;
    int comp = 0, team = 0, a = 0, b = 0, cc = 0, jump = 0;
};

TEST_F(StandinNodeTables, NodeTablesAreComputedOnEveryReadAndUnknownIdsAreRefusedWith22)
{
    const int best = assign(BestAttempt, {jump}, {QStringLiteral("Faktor")});
    const getResultTableResponse1 t = c->drs()->getResultTable(best);
    ASSERT_EQ(t.Results.size(), 2u);
    EXPECT_EQ(t.Results[0].AthleteId, a);
    EXPECT_DOUBLE_EQ(t.Results[0].DistanceInMeter, 3.45);
    EXPECT_EQ(t.Results[1].AthleteId, b);
    EXPECT_DOUBLE_EQ(t.Results[1].DistanceInMeter, 3.05);

    // The parameter changes, the next read follows.
    StandinSeed(standin.dataFile()).globalParameter(comp, QStringLiteral("Faktor"), 2.0);
    EXPECT_DOUBLE_EQ(c->drs()->getResultTable(best).Results.at(0).DistanceInMeter, 6.9);

    // The team node and the tree's types: a team table, a rank table with lower values first.
    const int teamBest = assign(TeamBestN, {best}, {QStringLiteral("2")});
    const getResultTableResponse1 tt = c->drs()->getResultTable(teamBest);
    ASSERT_EQ(tt.Results.size(), 1u);
    EXPECT_EQ(tt.Results[0].TeamId, std::vector<int>{team});
    EXPECT_NEAR(tt.Results[0].DistanceInMeter, 2 * (3.45 + 3.05), 1e-9);
    const int rank = assign(TemplateId::Rank, {best}, {QStringLiteral("0")});
    const getResultAggregatorTreeResponse1 tree = c->drs()->getResultAggregatorTree(jump, comp);
    std::map<int, ResultTableType> types;
    std::function<void(const AggregatorTreeNodeType&)> walk = [&](const AggregatorTreeNodeType& n) {
        if (n.AggregatorInfo && n.AggregatorInfo->ResultTableType)
            types[n.ID] = *n.AggregatorInfo->ResultTableType;
        for (const AggregatorTreeNodeType& child : n.OutputConnections)
            walk(child);
    };
    for (const AggregatorTreeNodeType& root : tree)
        walk(root);
    EXPECT_TRUE(types.at(teamBest).Team);
    EXPECT_FALSE(types.at(best).Team);
    EXPECT_TRUE(types.at(rank).LowerValuesAreHigherRanked);

    EXPECT_EQ(errorIdOf([&] { c->drs()->getResultTable(987654); }), 22);
    bool named = false;
    for (const ExceptionMessageType& m : c->drs()->getExceptionMessages(0))
        named = named || (m.ExceptionID == 22 && m.ExceptionMessage.contains(QStringLiteral("Disziplin")));
    EXPECT_TRUE(named);
}

// Points by the written rule for what was typed: halves go up even where binary floating point
// lands just below them. Hand-computed: a = 50, b = 1.5, c = 1 for the jumps, b = 12 s for the run.
TEST_F(StandinNodeTables, TablePointsOfTypedResultsRoundTheirExactHalvesAwayFromZero)
{
    StandinSeed seed(standin.dataFile());
    ResultTableType single;
    single.ResultsPerRow = 1;
    const int longJump = seed.discipline(comp, QStringLiteral("Weitsprung U12"), 0, single);
    const int run = seed.discipline(comp, QStringLiteral("50 m"), 0, single);
    struct Case {
        double metres;
        double points;
    };
    const std::vector<Case> jumps{
        {3.57, 104}, // 2.07 * 50 = 103.5
        {3.53, 102}, // 2.03 * 50 = 101.5
        {3.55, 103}, // 2.05 * 50 = 102.5
        {3.01, 76},  // 1.51 * 50 = 75.5
        {3.10, 80},  // 1.60 * 50 = 80
        {1.40, 0},   // below b
    };
    std::map<int, double> expected;
    std::vector<int> jumpers;
    for (std::size_t i = 0; i < jumps.size(); ++i) {
        jumpers.push_back(seed.athlete(comp, QStringLiteral("Springer %1").arg(i), QStringLiteral("S")));
        seed.measured(longJump, jumpers.back(), 1, ResultValueType::Distance, jumps[i].metres);
        expected[jumpers.back()] = jumps[i].points;
    }
    const int runner = seed.athlete(comp, QStringLiteral("Läuferin"), QStringLiteral("L"));
    seed.measured(run, runner, 1, ResultValueType::Time, 10.99); // (12 - 10.99) * 50 = 50.5

    auto pointsOf = [&](int node) {
        std::map<int, double> out;
        for (const AssignedResultType& r : c->drs()->getResultTable(node).Results)
            out[r.AthleteId] = r.DistanceInMeter;
        return out;
    };
    const auto points = [](const char* factor, const char* base, const char* exponent) {
        return std::vector<QString>{QString::fromLatin1(factor), QString::fromLatin1(base),
                                    QString::fromLatin1(exponent)};
    };
    EXPECT_EQ(pointsOf(assign(PointsByTable, {longJump}, points("50", "1.5", "1"))), expected);
    EXPECT_EQ(pointsOf(assign(PointsByTable, {run}, points("50", "12", "1"))), (std::map<int, double>{{runner, 51}}));
    // A square: 3.01 m over b = 2.11 is 0.9^2 * 50 = 40.5.
    EXPECT_EQ(pointsOf(assign(PointsByTable, {longJump}, points("50", "2.11", "2"))).at(jumpers[3]), 41.0);
    // A negative factor rounds its halves away from zero too.
    EXPECT_EQ(pointsOf(assign(PointsByTable, {run}, points("-50", "12", "1"))), (std::map<int, double>{{runner, -51}}));
}

// A factor a hair above a whole number, or a tiny one, is taken as typed: 3.45^12 is
// 2843342.266..., so 1.0000005 times it is 2843343.688 and 0.0000005 times it 1.42.
TEST_F(StandinNodeTables, TablePointsTakeANearWholeOrTinyFactorAsTyped)
{
    StandinSeed seed(standin.dataFile());
    ResultTableType single;
    single.ResultsPerRow = 1;
    const int longJump = seed.discipline(comp, QStringLiteral("Weitsprung U10"), 0, single);
    const int jumper = seed.athlete(comp, QStringLiteral("Springerin"), QStringLiteral("S"));
    seed.measured(longJump, jumper, 1, ResultValueType::Distance, 3.45);
    const auto pointsFor = [&](const char* factor) {
        const int node =
            assign(PointsByTable, {longJump}, {QString::fromLatin1(factor), QStringLiteral("0"), QStringLiteral("12")});
        const auto results = c->drs()->getResultTable(node).Results;
        return results.size() == 1 ? results[0].DistanceInMeter : -1.0;
    };
    EXPECT_EQ(pointsFor("1.0000005"), 2843344.0);
    EXPECT_EQ(pointsFor("0.0000005"), 1.0);
    EXPECT_EQ(pointsFor("1"), 2843342.0);
}
