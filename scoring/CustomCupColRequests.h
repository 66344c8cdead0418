#pragma once
// The requests of the custom column window and of the custom column import.

#include "core/connection/BatchRequest.h"
#include "core/connection/RequestRoad.h"
#include "core/protocol/ScoringRecords.h"
#include "scoring/CustomColumnFile.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace tvp {

enum class TColRequestType { rt_get = 0, rt_create = 1, rt_modify = 2, rt_remove = 3 };

// A batch request only for the forced resend of a removal refused while the column holds values.
struct TColRequest : TBatchRequest {
    TColRequestType reqType = TColRequestType::rt_get;
    int cupId = 0;
    int colId = 0;
    QString name;
    int orderindex = 0;
    proto::CupItemType itemType = proto::CupItemType::Athlete;
    bool forceRemove = false;
};

struct TColResponse : TBatchResponse {
    TColRequestType reqType = TColRequestType::rt_get;
    int cupId = 0;
    int colId = 0;
    std::vector<proto::CustomColumnType> cols;
};

const TRequestTable<TColRequest, TColResponse>& colRequests();

// The file as read on the GUI thread; matched and stored on the worker in one transaction.
struct TCustomColImportRequest : TRequest {
    std::optional<TCustomDataList> list;
};

// The log, also when storing failed.
struct TCustomColImportResponse : TResponse {
    QStringList log;
};

const TRequestTable<TCustomColImportRequest, TCustomColImportResponse>& customColImportRequests();

} // namespace tvp
