#pragma once
// The athlete barcode finder without its window: reading a scanned 'A' or 'B' code and asking the
// server for the athlete behind it.

#include "core/connection/RequestRoad.h"

#include <QString>

#include <optional>
#include <vector>

namespace tvp {

// rt_loadLists: the age classes and disciplines the window offers, read when it is shown.
enum class TAthleteResultFinderType { rt_getAthlete = 0, rt_getAthleteByCustomBarcode = 1, rt_loadLists = 2 };

struct TAthleteResultFinderRequest : TRequest {
    TAthleteResultFinderType reqType = TAthleteResultFinderType::rt_getAthlete;
    int athleteBarcodeID = 0;
    int ageClassBarcodeID = 0;
};

struct TAthleteResultFinderResponse : TResponse {
    TAthleteResultFinderType reqType = TAthleteResultFinderType::rt_getAthlete;
    proto::getAthleteInfoResponse1 getAthleteInfoResponse;
    int athleteID = 0;  // the requested blank barcode of a 'B' code
    int ageClassID = 0; // of the athlete's team; 0 without
    std::vector<proto::AgeClassType> ageClasses;
    std::vector<proto::DisciplinType> disciplines;
};

const TRequestTable<TAthleteResultFinderRequest, TAthleteResultFinderResponse>& athleteResultFinderRequests();

inline const QString kScanCaption = QStringLiteral("Barcode scannen");
inline const QString kNotInCompetitionText = QStringLiteral("Athlet wurde in dieser Veranstaltung nicht gefunden.");
inline const QString kLoadAthleteCaption = QStringLiteral("Athlet laden");

// A scanned code the finder takes: its letter and the id it carries.
struct TFinderCode {
    QChar letter;
    int id = 0;
};

// Codes shorter than two characters give nothing and no warning. A code that does not decode, or
// whose id does not fit the server's ids, gives nothing and its warning.
std::optional<TFinderCode> readFinderCode(const QString& code, QString* warning);

// The age class of the athlete's team; 0 without.
int teamAgeClassOf(const proto::AthleteType& athlete);

} // namespace tvp
