// The sources of the open scoring node: how each row is named and placed from the tree, the
// window's disciplines and the server's answers.

#include "scoring/AggregatorSources.h"
#include "scoring/AggregatorTreeModel.h"

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;

namespace {

AggregatorTreeNodeType node(int id, std::vector<int> sources, int templateId)
{
    AggregatorTreeNodeType n;
    n.ID = id;
    ResultAggregatorInstanceType& info = n.AggregatorInfo.ensure();
    info.TemplateID = templateId;
    info.ConnectedAggregators = std::move(sources);
    info.Parameters = {QStringLiteral("1")};
    return n;
}

DisciplinType discipline(int id, const QString& name, int competition)
{
    DisciplinType d;
    d.DisciplinID = id;
    d.Name = name;
    d.CompetitionID = competition;
    return d;
}

class Sources : public ::testing::Test {
protected:
    Sources()
    {
        best.ID = 1;
        best.Name = QStringLiteral("Bester Versuch");
        best.ParameterTypes.resize(1);
        sprint.id = 7;
        sprint.name = QStringLiteral("Sprint");
        sprint.competitionId = 2;
        wurf.id = 30;
        wurf.name = QStringLiteral("Wurf");
        wurf.competitionId = 2;
        AggregatorTreeNodeType root;
        root.ID = 7;
        root.OutputConnections = {node(8, {7}, 1), node(9, {7}, 99)};
        tree = std::make_unique<TAggregatorTreeModel>(
            std::vector<AggregatorTreeNodeType>{root}, std::vector<int>{7},
            [this](int id) { return id == 1 ? &best : nullptr; }, &sprint);
    }

    const TSourceRow& row(int id) const { return *sources.row(sources.indexOf(id)); }

    ResultAggregatorTemplateType best;
    TDisciplineInfo sprint;
    TDisciplineInfo wurf;
    std::unique_ptr<TAggregatorTreeModel> tree;
    TAggregatorSources sources{[this](int id) { return id == wurf.id ? &wurf : nullptr; }};
};

} // namespace

TEST_F(Sources, RowsAreResolvedFromTheTreeTheWindowsDisciplinesOrLeftForTheServer)
{
    EXPECT_TRUE(sources.add(7));
    EXPECT_FALSE(sources.add(7)) << "an id is listed once";
    for (int id : {8, 9, 30, 55})
        sources.add(id);
    EXPECT_TRUE(sources.resolve().labelKeys.empty()) << "nothing is resolved without a tree";
    EXPECT_EQ(TAggregatorSources::caption(row(8)), QStringLiteral("Lade... (8)"));
    EXPECT_EQ(TAggregatorSources::origin(row(8)), QStringLiteral("Lade..."));

    sources.attach(tree.get());
    const TAggregatorSources::TServerWork work = sources.resolve();
    EXPECT_EQ(TAggregatorSources::caption(row(7)), QStringLiteral("Ergebnisse Sprint (7)"));
    EXPECT_EQ(TAggregatorSources::origin(row(7)), QStringLiteral("Intern"));
    EXPECT_EQ(row(7).SourceDisciplinId, 7);
    EXPECT_EQ(row(7).CompetitionId, 2);
    EXPECT_EQ(TAggregatorSources::caption(row(8)), QStringLiteral("Lade... (8)")) << "its label is still loading";
    EXPECT_EQ(row(8).TemplateName, QStringLiteral("Bester Versuch"));
    EXPECT_FALSE(row(8).updated) << "resolved again once its labels are there";
    EXPECT_EQ(TAggregatorSources::caption(row(9)), QStringLiteral("Unbekannt (9)"));
    EXPECT_EQ(TAggregatorSources::caption(row(30)), QStringLiteral("Ergebnisse Wurf (30)"));
    EXPECT_EQ(TAggregatorSources::origin(row(30)), QStringLiteral("Extern (Wurf)"));
    EXPECT_EQ(TAggregatorSources::origin(row(55)), QStringLiteral("Extern, lade..."));
    ASSERT_EQ(work.externalDiscs, std::vector<int>{55});
    ASSERT_EQ(work.labelKeys.size(), 1u);
    EXPECT_EQ(work.labelKeys[0].Key, QStringLiteral("Label"));
    EXPECT_EQ(work.labelKeys[0].AssotiatedId, 55);

    UiInfoKeyValuePair label;
    label.Key = makeUiInfoKey(QStringLiteral("Label"), 8);
    label.Value = QStringLiteral("Gesamt");
    tree->setLabelsToAggTree({label}, 0);
    UiInfoKeyValuePair mark;
    mark.Key = makeUiInfoKey(QStringLiteral("ResAgg_VisAnalysis"), 8);
    tree->setLabelsToAggTree({mark}, 0);
    EXPECT_TRUE(sources.resolve().labelKeys.empty()) << "resolved rows are not asked again";
    EXPECT_EQ(TAggregatorSources::caption(row(8)), QStringLiteral("Gesamt (8)"));
    EXPECT_TRUE(row(8).updated);
}

TEST_F(Sources, TheServersAnswersNameAndPlaceTheRestOfTheRows)
{
    for (int id : {-55, 56, 57, 58})
        sources.add(id);
    UiInfoKeyValuePair named;
    named.Key = makeUiInfoKey(QStringLiteral("Label"), -55);
    named.Value = QStringLiteral("Cup-Wertung");
    UiInfoKeyValuePair unnamed;
    unnamed.Key = makeUiInfoKey(QStringLiteral("Label"), 56);
    EXPECT_EQ(sources.applyLabels({named, unnamed}), std::vector<int>{56}) << "these need their template's name";
    EXPECT_EQ(TAggregatorSources::caption(row(-55)), QStringLiteral("Cup-Wertung (55)")) << "ids without sign";
    sources.applyTemplateName(56, QStringLiteral("Summe"));
    EXPECT_EQ(TAggregatorSources::caption(row(56)), QStringLiteral("Summe (56)"));
    sources.applyNotAnAggregator(57);
    EXPECT_EQ(TAggregatorSources::caption(row(57)), QStringLiteral("Ergebnisse (57)"));

    sources.applyExternalDisciplines(
        56,
        {discipline(3, QStringLiteral("Sprint"), 1), discipline(4, QStringLiteral("Wurf"), 2),
         discipline(5, QStringLiteral("Lauf"), 2), discipline(6, QStringLiteral("Sprung"), 9)},
        2);
    EXPECT_EQ(TAggregatorSources::origin(row(56)), QStringLiteral("Sprint, Wurf, Lauf, Sprung"));
    EXPECT_EQ(row(56).SourceDisciplinId, 5) << "the last of the current competition";
    EXPECT_EQ(row(56).CompetitionId, 2);
    sources.applyExternalDisciplines(58, {discipline(6, QStringLiteral("Sprung"), 9)}, 2);
    EXPECT_EQ(row(58).SourceDisciplinId, 6) << "else the first";
    sources.applyExternalDisciplines(57, {}, 2);
    EXPECT_EQ(TAggregatorSources::origin(row(57)), QStringLiteral("Fehler beim Laden."));
    EXPECT_EQ(row(57).SourceDisciplinId, 0);

    sources.remove(0);
    EXPECT_EQ(sources.count(), 3);
    EXPECT_EQ(sources.row(3), nullptr);
}
