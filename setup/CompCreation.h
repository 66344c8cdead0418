#pragma once
// A new competition made from a competition type in one read-write transaction: what the wizard
// hands over, the server sequence, and the renaming of template parameters through the type's
// references. The wizard takes the input on the GUI thread and stays disabled while the worker
// runs, so nothing the input points to changes under it.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ScoringRecords.h"
#include "setup/CompetitionType.h"
#include "setup/CompetitionTypeSections.h"
#include "setup/TemplateManagement.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace tvp {

struct TCompCreationDocumentation {
    QString fileName;             // empty: no documentation
    std::vector<QByteArray> pdfs; // the chosen disciplines' PDFs, in the order of their file names
};

// Everything the run reads of the wizard.
struct TCompCreationInput {
    QString name; // as typed; sent trimmed
    QDate date;
    // "Startgeld pro Team:" and "Startgeld pro AthletIn:" as typed (the UI's number format);
    // empty for none.
    QString teamFee;
    QString athleteFee;
    // Every metadata field in page order (Key and Value; the run sets AssotiatedId).
    std::vector<proto::setUiInfo> metaData;
    // The parameters of the type's AgeClasses section (AgeClasses().Section()), in file order.
    std::vector<CTT_GlobalParameter> globalParameters;
    // The ticked age classes in list order, each with its chosen templates; the wizard's objects.
    std::vector<CTT_AgeClassType*> ageClasses;
    TCompCreationDocumentation documentation;
};

struct TCompCreationRequest : TRequest {
    TCompCreationInput input;
};

struct TCompCreationResponse : TResponse {
    int competitionId = 0;
    // Parameters the templates needed that neither the type nor the server provided.
    std::vector<TReplacedParameter> replaced;
};

// A fee as typed, to two decimals (halves to the even neighbour); empty gives none. Throws TvpError
// for a text that is no number.
std::optional<double> feeValue(const QString& text);

// The request the wizard's creation sends (tm_readwrite): "Lege Veranstaltung an..." while it runs.
const TRequestTable<TCompCreationRequest, TCompCreationResponse>& compCreationRequests();

// The whole server sequence on the worker; the new competition's id. A failure throws and the
// runner rolls the transaction back.
int createComp(TServicePorts& ports, const TCompCreationInput& input, std::vector<TReplacedParameter>& replaced);

} // namespace tvp
