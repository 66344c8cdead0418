#pragma once
// Athletes, teams and result tables as the server answers them, for the data view's tests.

#include "core/protocol/ScoringRecords.h"
#include "core/results/tvpTypes.h"

#include <QString>

#include <vector>

namespace tvp::test {

inline proto::AthleteType athlete(int id, const QString& given, const QString& sur, int teamId = 0,
                                  const QString& team = {}, const QString& club = {})
{
    proto::AthleteType a;
    a.AthleteID = id;
    a.Name = proto::AthleteNameType{given, sur};
    if (teamId) {
        proto::TeamType t;
        t.TeamID = teamId;
        t.Name = team;
        a.Team = t;
    }
    if (!club.isEmpty()) {
        proto::ClubShortType c;
        c.Name = club;
        a.Club = c;
    }
    return a;
}

inline proto::AssignedResultType distance(double metres, int athleteId, std::vector<int> teamIds = {}, int attempt = 1)
{
    proto::AssignedResultType r;
    r.Type_ = proto::ResultValueType::Distance;
    r.DistanceInMeter = metres;
    r.AthleteId = athleteId;
    r.TeamId = std::move(teamIds);
    r.Attempt = attempt;
    r.ResultID = 100 + attempt;
    return r;
}

inline proto::AssignedResultType rank(int value, int athleteId, std::vector<int> teamIds = {})
{
    proto::AssignedResultType r = distance(0, athleteId, std::move(teamIds));
    r.Type_ = proto::ResultValueType::Rank;
    r.Rank = value;
    return r;
}

inline proto::getResultTableResponse1 resultTable(bool team, std::vector<proto::AssignedResultType> results,
                                                  int perRow = 1)
{
    proto::getResultTableResponse1 t;
    proto::ResultTableType kind;
    kind.Team = team;
    kind.ResultsPerRow = perRow;
    t.ResultTableType = kind;
    t.Results = std::move(results);
    return t;
}

inline TAggInfo aggInfo(int id, const QString& name, const QString& discipline, bool multidisc = false)
{
    TAggInfo a;
    a.aggID = id;
    a.aggName = name;
    a.DiscNames = discipline;
    a.aggLabel = name + u'#' + discipline;
    a.multidisc = multidisc;
    return a;
}

} // namespace tvp::test
