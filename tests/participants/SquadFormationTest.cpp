// Automatic squad formation: the preview for the worked example and the edge cases, its list and
// the request made of the ticked rows.

#include "participants/SquadCreateRequests.h"
#include "participants/SquadFormation.h"

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::proto;

namespace {

AgeClassType ageClass(int id, const QString& name)
{
    AgeClassType a;
    a.AgeClassID = id;
    a.Name = name;
    return a;
}

class Formation : public ::testing::Test {
protected:
    // A team without squad unless squadId is given.
    TeamType& team(const QString& name, int athletes, int ageClassId = 1, int squadId = 0)
    {
        TeamType& t = teams.emplace_back();
        t.TeamID = int(teams.size()) + 100;
        t.Name = name;
        t.NoOfAthletes = athletes;
        if (ageClassId != 0)
            t.AgeClass = ageClass(ageClassId, QStringLiteral("AK%1").arg(ageClassId));
        t.SquadID = squadId;
        return t;
    }
    SquadType& squad(int id, int orderIndex, int ageClassId, std::vector<TeamType> assigned)
    {
        SquadType& s = squads.emplace_back();
        s.SquadID = id;
        s.OrderIndex = orderIndex;
        s.AgeClass = ageClass(ageClassId, QStringLiteral("AK%1").arg(ageClassId));
        s.AssignedTeams = std::move(assigned);
        return s;
    }
    void form(int target, int maximum = kUnlimitedTeams, bool fill = true)
    {
        teams.shrink_to_fit(); // the preview points into the teams: no reallocation afterwards
        preview = RecalculateSquads(ageClasses, teams, squads, target, maximum, fill);
    }
    // Each row as "action: team names (assigned first)".
    QStringList rows() const
    {
        QStringList out;
        for (const TSquadListItem& item : preview) {
            QStringList names;
            for (const TeamType& t : item.squad.AssignedTeams)
                names << t.Name;
            for (const TeamType* t : item.newTeams)
                names << t->Name;
            out << (item.actionType == TSquadActionType::sa_new ? QStringLiteral("neu ") : QStringLiteral("füllt ")) +
                       QString::number(item.getNoOfAthletes()) + QStringLiteral(": ") + names.join(u',');
        }
        return out;
    }
    // The worked example's seven teams, largest first after sorting.
    void sevenTeams()
    {
        team(QStringLiteral("G2"), 2);
        team(QStringLiteral("A6"), 6);
        team(QStringLiteral("C5"), 5);
        team(QStringLiteral("B5"), 5);
        team(QStringLiteral("E4"), 4);
        team(QStringLiteral("D4"), 4);
        team(QStringLiteral("F3"), 3);
    }

    std::vector<AgeClassType> ageClasses{ageClass(1, QStringLiteral("U10"))};
    std::vector<TeamType> teams;
    std::vector<SquadType> squads;
    std::vector<TSquadListItem> preview;
};

} // namespace

TEST_F(Formation, TheWorkedExampleFormsTwoSquadsAndTheLastTeamGoesToTheFirstOfEqualSize)
{
    teams.reserve(16);
    sevenTeams();
    form(3);
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("neu 17: D4,A6,G2,C5"), QStringLiteral("neu 12: E4,B5,F3")}));
    ASSERT_EQ(preview.size(), 2u);
    EXPECT_EQ(preview[0].squad.SquadID, 0);
    EXPECT_EQ(preview[0].squad.OrderIndex, 0);
    EXPECT_EQ(preview[0].squad.AgeClass->AgeClassID, 1);
}

TEST_F(Formation, IncompleteSquadsAreFilledTowardsTheAverageOnlyWhenAsked)
{
    teams.reserve(16);
    sevenTeams();
    const TeamType own = team(QStringLiteral("Alt"), 3, 1, 77);
    squad(77, 4, 1, {own});
    form(3);
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("neu 12: D4,A6,G2"), QStringLiteral("neu 12: E4,B5,F3"),
                                   QStringLiteral("füllt 8: Alt,C5")}));
    EXPECT_EQ(preview[2].squad.SquadID, 77);

    form(3, kUnlimitedTeams, false);
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("neu 17: D4,A6,G2,C5"), QStringLiteral("neu 12: E4,B5,F3")}));
}

TEST_F(Formation, WithoutNewSquadsExistingOnesAreNotFilledAndTheRestFormsOneNewSquad)
{
    teams.reserve(16);
    team(QStringLiteral("X"), 4);
    team(QStringLiteral("Y"), 3);
    const TeamType own = team(QStringLiteral("Alt"), 2, 1, 5);
    squad(5, 1, 1, {own});
    form(3);
    EXPECT_EQ(rows(), QStringList{QStringLiteral("neu 7: X,Y")});
}

TEST_F(Formation, OverTheMaximumTheLargestSquadsGiveUpTeamsForOneMore)
{
    teams.reserve(16);
    for (const auto& [name, n] :
         std::vector<std::pair<QString, int>>{{"T5", 5}, {"T4", 4}, {"T3", 3}, {"T2", 2}, {"T1", 1}})
        team(name, n);
    form(2, 2);
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("neu 5: T5"), QStringLiteral("neu 6: T4,T2"),
                                   QStringLiteral("neu 4: T1,T3")}));
    for (const TSquadListItem& item : preview)
        EXPECT_LE(item.getContainingSquads(), 2);
}

TEST_F(Formation, OnlyUnassignedTeamsOfListedAgeClassesTakePartAndTargetOneMakesSingleTeamSquads)
{
    teams.reserve(16);
    team(QStringLiteral("Ohne Klasse"), 4, 0);
    team(QStringLiteral("Fremde Klasse"), 4, 9);
    team(QStringLiteral("Schon in Riege"), 4, 1, 3);
    team(QStringLiteral("A"), 2);
    team(QStringLiteral("B"), 3);
    form(1);
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("neu 2: A"), QStringLiteral("neu 3: B")}));

    form(kUnlimitedTeams);
    EXPECT_EQ(rows(), QStringList{QStringLiteral("neu 5: B,A")}) << "no new squads, the rest in one";
}

TEST_F(Formation, AgeClassesAreFormedInTheirOrderAndTeamsOfEqualSizeByName)
{
    teams.reserve(16);
    ageClasses = {ageClass(2, QStringLiteral("U12")), ageClass(1, QStringLiteral("U10"))};
    team(QStringLiteral("b"), 3);
    team(QStringLiteral("B"), 3);
    team(QStringLiteral("a"), 3);
    team(QStringLiteral("Zwölf"), 1, 2);
    form(3);
    // Ordinal, case-sensitive: "B" < "a" < "b"; take index (3 div 2) * 1 = 1, then 0, then the last.
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("neu 1: Zwölf"), QStringLiteral("neu 9: a,B,b")}));
}

TEST_F(Formation, ThePreviewListShowsEachRowTickedAndSendsTheTickedOnesFillFirst)
{
    teams.reserve(16);
    sevenTeams();
    const TeamType own = team(QStringLiteral("Alt"), 3, 1, 77);
    squad(77, 4, 1, {own}).CustomName = QStringLiteral("Blitz");
    form(3);
    TSquadPreviewModel model;
    model.setItems(std::move(preview));
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 4 + 3);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Riege"));
    EXPECT_EQ(model.headerData(6, Qt::Horizontal).toString(), QStringLiteral("Team"));
    QStringList first, fill;
    for (int c = 0; c < model.columnCount(); ++c) {
        first << model.index(0, c).data().toString();
        fill << model.index(2, c).data().toString();
    }
    EXPECT_EQ(first, (QStringList{"Neu", "U10", "anlegen", "12", "D4(106)", "A6(102)", "G2(101)"}));
    EXPECT_EQ(fill, (QStringList{"Blitz (4)", "AK1", "auffüllen", "8", "Alt(108)", "C5(103)", ""}));
    EXPECT_EQ(model.maxSquadSize(), 12);
    EXPECT_EQ(model.index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);

    model.setData(model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole);
    const auto request = makeCreateSquadsRequest(model);
    EXPECT_EQ(request->reqType, TSquadCreateRequestType::rt_CreateSquads);
    ASSERT_EQ(request->squadsToCreate.size(), 1u);
    EXPECT_EQ(request->squadsToCreate[0].ageClass, 1);
    EXPECT_EQ(request->squadsToCreate[0].teamsIDs, (std::vector<int>{106, 102, 101}));
    ASSERT_EQ(request->squadsToFill.size(), 1u);
    EXPECT_EQ(request->squadsToFill[0].id, 77);
    EXPECT_EQ(request->squadsToFill[0].teamsIDs, (std::vector<int>{108, 103})) << "its own teams first";

    for (int row = 0; row < model.rowCount(); ++row)
        model.setChecked(row, false);
    const auto none = makeCreateSquadsRequest(model);
    EXPECT_TRUE(none->squadsToCreate.empty() && none->squadsToFill.empty());
}
