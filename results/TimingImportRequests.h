#pragma once
// The timing import window's request: one received run stored in the discipline that carries its
// timing number, line by line by athlete or team, bib or lane, in one read-write transaction. Besides
// it the list's row texts and order.

#include "core/connection/RequestRoad.h"
#include "results/TimingFiles.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tvp {

inline const QString kTimingImportName = QStringLiteral("Zeitmessungsdaten importieren");

// The lines are read from the run file when the import runs, not taken from the list: a run sent
// again since the list was read is what the file holds now.
struct TTimingImportRequest : TRequest {
    int timingID = 0;
    int heat = 0;
    QString description;
    QString filename;
    QByteArray listed; // the run file as the list read it
    int laneCount = -1;
};

struct TTimingImportResponse : TResponse {
    int discipline = 0; // 0: no discipline carries the timing number
    int heat = 0;
    QString filename;               // the run file, marked imported once the transaction is committed
    QByteArray read;                // the run file the lines came from; only this run is marked
    bool changed = false;           // the file was no longer what the list showed
    bool importedMeanwhile = false; // listed new, found imported: nothing stored
    QString description;
    int lines = 0;       // the lines of the run imported
    int laneCount = -1;  // and how many its header named, when it was split before they were there
    QStringList kept;    // lines without a time, whose participant keeps what the server holds
    QStringList doubled; // lines for a lane naming another child than the heat has there: not stored
};

const TRequestTable<TTimingImportRequest, TTimingImportResponse>& timingImportRequests();

std::unique_ptr<TTimingImportRequest> makeTimingImportRequest(const TTimingImportHeat& run);

// Row texts of the list. A run split before all its lines were there says how many it has.
QString timingRunStatusText(const TTimingImportHeat& run);

// What the user learns beside a done import: a run that lacks lines, lines not stored because they
// named another child than the one in their lane, and the lines without a time that left a stored
// result as it was. Empty when none.
QString timingImportNotes(const TTimingImportResponse& response);
QString timingRunTimeText(const TTimingImportHeat& run);

// Newest start first; equal times keep their order.
void sortRunsNewestFirst(std::vector<TTimingImportHeat>& runs);

} // namespace tvp
