// The scoring-node tree model: where the boxes go, what kind and colour each node has, what the
// boxes say, and how labels and marks from UI infos reach the nodes.

#include "scoring/AggregatorTreeModel.h"

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;

namespace {

AggregatorTreeNodeType leaf(int id)
{
    AggregatorTreeNodeType n;
    n.ID = id;
    return n;
}

AggregatorTreeNodeType aggregator(int id, std::vector<int> sources, std::vector<AggregatorTreeNodeType> children = {},
                                  int templateId = 1, std::vector<QString> parameters = {QStringLiteral("12.5")})
{
    AggregatorTreeNodeType n;
    n.ID = id;
    ResultAggregatorInstanceType& info = n.AggregatorInfo.ensure();
    info.ID = id;
    info.TemplateID = templateId;
    info.ConnectedAggregators = std::move(sources);
    info.Parameters = std::move(parameters);
    n.OutputConnections = std::move(children);
    return n;
}

AggregatorTreeNodeType withChildren(AggregatorTreeNodeType n, std::vector<AggregatorTreeNodeType> children)
{
    n.OutputConnections = std::move(children);
    return n;
}

// Colours as the model keeps them: red, green and blue with a zero high byte.
QRgb rgb(int r, int g, int b)
{
    return qRgb(r, g, b) & 0xFFFFFF;
}

UiInfoKeyValuePair pair(const QString& key, int id, const QString& value)
{
    UiInfoKeyValuePair p;
    p.Key = makeUiInfoKey(key, id);
    p.Value = value;
    return p;
}

class TreeModel : public ::testing::Test {
protected:
    TreeModel()
    {
        ResultAggregatorTemplateType best;
        best.ID = 1;
        best.Name = QStringLiteral("Bester Versuch");
        best.ParameterTypes.resize(1);
        best.ParameterTypes[0].Name = QStringLiteral("Faktor");
        templates.push_back(best);
        disc.id = 7;
        disc.name = QStringLiteral("Sprint");
    }

    std::unique_ptr<TAggregatorTreeModel> build(const std::vector<AggregatorTreeNodeType>& roots,
                                                TParameterResolver resolver = {})
    {
        return std::make_unique<TAggregatorTreeModel>(
            roots, std::vector<int>{disc.id},
            [this](int id) -> const ResultAggregatorTemplateType* {
                for (const auto& t : templates)
                    if (t.ID == id)
                        return &t;
                return nullptr;
            },
            &disc, std::move(resolver));
    }

    QPoint at(const TAggregatorTreeModel& tree, int id) const { return tree.findNode(id)->box().topLeft(); }

    std::vector<ResultAggregatorTemplateType> templates;
    TDisciplineInfo disc;
};

} // namespace

TEST_F(TreeModel, TheLayoutPlacesLeavesInColumnsOf150AndEachParentCentredAboveItsChildren)
{
    // One root without children.
    auto single = build({leaf(7)});
    EXPECT_EQ(at(*single, 7), QPoint(20, 5));
    EXPECT_EQ(single->node(0)->box().size(), QSize(140, 40));

    // A root with two leaf children, and its lines.
    auto two = build({withChildren(leaf(7), {aggregator(8, {7}), aggregator(9, {7})})});
    EXPECT_EQ(at(*two, 8), QPoint(20, 70));
    EXPECT_EQ(at(*two, 9), QPoint(170, 70));
    EXPECT_EQ(at(*two, 7), QPoint(95, 5));
    const std::vector<TAggregatorLine> lines = two->lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].from, QPoint(165, 45));
    EXPECT_EQ(lines[0].to, QPoint(90, 70));
    EXPECT_EQ(lines[1].from, QPoint(165, 45));
    EXPECT_EQ(lines[1].to, QPoint(240, 70));
    // Children come first in the node list.
    EXPECT_EQ(two->node(0)->ID(), 8);
    EXPECT_EQ(two->node(2)->ID(), 7);
    EXPECT_EQ(two->UiRootNodes().size(), 1u);

    // Three rows: the third row 65 below the second.
    auto deep = build({withChildren(leaf(7), {aggregator(8, {7}, {aggregator(9, {8})})})});
    EXPECT_EQ(at(*deep, 9), QPoint(20, 135));
    EXPECT_EQ(at(*deep, 8), QPoint(20, 70));
    EXPECT_EQ(at(*deep, 7), QPoint(20, 5));
}

TEST_F(TreeModel, ANodeUnderTwoParentsIsMadeOnceAndAParentOfKnownChildrenTakesOneColumn)
{
    // 7 and 6 both feed 9; 9 sits under 7, which introduced it; 6 takes a column of its own.
    const AggregatorTreeNodeType shared = aggregator(9, {7, 6});
    auto tree = build({withChildren(leaf(7), {shared}), withChildren(leaf(6), {shared})});
    ASSERT_EQ(tree->getAggregatorCount(), 3);
    EXPECT_EQ(at(*tree, 9), QPoint(20, 70));
    EXPECT_EQ(at(*tree, 7), QPoint(20, 5));
    EXPECT_EQ(at(*tree, 6), QPoint(170, 5));
    const std::vector<TAggregatorLine> lines = tree->lines();
    ASSERT_EQ(lines.size(), 2u) << "both parents draw a line to it";
    EXPECT_EQ(lines[1].from, QPoint(240, 45));
    EXPECT_EQ(lines[1].to, QPoint(90, 70));
    const std::vector<TUiAggregator*> parents = tree->findNode(9)->getParents();
    ASSERT_EQ(parents.size(), 2u);
    EXPECT_EQ(parents[0]->ID(), 7);
    EXPECT_EQ(parents[1]->ID(), 6);
}

TEST_F(TreeModel, KindsAndColoursFollowTheSourcesAndTheAnalysisMark)
{
    AggregatorTreeNodeType cup = aggregator(12, {7});
    cup.AggregatorInfo->Cup.ensure().CupID = 3;
    auto tree = build({withChildren(
        leaf(7), {aggregator(8, {7}, {aggregator(10, {8})}), aggregator(9, {7, 4711}), aggregator(11, {}), cup})});
    EXPECT_EQ(tree->findNode(7)->getType(), TAggregatorType::ag_Unknown);
    EXPECT_EQ(tree->findNode(8)->getType(), TAggregatorType::ag_DiscInternal);
    EXPECT_EQ(tree->findNode(10)->getType(), TAggregatorType::ag_DiscInternal) << "fed by an internal node";
    EXPECT_EQ(tree->findNode(9)->getType(), TAggregatorType::ag_ExtRef) << "one source is neither local nor here";
    EXPECT_EQ(tree->findNode(11)->getType(), TAggregatorType::ag_DiscInternal) << "no inputs";
    EXPECT_EQ(tree->findNode(12)->getType(), TAggregatorType::ag_CupRef);
    EXPECT_EQ(tree->findNode(12)->cupId(), 3);

    // Paler until shown in the analysis.
    EXPECT_EQ(tree->findNode(7)->Color(), rgb(192, 192, 192));
    EXPECT_EQ(tree->findNode(8)->Color(), rgb(233, 233, 99));
    EXPECT_EQ(tree->findNode(9)->Color(), rgb(99, 233, 233));
    EXPECT_EQ(tree->findNode(12)->Color(), rgb(166, 233, 166));
    tree->setLabelsToAggTree({pair(QStringLiteral("ResAgg_VisAnalysis"), 8, QStringLiteral("true"))}, 0);
    EXPECT_EQ(tree->findNode(8)->Color(), rgb(224, 224, 32));
    EXPECT_EQ(tree->findNode(8)->VisAnalysis(), TBool::bTrue);
    // "false" is no value the mark knows; the empty text clears it.
    tree->setLabelsToAggTree({pair(QStringLiteral("ResAgg_VisAnalysis"), 8, QStringLiteral("false"))}, 0);
    EXPECT_EQ(tree->findNode(8)->VisAnalysis(), TBool::bTrue);
    tree->setLabelsToAggTree({pair(QStringLiteral("ResAgg_VisAnalysis"), 8, QString())}, 0);
    EXPECT_EQ(tree->findNode(8)->VisAnalysis(), TBool::bFalse);
    EXPECT_EQ(tree->findNode(8)->Color(), rgb(233, 233, 99));

    // The delete mark is painted over the kind's colour until the colour is set again.
    tree->findNode(8)->markForDelete();
    EXPECT_EQ(tree->findNode(8)->paintedColor(), rgb(240, 48, 0));
    EXPECT_EQ(tree->findNode(8)->Color(), rgb(233, 233, 99));
    tree->findNode(8)->setTypeColor();
    EXPECT_EQ(tree->findNode(8)->paintedColor(), rgb(233, 233, 99));
}

TEST_F(TreeModel, NodesThatFeedEachOtherInAHostileAnswerStillGetAKind)
{
    auto tree = build({withChildren(leaf(7), {aggregator(8, {9}), aggregator(9, {8})})});
    EXPECT_EQ(tree->findNode(8)->getType(), TAggregatorType::ag_ExtRef);
    EXPECT_EQ(tree->findNode(9)->getType(), TAggregatorType::ag_ExtRef);
    // The same id nested below itself is laid out once.
    auto nested = build({withChildren(leaf(7), {aggregator(8, {7}, {aggregator(8, {8})})})});
    EXPECT_EQ(nested->getAggregatorCount(), 2);
}

TEST_F(TreeModel, BoxesShowLabelTemplateAndParametersOrTheDisplayName)
{
    auto tree = build(
        {withChildren(leaf(7), {aggregator(8, {7}), aggregator(9, {7}, {}, 1, {}),
                                aggregator(10, {7}, {}, 1, {QStringLiteral("Weite")}), aggregator(11, {7}, {}, 42)})});
    EXPECT_EQ(tree->findNode(7)->boxLines(), QStringList{QStringLiteral("Lade...")}) << "until the labels arrive";
    EXPECT_EQ(tree->findNode(8)->boxLines(), (QStringList{"Lade...", "Bester Versuch", "Faktor=12,50"}));
    EXPECT_EQ(tree->findNode(9)->boxLines(),
              (QStringList{"Lade...", "Bester Versuch",
                           "Fehler beim Laden der Parameter. Template passt nicht zur Instanz"}));
    EXPECT_EQ(tree->findNode(10)->boxLines(), (QStringList{"Lade...", "Bester Versuch", "Faktor=?"}));
    EXPECT_EQ(tree->findNode(11)->boxLines(), QStringList{"Lade..."}) << "an unknown template adds nothing";

    tree->setLabelsToAggTree(
        {pair(QStringLiteral("Label"), 7, QString()), pair(QStringLiteral("Label"), 8, QStringLiteral("Punkte $(1)"))},
        0);
    EXPECT_EQ(tree->findNode(7)->boxLines(), QStringList{QStringLiteral("Ergebnisse Sprint")});
    EXPECT_EQ(tree->findNode(8)->boxLines(), (QStringList{"Punkte 12,50", "Bester Versuch", "Faktor=12,50"}));
    EXPECT_EQ(tree->findNode(8)->getDisplayName(), QStringLiteral("Punkte $(1)"));
    tree->setLabelsToAggTree({pair(QStringLiteral("Label"), 8, QString())}, 0);
    EXPECT_EQ(tree->findNode(8)->getDisplayName(), QStringLiteral("Bester Versuch"));
}

TEST_F(TreeModel, LabelSubstitutionReadsParametersAndGlobalParameters)
{
    const TParameterResolver globals = [](const QString& name, int cupId) -> std::optional<double> {
        if (name == QLatin1String("Bonus") && cupId == 0)
            return 3.0;
        return std::nullopt;
    };
    auto tree = build({withChildren(leaf(7), {aggregator(8, {7}), aggregator(9, {7}, {}, 1, {QStringLiteral("12")}),
                                              aggregator(10, {7}, {}, 1, {QStringLiteral("Bonus")})})},
                      globals);
    const TAggregatorNode& n8 = *tree->findNode(8);
    const auto subst = [&](const TAggregatorNode& n, const QString& text) {
        return ParseParamSubst(text, [&](const QString& key) { return n.map(key); });
    };
    EXPECT_EQ(subst(n8, QStringLiteral("Punkte $(1)")), QStringLiteral("Punkte 12,50"));
    EXPECT_EQ(subst(*tree->findNode(9), QStringLiteral("Punkte $(1)")), QStringLiteral("Punkte 12"));
    EXPECT_EQ(subst(n8, QStringLiteral("Summe $(")), QStringLiteral("Summe $("));
    EXPECT_EQ(subst(n8, QStringLiteral("$(x)")), QStringLiteral("?"));
    EXPECT_EQ(subst(n8, QStringLiteral("$(Bonus) und $(2)")), QStringLiteral("3 und ?"));
    EXPECT_EQ(subst(*tree->findNode(10), QStringLiteral("$(1)")), QStringLiteral("3"))
        << "a parameter naming a global one";
    // Keys are neither trimmed nor nested.
    QStringList keys;
    ParseParamSubst(QStringLiteral("$(a$(b)c)"), [&](const QString& key) {
        keys << key;
        return QString();
    });
    EXPECT_EQ(keys, QStringList{QStringLiteral("a$(b")});
    EXPECT_EQ(ParseParamSubst(QStringLiteral("$(a$(b)c)"), [](const QString&) { return QStringLiteral("X"); }),
              QStringLiteral("Xc)"));
}

TEST_F(TreeModel, LabelsAndConnectionLabelsReachTheirNodesByKeyAndId)
{
    auto tree = build({withChildren(leaf(7), {aggregator(8, {7}), aggregator(9, {7})})});
    TUiAggregator* result = tree->setLabelsToAggTree(
        {pair(QStringLiteral("Label"), 9, QStringLiteral("Gesamt")), pair(QStringLiteral("Label"), 4711, "X"),
         pair(QStringLiteral("ResAgg_VisCertificate"), 9, QStringLiteral("true")),
         pair(QStringLiteral("ResultsTopLevelConnection1"), 8, QStringLiteral("sprint")),
         pair(QStringLiteral("ResultsOutputConnections1"), 9, QStringLiteral("Sprint")),
         pair(QStringLiteral("ResultsOutputConnections2"), 9, QString())},
        9);
    ASSERT_EQ(result, tree->findNode(9));
    EXPECT_EQ(result->getName(), QStringLiteral("Gesamt"));
    EXPECT_EQ(result->VisCertificate(), TBool::bTrue);
    EXPECT_EQ(result->VisAnalysis(), TBool::bNotSet);
    EXPECT_EQ(tree->setLabelsToAggTree({}, 9), nullptr) << "no pair named it";

    ASSERT_EQ(tree->getResultConnections(QStringLiteral("Sprint")).size(), 1u) << "letter case ignored";
    EXPECT_EQ(tree->getResultConnections(QStringLiteral("Sprint"))[0]->ID(), 8);
    EXPECT_EQ(tree->getResultOutputConnections(QStringLiteral("Sprint")).size(), 1u);
    EXPECT_TRUE(tree->getResultOutputConnections(QStringLiteral("sprint")).empty()) << "letter case counts";
}

TEST_F(TreeModel, SelectionAndTheOpenedMarkAreExclusive)
{
    auto tree = build({withChildren(leaf(7), {aggregator(8, {7}), aggregator(9, {7})})});
    EXPECT_EQ(tree->getSelected(), nullptr);
    tree->setSelected(tree->findNode(8));
    tree->setSelected(tree->findNode(9));
    EXPECT_EQ(tree->getSelected(), tree->findNode(9));
    EXPECT_FALSE(tree->findNode(8)->Selected());
    tree->setSelected(nullptr);
    EXPECT_EQ(tree->getSelected(), nullptr);
    tree->setOpenedItem(tree->findNode(8));
    tree->setOpenedItem(tree->findNode(7));
    EXPECT_FALSE(tree->findNode(8)->Opened());
    EXPECT_TRUE(tree->findNode(7)->Opened());
}

TEST(OverlayColor, BlendsEachChannelAndRoundsHalvesToEven)
{
    EXPECT_EQ(getOverlayColor(rgb(224, 224, 32), rgb(255, 255, 255), 0.3f), rgb(233, 233, 99));
    EXPECT_EQ(getOverlayColor(rgb(10, 20, 30), rgb(0, 0, 0), 0.0f), rgb(10, 20, 30));
    // 0.5 * 1 + 0.5 * 2 = 1.5 rounds to 2, 0.5 * 2 + 0.5 * 3 = 2.5 rounds to 2.
    EXPECT_EQ(qRed(getOverlayColor(rgb(1, 0, 0), rgb(2, 0, 0), 0.5f)), 2);
    EXPECT_EQ(qRed(getOverlayColor(rgb(2, 0, 0), rgb(3, 0, 0), 0.5f)), 2);
    EXPECT_EQ(qAlpha(getOverlayColor(rgb(2, 0, 0), rgb(3, 0, 0), 0.5f)), 0) << "a zero high byte";
}
