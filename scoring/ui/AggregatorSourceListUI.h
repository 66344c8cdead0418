#pragma once
// The sources list of the open scoring node on a list view of the discipline window: one row per
// source, "Name (id)" and its origin; names and origins that neither the tree nor the window know
// are asked of the server in the background, on the list's own request road.

#include "core/connection/RequestRoad.h"
#include "scoring/AggregatorSources.h"

#include <QObject>
#include <QPointer>

#include <memory>

class QTreeWidget;

namespace tvp {

class TWindowContext;

class TAggregatorSourceListUI : public QObject, public TAggregatorSourceList {
    Q_OBJECT
public:
    // The road uses the context of the first window up the list view's parents.
    TAggregatorSourceListUI(QTreeWidget* listView, TDisciplineLookup disciplineLookup);
    ~TAggregatorSourceListUI() override;

    void addItem(int id, bool resolve) override;
    void Clear() override;
    void RemoveItem(int index) override;
    int getListCount() const override { return sources_.count(); }
    const TSourceListItem* getItem(int index) const override { return sources_.row(index); }
    void UpdateInfos() override;
    void AttachToAggTree(TAggregatorTree* tree) override { sources_.attach(tree); }
    void DetachToAggTree() override;

    const TAggregatorSources& sources() const { return sources_; }
    // Requests on their way.
    std::size_t pending() const { return road_ ? road_->pending() : 0; }

private:
    using Road = TRequestRoad<TSourcesRequest, TSourcesResponse>;
    void RenderItem(int index);
    void renderAll();
    void Finished(std::unique_ptr<TSourcesResponse> response, const TRequestOutcome& outcome);
    void queue(TSourceRequestType type, int id, std::vector<proto::UiInfoKey> keys = {});

    QPointer<QTreeWidget> FListView;
    QPointer<QWidget> FParentForm;
    TWindowContext* context_ = nullptr;
    TAggregatorSources sources_;
    std::unique_ptr<Road> road_;
};

} // namespace tvp
