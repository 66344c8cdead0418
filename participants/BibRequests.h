#pragma once
// Bulk bibs and blank barcodes. Bulk bibs give the athletes consecutive bibs that nobody holds yet,
// in one read-write transaction; blank barcodes are reserved on the server and written to a CSV
// file from which labels are printed.

#include "core/connection/RequestRoad.h"

#include <QString>

#include <atomic>
#include <optional>
#include <vector>

namespace tvp {

struct TAssignBibsReq : TRequest {
    std::vector<int> athleteIds;
    int startWith = 1;
};

struct TAssignBibsResponse : TResponse {
    // Athletes left without bib because the server refused bib after bib as taken.
    std::vector<int> unassigned;
};

// Refusals "bib taken" in one run before the rest of the athletes are left without bib: a server
// that refuses every bib would otherwise be asked for ever. Tests lower it.
struct TAssignBibLimits {
    static inline std::atomic<int> maxTakenRefusals{10000};
};

const TRequestTable<TAssignBibsReq, TAssignBibsResponse>& assignBibRequests();

inline const QString kAssignBibCaption = QStringLiteral("Startnummern vergeben");
inline const QString kAssignBibWait = QStringLiteral("Vergebe Startnummern...");

// "Erste Startnummer:" as typed: a whole number from 1, else nothing.
std::optional<int> readFirstBib(const QString& text);
// "Anzahl zu reservierender Barcodes: " as typed: a whole number above 0, else nothing.
std::optional<int> readBarcodeCount(const QString& text);

enum class TBarcodeAllocateType { bt_allocate = 0 };

struct TBarcodeAllocRequest : TRequest {
    TBarcodeAllocateType reqType = TBarcodeAllocateType::bt_allocate;
    int count = 0;
    bool showResult = true;
    QString Filename;
};

struct TBarcodeAllocResponse : TResponse {
    TBarcodeAllocateType reqType = TBarcodeAllocateType::bt_allocate;
    proto::allocateBlancAthleteBarcodeResponse1 allocateBlancAthleteBarcodeResponse;
    bool showResult = true;
    QString Filename;
};

const TRequestTable<TBarcodeAllocRequest, TBarcodeAllocResponse>& barcodeAllocRequests();

// "Barcodes.csv": the header "Codes", then one framed 'B' payload per id from first to last, CR LF
// line ends; written whole or not at all. False when it could not be written.
bool writeBlankBarcodeFile(const QString& path, int firstId, int lastId);

} // namespace tvp
