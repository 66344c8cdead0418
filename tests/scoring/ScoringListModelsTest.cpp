// The item models behind the scoring windows' lists: each is filled, sorted through a proxy and
// changed under QAbstractItemModelTester, and carries what its views drag and show.

#include "core/connection/CurrentCompetition.h"
#include "core/connection/RequestContext.h"
#include "core/lists/WindowDrag.h"
#include "scoring/AggregatorSourceList.h"
#include "scoring/AggregatorTreeModel.h"
#include "scoring/CupListModels.h"
#include "scoring/CustomColumnListModel.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QSignalSpy>
#include <QSortFilterProxyModel>

#include <gtest/gtest.h>

#include <memory>

using namespace tvp;
using namespace tvp::proto;

namespace {

constexpr auto kFatal = QAbstractItemModelTester::FailureReportingMode::Fatal;

QStringList column(const QAbstractItemModel& model, int col = 0, const QModelIndex& parent = {})
{
    QStringList out;
    for (int r = 0; r < model.rowCount(parent); ++r)
        out << model.index(r, col, parent).data().toString();
    return out;
}

CompetitionType competition(int id, const QString& name)
{
    CompetitionType c;
    c.ID = id;
    c.Name = name;
    return c;
}

CupType cup(int id, const QString& name, std::vector<CompetitionType> competitions)
{
    CupType c;
    c.CupID = id;
    c.Name = name;
    c.AssignedCompetitions = std::move(competitions);
    return c;
}

CustomColumnType customColumn(int id, const QString& name, int order)
{
    CustomColumnType c;
    c.ID = id;
    c.Name = name;
    c.OrderIndex = order;
    return c;
}

} // namespace

TEST(ScoringListModels, TheSourceListShowsEachSourceOnceWithItsOriginAndFollowsItsTree)
{
    TCurrentCompetition current;
    TRequestContext context(current);
    TDisciplineInfo sprint;
    sprint.id = 7;
    sprint.name = QStringLiteral("Sprint");
    sprint.competitionId = 2;
    TDisciplineInfo wurf = sprint;
    wurf.id = 30;
    wurf.name = QStringLiteral("Wurf");
    TAggregatorSourceListModel list(context, nullptr, [&](int id) { return id == wurf.id ? &wurf : nullptr; });
    QAbstractItemModelTester tester(&list, kFatal);
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(&list);
    QAbstractItemModelTester sortedTester(&sorted, kFatal);

    EXPECT_EQ(list.model(), &list);
    EXPECT_EQ(list.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Name"));
    EXPECT_EQ(list.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Disziplin/Wertungsknoten"));

    AggregatorTreeNodeType root;
    root.ID = 7;
    TAggregatorTreeModel tree({root}, {7}, {}, &sprint);
    list.AttachToAggTree(&tree);
    list.addItem(30, false);
    list.addItem(7, false);
    list.addItem(30, false);
    EXPECT_EQ(list.getListCount(), 2) << "an id is listed once";
    EXPECT_EQ(column(list), (QStringList{QStringLiteral("Lade... (30)"), QStringLiteral("Lade... (7)")}));

    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
    list.UpdateInfos();
    EXPECT_FALSE(changed.isEmpty()) << "the views hear of the names";
    EXPECT_EQ(list.pending(), 0u) << "the tree and the window knew them: nothing to ask";
    EXPECT_EQ(column(list),
              (QStringList{QStringLiteral("Ergebnisse Wurf (30)"), QStringLiteral("Ergebnisse Sprint (7)")}));
    EXPECT_EQ(column(list, 1), (QStringList{QStringLiteral("Extern (Wurf)"), QStringLiteral("Intern")}));
    EXPECT_EQ(list.index(1, 0).data(Qt::UserRole).toInt(), 7);

    sorted.sort(0);
    EXPECT_EQ(column(sorted),
              (QStringList{QStringLiteral("Ergebnisse Sprint (7)"), QStringLiteral("Ergebnisse Wurf (30)")}));

    list.RemoveItem(5);
    list.RemoveItem(0);
    EXPECT_EQ(column(list), QStringList{QStringLiteral("Ergebnisse Sprint (7)")});
    EXPECT_EQ(list.getItem(0)->Id, 7);
    list.DetachToAggTree();
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.sources().tree(), nullptr);
}

TEST(ScoringListModels, TheCupTreeHoldsTheRootItsCupsAndTheirCompetitions)
{
    TCupTreeModel tree;
    QAbstractItemModelTester tester(&tree, kFatal);
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(&tree);
    sorted.setRecursiveFilteringEnabled(true);
    QAbstractItemModelTester sortedTester(&sorted, kFatal);

    EXPECT_EQ(column(tree), QStringList{QStringLiteral("Cup-Wertungen")}) << "the root alone while there are no cups";
    const QModelIndex root = tree.index(0, 0);
    EXPECT_EQ(tree.rowCount(root), 0);
    EXPECT_FALSE(TCupTreeModel::cupOf(root));
    EXPECT_FALSE(tree.flags(root) & Qt::ItemIsDropEnabled) << "the root takes no competitions";

    tree.setCups({cup(4, QStringLiteral("Kreiscup"),
                      {competition(1, QStringLiteral("Sportfest")), competition(2, QStringLiteral("Hallenfest"))}),
                  cup(9, QStringLiteral("Bezirkscup"), {})});
    ASSERT_EQ(column(tree, 0, tree.index(0, 0)),
              (QStringList{QStringLiteral("Kreiscup"), QStringLiteral("Bezirkscup")}));
    const QModelIndex kreis = tree.cupIndex(4);
    ASSERT_TRUE(kreis.isValid());
    EXPECT_EQ(kreis.parent(), tree.index(0, 0));
    EXPECT_EQ(column(tree, 0, kreis), (QStringList{QStringLiteral("Sportfest"), QStringLiteral("Hallenfest")}));
    const QModelIndex halle = tree.index(1, 0, kreis);
    EXPECT_EQ(halle.parent(), kreis);
    EXPECT_EQ(TCupTreeModel::cupOf(halle), 4) << "a competition node names its cup";
    EXPECT_EQ(TCupTreeModel::competitionOf(halle), 2);
    EXPECT_EQ(TCupTreeModel::cupOf(kreis), 4);
    EXPECT_FALSE(TCupTreeModel::competitionOf(kreis));
    EXPECT_TRUE(tree.flags(halle) & Qt::ItemIsDropEnabled);
    EXPECT_FALSE(tree.cupIndex(5).isValid());

    sorted.sort(0);
    const QModelIndex sortedRoot = sorted.index(0, 0);
    EXPECT_EQ(column(sorted, 0, sortedRoot), (QStringList{QStringLiteral("Bezirkscup"), QStringLiteral("Kreiscup")}));
    EXPECT_EQ(column(sorted, 0, sorted.index(1, 0, sortedRoot)),
              (QStringList{QStringLiteral("Hallenfest"), QStringLiteral("Sportfest")}));

    tree.setCups({cup(9, QStringLiteral("Bezirkscup"), {competition(3, QStringLiteral("Waldlauf"))})});
    EXPECT_EQ(column(tree, 0, tree.cupIndex(9)), QStringList{QStringLiteral("Waldlauf")});
    EXPECT_EQ(tree.cupIndex(9).row(), 0);
    EXPECT_FALSE(tree.cupIndex(4).isValid());
}

TEST(ScoringListModels, TheCompetitionListDragsTheIdsOfTheDraggedRowsInListOrder)
{
    TCupCompetitionListModel list;
    QAbstractItemModelTester tester(&list, kFatal);
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(&list);
    QAbstractItemModelTester sortedTester(&sorted, kFatal);

    list.setCompetitions({competition(5, QStringLiteral("Sportfest")), competition(2, QStringLiteral("Abendlauf")),
                          competition(8, QStringLiteral("Hallenfest"))});
    EXPECT_EQ(column(list),
              (QStringList{QStringLiteral("Sportfest"), QStringLiteral("Abendlauf"), QStringLiteral("Hallenfest")}));
    EXPECT_TRUE(list.flags(list.index(0)) & Qt::ItemIsDragEnabled);
    EXPECT_EQ(list.mimeTypes(), QStringList{kCupCompetitionIdsMimeType});

    const std::unique_ptr<QMimeData> data(list.mimeData({list.index(2), list.index(0), list.index(2)}));
    ASSERT_TRUE(data);
    EXPECT_EQ(decodeCompetitionIds(data->data(kCupCompetitionIdsMimeType)), (std::vector<int>{5, 8}));
    EXPECT_TRUE(decodeCompetitionIds(encodeCompetitionIds({})).empty());
    EXPECT_EQ(decodeCompetitionIds(QByteArray("\0\0", 2)), std::vector<int>{}) << "a cut-off id is dropped";

    sorted.sort(0);
    EXPECT_EQ(column(sorted),
              (QStringList{QStringLiteral("Abendlauf"), QStringLiteral("Hallenfest"), QStringLiteral("Sportfest")}));
    list.setCompetitions({competition(2, QStringLiteral("Abendlauf"))});
    EXPECT_EQ(column(sorted), QStringList{QStringLiteral("Abendlauf")});
}

TEST(ScoringListModels, CustomColumnsOnlyProposeEditsAndDragUnderTheirWindowsName)
{
    const QString source = QStringLiteral("CustomCupColForm/ListView1");
    TCustomColumnListModel cols(source);
    QAbstractItemModelTester tester(&cols, kFatal);
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(&cols);
    QAbstractItemModelTester sortedTester(&sorted, kFatal);

    cols.setColumns({customColumn(3, QStringLiteral("Verein"), 1), customColumn(4, QStringLiteral("Größe"), 2)});
    EXPECT_EQ(column(cols), (QStringList{QStringLiteral("Verein"), QStringLiteral("Größe")}));
    EXPECT_EQ(cols.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Spaltenname"));
    EXPECT_EQ(cols.index(1).data(TCustomColumnListModel::kIdRole).toInt(), 4);
    EXPECT_EQ(cols.index(1).data(TCustomColumnListModel::kOrderRole).toInt(), 2);
    const Qt::ItemFlags flags = cols.flags(cols.index(0));
    EXPECT_TRUE(flags & Qt::ItemIsEditable);
    EXPECT_TRUE(flags & Qt::ItemIsDragEnabled);

    QSignalSpy edited(&cols, &TCustomColumnListModel::edited);
    cols.setData(cols.index(0), QStringLiteral(" Club "), Qt::EditRole);
    ASSERT_EQ(edited.size(), 1);
    EXPECT_EQ(edited[0][0].toInt(), 0);
    EXPECT_EQ(edited[0][1].toString(), QStringLiteral(" Club "));
    EXPECT_EQ(cols.index(0).data().toString(), QStringLiteral("Verein")) << "the window decides";
    cols.rename(0, QStringLiteral("Club"));
    EXPECT_EQ(cols.index(0).data().toString(), QStringLiteral("Club"));

    sorted.sort(0);
    EXPECT_EQ(column(sorted), (QStringList{QStringLiteral("Club"), QStringLiteral("Größe")}));

    const QModelIndex added = cols.appendNew(QStringLiteral("Neue Spalte"));
    EXPECT_EQ(added.row(), 2);
    EXPECT_EQ(cols.column(2)->ID, 0) << "not stored yet";
    EXPECT_EQ(cols.column(3), nullptr);

    const std::unique_ptr<QMimeData> data(cols.mimeData({cols.index(1)}));
    EXPECT_EQ(windowDragSource(data.get()), source);
    EXPECT_EQ(cols.mimeData({}), nullptr);

    cols.clear();
    EXPECT_EQ(cols.rowCount(), 0);
}
