// The squad requests the window builds: the reorder chain of a Ctrl-drag (also from a list sorted
// by another column), teams dropped onto a squad, the delete chain and the editor's request.

#include "participants/SquadRequests.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tvp;
using namespace tvp::proto;

namespace {

// Squads 1..n with ids 11..10+n and own names in reverse order ("E" for 1 ... "A" for 5).
std::vector<SquadType> squads(int n)
{
    std::vector<SquadType> out;
    for (int i = 1; i <= n; ++i) {
        SquadType& s = out.emplace_back();
        s.SquadID = 10 + i;
        s.OrderIndex = i;
        s.CustomName = QString(QChar(u'A' + n - i));
    }
    return out;
}

using Chain = std::vector<std::pair<int, int>>;

Chain chain(const std::vector<SquadType>& list, const std::vector<int>& selected, int target,
            bool* lastForced = nullptr)
{
    std::unique_ptr<TSquadRequest> head = makeReorderChain(list, selected, target);
    if (lastForced) {
        const TSquadRequest* last = head.get();
        bool othersForced = false;
        while (last && last->nextBatch) {
            othersForced |= last->forceOrderIndex;
            last = static_cast<const TSquadRequest*>(last->nextBatch.get());
        }
        *lastForced = last && last->forceOrderIndex && !othersForced;
    }
    for (const TSquadRequest* r = head.get(); r; r = static_cast<const TSquadRequest*>(r->nextBatch.get()))
        EXPECT_EQ(r->reqType, TSquadRequestType::rt_batchModifyOrder);
    return chainOrder(head.get());
}

} // namespace

TEST(SquadReorder, DraggingDownClosesTheGapAndOnlyTheLastRequestIsForced)
{
    bool lastForced = false;
    // Squad 2 onto squad 4: 2 goes to 3, 3 moves up to 2; 4 stays.
    EXPECT_EQ(chain(squads(5), {12}, 14, &lastForced), (Chain{{12, 3}, {13, 2}}));
    EXPECT_TRUE(lastForced);
    // Squads 1 and 3 onto 5.
    EXPECT_EQ(chain(squads(6), {11, 13}, 15), (Chain{{11, 3}, {12, 1}, {13, 4}, {14, 2}}));
}

TEST(SquadReorder, DraggingUpLeavesTheMovingAsideToTheServer)
{
    EXPECT_EQ(chain(squads(5), {14}, 12), (Chain{{14, 2}}));
    EXPECT_EQ(chain(squads(6), {15, 16}, 12), (Chain{{15, 2}, {16, 3}}));
}

TEST(SquadReorder, OntoItsOwnRowOneForcedRequestKeepsTheIndex)
{
    bool lastForced = false;
    EXPECT_EQ(chain(squads(3), {12}, 12, &lastForced), (Chain{{12, 2}}));
    EXPECT_TRUE(lastForced);
}

TEST(SquadReorder, AListSortedByAnotherColumnSendsTheSameChain)
{
    // Shown sorted by own name: 5 (A), 4 (B), 3 (C), 2 (D), 1 (E).
    std::vector<SquadType> byName = squads(5);
    std::sort(byName.begin(), byName.end(),
              [](const SquadType& a, const SquadType& b) { return a.CustomName < b.CustomName; });
    EXPECT_EQ(chain(byName, {12}, 14), chain(squads(5), {12}, 14));
    EXPECT_EQ(chain(byName, {14, 15}, 12), chain(squads(5), {14, 15}, 12));
    EXPECT_EQ(chain(byName, {11, 13}, 15), chain(squads(5), {11, 13}, 15));
}

TEST(SquadReorder, EachRequestCarriesItsSquadUnchangedButForTheIndex)
{
    std::vector<SquadType> list = squads(3);
    list[2].AgeClass.ensure().AgeClassID = 7;
    list[2].AssignedTeams.emplace_back().TeamID = 70;
    const auto head = makeReorderChain(list, {13}, 11);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->squadId, 13);
    EXPECT_EQ(head->orderIndex, 1);
    EXPECT_EQ(head->name, QStringLiteral("A"));
    EXPECT_EQ(head->AgeClassId, 7);
    EXPECT_EQ(head->teamIdList, std::vector<int>{70});
    EXPECT_FALSE(head->forceTeamReassignment || head->forceAgeClassTeam || head->forceRemoveAssignedResults);
    EXPECT_FALSE(makeReorderChain(list, {13}, 999)) << "no target row, nothing to send";
}

TEST(SquadRequests, TeamsDroppedOnASquadFollowItsOwnAndTheEditorAlwaysForcesTheOrderIndex)
{
    SquadType s = squads(1).front();
    s.AssignedTeams.emplace_back().TeamID = 5;
    s.AssignedTeams.emplace_back().TeamID = 6;
    const auto drop = makeTeamsToSquadRequest(s, {7, 5, 8});
    EXPECT_EQ(drop->reqType, TSquadRequestType::rt_modify);
    EXPECT_EQ(drop->teamIdList, (std::vector<int>{5, 6, 7, 8}));
    EXPECT_EQ(drop->orderIndex, 1);
    EXPECT_FALSE(drop->forceOrderIndex);

    const auto edited =
        getSquadRequestFromUI(TSquadRequestType::rt_modify, 11, {3, QStringLiteral("  Blitz "), 4, {9, 8}}, true);
    EXPECT_EQ(edited->name, QStringLiteral("Blitz"));
    EXPECT_TRUE(edited->forceOrderIndex);
    EXPECT_TRUE(edited->forceAgeClassTeam);
    EXPECT_EQ(edited->teamIdList, (std::vector<int>{9, 8}));

    const auto deletes = makeSquadDeleteChain({11, 12, 13});
    EXPECT_EQ(chainOrder(deletes.get()), (Chain{{11, 0}, {12, 0}, {13, 0}}));
    EXPECT_EQ(deletes->getBatchContext(), deletes->nextBatch->getBatchContext());
}
