// The stand-in's global parameters of competitions and cups over HTTP: the lists each side sees,
// overwriting by name, the refusals of removals while scoring nodes name a parameter, and scoring
// nodes whose parameter text resolves to nothing.

#include "tests/support/StandinHarness.h"
#include "tests/support/StandinSeed.h"

using namespace tvp;
using namespace tvp::proto;
using namespace tvp::test;

namespace {

GlobalParametersInfoType param(const QString& key, double value)
{
    GlobalParametersInfoType p;
    p.Key = key;
    p.Value = value;
    return p;
}

// "Key=Value[ro]@cup" per entry, for comparing whole lists.
QStringList describe(const getGlobalParametersResponse& list)
{
    QStringList out;
    for (const GlobalParametersType& p : list)
        out << QStringLiteral("%1=%2%3%4")
                   .arg(p.Key)
                   .arg(p.Value)
                   .arg(p.IsReadOnly ? QStringLiteral("[ro]") : QString())
                   .arg(p.Cup ? QStringLiteral("@") + p.Cup->Name : QString());
    return out;
}

ResultAggregatorInstanceInfoType node(int templateId, int source, std::vector<QString> parameters)
{
    ResultAggregatorInstanceInfoType n;
    n.TemplateID = templateId;
    n.ConnectedAggregators = {source};
    n.Parameters = std::move(parameters);
    return n;
}

class StandinParameters : public StandinTest {
protected:
    void SetUp() override
    {
        standin.start();
        c = standin.newClient();
        comp = c->create(QStringLiteral("Sportfest"));
        other = c->create(QStringLiteral("Herbstfest"));
        DisciplinInfoType s;
        s.Name = QStringLiteral("Weitsprung");
        s.ResultTableType.ensure().ResultsPerRow = 3;
        disc = c->cms()->createDisciplin(s, comp).Disciplin->DisciplinID;
    }

    int assign(std::vector<QString> parameters, QStringList* errorParameters = nullptr)
    {
        int id = 0;
        const int error = errorIdOf(
            [&] {
                id = c->cms()->assignResultAggregator(node(1, disc, std::move(parameters))).CreatedResultAggregator->ID;
            },
            errorParameters);
        return error == -1000 ? id : -error;
    }

    std::unique_ptr<StandinClient> c;
    int comp = 0, other = 0, disc = 0;
};

} // namespace

TEST_F(StandinParameters, ACompetitionSeesItsOwnParametersThenThoseOfItsCupsReadOnly)
{
    StandinSeed seed(standin.dataFile());
    const int cup = seed.cup(QStringLiteral("Kreiscup"), {comp, other},
                             {{QStringLiteral("Faktor"), 2.0}, {QStringLiteral("Bonus"), 5.0}});
    seed.cup(QStringLiteral("Fremder Cup"), {other}, {{QStringLiteral("X"), 1.0}});

    c->cms()->setGlobalParameter(comp, {param(QStringLiteral("Faktor"), 1.5), param(QStringLiteral("Abzug"), 0.25)});
    // Overwriting keeps the entry's place; a new name comes last.
    c->cms()->setGlobalParameter(comp, {param(QStringLiteral("Faktor"), 1.75), param(QStringLiteral("Neu"), -1)});
    EXPECT_EQ(describe(c->drs()->getGlobalParameters(comp)),
              (QStringList{QStringLiteral("Faktor=1.75"), QStringLiteral("Abzug=0.25"), QStringLiteral("Neu=-1"),
                           QStringLiteral("Faktor=2[ro]@Kreiscup"), QStringLiteral("Bonus=5[ro]@Kreiscup")}));
    EXPECT_EQ(errorIdOf([&] { c->drs()->getGlobalParameters(4711); }), 3);

    // The cup's own list is editable there and names the cup with its competitions.
    const getGlobalParametersResponse own = c->crs()->getCupParameters(cup);
    EXPECT_EQ(describe(own), (QStringList{QStringLiteral("Faktor=2@Kreiscup"), QStringLiteral("Bonus=5@Kreiscup")}));
    ASSERT_TRUE(own[0].Cup);
    EXPECT_EQ(own[0].Cup->CupID, cup);
    const getCupResponse record = c->crs()->getCup(cup);
    ASSERT_TRUE(record.cup);
    EXPECT_EQ(record.cup->Name, QStringLiteral("Kreiscup"));
    ASSERT_EQ(record.cup->AssignedCompetitions.size(), 2u);
    EXPECT_EQ(record.cup->AssignedCompetitions[0].Name, QStringLiteral("Sportfest"));

    c->css()->setCupParameter(cup, {param(QStringLiteral("Bonus"), 6)});
    EXPECT_EQ(describe(c->crs()->getCupParameters(cup)),
              (QStringList{QStringLiteral("Faktor=2@Kreiscup"), QStringLiteral("Bonus=6@Kreiscup")}));

    // An unknown cup is 80 everywhere.
    EXPECT_EQ(errorIdOf([&] { c->crs()->getCup(4711); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->crs()->getCupParameters(4711); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->css()->setCupParameter(4711, {param(QStringLiteral("A"), 1)}); }), 80);
    EXPECT_EQ(errorIdOf([&] { c->css()->removeCupParameter(4711, QStringLiteral("A"), true); }), 80);
}

TEST_F(StandinParameters, RemovingAParameterANodeNamesIsRefusedUntilForcedAndTheNodeKeepsTheName)
{
    c->cms()->setGlobalParameter(comp, {param(QStringLiteral("Faktor"), 1.5), param(QStringLiteral("Frei"), 2)});
    c->cms()->setGlobalParameter(other, {param(QStringLiteral("Faktor"), 3)});
    const int best = assign({QStringLiteral("Faktor")});
    ASSERT_GT(best, 0);

    QStringList parameters;
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeGlobalParameter(comp, QStringLiteral("Faktor"), false); }, &parameters),
              180);
    EXPECT_EQ(parameters.value(0), QStringLiteral("Faktor"));
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeGlobalParameter(comp, QStringLiteral("faktor"), false); }), 59)
        << "names are compared exactly";
    // Another competition's parameter of that name is not used by this node.
    c->cms()->removeGlobalParameter(other, QStringLiteral("Faktor"), false);
    c->cms()->removeGlobalParameter(comp, QStringLiteral("Frei"), false);

    c->cms()->removeGlobalParameter(comp, QStringLiteral("Faktor"), true);
    EXPECT_TRUE(c->drs()->getGlobalParameters(comp).empty());
    const getResultAggregatorTreeResponse1 tree = c->drs()->getResultAggregatorTree(disc, 0);
    EXPECT_EQ(tree.at(0).OutputConnections.at(0).AggregatorInfo->Parameters,
              std::vector<QString>{QStringLiteral("Faktor")});
    // Gone meanwhile: 59 with the name, whatever the force flag.
    EXPECT_EQ(errorIdOf([&] { c->cms()->removeGlobalParameter(comp, QStringLiteral("Faktor"), true); }, &parameters),
              59);
    EXPECT_EQ(parameters, QStringList{QStringLiteral("Faktor")});

    // The cup twin: its nodes guard its parameters with 181.
    StandinSeed seed(standin.dataFile());
    const int cup = seed.cup(QStringLiteral("Kreiscup"), {comp}, {{QStringLiteral("Basis"), 10}});
    const int cupNode = seed.aggregator(comp, {disc});
    seed.db().query("UPDATE aggregators SET cup_id = ? WHERE id = ?", cup, cupNode).run();
    seed.db()
        .query("INSERT INTO aggregator_parameters (aggregator_id, position, value) VALUES (?, 0, 'Basis')", cupNode)
        .run();
    EXPECT_EQ(errorIdOf([&] { c->css()->removeCupParameter(cup, QStringLiteral("Basis"), false); }), 181);
    EXPECT_EQ(errorIdOf([&] { c->css()->removeCupParameter(cup, QStringLiteral("Nix"), false); }), 59);
    c->css()->removeCupParameter(cup, QStringLiteral("Basis"), true);
    EXPECT_TRUE(c->crs()->getCupParameters(cup).empty());
}

TEST_F(StandinParameters, ANodeParameterMustBeANumberWithPointOrAParameterOfItsCompetitionOrCup)
{
    QStringList parameters;
    EXPECT_EQ(assign({QStringLiteral("Faktor")}, &parameters), -57);
    ASSERT_EQ(parameters.size(), 3);
    EXPECT_EQ(parameters[2], QStringLiteral("Faktor"));
    EXPECT_EQ(assign({QStringLiteral("1,5")}), -57) << "the wire's separator is the point";
    EXPECT_EQ(assign({QString()}), -57);
    EXPECT_EQ(assign({QStringLiteral("nan")}), -57);
    EXPECT_EQ(assign({QStringLiteral("inf")}), -57);
    EXPECT_GT(assign({QStringLiteral("1.5")}), 0);
    EXPECT_GT(assign({QStringLiteral("-2e3")}), 0);

    // Another competition's parameter, or a cup's the node does not belong to, does not count.
    c->cms()->setGlobalParameter(other, {param(QStringLiteral("Faktor"), 3)});
    StandinSeed seed(standin.dataFile());
    const int cup = seed.cup(QStringLiteral("Kreiscup"), {comp}, {{QStringLiteral("Basis"), 10}});
    EXPECT_EQ(assign({QStringLiteral("Faktor")}), -57);
    EXPECT_EQ(assign({QStringLiteral("Basis")}), -57);

    c->cms()->setGlobalParameter(comp, {param(QStringLiteral("Faktor"), 1.5)});
    const int best = assign({QStringLiteral("Faktor")});
    ASSERT_GT(best, 0);

    // A change is checked the same way; a node of the cup takes the cup's parameters too.
    EXPECT_EQ(
        errorIdOf([&] { c->cms()->modifyAssignedResultAggregator(best, node(1, disc, {QStringLiteral("Basis")})); },
                  &parameters),
        57);
    EXPECT_EQ(parameters.value(2), QStringLiteral("Basis"));
    seed.db().query("UPDATE aggregators SET cup_id = ? WHERE id = ?", cup, best).run();
    c->cms()->modifyAssignedResultAggregator(best, node(1, disc, {QStringLiteral("Basis")}));
    c->cms()->modifyAssignedResultAggregator(best, node(1, disc, {QStringLiteral("Faktor")}));
}

TEST_F(StandinParameters, EveryRefusalHasAGermanTextTakingItsParameters)
{
    const getExceptionMessagesResponse1 texts = c->drs()->getExceptionMessages(0);
    const auto textOf = [&](int id) {
        for (const ExceptionMessageType& m : texts)
            if (m.ExceptionID == id)
                return m.ExceptionMessage;
        return QString();
    };
    EXPECT_EQ(textOf(57).count(QStringLiteral("%s")), 3);
    for (int id : {59, 80})
        EXPECT_EQ(textOf(id).count(QStringLiteral("%s")), 1) << id;
    for (int id : {180, 181})
        EXPECT_EQ(textOf(id).count(QStringLiteral("%s")), 2) << id;
}
