#include "organisation/SquadSchedule.h"

#include "core/print/PrintTable.h"
#include "core/results/tvpUtils.h"

#include <QStringList>

namespace tvp {

namespace {

int placeIdOf(const proto::ScheduleItemType& item)
{
    return item.DisciplinePlace && item.DisciplinePlace->Place ? item.DisciplinePlace->Place->DisciplinePlaceId : 0;
}

} // namespace

TSquadScheduleMap populateSquadScheduleMap(const proto::getDisciplineScheduleResponse& schedule)
{
    TSquadScheduleMap map;
    for (const proto::DisciplineScheduleItemType& facility : schedule)
        for (const proto::ScheduleItemType& item : facility.ScheduleItems)
            if (item.Squad)
                map.insert_or_assign(item.Squad->SquadID, item);
    return map;
}

TSquadsObject::TSquadsObject(const QModelIndex& heatNode, const TSquadScheduleMap& map)
{
    const QAbstractItemModel* model = heatNode.model();
    if (!model)
        return;
    bool conflict = false;
    QStringList squads;
    for (int r = 0; r < model->rowCount(heatNode); ++r) {
        const auto info = model->index(r, 0, heatNode).data(kTreeNodeInformationRole).value<TTreeNodeInformation>();
        if (!conflict) {
            if (auto found = map.find(info.SquadId); found != map.end()) {
                const proto::ScheduleItemType& item = found->second;
                if (!ScheduleItem)
                    ScheduleItem = item;
                else if (item.Time != ScheduleItem->Time || placeIdOf(item) != placeIdOf(*ScheduleItem))
                    conflict = true;
            }
        }
        if (!info.Squad.isEmpty() && !squads.contains(info.Squad))
            squads << info.Squad;
    }
    if (conflict)
        ScheduleItem.reset();
    SquadsString = squadsText(squads);
}

TSquadsInfo getSquadsInfo(const QModelIndex& heatNode, const TSquadScheduleMap& map)
{
    const TSquadsObject squads(heatNode, map);
    TSquadsInfo info;
    info.SquadString = squads.SquadsString;
    if (squads.ScheduleItem) {
        const proto::ScheduleItemType& item = *squads.ScheduleItem;
        if (item.DisciplinePlace && item.DisciplinePlace->Place)
            info.Place = item.DisciplinePlace->Place->Name;
        if (item.Time)
            info.StartTime = item.Time->msecsSinceStartOfDay() / 86400000.0;
    }
    return info;
}

} // namespace tvp
