#include "scoring/AggregatorSourceList.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"

namespace tvp {

TAggregatorSourceListModel::TAggregatorSourceListModel(TRequestContext& context, QObject* window,
                                                       TDisciplineLookup disciplineLookup)
    : context_(context), window_(window), sources_(std::move(disciplineLookup))
{
    road_ = std::make_unique<Road>(context_, sourceRequests(), window,
                                   [this](std::unique_ptr<TSourcesResponse> r, const TRequestOutcome& o) {
                                       guarded([&] { Finished(std::move(r), o); });
                                   });
}

TAggregatorSourceListModel::~TAggregatorSourceListModel()
{
    // Gone first: an answer arriving later finds nobody.
    road_.reset();
}

int TAggregatorSourceListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : sources_.count();
}

int TAggregatorSourceListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant TAggregatorSourceListModel::data(const QModelIndex& index, int role) const
{
    const TSourceRow* row = index.isValid() ? sources_.row(index.row()) : nullptr;
    if (!row)
        return {};
    if (role == Qt::DisplayRole)
        return index.column() == 0 ? TAggregatorSources::caption(*row) : TAggregatorSources::origin(*row);
    if (role == Qt::UserRole)
        return row->Id;
    return {};
}

QVariant TAggregatorSourceListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0: return QStringLiteral("Name");
    case 1: return QStringLiteral("Disziplin/Wertungsknoten");
    default: return {};
    }
}

void TAggregatorSourceListModel::addItem(int id, bool resolve)
{
    if (sources_.indexOf(id) >= 0)
        return;
    const int row = sources_.count();
    beginInsertRows({}, row, row);
    sources_.add(id);
    endInsertRows();
    if (resolve)
        UpdateInfos();
}

void TAggregatorSourceListModel::Clear()
{
    beginResetModel();
    sources_.clear();
    endResetModel();
}

void TAggregatorSourceListModel::RemoveItem(int index)
{
    if (!sources_.row(index))
        return;
    beginRemoveRows({}, index, index);
    sources_.remove(index);
    endRemoveRows();
}

void TAggregatorSourceListModel::DetachToAggTree()
{
    Clear();
    sources_.attach(nullptr);
}

void TAggregatorSourceListModel::UpdateInfos()
{
    TAggregatorSources::TServerWork work = sources_.resolve();
    renderAll();
    for (int id : work.externalDiscs)
        queue(TSourceRequestType::rt_getExternalDiscs, id);
    if (!work.labelKeys.empty())
        queue(TSourceRequestType::rt_getLabels, 0, std::move(work.labelKeys));
}

void TAggregatorSourceListModel::queue(TSourceRequestType type, int id, std::vector<proto::UiInfoKey> keys)
{
    auto r = std::make_unique<TSourcesRequest>();
    r->reqType = type;
    r->ID = id;
    r->UiKeys = std::move(keys);
    road_->AddRequest(std::move(r), TTransactionMode::tm_None);
}

void TAggregatorSourceListModel::renderAll()
{
    if (sources_.count() > 0)
        emit dataChanged(index(0, 0), index(sources_.count() - 1, 1), {Qt::DisplayRole});
}

void TAggregatorSourceListModel::Finished(std::unique_ptr<TSourcesResponse> response, const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        if (outcome.errorId == kNotAnAggregatorError && response) {
            sources_.applyNotAnAggregator(response->Id);
            renderAll();
            return;
        }
        const QString caption = failureCaption(outcome, road_->requestName(outcome.command));
        context_.messages().AddException(outcome.errorId, outcome.parameters, outcome.error, caption, window_.data());
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
                                          context_.competition().getCompetitionId(false));
        break;
    }
    renderAll();
}

} // namespace tvp
