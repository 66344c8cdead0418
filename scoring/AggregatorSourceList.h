#pragma once
// The sources list of the open scoring node as an item model: one row per source, "Name (id)" and
// its origin; names and origins that neither the tree nor the window know are asked of the server
// in the background, on the list's own request road.

#include "core/connection/RequestRoad.h"
#include "scoring/AggregatorSources.h"

#include <QAbstractTableModel>
#include <QPointer>

#include <memory>

namespace tvp {

class TAggregatorSourceListModel : public QAbstractTableModel, public TAggregatorSourceList {
    Q_OBJECT
public:
    // window: the sender of the list's messages.
    TAggregatorSourceListModel(TRequestContext& context, QObject* window, TDisciplineLookup disciplineLookup);
    ~TAggregatorSourceListModel() override;

    // ---- TAggregatorSourceList ----
    QAbstractItemModel* model() override { return this; }
    void addItem(int id, bool resolve) override;
    void Clear() override;
    void RemoveItem(int index) override;
    int getListCount() const override { return sources_.count(); }
    const TSourceListItem* getItem(int index) const override { return sources_.row(index); }
    void UpdateInfos() override;
    void AttachToAggTree(TAggregatorTree* tree) override { sources_.attach(tree); }
    void DetachToAggTree() override;

    // ---- the model ----
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const TAggregatorSources& sources() const { return sources_; }
    // Requests on their way.
    std::size_t pending() const { return road_ ? road_->pending() : 0; }

private:
    using Road = TRequestRoad<TSourcesRequest, TSourcesResponse>;
    void renderAll();
    void Finished(std::unique_ptr<TSourcesResponse> response, const TRequestOutcome& outcome);
    void queue(TSourceRequestType type, int id, std::vector<proto::UiInfoKey> keys = {});

    TRequestContext& context_;
    QPointer<QObject> window_;
    TAggregatorSources sources_;
    std::unique_ptr<Road> road_;
};

} // namespace tvp
