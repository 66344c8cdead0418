// The compilation's rows as drops and moves change them.

#include "scoring/CertRequests.h"

#include <gtest/gtest.h>

using namespace tvp;

namespace {

TCertItem item(int id)
{
    return {id, QStringLiteral("R%1").arg(id), QStringLiteral("D"), {}};
}

std::vector<TCertItem> items(std::initializer_list<int> ids)
{
    std::vector<TCertItem> out;
    for (int id : ids)
        out.push_back(item(id));
    return out;
}

} // namespace

TEST(CertItemList, DropsGoAboveTheRowInReverseOrBelowInOrderAndNeverTwice)
{
    TCertItemListModel list;
    list.setItems(items({1, 2}));
    EXPECT_EQ(list.dropItems(items({3, 4}), 1), -1);
    EXPECT_EQ(list.ids(), (std::vector<int>{1, 4, 3, 2}));
    EXPECT_EQ(list.dropItems(items({5, 6}), -1), -1);
    EXPECT_EQ(list.ids(), (std::vector<int>{1, 4, 3, 2, 5, 6}));
    // A result already there: not added, its row (after the others went in) comes back.
    EXPECT_EQ(list.dropItems(items({2, 7}), 0), 4);
    EXPECT_EQ(list.ids(), (std::vector<int>{7, 1, 4, 3, 2, 5, 6}));
    EXPECT_EQ(list.dropItems(items({6}), 0), 6);
}

TEST(CertItemList, AMovedRowEndsBeforeTheTargetRowOrLast)
{
    TCertItemListModel list;
    list.setItems(items({1, 2, 3, 4}));
    EXPECT_EQ(list.moveItem(3, 0), 0);
    EXPECT_EQ(list.ids(), (std::vector<int>{4, 1, 2, 3}));
    EXPECT_EQ(list.moveItem(0, 2), 1);
    EXPECT_EQ(list.ids(), (std::vector<int>{1, 4, 2, 3}));
    EXPECT_EQ(list.moveItem(0, -1), 3);
    EXPECT_EQ(list.ids(), (std::vector<int>{4, 2, 3, 1}));
    EXPECT_EQ(list.moveItem(2, 2), 2);
    EXPECT_EQ(list.ids(), (std::vector<int>{4, 2, 3, 1}));
}
