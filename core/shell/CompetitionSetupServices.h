#pragma once
// What the core, participant and organisation windows use of competition setup. The setup windows
// implement these interfaces and register themselves at start-up.

#include "ResultCaptureServices.h"

#include <QString>
#include <QStringList>

namespace tvp {

class ICompSetupWizard {
public:
    virtual ~ICompSetupWizard() = default;
    // Shows the wizard modally from its first page; the id of the competition it created, 0 when none.
    virtual int startCompWizard() = 0;
    // Called by the web-client bridge on the GUI thread.
    virtual void importToWizard(const QString& sessionId, const QString& contextId) = 0;
};

class IGlobalParameterForm : public IReloadableWindow {
public:
    virtual void showGlobalParameterForm(int cupId) = 0;
    virtual QStringList getParameterNames(int cupId) = 0;
    virtual bool paramExists(const QString& name, int cupId) = 0;
};

class ITemplateAgeClasses : public IReloadableWindow {
public:
    // Re-reads the competition's age classes for the template import.
    virtual void reloadAgeClass() = 0;
};

struct CompetitionSetupServices {
    ICompSetupWizard* CompSetupWizardForm = nullptr;
    IGlobalParameterForm* GlobalParameterForm = nullptr;
    ITemplateAgeClasses* LoadDiscTemplateForm = nullptr;
};

CompetitionSetupServices& competitionSetup();

// The program's template folder ("Templates" beside the program), created when missing.
QString getTemplatePath();

} // namespace tvp
