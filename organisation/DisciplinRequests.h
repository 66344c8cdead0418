#pragma once
// The discipline windows' server requests: the fourteen command codes with their names and worker
// functions, the discipline settings kept as UI infos, and the plain rules of the editor that do
// not need a window (result kinds, the scoring-node request, parameter values, change checks).

#include "core/connection/RequestRoad.h"
#include "core/protocol/ScoringRecords.h"
#include "core/results/tvpTypes.h"
#include "core/services/ScoringServices.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tvp {

enum class TDisciplinRequestType {
    rt_get = 0,
    rt_getAggTree = 1,
    rt_getTemplates = 2,
    rt_create = 3,
    rt_modify = 4,
    rt_delete = 5,
    rt_assignAggregator = 6,
    rt_getLabels = 7,
    rt_modifyResAgg = 8,
    rt_removeResAgg = 9,
    rt_remove = 10,
    rt_templateExport = 11,
    rt_getAggTreeExportTemplate = 12,
    rt_getLabelsExportTemplate = 13,
};

// The window's force set, one flag per element.
struct TDisciplinForce {
    bool forceModify = false;
    bool forceAgeClass = false;
    bool forceDelete = false;
    bool forceReassignResults = false;
    bool forceRemoveAssignedResults = false;
    bool forceDeleteScheduleItem = false;
    bool forceChangeResultType = false;
};

// A discipline of the list with which of its result-kind UI infos the server answered.
struct TDiscListEntry {
    TDisciplineInfo info;
    bool resultTypeLoaded = false;
    bool resultFormatLoaded = false;
};

struct TDisciplinRequest : TRequest {
    TDisciplinRequestType reqType = TDisciplinRequestType::rt_get;
    TDisciplineInfo disciplinInfo;
    int discId = 0;
    int aggId = 0;
    int selectAggregatorId = 0;
    proto::ResultAggregatorInstanceInfoType aggInfo;
    std::vector<proto::UiInfoKey> labelKeys;
    bool setName = false;
    TAggUiInfos UiInfos{{}, TBool::bFalse, TBool::bFalse};
    TDisciplinForce force;
    std::vector<int> removeList;
    // The editor's result kind differs from the stored one.
    bool resultTypeChanged = false;
    // Which result-kind infos a create or modify writes: never one the list did not load, unless
    // the user chose a new kind.
    bool writeResultType = true;
    bool writeResultFormat = true;
};

struct TDisciplinResponse : TResponse {
    TDisciplinRequestType reqType = TDisciplinRequestType::rt_get;
    std::vector<TDiscListEntry> discinfos;
    int aggId = 0;
    int discId = 0;
    int selectAggregatorId = 0;
    std::vector<proto::AggregatorTreeNodeType> aggregatorTree;
    std::vector<proto::ResultAggregatorTemplateType> templates;
    std::vector<proto::UiInfoKeyValuePair> labelValues;
    // A modify's request data, set before the server is asked, so a refused one can be sent again.
    TDisciplineInfo disciplinInfo;
    bool resultTypeChanged = false;
    bool writeResultType = true;
    bool writeResultFormat = true;
    TDisciplinForce forced;
    std::vector<proto::AgeClassType> ageClasses;
    proto::modifyDisciplinResponse1 modifyWarning;
    proto::modifyAssignedResultAggregatorResponse1 modifyResAggWarning;
};

// Request names, worker functions; refusals are asked about by the window itself.
const TRequestTable<TDisciplinRequest, TDisciplinResponse>& disciplinRequests();
// The transaction mode each code is queued in.
TTransactionMode disciplinRequestMode(TDisciplinRequestType type);

// ---- result kinds ----------------------------------------------------------------------------------

// The "Ergebnistyp:" combo: "Weite", "Zeit", "Rang", "Punkte", "Höhe", "Zielpunkte", "Zielpunkte sammeln".
const QStringList& resultKindItems();
int resultKindIndex(proto::ResultValueType type, TResultformat format);
proto::ResultValueType resultTypeOfIndex(int index);
TResultformat getResultFormatfromComboboxSelection(int index);

// The list from the server's answers: each discipline takes the UI infos answered for its own id
// and key, wherever they stand in the answer; a kind not answered stays unknown (Info, Default).
std::vector<TDiscListEntry> discListFromAnswer(const std::vector<proto::DisciplinType>& disciplines,
                                               const std::vector<proto::UiInfoKeyValuePair>& answer);

// The settings sent to create or modify a discipline.
proto::DisciplinInfoType disciplinSettings(const TDisciplineInfo& info);

// Differs what the editor holds from the stored discipline? Result kinds compare as the combo
// shows them.
bool discSettingsDiffer(const TDisciplineInfo& editor, const TDisciplineInfo& stored);

// ---- scoring nodes ---------------------------------------------------------------------------------

// The label keys of a tree's nodes in its order: "Label", the empty key, and for every node but the
// discipline's own the two marks.
std::vector<proto::UiInfoKey> aggregatorLabelKeys(const TAggregatorTree& tree);

// A parameter cell as sent: numbers with "." ("3,50" and "3.50" give "3.5"), names of event
// parameters as typed; nothing when neither.
std::optional<QString> aggregatorParameterValue(const QString& text,
                                                const std::function<bool(const QString& name)>& paramExists);

// The editor of the open scoring node as the window's controls hold it.
struct TAggEditorState {
    const proto::ResultAggregatorTemplateType* selectedTemplate = nullptr;
    QStringList values; // "Wert" cells in row order
    QString name;
    bool nameEnabled = false;
    bool visAnalysis = false;
    bool visAnalysisEnabled = false;
    bool visCertificate = false;
    bool visCertificateEnabled = false;
    std::vector<int> sources;
};

struct TAggRequestBuild {
    std::unique_ptr<TDisciplinRequest> request; // null when refused
    QString error;                              // the message then
};

// The node request from the editor (without code, ids and sources); isNew for a node to create.
TAggRequestBuild CreateAggregatorRequestCurrentLoaded(const TAggEditorState& editor, const TAggUiInfos& loaded,
                                                      bool isNew,
                                                      const std::function<bool(const QString& name)>& paramExists);

// Differs the editor from the node as stored (the node may be null)?
bool aggItemChanged(const TAggEditorState& editor, const TUiAggregator* node);

// ---- walks over the scoring tree -------------------------------------------------------------------

enum class TSelectType { st_SingleConnection, st_ResEval, st_Cup };

bool isWithinParents(int id, const std::vector<TUiAggregator*>& parents);
bool isConnectedToDifferentCompetitions(const TUiAggregator& node, const std::vector<TUiAggregator*>& parents);
// The node and, through the walk type, the nodes above it; never the discipline's own node.
void selectRecursive(TUiAggregator* node, std::vector<TUiAggregator*>& list, TSelectType walk);
void getExportConnections(TUiAggregator* node, std::vector<TUiAggregator*>& list, TSelectType walk);

} // namespace tvp
