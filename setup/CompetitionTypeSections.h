#pragma once
// The per-age-class sections of a competition type (disciplines, overall scorings, result
// presentations) as the age class's conditional view shows them; the references to template files
// inside them, matched by SHA-1; the template lists of the wizard's tabs without widgets; the
// constraint messages the wizard's panel shows; and the creation of an age class with its chosen
// templates on the server.

#include "setup/CompSetupCert.h"
#include "setup/CompetitionType.h"
#include "setup/TemplateManagement.h"
#include "setup/TemplateWrappers.h"
#include "setup/XMLLogic.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace tvp {

class TServicePorts;

// ---- sections ------------------------------------------------------------------------------------

struct CTT_GlobalParameter {
    // Throws when `Name` is missing or `DefaultValue` is missing or no number.
    explicit CTT_GlobalParameter(const TXMLConditionalNode& element);
    QString Name;
    double DefaultValue = 0;

    // setGlobalParameter with this one key and value.
    void CreateGlobalParameter(int competitionId, proto::CompetitionManagementPortType& cms) const;
};

// The parameters and constraints of a section (also of the `AgeClasses` list, where both are optional).
class CTT_AbstractGPCSection {
public:
    CTT_AbstractGPCSection(const TXMLConditionalNode& section, bool partsRequired);
    virtual ~CTT_AbstractGPCSection() = default;

    const std::vector<CTT_GlobalParameter>& GlobalParameters() const { return globalParameters_; }
    std::vector<std::unique_ptr<TConstraintExpression>>& Constraints() { return constraints_; }
    const std::vector<std::unique_ptr<TConstraintExpression>>& Constraints() const { return constraints_; }

private:
    std::vector<CTT_GlobalParameter> globalParameters_;
    std::vector<std::unique_ptr<TConstraintExpression>> constraints_;
};

struct CTT_GlobalParameterMapping {
    QString DisciplineParameterName;
    QString ParamterValue;
};

// A file the type names by content.
class CTT_HashFileType : public IPathObject {
public:
    QString SecureHash;
    QString HashAlgorithm;

    bool matches(const TSecureHashFile& file) const
    {
        return SecureHash == file.SecureHash() && HashAlgorithm == file.HashAlgorithm();
    }

    TPathProperty pathProperty(QStringView name) const override;
    const IPathObject* pathItem(QStringView, qsizetype) const override { return nullptr; }
};

using CTT_DisciplineDocumentation = CTT_HashFileType;

// A `Discipline` or `ResultTemplate` reference.
class CTT_AbstractTemplateType : public CTT_HashFileType {
public:
    explicit CTT_AbstractTemplateType(const TXMLConditionalNode& element);

    QString Name;

    qsizetype getConstraintCount() const { return qsizetype(constraints_.size()); }
    TConstraintExpression& getConstraint(qsizetype i) { return *constraints_.at(std::size_t(i)); }
    // Every constraint fulfilled (none: true).
    bool verifyContraints();
    // At least one constraint warns.
    bool hasConstraintWarnings();
    // What the template's parameter name becomes in the competition; name itself when unmapped.
    QString MapGlobalParam(const QString& name) const;
    const std::vector<CTT_GlobalParameterMapping>& mappings() const { return mappings_; }

    TPathProperty pathProperty(QStringView name) const override;

private:
    std::vector<std::unique_ptr<TConstraintExpression>> constraints_;
    std::vector<CTT_GlobalParameterMapping> mappings_;
};

class CTT_DisciplineType : public CTT_AbstractTemplateType {
public:
    explicit CTT_DisciplineType(const TXMLConditionalNode& element);

    QString DisciplineGroup;
    QString KindTag;
    QString RelayTag;
    std::optional<CTT_DisciplineDocumentation> DocumentationFile;

    TPathProperty pathProperty(QStringView name) const override;
};

class CTT_ResultEvaluationType;

class CTT_IntermediateResultTemplate {
public:
    explicit CTT_IntermediateResultTemplate(QString name) : templateName(std::move(name)) {}
    QString templateName;
    CTT_ResultEvaluationType* getResultEvaluation() const { return resolved_; }
    void setResultEvaluation(CTT_ResultEvaluationType* ref) { resolved_ = ref; }

private:
    CTT_ResultEvaluationType* resolved_ = nullptr;
};

class CTT_ResultEvaluationType : public CTT_AbstractTemplateType {
public:
    explicit CTT_ResultEvaluationType(const TXMLConditionalNode& element);

    QStringList ExcludeInputs;
    std::vector<CTT_IntermediateResultTemplate> IntermediateResultTemplates;
    bool DefaultSelect = false;

    bool isInExcludedInputs(const QString& name) const { return ExcludeInputs.contains(name); }

    TPathProperty pathProperty(QStringView name) const override;
};

class CTT_Disciplines : public CTT_AbstractGPCSection, public IPathObject {
public:
    explicit CTT_Disciplines(const TXMLConditionalNode& section);

    CTT_DisciplineType& Discipline(qsizetype i) { return *items_.at(std::size_t(i)); }
    qsizetype DisciplinesCount() const { return qsizetype(items_.size()); }
    // The first usable reference of that group: constraints fulfilled and none warning.
    CTT_DisciplineType* findByDisciplineGroup(const QString& group);
    // The first reference in document order with the file's hash and algorithm.
    CTT_DisciplineType* find(const TSecureHashFile& file) const;

    TPathProperty pathProperty(QStringView name) const override;
    const IPathObject* pathItem(QStringView name, qsizetype index) const override;

private:
    std::vector<std::unique_ptr<CTT_DisciplineType>> items_;
};

class CTT_ResultEvaluations : public CTT_AbstractGPCSection, public IPathObject {
public:
    explicit CTT_ResultEvaluations(const TXMLConditionalNode& section);

    CTT_ResultEvaluationType& ResEval(qsizetype i) { return *items_.at(std::size_t(i)); }
    qsizetype ResEvalsCount() const { return qsizetype(items_.size()); }
    CTT_ResultEvaluationType* find(const TSecureHashFile& file) const;

    TPathProperty pathProperty(QStringView name) const override;
    const IPathObject* pathItem(QStringView name, qsizetype index) const override;

private:
    std::vector<std::unique_ptr<CTT_ResultEvaluationType>> items_;
};

// A presentation keeps its element: its `Priority` elements are read only when it is made.
class CTT_ResultPresentationType {
public:
    explicit CTT_ResultPresentationType(const TXMLConditionalNode& element);
    QString Name;
    int DefaultPrio = 0;
    // The presentation with its priorities as the file says now.
    TResultPresentationDef definition() const;

private:
    TXMLConditionalNode element_;
};

class CTT_ResultPresentationsType {
public:
    explicit CTT_ResultPresentationsType(const TXMLConditionalNode& section);
    const std::vector<CTT_ResultPresentationType>& items() const { return items_; }

private:
    std::vector<CTT_ResultPresentationType> items_;
};

// ---- template parameter mapping for the creation -------------------------------------------------

// Renames a template's parameters as the type's reference says; references connect elsewhere.
class TCompTypeParameterMapping : public TAbstractParameterMapping {
public:
    explicit TCompTypeParameterMapping(const CTT_AbstractTemplateType* reference) : reference_(reference) {}
    QString mapParameterToAgg(const QString& name) const override;
    int mapReferenceToAgg(const QString&) const override { return 0; }

private:
    const CTT_AbstractTemplateType* reference_;
};

// ---- template lists of the wizard's tabs (no widgets) -------------------------------------------

// Every file of the pattern in the folder, file names sorted; a file that cannot be read is in
// errors once ("Disziplinvorlage <path> konnte nicht geladen werden: <reader's text>") and left out.
template <class Wrapper>
struct TTemplateFolder {
    std::vector<std::shared_ptr<Wrapper>> templates;
    QStringList errors;
};
TTemplateFolder<TDisciplineTemplateWrapper> loadDisciplineTemplates(const QString& folder);
TTemplateFolder<TResEvalTemplateWrapper> loadResEvalTemplates(const QString& folder);

enum class TTemplateKind { Discipline = 0, ResultEvaluation = 1 };
// The index of the tabs' filter box.
enum class TTemplateFilter { All = 0, Recommended = 1 };

struct TTemplateRow {
    std::shared_ptr<TAbstractTemplateWrapper> templ;
    CTT_AbstractTemplateType* reference = nullptr; // the matching entry of the section, or none
    bool recommended = false;                      // matched, constraints fulfilled, none warning
};

struct TTemplateFilterResult {
    std::vector<TTemplateRow> rows; // the available list, in the loaded order
    // "Achtung die in ... wurde nicht im Vorlagenverzeichnis ... gefunden ..." per entry without file.
    QStringList missing;
};

// Matches the loaded templates with the age class's section (a matched one takes the entry's name)
// and keeps what the filter shows. The section is read when it is not yet.
TTemplateFilterResult filterTemplates(CTT_AgeClassType& ageClass, TTemplateKind kind,
                                      const std::vector<std::shared_ptr<TAbstractTemplateWrapper>>& loaded,
                                      TTemplateFilter filter, const QString& typeDisplayName,
                                      const QString& templatesFolder);

// Rebuilds the age class's chosen templates of that kind from the rows in the selection state,
// in the rows' order; returns them.
std::vector<std::shared_ptr<TAbstractTemplateWrapper>> applySelection(CTT_AgeClassType& ageClass, TTemplateKind kind,
                                                                      const std::vector<TTemplateRow>& rows);

// ---- constraint messages -------------------------------------------------------------------------

enum class TSetupMessageKind { Error = 0, Warning = 1, Info = 2 };

struct TSetupMessage {
    TSetupMessageKind kind = TSetupMessageKind::Info;
    QString text;    // without the "Fehler: " prefix
    QString details; // the constraint's fail message, or what went wrong while evaluating it
    QString id;      // stable key while the same rule applies
};

// The message of one constraint when it applies now; none when it holds. A constraint that cannot
// be evaluated does not apply; its failure is appended to evaluationErrors.
std::optional<TSetupMessage> checkConstraint(TConstraintExpression& constraint, const QString& origin,
                                             QStringList* evaluationErrors);

// What applies now for the age class on one tab: the section's constraints, chosen templates the
// type does not list, and the constraints of chosen templates' references.
std::vector<TSetupMessage> ageClassMessages(CTT_AgeClassType& ageClass, TTemplateKind kind, const QString& origin,
                                            QStringList* evaluationErrors);

} // namespace tvp
