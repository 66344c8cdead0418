#include "participants/FinderRequests.h"

#include "core/barcode/BarcodeUtils.h"
#include "core/protocol/TVPWebServices2.h"

#include <limits>

namespace tvp {

namespace {

using enum TAthleteResultFinderType;

void fillAgeClass(TAthleteResultFinderResponse& response)
{
    const auto& athlete = response.getAthleteInfoResponse.Athlete;
    response.ageClassID = athlete ? teamAgeClassOf(*athlete) : 0;
}

void getAthlete(TServicePorts& ports, const TAthleteResultFinderRequest& request,
                TAthleteResultFinderResponse& response)
{
    response.getAthleteInfoResponse = ports.drs().getAthleteInfo(0, ports.competitionId(), 0, request.athleteBarcodeID);
    fillAgeClass(response);
}

void getAthleteByCustomBarcode(TServicePorts& ports, const TAthleteResultFinderRequest& request,
                               TAthleteResultFinderResponse& response)
{
    response.athleteID = request.athleteBarcodeID;
    response.getAthleteInfoResponse = ports.drs().getAthleteInfo(0, ports.competitionId(), request.athleteBarcodeID, 0);
    fillAgeClass(response);
}

void loadLists(TServicePorts& ports, const TAthleteResultFinderRequest&, TAthleteResultFinderResponse& response)
{
    const int competition = ports.competitionId();
    response.ageClasses = ports.drs().getAgeClasses(competition, nullptr);
    response.disciplines = ports.drs().getDisciplines(competition, nullptr, 0);
}

} // namespace

const TRequestTable<TAthleteResultFinderRequest, TAthleteResultFinderResponse>& athleteResultFinderRequests()
{
    static const TRequestTable<TAthleteResultFinderRequest, TAthleteResultFinderResponse> table{{
        {rt_getAthlete, kLoadAthleteCaption, &getAthlete},
        {rt_getAthleteByCustomBarcode, QStringLiteral("Barcode auflösen"), &getAthleteByCustomBarcode},
        {rt_loadLists, QStringLiteral("Disziplinen laden"), &loadLists, false},
    }};
    return table;
}

std::optional<TFinderCode> readFinderCode(const QString& code, QString* warning)
{
    if (code.size() < 2)
        return std::nullopt;
    const QChar letter = code.at(0);
    const QString invalid = letter == kBarcodeBlank ? QStringLiteral("Ungültiger Athletenbarcode (Nachmeldung)")
                                                    : QStringLiteral("Ungültiger Athletenbarcode");
    try {
        const qint64 id = decodeIdBarcode(code);
        // Payloads carry 35 bits, the server's ids 31.
        if (id > std::numeric_limits<int>::max())
            throw EBarcodeError(QStringLiteral("Invalid Barcode: value out of range"));
        return TFinderCode{letter, int(id)};
    } catch (const EBarcodeError&) {
        if (warning)
            *warning = invalid;
        return std::nullopt;
    }
}

int teamAgeClassOf(const proto::AthleteType& athlete)
{
    return athlete.Team && athlete.Team->AgeClass ? athlete.Team->AgeClass->AgeClassID : 0;
}

} // namespace tvp
