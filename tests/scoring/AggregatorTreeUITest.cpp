// The drawn scoring tree: boxes where the layout puts them, clicks and double clicks as the window
// hears of them, and nothing left behind when the tree goes.

#include "scoring/ui/AggregatorTreeUI.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/RequestContext.h"
#include "core/ui/ScoringViews.h"
#include "core/ui/WindowRegistry.h"
#include "scoring/ui/ScoringWindows.h"

#include "tests/support/ShownText.h"
#include "tests/support/TestUtil.h"

#include <QScrollArea>

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;

namespace {

AggregatorTreeNodeType node(int id, std::vector<AggregatorTreeNodeType> children = {}, bool aggregator = true)
{
    AggregatorTreeNodeType n;
    n.ID = id;
    if (aggregator)
        n.AggregatorInfo.ensure().ConnectedAggregators = {7};
    n.OutputConnections = std::move(children);
    return n;
}

} // namespace

TEST(DrawnTree, BoxesSitOnTheSurfaceAndReportClicksAndDoubleClicks)
{
    QScrollArea scroll;
    TDisciplineInfo disc;
    disc.id = 7;
    auto tree = std::make_unique<TDrawnAggregatorTree>(
        &scroll, std::vector<AggregatorTreeNodeType>{node(7, {node(8), node(9)}, false)}, std::vector<int>{7},
        TTemplateLookup{}, &disc, nullptr);
    ASSERT_EQ(scroll.widget(), tree->PaintBox());
    ASSERT_TRUE(tree->boxOf(8));
    EXPECT_EQ(tree->boxOf(8)->geometry(), QRect(20, 70, 140, 40));
    EXPECT_EQ(tree->boxOf(7)->geometry(), QRect(95, 5, 140, 40));
    EXPECT_GE(tree->PaintBox()->minimumWidth(), 310);

    std::vector<int> selected;
    std::vector<int> opened;
    bool allow = true;
    tree->OnSelectItem = [&](TUiAggregator* n) { selected.push_back(n->ID()); };
    tree->OnDoubleClickItem = [&](TUiAggregator* n) { opened.push_back(n->ID()); };
    tree->OnDoubleClickingItem = [&](TUiAggregator*, bool& a) { a = allow; };

    tree->boxOf(8)->MemoClick(Qt::LeftButton);
    EXPECT_EQ(tree->getSelected(), tree->findAggregatorById(8));
    tree->boxOf(9)->MemoClick(Qt::RightButton);
    EXPECT_EQ(tree->getSelected(), tree->findAggregatorById(9)) << "any button selects";
    EXPECT_EQ(selected, (std::vector<int>{8, 9}));

    allow = false;
    tree->boxOf(8)->MemoDblClick();
    EXPECT_TRUE(opened.empty()) << "the window kept its unsaved changes";
    EXPECT_EQ(tree->getSelected(), tree->findAggregatorById(9));
    allow = true;
    tree->boxOf(8)->MemoDblClick();
    EXPECT_EQ(opened, std::vector<int>{8});
    EXPECT_EQ(tree->getSelected(), tree->findAggregatorById(8));

    tree.reset();
    EXPECT_EQ(scroll.widget(), nullptr) << "the drawing goes with the tree";
}

TEST(DrawnTree, AHeadlessTreeHasNoSurface)
{
    TDrawnAggregatorTree tree(nullptr, {node(7, {node(8)}, false)}, {7}, {}, nullptr, nullptr);
    EXPECT_EQ(tree.PaintBox(), nullptr);
    EXPECT_EQ(tree.boxOf(8), nullptr);
    tree.setSelected(tree.findAggregatorById(8));
    EXPECT_EQ(tree.getSelected(), tree.findAggregatorById(8));
}

// A tooltip takes text that looks like markup for markup: the box shows names as written.
TEST(DrawnTree, BoxTooltipsShowNamesAsWritten)
{
    QScrollArea scroll;
    TDrawnAggregatorTree tree(&scroll, {node(7, {node(8)}, false)}, {7}, {}, nullptr, nullptr);
    const QString name = QStringLiteral("<b>Bester</b> <img src=\"file:///etc/passwd\">");
    tree.findNode(8)->setInfos(name);
    EXPECT_EQ(test::shownText(tree.boxOf(8)->toolTip()), name);
}

// The registered factories: the service's tree and source list are widget-free, only the ui side's
// tree is drawn, on the area the window names.
TEST(DrawnTree, TheScoringServiceMakesModelsAndTheUiSideDrawsThem)
{
    TWindowRegistry registry;
    registerScoringServices(registry);
    auto* trees = registry.find<IAggregatorTrees>();
    auto* views = registry.find<IAggregatorTreeViews>();
    ASSERT_TRUE(trees);
    ASSERT_TRUE(views);
    TDisciplineInfo disc;
    disc.id = 7;
    const std::vector<AggregatorTreeNodeType> roots{node(7, {node(8)}, false)};

    QScrollArea scroll;
    const std::unique_ptr<TAggregatorTree> model = trees->createAggregatorTree(roots, {7}, {}, disc);
    ASSERT_TRUE(model->findAggregatorById(8));
    EXPECT_EQ(scroll.widget(), nullptr);

    const std::unique_ptr<TAggregatorTree> drawn =
        views->createDrawnAggregatorTree(&scroll, roots, {7}, {}, disc, nullptr);
    ASSERT_TRUE(scroll.widget());
    EXPECT_TRUE(scroll.widget()->findChild<TAggregatorBox*>(QStringLiteral("Memo8")));

    TCurrentCompetition competition;
    TRequestContext context(competition);
    const std::unique_ptr<TAggregatorSourceList> sources =
        trees->createAggregatorSourceList(context, nullptr, [](int) { return nullptr; });
    sources->AttachToAggTree(drawn.get());
    sources->addItem(7, true);
    ASSERT_EQ(sources->model()->rowCount(), 1);
    EXPECT_EQ(sources->model()->index(0, 1).data().toString(), QStringLiteral("Intern"));
}
