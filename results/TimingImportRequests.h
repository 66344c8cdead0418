#pragma once
// The timing import window's request: one received run stored in the discipline that carries its
// timing number, line by line by athlete or team, bib or lane, in one read-write transaction. Besides
// it the list's row texts and order.

#include "core/connection/RequestRoad.h"
#include "results/TimingFiles.h"

#include <QString>

#include <vector>

namespace tvp {

inline const QString kTimingImportName = QStringLiteral("Zeitmessungsdaten importieren");

struct TTimingImportRequest : TRequest {
    int timingID = 0;
    int heat = 0;
    std::vector<TTimingImportParticipant> participants; // a line without result stays without
    QString description;
    QString filename;
};

struct TTimingImportResponse : TResponse {
    int discipline = 0; // 0: no discipline carries the timing number
    int heat = 0;
    QString filename; // the run file, marked imported once the transaction is committed
};

const TRequestTable<TTimingImportRequest, TTimingImportResponse>& timingImportRequests();

std::unique_ptr<TTimingImportRequest> makeTimingImportRequest(const TTimingImportHeat& run);

// Opens the run file for writing and closes it again; throws "Kann Importdatei nicht öffnen." when
// that fails, so an import that could never be marked stores nothing.
void proveRunWritable(const QString& path);

// Row texts of the list.
QString timingRunStatusText(const TTimingImportHeat& run);
QString timingRunTimeText(const TTimingImportHeat& run);

// Newest start first; equal times keep their order.
void sortRunsNewestFirst(std::vector<TTimingImportHeat>& runs);

} // namespace tvp
