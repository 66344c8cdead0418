#pragma once
// What discipline templates, results templates and the competition creation share: the interface
// UI-info keys and their running numbers, the export parameter table, the mapping of a template's
// parameter and reference names into the target competition, the flattening of an exported tree
// into scoring nodes to create, and the creation of one node with its missing parameters repaired.

#include "core/connection/CommunicationThread.h"
#include "core/protocol/Errors.h"
#include "core/protocol/ScoringRecords.h"
#include "core/protocol/TemplateRecords.h"
#include "core/services/ScoringServices.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace tvp {

namespace proto {
class CompetitionManagementPortType;
class DataRetrievalPortType;
} // namespace proto

namespace uiInfoKeys {
inline constexpr QLatin1String ResultsOutputConnections("ResultsOutputConnections");
inline constexpr QLatin1String ResultsTopLevelConnection("ResultsTopLevelConnection");
} // namespace uiInfoKeys

// The server's refusals the template imports explain themselves.
inline constexpr int kParameterNotResolvableError = 57;
inline constexpr int kSourceDoesNotFitError = 143;

// ---- interface keys ------------------------------------------------------------------------------

// The running number of key after prefix; -1 when the rest is no decimal int (or out of its range).
int uiInfoKeyNumber(const QString& key, const QString& prefix);
// The first free running number of prefix among the UI infos of associatedId. Runs on a worker.
int getUIInfoFreeStartIndex(proto::DataRetrievalPortType& drs, const QString& prefix, int associatedId);

// ---- the export parameter table ------------------------------------------------------------------

// One row of an export window's parameter list: ticked rows stay parameters in the template.
struct TExportParameterRow {
    bool checked = true;
    QString exportName;   // "Exportname", editable
    QString currentValue; // "Aktueller Wert", in the UI's number format
    QString originalName; // "Originalname"
};

// The shown export name of a parameter: with a cup, cut before its last " (" (the cup suffix).
QString exportParameterCaption(const QString& name, int cupId);
// The rows of the names, in order; the value is resolve(name), 0 when that gives none (then the
// name is listed in unresolved, for the window's message).
std::vector<TExportParameterRow>
exportParameterRows(const QStringList& names, const std::function<std::optional<double>(const QString&)>& resolve,
                    int cupId, QStringList* unresolved);
// "Aktueller Wert" of the row whose "Originalname" is name, empty when none.
QString resolveParameter(const QString& name, const std::vector<TExportParameterRow>& rows);
// The same with "." as decimal separator: what the tree export writes for an unticked parameter.
QString resolveParameterForExport(const QString& name, const std::vector<TExportParameterRow>& rows);
// The ticked rows as the template's "GlobalParameters".
proto::TExportParameters SaveGlobalParameters(const std::vector<TExportParameterRow>& rows);

// ---- the import mapping --------------------------------------------------------------------------

// A named reference of a template to a node outside it.
struct TExternalLink {
    int SourceID = 0;     // the template-local node carrying the reference
    int TargetId = 0;     // an existing node of the target competition, 0 for none
    QString originalName; // the reference's name in the template
};

// Template-local id -> server id, in creation order.
using TIdMap = std::vector<std::pair<int, int>>;
void addToIdMap(int templateId, int serverId, TIdMap& map);
// 0 when the id was never created.
int mapID(int templateId, const TIdMap& map);

// What a template's names become in the target competition.
class TAbstractParameterMapping {
public:
    virtual ~TAbstractParameterMapping() = default;
    // "$(" + mapParameterToAgg(name) + ")": a label's reference, renamed.
    virtual QString map(const QString& name) const;
    // The parameter name (or literal text) the target uses for the template's name.
    virtual QString mapParameterToAgg(const QString& name) const = 0;
    // The existing node a reference of that name connects to, 0 for none.
    virtual int mapReferenceToAgg(const QString& name) const = 0;

    // Flattens node (fed by parentId, 0 for none) into the nodes to create (depth-first, each
    // node's first source created before it), their UI infos (template-local ids) and references.
    void AddResAggs(std::vector<proto::ResultAggregatorInstanceType>& aggs, int parentId,
                    const proto::TExportAggregatorTreeNodeType& node, std::vector<proto::setUiInfo>& uiInfos,
                    const QString& labelPrefix, std::vector<TExternalLink>& links) const;
};

// One parameter row's decision in an import window.
struct TParameterMapping {
    QString targetName;
    bool mapped = false; // true: an existing parameter of that name; false: one created with value
    double value = 0;
};

// The import windows' mapping without widgets: one row per template parameter and, for the
// discipline import, one per reference. The window shows the rows and edits them through here.
class TParameterMappingRows : public TAbstractParameterMapping {
public:
    struct ParameterRow {
        QString caption; // the template's name
        TParameterMapping mapping;
    };
    struct ReferenceRow {
        QString caption;    // the reference's name in the template
        TExternalLink link; // originalName: the assigned node's label
    };
    // Whether the competition (cup id 0) has the parameter, and its value.
    using Exists = std::function<bool(const QString& name)>;
    using Resolve = std::function<std::optional<double>(const QString& name)>;

    TParameterMappingRows(Exists exists, Resolve resolve);

    // One row per template parameter, in file order.
    void loadParams(const std::vector<TExportGlobalParameter>& params);
    TParameterMapping MapParameter(const QString& name, double defaultValue) const;
    // Re-reads the values of mapped rows.
    void RenderParameterMapping();
    // "->name" or "Neu: name".
    static QString mappingText(const TParameterMapping& mapping);

    void mapToExisting(int row, const QString& name);
    void setNewName(int row, const QString& name);
    void setValue(int row, double value);

    // One reference row per distinct label, walking root first, then its connections in order.
    void loadReferences(const proto::TExportAggregatorTreeNodeType* root);
    void assignReference(int row, int targetId, const QString& label);
    void clearReference(int row);
    // "label (-id)" or "-".
    static QString referenceText(const ReferenceRow& row);

    // A new global parameter per row that is not mapped (two rows of one new name give two).
    void AddNewGlobalParameters(std::vector<proto::GlobalParametersInfoType>& out) const;

    QString mapParameterToAgg(const QString& name) const override;
    int mapReferenceToAgg(const QString& name) const override;

    std::vector<ParameterRow>& parameters() { return rows_; }
    const std::vector<ParameterRow>& parameters() const { return rows_; }
    std::vector<ReferenceRow>& references() { return references_; }
    const std::vector<ReferenceRow>& references() const { return references_; }

private:
    Exists exists_;
    Resolve resolve_;
    std::vector<ParameterRow> rows_;
    std::vector<ReferenceRow> references_;
};

// ---- creation on the server ------------------------------------------------------------------

// A global parameter created because the server lacked the one a node names.
struct TReplacedParameter {
    QString TemplateName;
    QString ParamName;
    double ParamValue = 0;
};

enum class TImportRequestType { rt_load = 0, rt_import = 1 };

struct TBaseImportRequest : TRequest {
    TImportRequestType reqType = TImportRequestType::rt_load;
    std::vector<proto::GlobalParametersInfoType> newGlobalParams;
    std::vector<proto::ResultAggregatorInstanceType> aggs;
    std::vector<proto::setUiInfo> UIInfos; // associated ids template-local
};

// A results template input that no discipline feeds.
class ENoFittingDisciplineException : public TvpError {
public:
    using TvpError::TvpError;
};

// Creates one node; a parameter the competition lacks (57) is renamed "NEU_<template>_<name>" and,
// when that is missing too, created with the template's default. A refusal that repairs nothing is
// passed on.
proto::assignResultAggregatorResponse1 assignResultAggregatorCreateUnmappedResAggs(
    std::vector<TReplacedParameter>* replaced, const QString& templateName, int competitionId,
    const std::vector<TExportGlobalParameter>& templateParams, proto::CompetitionManagementPortType& cms,
    proto::ResultAggregatorInstanceInfoType instance);

} // namespace tvp
