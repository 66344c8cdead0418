#pragma once
// The results window's requests and what it shows without widgets: the discipline's scoring tree
// (built headless on the request worker), the evaluation list, the table of one result provider
// and the title of its printout.
//
// A headless tree is built on the worker, so it reads only what the request carries: copies of the
// templates, of the discipline and of the parameter values, taken on the GUI thread when the
// request is made. The windows they come from may reload meanwhile.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ParticipantRecords.h"
#include "core/protocol/ScoringRecords.h"
#include "core/results/ResultCache.h"
#include "core/results/tvpTypes.h"
#include "scoring/AggregatorTreeModel.h"

#include <QAbstractTableModel>
#include <QRgb>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace tvp {

enum class TAnalyseRequestType { rt_getList = 0, rt_getAggChain = 1 };

// The node has no result table (yet): nothing to show, and nothing to report.
inline constexpr int kNoResultTableError = 22;

// Parameter values by (cup id, name); cup id 0 is the competition.
using TParameterValues = std::map<std::pair<int, QString>, double>;

// What the worker may read, taken on the GUI thread.
struct TAnalyseTreeInputs {
    std::vector<proto::ResultAggregatorTemplateType> templates;
    std::optional<TDisciplineInfo> discInfo;
    TParameterValues parameters;
};

struct TAnalyseRequest : TRequest {
    TAnalyseRequestType reqType = TAnalyseRequestType::rt_getList;
    int cupID = 0;
    int DisciplinId = 0;
    int resProvId = 0;
    std::shared_ptr<const TAnalyseTreeInputs> treeInputs;
};

struct TAnalyseResponse : TResponse {
    TAnalyseRequestType reqType = TAnalyseRequestType::rt_getList;
    int resProvId = 0;
    int disciplineID = 0;
    int cupID = 0;
    proto::getAthletesResponse1 getAthletes;
    proto::getTeamsResponse1 getTeams;
    std::optional<proto::getFinisherTeamsResponse1> getFinisherTeams;
    std::optional<proto::getFinisherAthletesResponse1> getFinisherAthletes;
    proto::getResultTableResponse1 getResultTableResponse;
    proto::CheckAmbiguousBibResultsResponse1 ambiguousBibWarning;
    proto::checkParticipantConstraintsResponse participantWarning;
    std::unique_ptr<TAggregatorTreeModel> aggTree;
    TResultformat resultFormat = TResultformat::rf_Default;
    proto::getDisciplinesResponse1 disciplines;
};

using TAnalyseRoad = TRequestRoad<TAnalyseRequest, TAnalyseResponse>;
const TRequestTable<TAnalyseRequest, TAnalyseResponse>& analyseRequests();

// A headless tree over the roots that reads only the inputs (kept alive by the tree).
std::unique_ptr<TAggregatorTreeModel> makeHeadlessTree(const std::vector<proto::AggregatorTreeNodeType>& roots,
                                                       int disciplineId,
                                                       std::shared_ptr<const TAnalyseTreeInputs> inputs);

// Labels and one mark ("ResAgg_VisAnalysis", "ResAgg_VisCertificate") of every node, asked in one call.
void applyNodeInfos(proto::DataRetrievalPortType& drs, TAggregatorTreeModel& tree, const QString& markKey);

// One item of the evaluation list.
struct TResultProviderInfo {
    int id = 0;
    int cupId = 0;
    QString name;
    TAggregatorType aggType = TAggregatorType::ag_Unknown;
    QRgb color = TAggregatorNode::kSilver;
};

// The evaluation list of a tree: the nodes from the last to the first, those not marked for the
// analysis only when showAll is set (the discipline's own results always).
std::vector<TResultProviderInfo> evaluationItems(const TAggregatorTreeModel& tree, bool showAll,
                                                 const QString& disciplineName);

// The printout's title for a provider of the kind.
QString analysisPrintTitle(TAggregatorType kind, const QString& providerName, const QString& disciplineName);

// The cache a finished table load is shown from: one row per athlete (or team) that has a result,
// all in heat 1. Results of attempts outside the table's columns are left out, as are rows without
// participant id; a participant listed twice gets one row.
std::unique_ptr<TResultCache> makeAnalyseCache(const TAnalyseResponse& response,
                                               TResultCache::TChangeCallback onChange);
void fillAnalyseCache(TResultCache& cache, const TAnalyseResponse& response);
// Pending-flag warnings of a cup load, in order.
QStringList analyseCupWarnings(const TAnalyseResponse& response);

// The shown table, made from the cache's rows: one column per attempt after the participant's.
class TAnalyseTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void showCache(const TResultCache& cache);
    void clear();
    // The caption's width of each column, as the window sizes them.
    std::vector<int> columnWidths() const;
    // The attempts' columns follow the participant's.
    int firstAttemptColumn() const { return team_ ? 1 : 4; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList headers_;
    std::vector<QStringList> rows_;
    bool team_ = false;
    int attempts_ = 0;
};

} // namespace tvp
