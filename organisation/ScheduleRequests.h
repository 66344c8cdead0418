#pragma once
// The schedule window's server requests: loading squads, their facilities and their items, and
// saving every item of the grid in one transaction.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ScoringRecords.h"
#include "organisation/ScheduleGrid.h"

#include <memory>
#include <vector>

namespace tvp {

enum class TScheduleRequestType { rt_get = 0, rt_set = 1 };

struct TScheduleRequest : TRequest {
    TScheduleRequestType reqType = TScheduleRequestType::rt_get;
    int ageClassFilterId = 0;
    QString ageClassFilterName;
    std::vector<TScheduleChange> ScheduleChangeSet;
};

struct TScheduleResponse : TResponse {
    TScheduleRequestType reqType = TScheduleRequestType::rt_get;
    int id = 0;
    proto::getSquadScheduleResponse schedule;
    proto::getAgeClassesResponse1 ageClasses;
    proto::getSquadsResponse squads;
    QString ageClassFilterName;
    proto::getPossibleDisciplinePlacesResponse placesAll;
    proto::getPossibleDisciplinePlacesResponse placesPerSquad;
};

const TRequestTable<TScheduleRequest, TScheduleResponse>& scheduleRequests();

std::unique_ptr<TScheduleRequest> makeScheduleLoad(int ageClassFilterId, const QString& ageClassFilterName);
std::unique_ptr<TScheduleRequest> makeScheduleSave(const TScheduleGrid& grid);

} // namespace tvp
