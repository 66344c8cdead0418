// The grid of a heat as the result entry shows it: where the cursor goes, which rows take no input,
// rows whose results lie outside the attempts, and the status texts of cells.

#include "results/ResultGridModel.h"
#include "results/ResultRequests.h"

#include <gtest/gtest.h>

namespace tvp {
namespace {

using S = TSetResultStatus;

proto::AthleteType athlete(int id, const QString& given, const QString& sur)
{
    proto::AthleteType a;
    a.AthleteID = id;
    a.Name.ensure().givenName = given;
    a.Name->surName = sur;
    a.Team.ensure().Name = QStringLiteral("Füchse");
    return a;
}

proto::AssignedResultType result(int athleteId, int attempt, double distance)
{
    proto::AssignedResultType r;
    r.AthleteId = athleteId;
    r.Attempt = attempt;
    r.ResultID = 100 + athleteId * 10 + attempt;
    r.Type_ = proto::ResultValueType::Distance;
    r.DistanceInMeter = distance;
    return r;
}

class GridTest : public ::testing::Test {
protected:
    // Heat 1: Anna (a result in attempt 1), an empty place, Ben (a result in attempt 5 of 2), Cara.
    void fill(proto::ResultAssignmentType assignment)
    {
        cache =
            std::make_unique<TResultCache>(9, false, assignment, proto::ResultValueType::Distance, QString(), 2,
                                           TResultCache::TChangeCallback{}, TResultformat::rf_Default, 4, std::nullopt);
        const std::vector<proto::AssignedResultType> results{result(1, 1, 4.5), result(2, 5, 3.0)};
        const TAssignedResults assigned(results);
        cache->addAthleteRow(1, athlete(1, QStringLiteral("Anna"), QStringLiteral("Berg")), assigned, {7}, true, 2);
        cache->addEmptyRow(1, 0);
        cache->addAthleteRow(1, athlete(2, QStringLiteral("Ben"), QStringLiteral("Acker")), assigned, {8}, true, 6);
        cache->addAthleteRow(1, athlete(3, QStringLiteral("Cara"), QStringLiteral("Dorn")), assigned, {}, true, 3);
        grid.rebuild(cache.get(), 1);
    }
    QModelIndex at(int row, int attempt) const { return grid.index(row, grid.columnOfAttempt(attempt)); }
    std::pair<int, int> next(int row, int attempt, bool along) const
    {
        const std::optional<QModelIndex> n = grid.nextCell(at(row, attempt), along);
        return n ? std::make_pair(n->row(), grid.attemptOfColumn(n->column())) : std::make_pair(-1, -1);
    }

    std::unique_ptr<TResultCache> cache;
    TResultGridModel grid;
};

TEST_F(GridTest, RowsWithoutInputAreSkippedAndAResultOutsideTheAttemptsLeavesNoCells)
{
    fill(proto::ResultAssignmentType::byAthleteOrTeam);
    ASSERT_EQ(grid.rowCount(), 4);
    ASSERT_EQ(grid.columnCount(), 6);
    EXPECT_EQ(grid.index(0, 3).data().toString(), QStringLiteral("Berg, Anna"));
    EXPECT_EQ(grid.index(1, 0).data().toString(), QStringLiteral("2"));
    EXPECT_EQ(grid.index(1, 3).data().toString(), QString());
    // Ben's result in attempt 5 of 2: no cells, shown as "-", never typed into.
    EXPECT_FALSE(grid.hasCells(2));
    EXPECT_EQ(at(2, 1).data().toString(), QStringLiteral("-"));
    EXPECT_FALSE(at(2, 1).data(TResultGridModel::kStatusRole).isValid());
    EXPECT_FALSE(grid.flags(at(2, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(grid.flags(at(1, 1)) & Qt::ItemIsEditable) << "an empty place takes nothing by athlete";
    EXPECT_TRUE(grid.flags(at(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(grid.flags(grid.index(0, 2)) & Qt::ItemIsEditable);

    EXPECT_EQ(next(0, 1, false), std::make_pair(3, 1)) << "down past the empty place and Ben";
    EXPECT_EQ(next(3, 1, false), std::make_pair(0, 2)) << "after the last row: the next attempt's first row";
    EXPECT_EQ(next(3, 2, false), std::make_pair(-1, -1));
    EXPECT_EQ(next(0, 1, true), std::make_pair(0, 2));
    EXPECT_EQ(next(0, 2, true), std::make_pair(3, 1)) << "along: the next row that takes input";
    EXPECT_EQ(next(3, 2, true), std::make_pair(-1, -1));
    // From a fixed column the walk starts at the first attempt.
    EXPECT_EQ(grid.nextCell(grid.index(0, 1), true)->column(), grid.columnOfAttempt(2));
}

TEST_F(GridTest, ByLaneEveryPlaceTakesInputAndTheHeadersSayHowResultsGo)
{
    fill(proto::ResultAssignmentType::byLane);
    EXPECT_EQ(grid.headerData(0, Qt::Horizontal).toString(), QStringLiteral("*#"));
    EXPECT_EQ(grid.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Startnr."));
    EXPECT_EQ(grid.headerData(4, Qt::Horizontal).toString(), QStringLiteral("1. Versuch"));
    EXPECT_TRUE(grid.flags(at(1, 1)) & Qt::ItemIsEditable);
    EXPECT_EQ(next(0, 1, false), std::make_pair(1, 1));
    EXPECT_EQ(next(1, 1, false), std::make_pair(3, 1)) << "a row without cells stays skipped";

    fill(proto::ResultAssignmentType::byBib);
    EXPECT_EQ(grid.headerData(0, Qt::Horizontal).toString(), QStringLiteral("#"));
    EXPECT_EQ(grid.headerData(1, Qt::Horizontal).toString(), QStringLiteral("*Startnr."));
}

TEST_F(GridTest, StatusTextsAndChangedRows)
{
    fill(proto::ResultAssignmentType::byAthleteOrTeam);
    EXPECT_EQ(grid.cellStatusText(at(0, 1)), QString()) << "up to date";
    EXPECT_EQ(grid.cellStatusText(at(3, 1)), QString()) << "no result";
    EXPECT_EQ(grid.cellStatusText(grid.index(0, 1)), QString()) << "a fixed column";

    cache->setError(3, 2, QStringLiteral("Nein"));
    grid.refreshCell(4, 2);
    EXPECT_EQ(grid.cellStatusText(at(3, 2)), QStringLiteral("Status der Zelle(Cara Dorn, Versuch 2): Fehler: Nein"));
    proto::ResultType r;
    r.DistanceInMeter = 5;
    cache->addChange(1, 2, &r);
    grid.refreshCell(1, 2);
    EXPECT_EQ(at(0, 2).data(TResultGridModel::kStatusRole).toInt(), int(S::sr_pending));
    EXPECT_EQ(grid.cellStatusText(at(0, 2)),
              QStringLiteral("Status der Zelle(Anna Berg, Versuch 2): Zelle wurde noch nicht vom Server gespeichert."));
    cache->beginEdit(1, 4, 1, QStringLiteral("3,3"));
    grid.refreshCell(4, 1);
    EXPECT_EQ(grid.cellStatusText(at(3, 1)),
              QStringLiteral("Status der Zelle(Cara Dorn, Versuch 1): Zelle wurde verändert. Zum Speichern in der "
                             "Zelle Enter-Taste drücken."));

    EXPECT_FALSE(grid.index(2, 0).data(TResultGridModel::kChangedRole).toBool()) << "no marking by default";
    grid.setVersionToCompare(2);
    EXPECT_FALSE(grid.index(0, 0).data(TResultGridModel::kChangedRole).toBool());
    EXPECT_TRUE(grid.index(2, 0).data(TResultGridModel::kChangedRole).toBool());
    EXPECT_TRUE(at(3, 2).data(TResultGridModel::kChangedRole).toBool());
    grid.setVersionToCompare(kNoListVersion);
    EXPECT_FALSE(grid.index(2, 0).data(TResultGridModel::kChangedRole).toBool());
}

} // namespace
} // namespace tvp
