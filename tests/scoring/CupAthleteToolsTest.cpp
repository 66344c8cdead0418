// The cup table: team results on each athlete's own copy of the team, results kept per attempt,
// attempts the table cannot hold dropped, custom values by column, and the rows the filter keeps.

#include "scoring/CupAthleteTools.h"
#include "scoring/DataViewTable.h"
#include "tests/scoring/ResultViewsTestData.h"

#include <gtest/gtest.h>

using namespace tvp;
using namespace tvp::test;

namespace {

proto::CustomColumnType customColumn(int id, const QString& name)
{
    proto::CustomColumnType c;
    c.ID = id;
    c.Name = name;
    c.ItemType = proto::CupItemType::Athlete;
    return c;
}

proto::CupType cupOf(int competitions)
{
    proto::CupType cup;
    cup.CupID = 1;
    cup.Name = "Kinder-Cup";
    for (int i = 1; i <= competitions; ++i) {
        proto::CompetitionType c;
        c.ID = 100 + i;
        c.Name = QStringLiteral("Lauf %1").arg(i);
        cup.AssignedCompetitions.push_back(c);
    }
    return cup;
}

proto::FinisherType finisher(int id, const QString& given, std::vector<std::pair<int, QString>> teams,
                             std::vector<int> competitions = {}, std::vector<std::pair<int, QString>> custom = {})
{
    proto::FinisherType f;
    proto::CupAthleteType a;
    a.AthleteID = id;
    a.Name = proto::AthleteNameType{given, "Cup"};
    for (int comp : competitions) {
        proto::CompetitionAthleteType assigned;
        proto::CompetitionType c;
        c.ID = comp;
        assigned.Competition = c;
        a.AssignedAthletes.push_back(assigned);
    }
    for (const auto& [column, value] : custom) {
        proto::CustomInformationType info;
        info.Column = customColumn(column, {});
        info.Value = value;
        a.CustomInformations.push_back(info);
    }
    f.Athlete = a;
    for (const auto& [teamId, name] : teams) {
        proto::CupTeamType t;
        t.TeamID = teamId;
        t.Name = name;
        f.Teams.push_back(t);
    }
    return f;
}

} // namespace

TEST(CupTable, TeamResultsGoToEachMembersCopyAndTheBestTeamComesFirst)
{
    TCupAthleteList list({finisher(1, "Ada", {{50, "Falken"}, {60, "Adler"}}), finisher(2, "Bo", {{60, "Adler"}}),
                          finisher(3, "Cy", {})},
                         {}, cupOf(2));
    list.addResults(resultTable(true, {rank(2, 0, {50}), rank(1, 0, {60}), rank(1, 0, {99}), rank(1, 0, {50, 60})}),
                    aggInfo(7, "Teamrang", "Gesamt"), TResultformat::rf_Default);
    list.addResults(resultTable(false, {distance(3, 2), distance(4, 42)}), aggInfo(8, "Weit", "Weitsprung"),
                    TResultformat::rf_Default);

    const TCupAthlete& ada = *list.getAthlete(0);
    ASSERT_EQ(ada.getNoOfTeams(), 2);
    EXPECT_EQ(ada.getTeam(0)->name(), "Adler") << "rank 1 before rank 2";
    EXPECT_EQ(ada.getTeam(0)->getResultString(0), "1");
    EXPECT_EQ(ada.getTeam(1)->getResultString(0), "2");
    const TCupAthlete& bo = *list.getAthlete(1);
    EXPECT_EQ(bo.getTeam(0)->getResultString(0), "1");
    EXPECT_NE(bo.getTeam(0), ada.getTeam(0)) << "each athlete has its own copy";
    EXPECT_EQ(bo.getResultString(0), "3,00m");
    EXPECT_EQ(ada.getResultString(0), "");
    EXPECT_EQ(list.getNoOfTeamAggs(), 1);
    EXPECT_EQ(list.getNoOfAthleteAggs(), 1);
    EXPECT_EQ(list.getTeamAgg(0)->aggID, 7);
    EXPECT_EQ(list.getAthAgg(1), nullptr);
    EXPECT_EQ(list.getAthlete(3), nullptr);
}

TEST(CupTable, AttemptsOutsideTheTableAreDropped)
{
    TCupAthleteList list({finisher(1, "Ada", {})}, {}, cupOf(1));
    proto::AssignedResultType third = distance(2.5, 1, {}, 3);
    proto::AssignedResultType before = distance(9, 1, {}, 0);
    proto::AssignedResultType negative = distance(9, 1, {}, -7);
    proto::AssignedResultType huge = distance(9, 1, {}, 2000000000);
    list.addResults(resultTable(false, {before, third, negative, huge}, 3), aggInfo(8, "Weit", "Weitsprung"),
                    TResultformat::rf_Default);
    EXPECT_EQ(list.getAthlete(0)->getResultString(0), "-,-,2,50m");
    EXPECT_EQ(list.getAthlete(0)->getResult(0)->getNoOfSlots(), 3);

    // A later result of one attempt replaces the earlier; an empty one clears it.
    proto::AssignedResultType again = distance(2.75, 1, {}, 3);
    proto::AssignedResultType cleared = distance(0, 1, {}, 1);
    cleared.ResultID = 1;
    list.addResults(resultTable(false, {third, again, cleared}, 3), aggInfo(9, "Weit2", "Weitsprung"),
                    TResultformat::rf_Default);
    EXPECT_EQ(list.getAthlete(0)->getResultString(1), "-,-,2,75m");

    // Without a number of attempts the table holds one.
    list.addResults(resultTable(false, {distance(1, 1, {}, 1), distance(2, 1, {}, 2)}, 0),
                    aggInfo(10, "Eins", "Weitsprung"), TResultformat::rf_Default);
    EXPECT_EQ(list.getAthlete(0)->getResultString(2), "1,00m");
}

TEST(CupTable, ColumnsRowsAndFilter)
{
    TCupAthleteList list({finisher(1, "Ada", {{50, "Falken"}}, {101, 102, 555}, {{7, "A-Stadt"}, {8, "weg"}}),
                          finisher(2, "Bo", {{60, "Adler"}}, {102}), finisher(3, "Cy", {}),
                          finisher(4, "Dee", {{70, "Eulen"}, {50, "Falken"}})},
                         {customColumn(7, "Ort")}, cupOf(2));
    list.addResults(resultTable(true, {rank(1, 0, {50})}), aggInfo(7, "Teamrang", "Gesamt"), TResultformat::rf_Default);
    list.addResults(resultTable(false, {distance(3, 2)}), aggInfo(8, "Weit", "Weitsprung"), TResultformat::rf_Default);

    const TCupColumns cols = cupColumns(list);
    QStringList titles;
    for (const TDataViewColumn& c : cols.columns)
        titles << c.title;
    EXPECT_EQ(titles,
              (QStringList{"Vorname", "Nachname", "Ort", "Team 1", "Teamrang#Gesamt_T1", "Team 2", "Teamrang#Gesamt_T2",
                           "Weit#Weitsprung", "Anzahl Cup-Teilnahmen", "Lauf 1", "Lauf 2"}));
    EXPECT_EQ(cols.firstTeamCol, 3);
    EXPECT_EQ(cols.AggStartColIndex, 4);
    EXPECT_EQ(cols.additionalColsStartIndex, 8);

    // Bo's team has no result, but Bo has one; Cy has no team and counts as having a result.
    const std::vector<TDataViewRow> all = cupRows(list, false, 0);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].caption, "Ada");
    EXPECT_EQ(all[0].cells, (QStringList{"Cup", "A-Stadt", "Falken", "1", "", "", "", "2", "x", "x"}));
    EXPECT_EQ(all[1].cells, (QStringList{"Cup", "", "Adler", "", "", "", "3,00m", "1", "-", "x"}));
    EXPECT_EQ(all[3].cells.mid(2, 4), (QStringList{"Falken", "1", "", ""})) << "Eulen without result";

    auto names = [](const std::vector<TDataViewRow>& rows) {
        QStringList out;
        for (const TDataViewRow& r : rows)
            out << r.caption;
        return out;
    };
    EXPECT_EQ(names(cupRows(list, true, 0)), (QStringList{"Bo", "Cy"}));
    EXPECT_EQ(names(cupRows(list, true, 1)), (QStringList{"Ada", "Dee"}));
    EXPECT_TRUE(cupRows(list, true, 2).empty());
}
