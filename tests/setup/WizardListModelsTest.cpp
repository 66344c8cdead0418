// The wizard's name lists as models: filled, sorted through a proxy, ticked and refilled under Qt's
// model tester; the page reads the ticks by source row whatever the view's order.

#include "setup/WizardListModels.h"
#include "tests/setup/CheckedModel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace tvp {
namespace {

TEST(WizardListModels, AgeClassesAreTickedBySourceRowWhateverTheOrderShown)
{
    TNameListModel model(true);
    CheckedModel checked(model);
    QSortFilterProxyModel& proxy = checked.proxy;
    QSignalSpy ticks(&model, &QAbstractItemModel::dataChanged);

    model.setNames({QStringLiteral("U8"), QStringLiteral("U10")}, true);
    model.append(QStringLiteral("U12"), false);
    EXPECT_EQ(ticks.count(), 0) << "rows added are no change of the choice";
    EXPECT_TRUE(model.flags(model.index(2)) & Qt::ItemIsUserCheckable);
    EXPECT_EQ(model.index(2).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);

    proxy.sort(0, Qt::DescendingOrder);
    EXPECT_EQ(checked.column(0), (QStringList{"U8", "U12", "U10"}));
    EXPECT_TRUE(proxy.setData(proxy.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_TRUE(proxy.setData(proxy.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(ticks.count(), 2);
    EXPECT_FALSE(model.isTicked(0));
    EXPECT_TRUE(model.isTicked(1));
    EXPECT_TRUE(model.isTicked(2));
    EXPECT_FALSE(model.isTicked(3));
    EXPECT_FALSE(model.setData(model.index(0), QStringLiteral("U9"), Qt::EditRole)) << "names are the type's";

    model.clear();
    EXPECT_EQ(proxy.rowCount(), 0);
}

TEST(WizardListModels, TemplateListsShowNamesWithoutTicks)
{
    TNameListModel model(false);
    CheckedModel checked(model);
    QSortFilterProxyModel& proxy = checked.proxy;
    model.setNames({QStringLiteral("Wurf"), QStringLiteral("Sprint"), QStringLiteral("Extra")});
    proxy.sort(0);
    EXPECT_EQ(checked.column(0), (QStringList{"Extra", "Sprint", "Wurf"}));
    EXPECT_FALSE(model.index(0).data(Qt::CheckStateRole).isValid());
    EXPECT_FALSE(model.setData(model.index(0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_FALSE(model.flags(model.index(0)) & Qt::ItemIsUserCheckable);
    model.setNames({QStringLiteral("Gesamtwertung")});
    EXPECT_EQ(checked.column(0), QStringList{"Gesamtwertung"});
    EXPECT_EQ(model.names(), QStringList{"Gesamtwertung"});
}

} // namespace
} // namespace tvp
