#pragma once
// The web-client bridge as other windows reach it.

#include <QString>

class QObject;

namespace tvp {

class IWebUIController {
public:
    virtual ~IWebUIController() = default;
    // Opens the page of the browser client ("import"), starting a browser session first when there
    // is none; with addCompetitionId the current competition's id goes along.
    virtual void showInBrowser(QObject* sourceForm, const QString& path, const QString& context,
                               bool addCompetitionId) = 0;
};

} // namespace tvp
