#include "core/results/ResultCache.h"
#include "core/results/ResultUnitPatterns.h"

#include <gtest/gtest.h>

#include <climits>

using namespace tvp;
using proto::ResultAssignmentType;
using proto::ResultValueType;
using S = TSetResultStatus;

namespace {

proto::AthleteType athlete(int id, const char* given, int teamId = 0, std::vector<int> bibs = {})
{
    proto::AthleteType a;
    a.AthleteID = id;
    a.Bib = std::move(bibs);
    proto::AthleteNameType name;
    name.givenName = QString::fromUtf8(given);
    name.surName = QStringLiteral("Berg");
    a.Name = name;
    if (teamId) {
        proto::TeamType t;
        t.TeamID = teamId;
        t.Name = QStringLiteral("Team %1").arg(teamId);
        a.Team = t;
    }
    return a;
}

proto::AssignedResultType result(int athleteId, int attempt, double metres, int resultId = 10)
{
    proto::AssignedResultType r;
    r.Type_ = ResultValueType::Distance;
    r.DistanceInMeter = metres;
    r.AthleteId = athleteId;
    r.Attempt = attempt;
    r.ResultID = resultId;
    return r;
}

proto::ResultType metres(double m)
{
    proto::ResultType r;
    r.Type_ = ResultValueType::Distance;
    r.DistanceInMeter = m;
    return r;
}

struct Notes {
    std::vector<std::pair<int, int>> seen;
    TResultCache::TChangeCallback callback()
    {
        return [this](int row, int col) { seen.emplace_back(row, col); };
    }
};

TResultCache makeCache(Notes& notes, ResultAssignmentType assignment = ResultAssignmentType::byAthleteOrTeam,
                       int attempts = 3, TResultformat format = TResultformat::rf_Default,
                       std::optional<std::vector<int>> heights = std::nullopt, bool team = false,
                       const QString& pattern = QString())
{
    return TResultCache(7, team, assignment, ResultValueType::Distance, pattern, attempts, notes.callback(), format, 4,
                        std::move(heights));
}

} // namespace

TEST(ResultCache, LoadingRowsAndTheirCells)
{
    Notes notes;
    TResultCache cache = makeCache(notes);
    const std::vector<proto::AssignedResultType> table{
        result(1, 1, 4.0), result(1, 1, 4.5), // a later result of an attempt replaces the earlier one
        result(1, 3, 0, 1),                   // the server's empty result
        result(2, 4, 3.0),                    // outside the attempts: the row gets no cells
        result(3, 2, 2.0)};
    const TAssignedResults results(table);
    cache.addAthleteRow(1, athlete(1, "Anna"), results, {11}, true, 2);
    cache.addAthleteRow(1, athlete(2, "Ben"), results, {12}, true, 3);
    cache.addAthleteRow(2, athlete(4, "Cleo"), results, {}, false, 1); // nothing stored: left out
    cache.addAthleteRow(2, athlete(3, "Dora"), results, {}, false, 1);

    EXPECT_EQ(cache.getNoOfHeats(), 2);
    ASSERT_EQ(cache.getHeatRowCount(1), 2);
    EXPECT_EQ(cache.getHeatRowCount(2), 1);
    EXPECT_EQ(cache.getNameOf(1, 1), "Anna Berg");
    EXPECT_EQ(cache.getNameOf(2, 1), "Dora Berg");
    EXPECT_EQ(cache.getNameOf(2, 2), "");
    EXPECT_EQ(cache.getAthleteIdOfRow(1, 2), 2);
    EXPECT_EQ(cache.getListItemVersion(1, 2), 3);
    EXPECT_EQ(cache.getStatusOf(1, 1, 1), S::sr_uptodate);
    EXPECT_EQ(cache.getStatusOf(1, 1, 2), S::sr_noResult);
    EXPECT_EQ(cache.getStatusOf(1, 1, 3), S::sr_noResult);
    EXPECT_EQ(cache.getResultTable(1).rows[0]->Results()[0].lastValue, "4,50m");
    EXPECT_TRUE(cache.getResultTable(1).rows[1]->Results().empty());
    EXPECT_EQ(cache.getStatusOf(1, 2, 1), S::sr_noResult) << "a row without cells is never indexed";
    EXPECT_EQ(cache.getResultTable().rows.size(), 3u);
    EXPECT_FALSE(cache.hasUncommitedChanges());
}

TEST(ResultCache, TeamRowsFoldTheirAthletes)
{
    Notes notes;
    TResultCache cache =
        makeCache(notes, ResultAssignmentType::byAthleteOrTeam, 2, TResultformat::rf_Default, std::nullopt, true);
    proto::AssignedResultType teamResult = result(0, 2, 12.5);
    teamResult.TeamId = {50};
    proto::AssignedResultType twoTeams = result(0, 1, 1.0);
    twoTeams.TeamId = {50, 51};
    const std::vector<proto::AssignedResultType> table{teamResult, twoTeams};
    const TAssignedResults results(table);
    cache.addAthleteRow(1, athlete(1, "Anna", 50), results, {}, true, 1);
    cache.addAthleteRow(1, athlete(2, "Ben", 50), results, {}, true, 5);
    cache.addAthleteRow(1, athlete(3, "Solo"), results, {}, true, 1); // no team: no row
    proto::TeamType team;
    team.TeamID = 60;
    team.Name = QStringLiteral("Adler");
    cache.addTeamRow(1, team, results, {}, true, 2);

    ASSERT_EQ(cache.getHeatRowCount(1), 2);
    EXPECT_EQ(cache.getNameOf(1, 1), "Anna Berg");
    EXPECT_EQ(cache.getListItemVersion(1, 1), 5);
    EXPECT_EQ(cache.getTeamIdOfRow(1, 1), 50);
    EXPECT_EQ(cache.getStatusOf(1, 1, 1), S::sr_noResult);
    EXPECT_EQ(cache.getStatusOf(1, 1, 2), S::sr_uptodate);
    EXPECT_EQ(cache.getNameOf(1, 2), "Adler");
    EXPECT_EQ(cache.getAthleteIdOfRow(1, 2), 0);

    Notes other;
    TResultCache single = makeCache(other);
    single.addTeamRow(1, team, results, {}, true, 2);
    EXPECT_EQ(single.getNoOfHeats(), -1) << "team rows only in team disciplines";
}

TEST(ResultCache, ChangesByLaneAndByBib)
{
    Notes notes;
    TResultCache lanes = makeCache(notes, ResultAssignmentType::byLane);
    const std::vector<proto::AssignedResultType> none;
    const TAssignedResults results(none);
    lanes.addAthleteRow(3, athlete(1, "Anna"), results, {}, true, 1);
    lanes.addEmptyRow(3, 1);
    lanes.addAthleteRow(4, athlete(2, "Ben"), results, {}, true, 1);

    const proto::ResultType r = metres(5.0);
    lanes.addChange(3 * 65536 + 2, 1, &r);
    EXPECT_EQ(lanes.getStatusOf(3, 2, 1), S::sr_pending) << "the empty place is lane 2";
    EXPECT_EQ(lanes.getStatusOf(3, 1, 1), S::sr_noResult);
    lanes.addChange(4 * 65536 + 2, 1, &r); // heat 4 has no lane 2
    EXPECT_EQ(lanes.getStatusOf(4, 1, 1), S::sr_noResult);
    EXPECT_EQ(lanes.uncomittedChanges().size(), 2u);
    EXPECT_EQ(lanes.assignedIdOfRow(3, 2), 3 * 65536 + 2);

    Notes bibNotes;
    TResultCache bibs = makeCache(bibNotes, ResultAssignmentType::byBib);
    bibs.addAthleteRow(1, athlete(1, "Anna"), results, {21, 22}, true, 1);
    bibs.addChange(22, 2, &r);
    bibs.addChange(0, 2, &r); // no id: ignored
    EXPECT_EQ(bibs.getStatusOf(1, 1, 2), S::sr_pending);
    EXPECT_EQ(bibs.uncomittedChanges().size(), 1u);
    bibs.setError(22, 2, QStringLiteral("Abgelehnt"));
    EXPECT_EQ(bibs.getStatusOf(1, 1, 2), S::sr_error);
    EXPECT_EQ(bibs.getErrMsg(1, 1, 2), "Abgelehnt");
    EXPECT_EQ(bibs.uncomittedChanges().size(), 1u) << "a refused change stays queued";
    bibs.setWarning(0, 2, QStringLiteral("Warnung"));
    EXPECT_EQ(bibs.getStatusOf(1, 1, 2), S::sr_error) << "a warning does not overwrite an error";
    // Attempts outside the row never index a cell.
    bibs.addChange(21, 9, &r);
    bibs.setError(21, 0, QStringLiteral("x"));
    EXPECT_EQ(bibs.uncomittedChanges().size(), 2u);
}

TEST(ResultCache, QueuedChangesSurviveReloadsUntilConfirmed)
{
    Notes notes;
    TResultCache cache = makeCache(notes);
    const std::vector<proto::AssignedResultType> table{result(1, 1, 3.0)};
    const TAssignedResults results(table);
    auto load = [&] {
        cache.Clear(5);
        cache.beginUpdate();
        cache.addAthleteRow(1, athlete(1, "Anna"), results, {}, true, 1);
        cache.endUpdate();
    };
    load();
    const proto::ResultType a1 = metres(4.0), a1again = metres(4.2), a2 = metres(5.0);
    cache.addChange(1, 1, &a1);
    cache.addChange(1, 1, &a1again);
    cache.addChange(1, 2, &a2);
    cache.addChange(1, 3, nullptr); // a deletion
    EXPECT_EQ(cache.getStatusOf(1, 1, 3), S::sr_pending);
    EXPECT_TRUE(cache.hasUncommitedChanges());

    // After a reload every attempt shows its newest unconfirmed value.
    load();
    const TResultRow* row = cache.getRow(1, 1);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(cache.getStatusOf(1, 1, 1), S::sr_uncommited);
    EXPECT_EQ(row->Results()[0].getResult()->DistanceInMeter, 4.2);
    EXPECT_EQ(cache.getStatusOf(1, 1, 2), S::sr_uncommited);
    EXPECT_EQ(row->Results()[1].getResult()->DistanceInMeter, 5.0);
    EXPECT_EQ(cache.getStatusOf(1, 1, 3), S::sr_uncommited);
    EXPECT_EQ(row->Results()[2].getResult(), nullptr);

    // One confirmation removes both changes of that cell, and only those.
    notes.seen.clear();
    cache.changeCommitted(TResultChange{1, 1, a1again});
    EXPECT_EQ(cache.getStatusOf(1, 1, 1), S::sr_uptodate);
    EXPECT_EQ(cache.uncomittedChanges().size(), 2u);
    EXPECT_EQ(notes.seen, (std::vector<std::pair<int, int>>{{1, 0}}));
    cache.changeCommitted(cache.uncomittedChanges().front()); // an entry of the queue itself
    EXPECT_EQ(cache.uncomittedChanges().size(), 1u);
    cache.changeCommitted(TResultChange{1, 3, std::nullopt});
    EXPECT_EQ(cache.getStatusOf(1, 1, 3), S::sr_noResult);
    EXPECT_TRUE(cache.uncomittedChanges().empty());
    EXPECT_FALSE(cache.hasUncommitedChanges());
}

TEST(ResultCache, NotificationsAndTyping)
{
    Notes notes;
    TResultCache cache = makeCache(notes);
    const std::vector<proto::AssignedResultType> table{result(1, 1, 3.0)};
    const TAssignedResults results(table);
    cache.beginUpdate();
    for (int id = 1; id <= 3; ++id)
        cache.addAthleteRow(1, athlete(id, "X"), results, {}, true, 1);
    cache.endUpdate();
    EXPECT_EQ(notes.seen, (std::vector<std::pair<int, int>>{{0, 0}}));

    notes.seen.clear();
    cache.beginEdit(1, 1, 1, QStringLiteral("3,5"));
    EXPECT_EQ(cache.getStatusOf(1, 1, 1), S::sr_edited);
    EXPECT_EQ(cache.getResultTable(1).editValue, "3,5");
    EXPECT_EQ(cache.getResultTable(2).editValue, "");
    cache.beginEdit(1, 1, 1, QStringLiteral("3,00m"));
    EXPECT_EQ(cache.getStatusOf(1, 1, 1), S::sr_uptodate) << "typed back: the state before";
    EXPECT_TRUE(notes.seen.empty());
    cache.beginEdit(1, 9, 1, QStringLiteral("1")); // no such row: nothing
    cache.cancelEdit();
    EXPECT_EQ(notes.seen, (std::vector<std::pair<int, int>>{{1, 0}}));
    EXPECT_EQ(cache.getEditHeat(), -1);
}

TEST(ResultCache, HeightsOutsideTheListAreWarned)
{
    Notes notes;
    TResultCache heights = makeCache(notes, ResultAssignmentType::byAthleteOrTeam, 2, TResultformat::rf_Height,
                                     std::vector<int>{100, 105});
    const std::vector<proto::AssignedResultType> table{result(1, 1, 1.05), result(1, 2, 1.07)};
    const TAssignedResults results(table);
    heights.addAthleteRow(1, athlete(1, "Anna"), results, {}, true, 1);
    EXPECT_EQ(heights.getStatusOf(1, 1, 1), S::sr_uptodate);
    EXPECT_EQ(heights.getStatusOf(1, 1, 2), S::sr_warning);
    EXPECT_EQ(heights.getErrMsg(1, 1, 2),
              "Ergebnis ist nicht in der Liste möglicher Ergebnisse(Höhen,Zielweiten,...) der Disziplin");
    const proto::ResultType odd = metres(1.1);
    heights.addChange(1, 1, &odd);
    EXPECT_EQ(heights.getStatusOf(1, 1, 1), S::sr_warning);

    Notes other;
    TResultCache plain =
        makeCache(other, ResultAssignmentType::byAthleteOrTeam, 2, TResultformat::rf_Default, std::vector<int>{100});
    EXPECT_TRUE(plain.checkHeights(&odd));
    proto::ResultType huge = metres(1e300);
    EXPECT_FALSE(heights.checkHeights(&huge));
    EXPECT_TRUE(heights.checkHeights(nullptr));
}

namespace {

class BrokenPatterns : public IResultUnitPatterns {
public:
    QString parseResultValue(const QString&, double) override
    {
        throw EInvalidResultUnitPattern(QStringLiteral("Schließende Klammer \")\" nicht gefunden"));
    }
};

} // namespace

// A pattern from the server that cannot be read must not break loading: the texts go without it
// and the fault is told once per load.
TEST(ResultCache, MalformedPatternFallsBackToPlainTexts)
{
    BrokenPatterns broken;
    IResultUnitPatterns* before = resultUnitPatterns();
    resultUnitPatterns() = &broken;
    Notes notes;
    TResultCache cache = makeCache(notes, ResultAssignmentType::byAthleteOrTeam, 2, TResultformat::rf_Default,
                                   std::nullopt, false, QStringLiteral("$("));
    const std::vector<proto::AssignedResultType> table{result(1, 1, 3.0)};
    const TAssignedResults results(table);
    cache.addAthleteRow(1, athlete(1, "Anna"), results, {}, true, 1);
    EXPECT_EQ(cache.getRow(1, 1)->Results()[0].lastValue, "3,00m");
    const proto::ResultType r = metres(4.0);
    EXPECT_EQ(cache.resultText(&r), "4,00m");
    EXPECT_EQ(cache.takeLoadMessages(), QStringList{"Schließende Klammer \")\" nicht gefunden"});
    EXPECT_TRUE(cache.takeLoadMessages().isEmpty());
    cache.Clear(2);
    cache.addAthleteRow(1, athlete(1, "Anna"), results, {}, true, 1);
    EXPECT_EQ(cache.takeLoadMessages().size(), 1);
    resultUnitPatterns() = before;
}

// Heat numbers are server data: none may make the cache allocate or loop by its size.
TEST(ResultCache, HeatNumbersOutOfRangeAreReportedNotStored)
{
    Notes notes;
    TResultCache cache = makeCache(notes, ResultAssignmentType::byLane);
    const std::vector<proto::AssignedResultType> none;
    const TAssignedResults results(none);
    cache.addAthleteRow(INT_MAX, athlete(1, "Anna"), results, {}, true, 1);
    cache.addAthleteRow(40000, athlete(2, "Ben"), results, {}, true, 1);
    cache.addAthleteRow(0, athlete(3, "Cleo"), results, {}, true, 1);
    cache.addAthleteRow(-4, athlete(4, "Dora"), results, {}, true, 1);
    cache.addAthleteRow(32767, athlete(5, "Emil"), results, {}, true, 1);
    EXPECT_EQ(cache.getNoOfHeats(), 32767);
    EXPECT_EQ(cache.getResultTable().rows.size(), 3u);
    EXPECT_EQ(cache.getHeatRowCount(INT_MAX), 0);
    const QStringList messages = cache.takeLoadMessages();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains(QString::number(INT_MAX)));
    const proto::ResultType r = metres(1);
    cache.addChange(32767 * 65536 + 1, 1, &r);
    EXPECT_EQ(cache.getStatusOf(32767, 1, 1), S::sr_pending);
    cache.addChange(-4 * 65536 - 1, 1, &r);
    EXPECT_EQ(cache.getStatusOf(-4, 1, 1), S::sr_noResult);
}
