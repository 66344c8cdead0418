#include "scoring/CupResultModelRequests.h"

#include "core/connection/ServicePorts.h"
#include "core/protocol/WebServices.h"
#include "core/results/tvpTypes.h"

#include <QMimeData>

#include <set>

namespace tvp {

namespace {

using R = TCupAggRequestType;

void copyRequest(const TCupAggRequest& request, TCupAggResponse& response)
{
    response.cupId = request.cupId;
    response.aggId = request.aggId;
}

void collectIds(const std::vector<proto::AggregatorTreeNodeType>& nodes, std::vector<int>& ids, std::set<int>& seen)
{
    for (const proto::AggregatorTreeNodeType& n : nodes) {
        if (seen.insert(n.ID).second)
            ids.push_back(n.ID);
        collectIds(n.OutputConnections, ids, seen);
    }
}

void getCupAggs(TServicePorts& ports, const TCupAggRequest& request, TCupAggResponse& response)
{
    copyRequest(request, response);
    response.cups = ports.crs().getCups(0);
    if (request.cupId == 0)
        return;
    response.forest = ports.crs().getCupAggregators(request.cupId);
    proto::DataRetrievalPortType& drs = ports.drs();
    const int competition = ports.competitionId();
    for (const proto::AggregatorTreeNodeType& top : response.forest)
        for (const proto::DisciplinType& d : drs.getToplevelSourceDisciplines(top.ID))
            if (d.CompetitionID == competition) {
                response.tlDiscCompInfo.push_back({top.ID, d.DisciplinID, d.CompetitionID});
                break;
            }
    std::vector<int> ids;
    std::set<int> seen;
    collectIds(response.forest, ids, seen);
    proto::getUiInfos keys;
    for (int id : ids)
        keys.push_back(makeUiInfoKey(uiInfoKeys::Label, id));
    if (!keys.empty())
        response.labels = drs.getUiInfos(keys);
}

void promoteAgg(TServicePorts& ports, const TCupAggRequest& request, TCupAggResponse& response)
{
    copyRequest(request, response);
    ports.css().promoteToCupAggregator(request.aggId, request.cupId, request.resolveParams);
}

void demoteAgg(TServicePorts& ports, const TCupAggRequest& request, TCupAggResponse& response)
{
    copyRequest(request, response);
    ports.css().demoteCupAggregator(request.aggId);
}

void assignAgg(TServicePorts& ports, const TCupAggRequest& request, TCupAggResponse& response)
{
    copyRequest(request, response);
    response.AssignAggWarning = ports.cms().connectProviderToResultAggregator(request.aggId, request.sourceAggID);
}

// The feeding triple of a node: its own, else the first one found among its parents, recursively.
const TAggDiscCompInfo* feedOf(const TAggregatorNode& node, const std::vector<TAggDiscCompInfo>& triples,
                               std::set<int>& visited)
{
    if (!visited.insert(node.ID()).second)
        return nullptr;
    for (const TAggDiscCompInfo& t : triples)
        if (t.aggId == node.ID())
            return &t;
    for (TUiAggregator* parent : node.getParents())
        if (const TAggDiscCompInfo* found = feedOf(*static_cast<TAggregatorNode*>(parent), triples, visited))
            return found;
    return nullptr;
}

} // namespace

const TRequestTable<TCupAggRequest, TCupAggResponse>& cupAggRequests()
{
    static const TRequestTable<TCupAggRequest, TCupAggResponse> table{
        {
            {R::rt_getCupAggs, QStringLiteral("Cup-Ergebnis-Aggregatoren laden"), &getCupAggs},
            {R::rt_promoteAgg, QStringLiteral("Aggregator zu Cup hinzufügen"), &promoteAgg},
            {R::rt_demoteAgg, QStringLiteral("Aggregator von Cup entfernen"), &demoteAgg},
            {R::rt_AssignAgg, QStringLiteral("Quelle zuweisen"), &assignAgg},
        },
        {
            {kPromoteNamesParametersError, &TCupAggRequest::resolveParams,
             QStringLiteral("Mindestens ein betroffener Ergebnis-Aggregator enthält Verweise auf Cup- oder "
                            "Veranstaltungsparameter. Diese werden zu Zahlenwerten aufgelöst, da sie im neuen "
                            "Veranstaltungs- oder Cup-Kontext nicht mehr gültig nicht. Fortfahren?"),
             QStringLiteral("Veranstaltungs-Aggregator erstellen"), int(R::rt_promoteAgg)},
        },
    };
    return table;
}

std::vector<TCupAggRow> cupAggRows(const TCupAggResponse& response, const TTemplateLookup& templates,
                                   const TParameterResolver& parameters)
{
    TAggregatorTreeModel tree(response.forest, {}, templates, nullptr, parameters);
    tree.setLabelsToAggTree(response.labels, 0);
    std::vector<TCupAggRow> rows;
    for (int i = 0; i < tree.getAggregatorCount(); ++i) {
        const TAggregatorNode& node = *tree.node(i);
        TCupAggRow row;
        row.aggId = node.ID();
        std::set<int> visited;
        if (const TAggDiscCompInfo* feed = feedOf(node, response.tlDiscCompInfo, visited)) {
            row.compId = feed->compId;
            row.discId = feed->discId;
        }
        row.name = node.getName().isEmpty() ? node.getDisplayName() : node.getParsedName();
        row.typeName = node.getTemplateName();
        rows.push_back(std::move(row));
    }
    return rows;
}

// ---- the list ------------------------------------------------------------------------------------

void TCupAggListModel::setRows(std::vector<TCupAggRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

const TCupAggRow* TCupAggListModel::row(int index) const
{
    return index >= 0 && index < int(rows_.size()) ? &rows_[std::size_t(index)] : nullptr;
}

int TCupAggListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int TCupAggListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant TCupAggListModel::data(const QModelIndex& index, int role) const
{
    const TCupAggRow* r = row(index.row());
    if (!r || role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0: return r->name;
    case 1: return r->typeName;
    case 2: return QString::number(r->aggId);
    }
    return {};
}

QVariant TCupAggListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0: return QStringLiteral("Cup-Ergebnis-Aggregator");
    case 1: return QStringLiteral("Typ");
    case 2: return QStringLiteral("ID");
    }
    return {};
}

Qt::ItemFlags TCupAggListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList TCupAggListModel::mimeTypes() const
{
    return {QString::fromLatin1(kAggregatorMimeType)};
}

QMimeData* TCupAggListModel::mimeData(const QModelIndexList& indexes) const
{
    const TCupAggRow* r = indexes.isEmpty() ? nullptr : row(indexes.front().row());
    if (!r)
        return nullptr;
    TAggDragObject& dragged = aggDragObject();
    dragged.Id = r->aggId;
    dragged.name = r->name;
    dragged.aggType = TAggregatorType::ag_CupRef;
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kAggregatorMimeType), QByteArray::number(r->aggId));
    return mime;
}

} // namespace tvp
