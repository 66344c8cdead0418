#pragma once
// What the core, participant and organisation windows use of competition setup. The setup windows
// implement these interfaces; callers find them through the window registry.

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace tvp {

class ICompSetupWizard {
public:
    virtual ~ICompSetupWizard() = default;
    // Shows the wizard modally from its first page; the id of the competition it created, 0 when none.
    virtual int startCompWizard() = 0;
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

class TAggregatorTree;
class TDisciplinForm;

// Discipline and overall-evaluation templates, saved from and loaded into a discipline window.
class ITemplateForms {
public:
    virtual ~ITemplateForms() = default;
    // Saves the current discipline with the given tree (labels applied); the caller keeps the tree.
    virtual void saveDiscTemplate(TAggregatorTree& tree) = 0;
    // Saves the marked scoring nodes as an overall evaluation and takes over the tree.
    virtual void saveResultsTemplate(const std::vector<int>& startNodes, const std::vector<int>& markedNodes,
                                     std::unique_ptr<TAggregatorTree> tree) = 0;
    virtual bool loadDiscTemplate(TDisciplinForm& window) = 0;
    virtual bool loadResultsTemplate(TDisciplinForm& window) = 0;
};

// A typed input of one competition metadata field, kept as a UI info "MetaData_...".
class TGenericDataField {
public:
    virtual ~TGenericDataField() = default;
    // Builds its label and control into parent.
    virtual void inflate(QWidget* parent) = 0;
    virtual bool validateContent() = 0;
    virtual QString getUIInfoName() const = 0;
    virtual QString getUIInfoValue() const = 0;
    virtual bool hasChanged() const = 0;
    // Called on every edit; the competition details window sets it.
    std::function<void()> onChange;
};

// The date input of the competition details window.
class TDateDataField : public TGenericDataField {
public:
    virtual double getDate() const = 0;
    virtual void setValue(double date) = 0;
};

// Makes the metadata inputs; registered as a service by the setup area.
class IMetaDataFields {
public:
    virtual ~IMetaDataFields() = default;
    // A new input for a UI info whose key begins with "MetaData_", null for an unknown key.
    virtual std::unique_ptr<TGenericDataField> createMetaDataFromUiInfo(int left, int top, const QString& key,
                                                                        const QString& value) = 0;
    // The date input with the given item id and label ("COMP_DATE", "Veranstaltungsdatum:").
    virtual std::unique_ptr<TDateDataField> createDateDataField(int left, int top, const QString& id,
                                                                const QString& label) = 0;
};

// The program's template folder ("Templates" beside the program), created when missing.
QString getTemplatePath();

} // namespace tvp
