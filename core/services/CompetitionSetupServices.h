#pragma once
// What the core, participant and organisation windows use of competition setup. The setup windows
// implement these interfaces; callers find them through the window registry.

#include "core/services/ScoringServices.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tvp {

class ICompSetupWizard {
public:
    virtual ~ICompSetupWizard() = default;
    // Shows the wizard modally from its first page; the id of the competition it created, 0 when none
    // or when the user closed it instead of opening the new one.
    virtual int startCompWizard() = 0;
    // The competition the last run created, opened or not; 0 when it created none.
    virtual int createdCompetitionId() const = 0;
    // Called by the web-client bridge on the GUI thread.
    virtual void importToWizard(const QString& sessionId, const QString& contextId) = 0;
    // While it is visible the main window's key hook stays quiet.
    virtual bool isWizardVisible() const = 0;
};

class IGlobalParameterForm {
public:
    virtual ~IGlobalParameterForm() = default;
    virtual void showGlobalParameterForm(int cupId) = 0;
    virtual QStringList getParameterNames(int cupId) = 0;
    virtual bool paramExists(const QString& name, int cupId) = 0;
    // The loaded value of a competition (cup id 0) or cup parameter; none when it is not known.
    virtual std::optional<double> resolveParameter(const QString& name, int cupId) = 0;
    // Whether the window shows that cup's parameters.
    virtual bool isCupLoaded(int cupId) = 0;
};

class ITemplateAgeClasses {
public:
    virtual ~ITemplateAgeClasses() = default;
    // Re-reads the competition's age classes for the template import.
    virtual void reloadAgeClass() = 0;
};

// What the template import windows ask of the discipline window that opened them.
class ITemplateDiscWindow {
public:
    virtual ~ITemplateDiscWindow() = default;
    // The first node of the shown tree whose top-level connection labels hold the label (any case);
    // none without a tree or discipline, or when the discipline belongs to another age class.
    virtual std::unique_ptr<TAggDragObject> getImportReference(const QString& label, int ageClassId) const = 0;
    // The nodes of the shown tree whose output-connection labels hold the label (case counts).
    virtual std::vector<TUiAggregator*> getDiscReferences(const QString& label) const = 0;
    virtual void ShowAndLoad(int discId, int aggId) = 0;
    // The shown tree, null when none.
    virtual TAggregatorTree* aggregatorTree() const = 0;
};

// Discipline and overall-evaluation templates, saved from and loaded into a discipline window.
class ITemplateForms {
public:
    virtual ~ITemplateForms() = default;
    // Saves the current discipline with the given tree (labels applied); the caller keeps the tree.
    virtual void saveDiscTemplate(TAggregatorTree& tree) = 0;
    // Saves the marked scoring nodes as an overall evaluation and takes over the tree.
    virtual void saveResultsTemplate(const std::vector<int>& startNodes, const std::vector<int>& markedNodes,
                                     std::unique_ptr<TAggregatorTree> tree) = 0;
    virtual bool loadDiscTemplate(ITemplateDiscWindow& window) = 0;
    virtual bool loadResultsTemplate(ITemplateDiscWindow& window) = 0;
};

// A typed input of one competition metadata field, kept as a UI info "MetaData_...". What it stores
// and checks needs no window; building its label and control is the UI side's (core/ui/MetaDataInputs.h).
class TGenericDataField {
public:
    virtual ~TGenericDataField() = default;
    virtual bool validateContent() = 0;
    virtual QString getUIInfoName() const = 0;
    virtual QString getUIInfoValue() const = 0;
    virtual bool hasChanged() const = 0;
    // The label the input shows, for messages about it.
    virtual QString getLabel() const { return getUIInfoName(); }
    // Called on every edit; the competition details window sets it.
    std::function<void()> onChange;
};

// The program's template folder ("Templates" beside the program), created when missing.
QString getTemplatePath();

} // namespace tvp
