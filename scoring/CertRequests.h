#pragma once
// The result compilations (certificate templates) of a competition or a cup: their requests, the
// results a compilation may take, the lists of both windows as models and the change check.

#include "core/connection/RequestRoad.h"
#include "core/protocol/ScoringRecords.h"
#include "core/results/tvpTypes.h"
#include "scoring/AnalyseRequests.h"

#include <QAbstractTableModel>
#include <QString>

#include <memory>
#include <vector>

namespace tvp {

enum class TCertRequestType {
    rt_getAggChain = 0,
    rt_getCupAggChain = 1,
    rt_getCertList = 2,
    rt_CreateCert = 3,
    rt_modifyCert = 4,
    rt_removeCert = 5,
};

// One stored compilation as the templates list shows it.
struct TCertificate {
    int id = 0; // 0: not stored yet
    QString name;
    std::vector<int> AggIds;
    std::vector<int> OrderIndices; // the data view's sort order, passed on unchanged
};

// The new compilation that is not stored yet.
const TCertificate& defaultCertificate();

// A result a compilation may take.
struct TCertItem {
    int AggId = 0;
    QString AggName;
    QString DiscNames; // "Cup" for the nodes of a cup
    std::vector<int> discIds;
};

struct TCertRequest : TRequest {
    TCertRequestType reqType = TCertRequestType::rt_getAggChain;
    int cupId = 0; // 0: the competition's compilations
    int certId = 0;
    QString name;
    std::vector<int> AggIds;
    // Template names and parameter values for the node names, copied on the GUI thread.
    std::shared_ptr<const TAnalyseTreeInputs> treeInputs;
};

struct TCertResponse : TResponse {
    TCertRequestType reqType = TCertRequestType::rt_getAggChain;
    int id = 0; // of a new compilation
    std::vector<TCertItem> availableAggs;
    proto::getAggregatorCollectionResponse4 CertList;
};

using TCertRoad = TRequestRoad<TCertRequest, TCertResponse>;
const TRequestTable<TCertRequest, TCertResponse>& certRequests();

// The results of a loaded tree that a compilation may take, in tree order: the nodes marked for
// certificates and the disciplines' plain results; in a competition (cupId 0) never a cup's node.
// Names of source disciplines are asked by sourceNames for competition nodes only.
std::vector<TCertItem> offeredCertItems(const TAggregatorTreeModel& tree, int cupId,
                                        const std::function<std::vector<proto::DisciplinType>(int aggId)>& sources);

// The reference is the stored compilation being edited (null: none, or one not listed any more);
// unchanged only when name and ids match exactly.
bool certTemplateChanged(const TCertificate* reference, const QString& trimmedName, const std::vector<int>& ids);

// What the data view gets for the rows of a compilation.
std::vector<TAggInfo> certAggInfos(const std::vector<TCertItem>& items);

// The rows of the two lists ("Disziplin", "Ergebnis"), draggable under the name given.
class TCertItemListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setItems(std::vector<TCertItem> items);
    const std::vector<TCertItem>& items() const { return items_; }
    const TCertItem& item(int row) const { return items_.at(std::size_t(row)); }
    std::vector<int> ids() const;
    int rowOf(int aggId) const;
    // Before row; at the end for a row outside the list.
    void insertItem(int row, TCertItem item);
    void removeItem(int row);
    void clear() { setItems({}); }

    // Dropped results go before row (one after the other, so several end there in reverse order),
    // or to the end in their order for -1. A result already on the list is not added again; the
    // row of the last such one comes back, -1 when there is none.
    int dropItems(const std::vector<TCertItem>& dropped, int row);
    // The row moves before target (to the end for -1); its new row comes back.
    int moveItem(int from, int target);

    void setDragSource(QString name) { dragSource_ = std::move(name); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }

private:
    std::vector<TCertItem> items_;
    QString dragSource_;
};

} // namespace tvp
