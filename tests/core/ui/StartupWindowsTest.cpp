#include "core/ui/StartupWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

using namespace tvp;

namespace {

std::size_t indexOf(const std::string& objectName)
{
    const auto& all = startupWindows();
    const auto it =
        std::find_if(all.begin(), all.end(), [&](const StartupWindow& w) { return objectName == w.objectName; });
    return static_cast<std::size_t>(it - all.begin());
}

} // namespace

TEST(StartupWindows, ObjectNamesAreUnique)
{
    std::set<std::string> names;
    for (const StartupWindow& w : startupWindows())
        EXPECT_TRUE(names.insert(w.objectName).second) << w.objectName;
}

TEST(StartupWindows, EveryEntryHasClassNameAndCaption)
{
    for (const StartupWindow& w : startupWindows()) {
        EXPECT_EQ(w.className[0], 'T') << w.objectName;
        EXPECT_NE(std::string(w.caption), "") << w.objectName;
    }
}

TEST(StartupWindows, MainWindowIsCreatedFirst)
{
    const StartupWindow& first = startupWindows().front();
    EXPECT_STREQ(first.objectName, "MainForm");
    EXPECT_EQ(first.phase, StartupPhase::BeforeReady);
}

TEST(StartupWindows, PhasesFollowCreationOrder)
{
    const auto& all = startupWindows();
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(), [](const StartupWindow& a, const StartupWindow& b) {
        return static_cast<int>(a.phase) < static_cast<int>(b.phase);
    }));
    EXPECT_STREQ(all.back().objectName, "TimingSettingsForm");
    EXPECT_EQ(all.back().phase, StartupPhase::Late);
    EXPECT_FALSE(all.back().inPositionStore);
}

TEST(StartupWindows, PositionStoreHoldsFiftyNineWindows)
{
    const auto& all = startupWindows();
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [](const StartupWindow& w) { return w.inPositionStore; }), 59);
    EXPECT_EQ(positionStoreOrder().size(), 59u);
    for (const StartupWindow* w : positionStoreOrder())
        EXPECT_TRUE(w->inPositionStore) << w->objectName;
}

TEST(StartupWindows, StoreStartsWithMainWindowThenChooser)
{
    const auto& order = positionStoreOrder();
    ASSERT_GE(order.size(), 2u);
    EXPECT_STREQ(order[0]->objectName, "MainForm");
    EXPECT_STREQ(order[1]->objectName, "ChooseCompetitionForm");
}

TEST(StartupWindows, StoreKeepsCreationOrderAfterTheMainWindows)
{
    const auto& order = positionStoreOrder();
    for (std::size_t i = 3; i < order.size(); ++i)
        EXPECT_LT(indexOf(order[i - 1]->objectName), indexOf(order[i]->objectName)) << order[i]->objectName;
}

TEST(StartupWindows, DisciplineWindowsFollowTheCompetitionListWindow)
{
    // Their names derive from the competition-list window, and the second is placed by the first.
    EXPECT_LT(indexOf("DisciplinListForm"), indexOf("DisciplinListForm0"));
    EXPECT_LT(indexOf("DisciplinListForm0"), indexOf("DisciplinListForm1"));
    EXPECT_LT(indexOf("DisciplinListForm1"), startupWindows().size());
}

TEST(StartupWindows, ThreeCupItemWindowsShareOneClass)
{
    const auto& all = startupWindows();
    EXPECT_EQ(std::count_if(all.begin(), all.end(),
                            [](const StartupWindow& w) { return std::string(w.className) == "TCupItemsForm"; }),
              3);
    EXPECT_STREQ(all[indexOf("CupAthleteForm")].caption, "Cup-Athleten zuordnen");
}
