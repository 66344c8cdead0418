// The template windows' lists as models: each filled, sorted through a proxy and changed the way the
// windows change them, under Qt's model tester, and what the windows read back from them.

#include "setup/TemplateListModels.h"
#include "tests/setup/CheckedModel.h"

#include <gtest/gtest.h>

namespace tvp {
namespace {

TEST(TemplateListModels, ExportParametersTickAndRenameOnlyTheExportName)
{
    TExportParameterModel model;
    CheckedModel checked(model);
    model.setRows({{true, QStringLiteral("Streich"), QStringLiteral("2"), QStringLiteral("Streich")},
                   {true, QStringLiteral("Faktor"), QStringLiteral("1,5"), QStringLiteral("Faktor (Cup)")}});
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Exportname"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Originalname"));

    checked.proxy.sort(0);
    EXPECT_EQ(checked.column(0), (QStringList{QStringLiteral("Faktor"), QStringLiteral("Streich")}));

    // Through the sorted view, as the window's delegate and check box write.
    EXPECT_TRUE(checked.proxy.setData(checked.proxy.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    // Renamed, the row moves to its new place in the sorted view.
    EXPECT_TRUE(checked.proxy.setData(checked.proxy.index(0, 0), QStringLiteral("Zfaktor"), Qt::EditRole));
    EXPECT_FALSE(checked.proxy.setData(checked.proxy.index(0, 1), QStringLiteral("9"), Qt::EditRole))
        << "the value is the competition's";
    EXPECT_EQ(checked.column(0), (QStringList{QStringLiteral("Streich"), QStringLiteral("Zfaktor")}));
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);

    // What the export writes: the source rows in their order, the edit kept.
    const std::vector<TExportParameterRow>& rows = model.rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].checked);
    EXPECT_FALSE(rows[1].checked);
    EXPECT_EQ(rows[1].exportName, QStringLiteral("Zfaktor"));
    EXPECT_EQ(rows[1].originalName, QStringLiteral("Faktor (Cup)"));
    EXPECT_EQ(resolveParameter(QStringLiteral("Faktor (Cup)"), rows), QStringLiteral("1,5"));

    model.setRows({});
    EXPECT_EQ(checked.proxy.rowCount(), 0);
}

TEST(TemplateListModels, MappingRowsShowWhatTheImportDecided)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TParameterMappingRows rows([](const QString& name) { return name == u"Punkte"; },
                               [](const QString& name) -> std::optional<double> {
                                   return name == u"Punkte" ? std::optional(4.0) : std::nullopt;
                               });
    TMappingRowsModel params(rows, TMappingRowsModel::Rows::Parameters, nullptr);
    TMappingRowsModel refs(rows, TMappingRowsModel::Rows::References, nullptr);
    CheckedModel checkedParams(params);
    CheckedModel checkedRefs(refs);

    rows.loadParams({{QStringLiteral("Faktor"), 1.5, {}}, {QStringLiteral("Punkte"), 2, {}}});
    params.reload();
    checkedParams.proxy.sort(1, Qt::DescendingOrder);
    EXPECT_EQ(checkedParams.column(1), (QStringList{QStringLiteral("Neu: Faktor"), QStringLiteral("->Punkte")}));
    EXPECT_EQ(checkedParams.column(2), (QStringList{QStringLiteral("1,5"), QStringLiteral("4")}));

    rows.mapToExisting(0, QStringLiteral("Punkte"));
    rows.RenderParameterMapping();
    params.refresh();
    EXPECT_EQ(checkedParams.column(1), (QStringList{QStringLiteral("->Punkte"), QStringLiteral("->Punkte")}));
    EXPECT_EQ(params.index(0, 2).data().toString(), QStringLiteral("4"));

    proto::TExportAggregatorTreeNodeType root;
    root.ID = 7;
    root.externalConnections = {{0, QStringLiteral("Team")}, {0, QStringLiteral("Cup")}};
    rows.loadReferences(&root);
    refs.reload();
    checkedRefs.proxy.sort(0);
    EXPECT_EQ(checkedRefs.column(0), (QStringList{QStringLiteral("Cup"), QStringLiteral("Team")}));
    rows.assignReference(1, 40, QStringLiteral("Mannschaft"));
    refs.refresh();
    EXPECT_EQ(checkedRefs.column(1), (QStringList{QStringLiteral("Mannschaft (-40)"), QStringLiteral("-")}));
    EXPECT_EQ(refs.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Zuordnung zu bestehendem Knoten"));
}

TEST(TemplateListModels, ResultsInterfacesKeepTheNameTypedPerNode)
{
    TResultsInterfaceModel model;
    CheckedModel checked(model);
    model.setRows({{30, QStringLiteral("Gesamt"), QStringLiteral("Gesamt")}, {12, QStringLiteral("A"), {}}});
    checked.proxy.sort(2);
    EXPECT_EQ(checked.column(2), (QStringList{QStringLiteral("-12"), QStringLiteral("-30")}));
    EXPECT_TRUE(checked.proxy.setData(checked.proxy.index(1, 0), QStringLiteral("Team-Wertung"), Qt::EditRole));
    EXPECT_FALSE(model.setData(model.index(0, 1), QStringLiteral("x"), Qt::EditRole));
    EXPECT_EQ(model.nameOf(30), QStringLiteral("Team-Wertung"));
    EXPECT_EQ(model.nameOf(12), QStringLiteral("A"));
    EXPECT_TRUE(model.nameOf(99).isEmpty());
}

TEST(TemplateListModels, InterfaceTreeAddsRenamesAndRemovesInterfacesBelowTheirNode)
{
    TInterfaceTreeModel model(true, nullptr);
    CheckedModel checked(model);
    model.setNodes({{5, QStringLiteral("Summe"), {QStringLiteral("Gesamt")}, {{QStringLiteral("Gesamt"), 30}}},
                    {6, QStringLiteral("Bester"), {}, {}}});
    checked.proxy.sort(0);
    EXPECT_EQ(checked.column(0), (QStringList{QStringLiteral("Bester"), QStringLiteral("Summe")}));

    const QModelIndex summe = model.index(0, 0);
    const QModelIndex added = model.addInterface(0, QStringLiteral("Neue Schnittstelle"), 0);
    EXPECT_EQ(added.parent(), summe);
    EXPECT_TRUE(model.isInterface(added));
    EXPECT_FALSE(model.isInterface(summe));
    EXPECT_EQ(model.nodeRow(added), 0);
    EXPECT_FALSE(model.setData(summe, QStringLiteral("x"), Qt::EditRole)) << "node names are the tree's";
    EXPECT_TRUE(model.setData(added, QStringLiteral("Neu"), Qt::EditRole));
    const QModelIndex sortedSumme = checked.proxy.index(1, 0);
    EXPECT_EQ(checked.column(0, sortedSumme), (QStringList{QStringLiteral("Gesamt"), QStringLiteral("Neu")}));

    model.addInterface(1, QStringLiteral("X"), 8);
    model.removeInterface(model.index(0, 0, summe));
    const std::vector<TDiscInterfaceNode> out = model.interfaces();
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].id, 5);
    ASSERT_EQ(out[0].interfaces.size(), 1u);
    EXPECT_EQ(out[0].interfaces[0].text, QStringLiteral("Neu"));
    EXPECT_EQ(out[0].interfaces[0].data, 0);
    ASSERT_EQ(out[1].interfaces.size(), 1u);
    EXPECT_EQ(out[1].interfaces[0].data, 8);
}

TEST(TemplateListModels, ConnectionsOfAnImportInputAreListedOnceAndDoNotEdit)
{
    TInterfaceTreeModel model(false, nullptr);
    CheckedModel checked(model);
    model.setNodes({{1, QStringLiteral("Mehrkampf"), {}, {}}});
    const QModelIndex first = model.addInterface(0, QStringLiteral("Sprint (-3)"), 3, true);
    EXPECT_EQ(model.addInterface(0, QStringLiteral("Sprint (-3)"), 3, true), first);
    model.addInterface(0, QStringLiteral("Lauf (-4)"), 4, true);
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 2);
    EXPECT_FALSE(model.flags(first) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.setData(first, QStringLiteral("x"), Qt::EditRole));
    checked.proxy.sort(0);
    EXPECT_EQ(checked.column(0, checked.proxy.index(0, 0)),
              (QStringList{QStringLiteral("Lauf (-4)"), QStringLiteral("Sprint (-3)")}));
    model.removeInterface(model.index(0, 0)); // a node is no interface: stays
    EXPECT_EQ(model.rowCount(), 1);
}

} // namespace
} // namespace tvp
