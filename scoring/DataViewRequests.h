#pragma once
// The data view's server requests: loading a compilation's results (competition or cup) and
// storing its chosen sort order.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ScoringRecords.h"
#include "core/results/tvpTypes.h"
#include "scoring/CupAthleteTools.h"
#include "scoring/DataViewTable.h"

#include <atomic>
#include <memory>
#include <vector>

namespace tvp {

struct TResultDataRequest : TRequest {
    bool cupMode = false;
    int cupId = 0;
    int AggCollectionId = 0;
    std::vector<TAggInfo> aggIds;
    std::vector<int> orderIndices;
    // Set by the window to stop fetching further tables.
    std::shared_ptr<std::atomic_bool> canceling = std::make_shared<std::atomic_bool>(false);
};

struct TDataViewResponse : TResponse {
    bool cupMode = false;
    QString cupName;
    QString compPlaceUiInfo;
    proto::getFinisherAthletesResponse1 athletes; // cup mode
    std::unique_ptr<TCupAthleteList> cupAthleteList;
    std::vector<proto::AmbiguousResultType> ambiguousBibWarning;
    std::vector<proto::InvalidParticipantType> participantWarning;
    std::vector<int> resProvIds;
    int AggCollectionId = 0;
    QString cerDocPath;
    std::vector<int> orderIndices;
    // Competition mode: the athletes and one table per node fetched, in compilation order.
    std::vector<proto::AthleteType> competitionAthletes;
    std::vector<TDataViewTable> tables;
};

const TRequestTable<TResultDataRequest, TDataViewResponse>& dataViewRequests();

struct TOrderColSaveRequest : TRequest {
    int id = 0;
    std::vector<int> orderIndices; // node ids, 0 for a column without one
};

struct TOrderColSaveResponse : TResponse {};

const TRequestTable<TOrderColSaveRequest, TOrderColSaveResponse>& orderColSaveRequests();

// The place from the competition's metadata infos: the text after the first "STRING_" of the
// first key holding "MetaData_CompetitionLocation".
QString competitionLocationOf(const std::vector<proto::UiInfoKeyValuePair>& infos);

// The cup part of a load, on the given answers (the worker fetches them).
std::unique_ptr<TCupAthleteList> buildCupTable(const proto::getFinisherAthletesResponse1& finishers,
                                               const std::vector<proto::CustomColumnType>& columns,
                                               const proto::CupType& cup);

} // namespace tvp
