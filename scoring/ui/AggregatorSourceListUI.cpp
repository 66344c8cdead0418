#include "scoring/ui/AggregatorSourceListUI.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowContext.h"

#include <QTreeWidget>

namespace tvp {

namespace {

// The form the list sits in, the sender of its messages.
TTVPForm* owningForm(QWidget* w)
{
    for (; w; w = w->parentWidget())
        if (auto* form = qobject_cast<TTVPForm*>(w))
            return form;
    return nullptr;
}

} // namespace

TAggregatorSourceListUI::TAggregatorSourceListUI(QTreeWidget* listView, TDisciplineLookup disciplineLookup)
    : FListView(listView), sources_(std::move(disciplineLookup))
{
    TTVPForm* form = owningForm(listView);
    FParentForm = form;
    context_ = form ? &form->context() : &programContext();
    road_ = std::make_unique<Road>(*context_, sourceRequests(), form,
                                   [this](std::unique_ptr<TSourcesResponse> r, const TRequestOutcome& o) {
                                       guarded([&] { Finished(std::move(r), o); });
                                   });
}

TAggregatorSourceListUI::~TAggregatorSourceListUI()
{
    // Gone first: an answer arriving later finds nobody.
    road_.reset();
}

void TAggregatorSourceListUI::addItem(int id, bool resolve)
{
    if (!sources_.add(id))
        return;
    if (FListView)
        FListView->addTopLevelItem(new QTreeWidgetItem);
    if (resolve)
        UpdateInfos();
    else
        RenderItem(sources_.count() - 1);
}

void TAggregatorSourceListUI::Clear()
{
    sources_.clear();
    if (FListView)
        FListView->clear();
}

void TAggregatorSourceListUI::RemoveItem(int index)
{
    if (!sources_.row(index))
        return;
    sources_.remove(index);
    if (FListView)
        delete FListView->takeTopLevelItem(index);
}

void TAggregatorSourceListUI::DetachToAggTree()
{
    Clear();
    sources_.attach(nullptr);
}

void TAggregatorSourceListUI::UpdateInfos()
{
    TAggregatorSources::TServerWork work = sources_.resolve();
    renderAll();
    for (int id : work.externalDiscs)
        queue(TSourceRequestType::rt_getExternalDiscs, id);
    if (!work.labelKeys.empty())
        queue(TSourceRequestType::rt_getLabels, 0, std::move(work.labelKeys));
}

void TAggregatorSourceListUI::queue(TSourceRequestType type, int id, std::vector<proto::UiInfoKey> keys)
{
    auto r = std::make_unique<TSourcesRequest>();
    r->reqType = type;
    r->ID = id;
    r->UiKeys = std::move(keys);
    road_->AddRequest(std::move(r), TTransactionMode::tm_None);
}

void TAggregatorSourceListUI::RenderItem(int index)
{
    const TSourceRow* row = sources_.row(index);
    if (!FListView || !row)
        return;
    QTreeWidgetItem* item = FListView->topLevelItem(index);
    if (!item)
        return;
    item->setText(0, TAggregatorSources::caption(*row));
    item->setText(1, TAggregatorSources::origin(*row));
    item->setData(0, Qt::UserRole, row->Id);
}

void TAggregatorSourceListUI::renderAll()
{
    for (int i = 0; i < sources_.count(); ++i)
        RenderItem(i);
}

void TAggregatorSourceListUI::Finished(std::unique_ptr<TSourcesResponse> response, const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        if (outcome.errorId == 21 && response) {
            sources_.applyNotAnAggregator(response->Id);
            renderAll();
            return;
        }
        const QString caption = response ? road_->requestName(outcome.command) : QStringLiteral("Kommunikationsfehler");
        context_->messages().AddException(outcome.errorId, outcome.parameters, outcome.error, caption,
                                          FParentForm.data());
        return;
    }
    switch (response->reqType) {
    case TSourceRequestType::rt_getLabels:
        for (int id : sources_.applyLabels(response->UiValues))
            queue(TSourceRequestType::rt_getAggInfo, id);
        break;
    case TSourceRequestType::rt_getAggInfo:
        if (response->reqAggTemplate.ResultAggregator)
            sources_.applyTemplateName(response->Id, response->reqAggTemplate.ResultAggregator->Name);
        break;
    case TSourceRequestType::rt_getExternalDiscs:
        sources_.applyExternalDisciplines(response->Id, response->tlDiscs,
                                          context_->competition().getCompetitionId(false));
        break;
    }
    renderAll();
}

} // namespace tvp
