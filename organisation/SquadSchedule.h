#pragma once
// The schedule items of a discipline per squad, and what a heat's squads say about where and when
// the heat starts: for printing heats sorted by facility and start time.

#include "core/protocol/ScoringRecords.h"

#include <QModelIndex>
#include <QString>

#include <optional>
#include <unordered_map>

namespace tvp {

// Squad id to that squad's schedule item at the discipline.
using TSquadScheduleMap = std::unordered_map<int, proto::ScheduleItemType>;

// Every item of every facility under its squad id; a later item of a squad replaces an earlier one.
TSquadScheduleMap populateSquadScheduleMap(const proto::getDisciplineScheduleResponse& schedule);

struct TSquadsInfo {
    QString SquadString;
    QString Place;        // the facility's name
    double StartTime = 0; // time of day as a fraction of a day, 0 when none
};

// The squads of one heat (a heat node of the competition-list tree) and their common schedule item.
class TSquadsObject {
public:
    TSquadsObject(const QModelIndex& heatNode, const TSquadScheduleMap& map);

    QString SquadsString; // "Riege a, b", each squad once; empty without squads
    // None when the heat's squads have none, or start at different times or facilities.
    std::optional<proto::ScheduleItemType> ScheduleItem;
};

TSquadsInfo getSquadsInfo(const QModelIndex& heatNode, const TSquadScheduleMap& map);

} // namespace tvp
