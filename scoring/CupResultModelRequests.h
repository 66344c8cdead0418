#pragma once
// The cup result modelling window's requests and its list without widgets: the cup scorings of a
// chosen cup, which discipline of the current competition feeds each, promoting a competition node
// into the cup, demoting it and giving a cup scoring a source.
//
// The worker answers the cup's forest, the feeding triples and the labels as they came; the tree is
// built on the GUI thread from them (the discipline windows' templates may be replaced meanwhile).

#include "core/connection/RequestRoad.h"
#include "core/protocol/ScoringRecords.h"
#include "core/services/ScoringServices.h"
#include "scoring/AggregatorTreeModel.h"

#include <QAbstractTableModel>

#include <memory>
#include <vector>

namespace tvp {

enum class TCupAggRequestType { rt_getCupAggs = 0, rt_promoteAgg = 1, rt_demoteAgg = 2, rt_AssignAgg = 3 };

// The server's refusal to promote a node whose parameters name cup or competition parameters.
inline constexpr int kPromoteNamesParametersError = 102;
inline const QString kLinkWait = QStringLiteral("Verknüpfe mit Cup");

struct TAggDiscCompInfo {
    int aggId = 0;
    int discId = 0;
    int compId = 0;
};

struct TCupAggRequest : TBatchRequest {
    TCupAggRequestType reqType = TCupAggRequestType::rt_getCupAggs;
    int cupId = 0;
    int aggId = 0;
    int sourceAggID = 0;
    bool resolveParams = false;
};

struct TCupAggResponse : TBatchResponse {
    using TBatchResponse::TBatchResponse;
    TCupAggRequestType reqType = TCupAggRequestType::rt_getCupAggs;
    int cupId = 0;
    int aggId = 0;
    std::vector<proto::CupType> cups;
    proto::getCupAggregatorsResponse forest;
    std::vector<TAggDiscCompInfo> tlDiscCompInfo;
    std::vector<proto::UiInfoKeyValuePair> labels;
    proto::connectProviderToResultAggregatorResponse1 AssignAggWarning;
};

const TRequestTable<TCupAggRequest, TCupAggResponse>& cupAggRequests();

// One row of the list.
struct TCupAggRow {
    int aggId = 0;
    int compId = 0; // of the discipline feeding it in the current competition, 0 when none
    int discId = 0;
    QString name;
    QString typeName;
};

// The rows of a load in the tree's node order. Reads the templates and parameters through the
// lookups while it runs and keeps neither; call it on the GUI thread.
std::vector<TCupAggRow> cupAggRows(const TCupAggResponse& response, const TTemplateLookup& templates,
                                   const TParameterResolver& parameters);

// The list: "Cup-Ergebnis-Aggregator", "Typ", "ID". Rows drag as cup scorings.
class TCupAggListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<TCupAggRow> rows);
    void clear() { setRows({}); }
    const TCupAggRow* row(int index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    // Fills the program's drag object with the first row's node.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

private:
    std::vector<TCupAggRow> rows_;
};

} // namespace tvp
