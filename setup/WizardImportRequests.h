#pragma once
// The setup wizard's import from the browser client: the name, date and competition-type text the
// browser left under a session, read once (the server forgets them as they are read).

#include "core/connection/RequestRoad.h"
#include "core/protocol/ScoringRecords.h"

#include <QString>

#include <utility>
#include <vector>

namespace tvp {

struct TWizardImportRequest : TRequest {
    QString sessionId;
    QString contextId;
};

struct TWizardImportResponse : TResponse {
    // Key and text, in the server's order.
    std::vector<std::pair<QString, QString>> items;
};

const TRequestTable<TWizardImportRequest, TWizardImportResponse>& wizardImportRequests();

// The keys the browser client stores a wizard start under.
std::vector<QString> wizardImportKeys(const QString& contextId);

// What the items supply; a key naming none of the three is ignored.
struct TWizardImportData {
    QString name;
    QString date; // an XML date
    QString compTypeXml;
};
TWizardImportData readWizardImportItems(const std::vector<std::pair<QString, QString>>& items);

} // namespace tvp
