#include "setup/WizardImportRequests.h"

namespace tvp {

namespace {

void importSession(TServicePorts& ports, const TWizardImportRequest& request, TWizardImportResponse& response)
{
    const proto::getSessionInformationResponse items =
        ports.uir().getSessionInformation(request.sessionId, wizardImportKeys(request.contextId), true);
    for (const proto::SessionInformationsType& item : items)
        response.items.emplace_back(item.key, item.sessionInformation);
}

} // namespace

const TRequestTable<TWizardImportRequest, TWizardImportResponse>& wizardImportRequests()
{
    static const TRequestTable<TWizardImportRequest, TWizardImportResponse> table{
        {{0, QStringLiteral("Veranstaltungsimport"), &importSession}},
    };
    return table;
}

std::vector<QString> wizardImportKeys(const QString& contextId)
{
    return {contextId + QStringLiteral("_name"), contextId + QStringLiteral("_date"),
            contextId + QStringLiteral("_competition-type-xml")};
}

TWizardImportData readWizardImportItems(const std::vector<std::pair<QString, QString>>& items)
{
    TWizardImportData data;
    for (const auto& [key, text] : items) {
        if (key.contains(QStringLiteral("_name")))
            data.name = text;
        else if (key.contains(QStringLiteral("_date")))
            data.date = text;
        else if (key.contains(QStringLiteral("_competition-type-xml")))
            data.compTypeXml = text;
    }
    return data;
}

} // namespace tvp
