#include "setup/CompCreation.h"

#include "core/connection/ServicePorts.h"
#include "core/protocol/Errors.h"
#include "setup/DocumentationGenerator.h"

#include <QLocale>

#include <cmath>

namespace tvp {

std::optional<double> feeValue(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        throw TvpError(QStringLiteral("\"%1\" ist kein gültiger Betrag.").arg(text));
    // The default rounding mode takes halves to the even neighbour.
    return std::nearbyint(value * 100) / 100;
}

namespace {

void runCreation(TServicePorts& ports, const TCompCreationRequest& request, TCompCreationResponse& response)
{
    response.competitionId = createComp(ports, request.input, response.replaced);
}

} // namespace

int createComp(TServicePorts& ports, const TCompCreationInput& input, std::vector<TReplacedParameter>& replaced)
{
    proto::CompetitionManagementPortType& cms = ports.cms();
    proto::CompetitionInfoType info;
    info.Name = input.name.trimmed();
    info.Date = input.date;
    const proto::createCompetitionResponse1 created = cms.createCompetition(info);
    if (!created.Competition)
        throw TvpError(QStringLiteral("Der Server hat die neue Veranstaltung nicht zurückgegeben."));
    const int competitionId = created.Competition->ID;

    if (const std::optional<double> fee = feeValue(input.athleteFee))
        cms.setBillingPrice(competitionId, *fee);
    for (const proto::setUiInfo& item : input.metaData)
        cms.setUiInfo(item.Key, item.Value, competitionId);
    for (const CTT_GlobalParameter& p : input.globalParameters)
        p.CreateGlobalParameter(competitionId, cms);
    const double teamFee = feeValue(input.teamFee).value_or(0);
    for (CTT_AgeClassType* ageClass : input.ageClasses)
        ageClass->createAgeClass(competitionId, ports, teamFee, &replaced);

    if (!input.documentation.pdfs.empty() && !input.documentation.fileName.isEmpty())
        writeDocumentation(ports.tos(), input.documentation.pdfs, input.documentation.fileName);
    return competitionId;
}

const TRequestTable<TCompCreationRequest, TCompCreationResponse>& compCreationRequests()
{
    static const TRequestTable<TCompCreationRequest, TCompCreationResponse> table{{
        {0, QStringLiteral("Lege Veranstaltung an..."), &runCreation, true},
    }};
    return table;
}

} // namespace tvp
