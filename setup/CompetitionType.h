#pragma once
// Competition-type files (".qct"): the root object, its metadata fields, age classes and options,
// as the setup wizard reads them. The files are only read. Types also arrive as text from the
// browser client, so nothing here follows a DTD or an external entity: the text is parsed as UTF-8
// and hashed as it came.

#include "core/protocol/ParticipantRecords.h"
#include "setup/XMLConditionalDocument.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <vector>

namespace tvp {

namespace proto {
class UiStorePortType;
} // namespace proto

class CTT_Disciplines;
class CTT_ResultEvaluations;
class CTT_ResultPresentationsType;
class CTT_AbstractTemplateType;
class CTT_DisciplineType;
class CTT_ResultEvaluationType;
class TAbstractTemplateWrapper;
class TDisciplineTemplateWrapper;
class TResEvalTemplateWrapper;
class TServicePorts;
struct TReplacedParameter;
namespace proto {
class UiStorePortType;
}

// The templates ticked on one wizard tab of an age class, by content.
struct THash {
    QString Hash;
    QString HashAlgorithm;
    bool equals(const QString& hash, const QString& algorithm) const
    {
        return Hash == hash && HashAlgorithm == algorithm;
    }
};

class TAbstractTemplateSelectionState {
public:
    void select(const QString& hash, const QString& algorithm);
    bool isSelected(const QString& hash, const QString& algorithm) const;
    bool isEmpty() const { return selected_.empty(); }
    void clearSelection() { selected_.clear(); }

    int FilterIndex = -1;
    // The type's default choice has been made (once, when the tab was first filled).
    bool DefaultsChosen = false;

private:
    std::vector<THash> selected_;
};

// A competition type that cannot be read, or a part of it that is missing or malformed.
class ECompetitionTypeError : public TvpError {
public:
    using TvpError::TvpError;
};

// SHA-1 of the bytes as 40 upper-case hexadecimal digits: how types name the files they accept.
QString secureHashOf(const QByteArray& bytes);

// A file that knows its digest.
class TSecureHashFile {
public:
    virtual ~TSecureHashFile() = default;
    const QString& SecureHash() const { return FileHash; }
    static QString HashAlgorithm() { return QStringLiteral("SHA1"); }

protected:
    QString FileHash;
};

enum TMetaDataDataType { mdt_String = 0, mdt_NNInteger = 1, mdt_Float = 2, mdt_Boolean = 3, mdt_Date = 4 };

// "Nicht unterstützter Datentyp: " + text for any text but the five XML schema type names.
TMetaDataDataType stringToDataType(const QString& text);

struct CTT_MetaDataItem {
    explicit CTT_MetaDataItem(pugi::xml_node metainfo);
    CTT_MetaDataItem(QString id, QString displayName, QString defaultValue, bool readOnly, TMetaDataDataType type,
                     bool mandatory);

    QString ID;
    QString DisplayName;
    TMetaDataDataType dataType = mdt_String;
    bool IsMandatoryField = false;
    QString DefaultValue;
    bool isReadOnly = false;
};

struct CTT_Options {
    explicit CTT_Options(pugi::xml_node root);
    bool EnableCopyDiscFeature = false;
    bool CopyDiscFeatureDefaultEnabled = false;
    bool CreateDocumentationOption = false;
};

// One age class of a type. Its evaluator's `current` is bound to it, and its view of the document
// decides every `conditionalSwitch` for it, so the object must stay where it was made.
// Template wrappers are shared with the wizard's tab rows, so removing a tab leaves nothing dangling.
class CTT_AgeClassType : public proto::AgeClassType, public IPathObject {
public:
    using DiscList = std::vector<std::shared_ptr<TDisciplineTemplateWrapper>>;
    using ResEvalList = std::vector<std::shared_ptr<TResEvalTemplateWrapper>>;

    CTT_AgeClassType(pugi::xml_node root, pugi::xml_node ageClass);
    // An age class the user adds in the wizard.
    CTT_AgeClassType(pugi::xml_node root, const QString& name);
    // A copy for the wizard's age-class list: own evaluator and view, no selections.
    explicit CTT_AgeClassType(const CTT_AgeClassType& other);
    CTT_AgeClassType& operator=(const CTT_AgeClassType&) = delete;
    ~CTT_AgeClassType() override;

    bool equals(const CTT_AgeClassType& other) const { return Name == other.Name; }
    const TXMLConditionalNode& view() const { return view_; }
    TXMLEvaluator& evaluator() { return *evaluator_; }

    QString YoungerAge = QStringLiteral("12");
    QString OlderAge = QStringLiteral("13");

    // Sections, read through the view on first use; a failed read throws and keeps nothing.
    CTT_Disciplines& getDisciplines();
    CTT_Disciplines& reloadDisciplines();
    CTT_ResultEvaluations& getResEvals();
    CTT_ResultEvaluations& reloadResEvals();
    // Always reads again.
    CTT_ResultPresentationsType& loadResultPresentationInfo();
    // The presentations last loaded; read now when never loaded.
    CTT_ResultPresentationsType& getResultPresentations();

    // Results templates loaded for this age class (its tab hands them over).
    void addResEval(std::shared_ptr<TResEvalTemplateWrapper> wrapper);
    void clearResEvals() { loadedResEvals_.clear(); }
    qsizetype getResEvalCount() const { return qsizetype(loadedResEvals_.size()); }
    TResEvalTemplateWrapper& getResEvalItem(qsizetype i) const { return *loadedResEvals_.at(std::size_t(i)); }
    const ResEvalList& loadedResEvals() const { return loadedResEvals_; }

    // Chosen templates, in the order of the tabs' chosen lists.
    void addSelectedDiscipline(std::shared_ptr<TDisciplineTemplateWrapper> wrapper);
    void clearSelectedDisciplines() { selectedDiscs_.clear(); }
    const DiscList& getSelectedDisciplines() const { return selectedDiscs_; }
    void addSelectedResEval(std::shared_ptr<TResEvalTemplateWrapper> wrapper);
    void clearSelectedResEvals() { selectedResEvals_.clear(); }
    const ResEvalList& getSelectedResEvals() const { return selectedResEvals_; }
    TAbstractTemplateSelectionState& getDisciplineSelectionState() { return discSelection_; }
    TAbstractTemplateSelectionState& getResEvalSelectionState() { return resEvalSelection_; }

    // The type's reference for a loaded file (first in document order with equal hash and
    // algorithm), or none. getCTT looks among the overall scorings first.
    CTT_DisciplineType* getCTTDisc(const TDisciplineTemplateWrapper& wrapper);
    CTT_ResultEvaluationType* getCTTResEval(const TResEvalTemplateWrapper& wrapper);
    CTT_AbstractTemplateType* getCTT(const TAbstractTemplateWrapper& wrapper);

    std::vector<CTT_DisciplineType*> SelectedDisciplines();
    std::vector<CTT_DisciplineType*> SelectedNonTeamDisciplines();
    DiscList SelectedNonTeamDisciplineTemplates() const;
    std::vector<CTT_ResultEvaluationType*> SelectedResEvals();

    // Creates the age class with its parameters, chosen disciplines, overall scorings and result
    // presentations; returns its id. Runs on the worker inside the creation's transaction.
    int createAgeClass(int competitionId, TServicePorts& ports, double billingPricePerTeam,
                       std::vector<TReplacedParameter>* replaced);
    // One aggregator collection per presentation, in file order; their ids.
    std::vector<int> createResultPresentations(int competitionId, proto::UiStorePortType& uis);

    TPathProperty pathProperty(QStringView name) const override;
    const IPathObject* pathItem(QStringView name, qsizetype index) const override;

private:
    void bind(pugi::xml_node root);

    std::unique_ptr<TXMLEvaluator> evaluator_;
    TXMLConditionalNode view_{pugi::xml_node(), nullptr};
    TAbstractTemplateSelectionState discSelection_;
    TAbstractTemplateSelectionState resEvalSelection_;
    DiscList selectedDiscs_;
    std::unique_ptr<CTT_Disciplines> disciplines_;
    ResEvalList loadedResEvals_;
    ResEvalList selectedResEvals_;
    std::unique_ptr<CTT_ResultEvaluations> resEvals_;
    std::unique_ptr<CTT_ResultPresentationsType> presentations_;
    // Paths read while a section is being read must not read it again.
    bool readingSection_ = false;

    std::vector<const IPathObject*> pathList(QStringView name, bool& known) const;
};

class CTT_AbstractGPCSection;

class CTT_AgeClasses {
public:
    explicit CTT_AgeClasses(pugi::xml_node root);
    ~CTT_AgeClasses();

    // The list's competition parameters and constraints (both optional here), read on first use.
    CTT_AbstractGPCSection& Section();

    CTT_AgeClassType& getAgeClass(qsizetype i) { return *ageClasses_.at(std::size_t(i)); }
    qsizetype getAgeClassCount() const { return qsizetype(ageClasses_.size()); }
    double getDefaultTeamStartFee() const { return teamFee_; }
    double getDefaultAthStartFee() const { return athleteFee_; }
    bool isExclusive() const { return exclusive_; }
    // "%.2f" with the UI's decimal separator when above 0, else empty.
    QString TeamStartFeeDefault() const;
    QString AthStartFeeDefault() const;
    bool checkAgeClassValidForCompType(const CTT_AgeClassType& ageClass) const;

private:
    std::vector<std::unique_ptr<CTT_AgeClassType>> ageClasses_;
    double teamFee_ = 0;
    double athleteFee_ = 0;
    bool exclusive_ = false;
    pugi::xml_node list_;
    std::unique_ptr<TXMLEvaluator> evaluator_;
    std::unique_ptr<CTT_AbstractGPCSection> section_;
};

class TCompetitionType {
public:
    // Throws ECompetitionTypeError when the bytes are no well-formed XML document.
    explicit TCompetitionType(const QByteArray& bytes);
    static std::unique_ptr<TCompetitionType> fromFile(const QString& fileName);

    const QString& SecureHash() const { return fileHash_; }
    static QString HashAlgorithm() { return QStringLiteral("SHA1"); }
    pugi::xml_node root() const { return doc_.document_element(); }

    // Each throws when its element is missing; nothing is kept then, so the next read tries again.
    QString DisplayName() const;
    const std::vector<CTT_MetaDataItem>& MetaData();
    CTT_AgeClasses& AgeClasses();
    const CTT_Options& Options();

private:
    pugi::xml_document doc_;
    QString fileHash_;
    std::vector<CTT_MetaDataItem> metaData_;
    bool metaDataRead_ = false;
    std::unique_ptr<CTT_AgeClasses> ageClasses_;
    std::unique_ptr<CTT_Options> options_;
};

// One entry of the folder's listing: a type read with its name, or the reason it could not be.
struct TCompetitionTypeEntry {
    QString fileName; // without the folder
    std::unique_ptr<TCompetitionType> type;
    QString displayName;
    QString error;
};

// Every "*.qct" of the folder, file names sorted; a broken file keeps its place with its error.
std::vector<TCompetitionTypeEntry> listCompetitionTypes(const QString& folder);

} // namespace tvp
