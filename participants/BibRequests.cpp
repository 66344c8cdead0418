#include "participants/BibRequests.h"

#include "core/barcode/BarcodeUtils.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/util/FileWrite.h"

#include <limits>

namespace tvp {

namespace {

constexpr int kBibTaken = 40;
constexpr int kAthleteHasBib = 119;

void assignBibs(TServicePorts& ports, const TAssignBibsReq& request, TAssignBibsResponse& response)
{
    int bib = request.startWith;
    int takenRefusals = 0;
    const int maxTakenRefusals = TAssignBibLimits::maxTakenRefusals;
    for (std::size_t i = 0; i < request.athleteIds.size();) {
        const int athlete = request.athleteIds[i];
        if (takenRefusals >= maxTakenRefusals || bib == std::numeric_limits<int>::max()) {
            response.unassigned.push_back(athlete);
            ++i;
            continue;
        }
        try {
            ports.das().setBibToAthlete(athlete, bib);
            ++bib;
            ++i;
        } catch (const ETvExceptionDetail& e) {
            if (e.ExceptionID == kBibTaken) {
                ++bib;
                ++takenRefusals;
            } else if (e.ExceptionID == kAthleteHasBib) {
                ++i;
            } else {
                throw; // the transaction is rolled back: no bib of the run stays
            }
        }
    }
}

void allocateBarcodes(TServicePorts& ports, const TBarcodeAllocRequest& request, TBarcodeAllocResponse& response)
{
    response.showResult = request.showResult;
    response.Filename = request.Filename;
    response.allocateBlancAthleteBarcodeResponse =
        ports.das().allocateBlancAthleteBarcode(ports.competitionId(), request.count);
}

std::optional<int> readWholeNumber(const QString& text, int minimum)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value >= minimum ? std::optional<int>(value) : std::nullopt;
}

} // namespace

const TRequestTable<TAssignBibsReq, TAssignBibsResponse>& assignBibRequests()
{
    static const TRequestTable<TAssignBibsReq, TAssignBibsResponse> table{{
        {0, kAssignBibCaption, &assignBibs, false},
    }};
    return table;
}

const TRequestTable<TBarcodeAllocRequest, TBarcodeAllocResponse>& barcodeAllocRequests()
{
    static const TRequestTable<TBarcodeAllocRequest, TBarcodeAllocResponse> table{{
        {TBarcodeAllocateType::bt_allocate, QStringLiteral("Barcode generieren"), &allocateBarcodes},
    }};
    return table;
}

std::optional<int> readFirstBib(const QString& text)
{
    return readWholeNumber(text, 1);
}

std::optional<int> readBarcodeCount(const QString& text)
{
    return readWholeNumber(text, 1);
}

bool writeBlankBarcodeFile(const QString& path, int firstId, int lastId)
{
    QByteArray text = "Codes\r\n";
    for (qint64 id = firstId; id <= lastId; ++id)
        text += framedBarcode(blankBarcode(id)).toLatin1() + "\r\n";
    return writeFileWhole(path, text);
}

} // namespace tvp
