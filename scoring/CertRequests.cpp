#include "scoring/CertRequests.h"

#include "core/connection/ServicePorts.h"
#include "core/lists/WindowDrag.h"
#include "core/protocol/WebServices.h"

#include <QStringList>

namespace tvp {

namespace {

void copyRequest(const TCertRequest& request, TCertResponse& response)
{
    response.reqType = request.reqType;
}

// The owner's two ids as the collection operations take them: exactly one is set.
int ownerCompetition(TServicePorts& ports, const TCertRequest& request)
{
    return request.cupId == 0 ? ports.competitionId() : 0;
}

proto::Owned<proto::AggregatorCollectionInfoType> collectionInfo(const TCertRequest& request)
{
    proto::AggregatorCollectionInfoType info;
    info.Name = request.name;
    info.AggIds = request.AggIds;
    return proto::Owned<proto::AggregatorCollectionInfoType>(std::move(info));
}

void getAggChain(TServicePorts& ports, const TCertRequest& request, TCertResponse& response)
{
    copyRequest(request, response);
    proto::DataRetrievalPortType& drs = ports.drs();
    const std::vector<proto::AggregatorTreeNodeType> nodes = request.cupId == 0
                                                                 ? drs.getResultAggregatorTree(0, ports.competitionId())
                                                                 : ports.crs().getCupAggregators(request.cupId);
    std::unique_ptr<TAggregatorTreeModel> tree = makeHeadlessTree(nodes, 0, request.treeInputs);
    applyNodeInfos(drs, *tree, uiInfoKeys::ResAggVisCertificate);
    response.availableAggs =
        offeredCertItems(*tree, request.cupId, [&drs](int aggId) { return drs.getToplevelSourceDisciplines(aggId); });
}

void getCertList(TServicePorts& ports, const TCertRequest& request, TCertResponse& response)
{
    copyRequest(request, response);
    response.CertList = ports.uir().getAggregatorCollection(ownerCompetition(ports, request), request.cupId);
}

void createCert(TServicePorts& ports, const TCertRequest& request, TCertResponse& response)
{
    copyRequest(request, response);
    const proto::storeAggregatorCollectionResponse stored =
        ports.uis().storeAggregatorCollection(ownerCompetition(ports, request), request.cupId, collectionInfo(request));
    if (!stored.newAggregatorCollection)
        throw TvpError(QStringLiteral("Der Server hat keine neue Vorlage zurückgegeben."));
    response.id = stored.newAggregatorCollection->Id;
}

void modifyCert(TServicePorts& ports, const TCertRequest& request, TCertResponse& response)
{
    copyRequest(request, response);
    ports.uis().modifyAggregatorCollection(request.certId, collectionInfo(request));
}

void removeCert(TServicePorts& ports, const TCertRequest& request, TCertResponse& response)
{
    copyRequest(request, response);
    ports.uis().removeAggregatorCollection(request.certId);
}

} // namespace

const TRequestTable<TCertRequest, TCertResponse>& certRequests()
{
    using enum TCertRequestType;
    static const TRequestTable<TCertRequest, TCertResponse> table{{
        {rt_getAggChain, QStringLiteral("Verfügbare Ergebnisse laden"), &getAggChain},
        {rt_getCupAggChain, QStringLiteral("Verfügbare Cup-Ergebnisse laden"), &getAggChain},
        {rt_getCertList, QStringLiteral("Urkundenvorlagen laden"), &getCertList},
        {rt_CreateCert, QStringLiteral("Urkundenvorlage anlegen"), &createCert},
        {rt_modifyCert, QStringLiteral("Urkundenvorlage speichern"), &modifyCert},
        {rt_removeCert, QStringLiteral("Urkundenvorlage entfernen"), &removeCert},
    }};
    return table;
}

const TCertificate& defaultCertificate()
{
    static const TCertificate certificate{0, QStringLiteral("Neue Urkunde"), {}, {}};
    return certificate;
}

std::vector<TCertItem> offeredCertItems(const TAggregatorTreeModel& tree, int cupId,
                                        const std::function<std::vector<proto::DisciplinType>(int aggId)>& sources)
{
    std::vector<TCertItem> items;
    for (int i = 0; i < tree.getAggregatorCount(); ++i) {
        const TAggregatorNode* node = tree.node(i);
        const bool plain = node->AggregatorInfo() == nullptr;
        if (!plain && node->VisCertificate() != TBool::bTrue)
            continue;
        if (cupId == 0 && node->cupId() != 0)
            continue;
        TCertItem item;
        item.AggId = node->ID();
        if (plain) {
            item.AggName = QStringLiteral("Leistungen");
        } else {
            item.AggName = node->getParsedName();
            if (item.AggName.isEmpty())
                item.AggName = node->getTemplateName();
        }
        if (cupId == 0) {
            QStringList names;
            for (const proto::DisciplinType& d : sources(item.AggId)) {
                names << d.Name;
                item.discIds.push_back(d.DisciplinID);
            }
            item.DiscNames = names.join(QStringLiteral(", "));
        } else {
            item.DiscNames = QStringLiteral("Cup");
        }
        items.push_back(std::move(item));
    }
    return items;
}

bool certTemplateChanged(const TCertificate* reference, const QString& trimmedName, const std::vector<int>& ids)
{
    return !reference || reference->name != trimmedName || reference->AggIds != ids;
}

std::vector<TAggInfo> certAggInfos(const std::vector<TCertItem>& items)
{
    std::vector<TAggInfo> infos;
    infos.reserve(items.size());
    for (const TCertItem& item : items) {
        TAggInfo info;
        info.aggID = item.AggId;
        info.aggLabel = item.AggName + QLatin1Char('#') + item.DiscNames;
        info.aggName = item.AggName;
        info.multidisc = item.discIds.size() > 1;
        info.DiscNames = item.DiscNames;
        infos.push_back(std::move(info));
    }
    return infos;
}

// ---- the lists ----------------------------------------------------------------------------------

void TCertItemListModel::setItems(std::vector<TCertItem> items)
{
    beginResetModel();
    items_ = std::move(items);
    endResetModel();
}

std::vector<int> TCertItemListModel::ids() const
{
    std::vector<int> out;
    out.reserve(items_.size());
    for (const TCertItem& item : items_)
        out.push_back(item.AggId);
    return out;
}

int TCertItemListModel::rowOf(int aggId) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].AggId == aggId)
            return int(i);
    return -1;
}

void TCertItemListModel::insertItem(int row, TCertItem item)
{
    if (row < 0 || row > int(items_.size()))
        row = int(items_.size());
    beginInsertRows({}, row, row);
    items_.insert(items_.begin() + row, std::move(item));
    endInsertRows();
}

void TCertItemListModel::removeItem(int row)
{
    if (row < 0 || row >= int(items_.size()))
        return;
    beginRemoveRows({}, row, row);
    items_.erase(items_.begin() + row);
    endRemoveRows();
}

int TCertItemListModel::dropItems(const std::vector<TCertItem>& dropped, int row)
{
    int present = -1; // by id: rows shift while the others go in
    for (const TCertItem& item : dropped) {
        if (rowOf(item.AggId) >= 0) {
            present = item.AggId;
            continue;
        }
        insertItem(row, item);
    }
    return present == -1 ? -1 : rowOf(present);
}

int TCertItemListModel::moveItem(int from, int target)
{
    if (from < 0 || from >= int(items_.size()) || from == target)
        return from;
    TCertItem item = items_[std::size_t(from)];
    const int at = target < 0 || target > int(items_.size()) ? int(items_.size()) : target;
    insertItem(at, std::move(item));
    removeItem(from < at ? from : from + 1);
    return from < at ? at - 1 : at;
}

int TCertItemListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(items_.size());
}

int TCertItemListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant TCertItemListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        role != Qt::DisplayRole)
        return {};
    const TCertItem& item = items_[std::size_t(index.row())];
    return index.column() == 0 ? item.DiscNames : item.AggName;
}

QVariant TCertItemListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0: return QStringLiteral("Disziplin");
    case 1: return QStringLiteral("Ergebnis");
    default: return {};
    }
}

Qt::ItemFlags TCertItemListModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags f = QAbstractTableModel::flags(index);
    return index.isValid() && !dragSource_.isEmpty() ? f | Qt::ItemIsDragEnabled : f;
}

QStringList TCertItemListModel::mimeTypes() const
{
    return {kWindowDragMime};
}

QMimeData* TCertItemListModel::mimeData(const QModelIndexList& indexes) const
{
    return dragSource_.isEmpty() || indexes.isEmpty() ? nullptr : windowDragData(dragSource_);
}

} // namespace tvp
