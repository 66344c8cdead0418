#include "setup/CompSetupCert.h"

#include <algorithm>

namespace tvp {

namespace {

// Equal keys keep the order in which the participants were listed.
template <class T, class Cmp>
void sortAscending(std::vector<T>& v, Cmp cmp)
{
    std::stable_sort(v.begin(), v.end(), [&](const T& a, const T& b) { return cmp(a, b) < 0; });
}

int wholeNumber(const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok ? v : 0;
}

struct TIdPrio {
    int ID;
    int Prio;
};

void appendIds(std::vector<int>& ids, std::vector<TIdPrio>& group)
{
    std::stable_sort(group.begin(), group.end(), [](const TIdPrio& a, const TIdPrio& b) { return a.Prio < b.Prio; });
    for (const TIdPrio& e : group)
        ids.push_back(e.ID);
}

} // namespace

int compareCertPrio(const TCertSortPrio& a, const TCertSortPrio& b)
{
    if (a.Prio != b.Prio)
        return a.Prio < b.Prio ? -1 : 1;
    return a.Listrank < b.Listrank ? -1 : (a.Listrank > b.Listrank ? 1 : 0);
}

int CompareCertOrderForAbstractTemplateType(const TParamAtt& a, const TParamAtt& b)
{
    return compareCertPrio(a.TemplateWrapper->getCertPriority(a.DiscParamID),
                           b.TemplateWrapper->getCertPriority(b.DiscParamID));
}

int CompareSortIndexForSortId(const TSortId& a, const TSortId& b)
{
    return a.SortIndex() < b.SortIndex() ? -1 : (a.SortIndex() > b.SortIndex() ? 1 : 0);
}

int CompareCertOrderForConnectionList(const TResEvalConnectionListItem& a, const TResEvalConnectionListItem& b)
{
    return compareCertPrio(*a.Prio, *b.Prio);
}

// ---- connection list -----------------------------------------------------------------------------

void TResEvalConnectionList::setPrioForID(int id, const TCertSortPrio* prio)
{
    auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& i) { return i.ID == id; });
    if (it == items_.end())
        items_.push_back({id, prio, {}});
    else if (compareCertPrio(*prio, *it->Prio) < 0)
        it->Prio = prio;
}

void TResEvalConnectionList::addIDChainForID(int id, const std::vector<int>& chain)
{
    for (auto& item : items_)
        if (item.ID == id)
            item.Chain.assign(chain.rbegin(), chain.rend());
}

std::vector<int> TResEvalConnectionList::getEffectiveIDChain() const
{
    auto sorted = items_;
    sortAscending(sorted, CompareCertOrderForConnectionList);
    std::vector<int> result;
    for (const auto& item : sorted)
        for (int id : item.Chain) {
            std::erase(result, id);
            result.push_back(id);
        }
    return result;
}

// ---- template wrappers ---------------------------------------------------------------------------

TCertSortPrio& TPresentationTemplate::getCertPriority(int id)
{
    return prios_[id];
}

void TPresentationTemplate::addAggPresentationPrio(int id, const QString& name, int prio, int sortIndex)
{
    for (auto& e : nodePrios_)
        if (e.DiscParamID == id && e.Name == name) {
            if (prio != 0)
                e.Prio = prio;
            if (sortIndex != 0)
                e.SortIndex = sortIndex;
            return;
        }
    nodePrios_.push_back({name, prio, sortIndex, id});
}

void TPresentationTemplate::clearAggPresentationPrio(int id)
{
    std::erase_if(nodePrios_, [&](const TStringPrioType& e) { return e.DiscParamID == id; });
}

int TPresentationTemplate::getAggPrio(int id, const QString& name, int def) const
{
    for (const auto& e : nodePrios_)
        if (e.DiscParamID == id && e.Name == name)
            return e.Prio != 0 ? e.Prio : def;
    return def;
}

int TPresentationTemplate::getAggSortIndex(int id, const QString& name, int def) const
{
    for (const auto& e : nodePrios_)
        if (e.DiscParamID == id && e.Name == name)
            return e.SortIndex != 0 ? e.SortIndex : def;
    return def;
}

const std::map<int, int>* TPresentationTemplate::getIDMap(int id) const
{
    auto it = idMaps_.find(id);
    return it == idMaps_.end() ? nullptr : &it->second;
}

int TPresentationTemplate::serverId(int id, int nodeId) const
{
    const auto* map = getIDMap(id);
    if (!map)
        return 0;
    auto it = map->find(nodeId);
    return it == map->end() ? 0 : it->second;
}

void TPresentationTemplate::getCertAggIds(int id, std::vector<int>& ids, std::span<const TTemplateNode> nodes)
{
    const int own = getCertPriority(id).Prio;
    std::vector<TIdPrio> lower, equal, higher;
    for (const TTemplateNode& node : nodes) {
        getCertAggIds(id, ids, node.OutputConnections);
        if (!node.VisCertificate)
            continue;
        const int server = serverId(id, node.ID);
        const int p = getAggPrio(id, node.name, own);
        // A node nothing was created for would only make the server refuse the collection.
        if (p < 0 || server == 0)
            continue;
        (p < own ? lower : p == own ? equal : higher).push_back({server, p});
    }
    appendIds(ids, lower);
    for (const TIdPrio& e : equal)
        ids.push_back(e.ID);
    appendIds(ids, higher);
}

void TPresentationTemplate::addSortIdAggs(std::vector<TSortId>& list, int id, std::span<const TTemplateNode> nodes)
{
    for (const TTemplateNode& node : nodes) {
        addSortIdAggs(list, id, node.OutputConnections);
        const int si = getAggSortIndex(id, node.name, getCertPriority(id).sortIndex);
        const int server = serverId(id, node.ID);
        if (si != 0 && server != 0)
            list.emplace_back(server, si);
    }
}

std::vector<int> TPresentationDiscTemplate::getResPresentationIds(int id)
{
    std::vector<int> ids;
    if (connections.isEmpty()) {
        getCertAggIds(id, ids, std::span(&aggRoot, 1));
    } else {
        std::vector<int> chain;
        collectionCertAggIDChain(chain, aggRoot);
        ids = connections.getEffectiveIDChain();
    }
    ids.push_back(GivenID);
    return ids;
}

void TPresentationDiscTemplate::addSortIds(std::vector<TSortId>& list, int id)
{
    addSortIdAggs(list, id, std::span(&aggRoot, 1));
    if (const int si = getCertPriority(0).sortIndex; si != 0)
        list.emplace_back(GivenID, si);
}

void TPresentationDiscTemplate::collectionCertAggIDChain(std::vector<int>& chain, const TTemplateNode& node)
{
    for (const TTemplateNode& c : node.OutputConnections) {
        const size_t before = chain.size();
        if (c.VisCertificate && getAggPrio(0, c.name, getCertPriority(0).Prio) >= 0)
            if (const int server = serverId(0, c.ID); server != 0)
                chain.push_back(server);
        collectionCertAggIDChain(chain, c);
        connections.addIDChainForID(c.ID, chain);
        chain.resize(before);
    }
}

std::vector<int> TPresentationResultsTemplate::getResPresentationIds(int id)
{
    std::vector<int> ids;
    getCertAggIds(id, ids, topLevelItems);
    return ids;
}

void TPresentationResultsTemplate::addSortIds(std::vector<TSortId>& list, int id)
{
    addSortIdAggs(list, id, topLevelItems);
}

// ---- presentations -------------------------------------------------------------------------------

namespace {

void addParticipant(std::vector<TParamAtt>& list, int id, TPresentationTemplate* w)
{
    // Two overall scorings naming the same intermediate would list its nodes twice.
    for (const TParamAtt& p : list)
        if (p.DiscParamID == id && p.TemplateWrapper == w)
            return;
    list.push_back({id, w});
}

void addIntermediates(const TPresentationAgeClass& ageClass, const TResultEvaluationRef& ref,
                      const TPresentationDiscTemplate& disc, std::vector<TParamAtt>& list, int rank,
                      std::vector<const TResultEvaluationRef*>& path)
{
    // A type whose intermediates name each other in a circle must not recurse for ever.
    if (std::find(path.begin(), path.end(), &ref) != path.end())
        return;
    path.push_back(&ref);
    for (const TIntermediateResultRef& inter : ref.IntermediateResultTemplates) {
        auto it = std::find_if(
            ageClass.loadedResEvals.begin(), ageClass.loadedResEvals.end(),
            [&](const TPresentationResultsTemplate* w) { return w->getDisplayName() == inter.templateName; });
        if (it != ageClass.loadedResEvals.end() && (*it)->isDiscRegisteredAsIntermediateParam(disc.GivenID)) {
            (*it)->setCertPriorityListrank(disc.GivenID, rank);
            addParticipant(list, disc.GivenID, *it);
        }
        if (inter.resolved)
            addIntermediates(ageClass, *inter.resolved, disc, list, rank, path);
    }
    path.pop_back();
}

} // namespace

void addIntermediatesToATTList(const TPresentationAgeClass& ageClass, const TResultEvaluationRef& ref,
                               const TPresentationDiscTemplate& disc, std::vector<TParamAtt>& list, int rank)
{
    std::vector<const TResultEvaluationRef*> path;
    addIntermediates(ageClass, ref, disc, list, rank, path);
}

void fillAbstractTemplateTypeWithOrderIndices(const TResultPresentationDef& pres, std::vector<TParamAtt>& list,
                                              const TPresentationAgeClass& ageClass)
{
    for (const TParamAtt& p : list) {
        p.TemplateWrapper->getCertPriority(p.DiscParamID).Prio = pres.DefaultPrio;
        p.TemplateWrapper->clearAggPresentationPrio(p.DiscParamID);
    }
    for (const TPresentationPriority& prio : pres.Priorities) {
        const int orderIndex = wholeNumber(prio.OrderIndex);
        const int sortIndex = wholeNumber(prio.SortIndex);
        for (const TPriorityTarget& target : prio.targets)
            for (const TParamAtt& p : list) {
                TPresentationTemplate* w = p.TemplateWrapper;
                if (w->kind() != target.kind)
                    continue;
                if (target.templateName != QLatin1String("*")) {
                    auto ref = ageClass.refNames.find(w);
                    if (ref == ageClass.refNames.end() || ref->second != target.templateName)
                        continue;
                }
                if (target.ResultProviderNames.isEmpty()) {
                    TCertSortPrio& cp = w->getCertPriority(p.DiscParamID);
                    if (orderIndex != 0)
                        cp.Prio = orderIndex;
                    if (sortIndex != 0)
                        cp.sortIndex = sortIndex;
                } else {
                    for (const QString& name : target.ResultProviderNames)
                        w->addAggPresentationPrio(p.DiscParamID, name, orderIndex, sortIndex);
                }
            }
    }
}

std::vector<int> getResPrsAggsIds(std::vector<TParamAtt> list)
{
    sortAscending(list, CompareCertOrderForAbstractTemplateType);
    std::vector<int> ids;
    for (const TParamAtt& p : list)
        for (int id : p.TemplateWrapper->getResPresentationIds(p.DiscParamID))
            ids.push_back(id);
    return ids;
}

std::vector<int> getResPresSortIds(const std::vector<TParamAtt>& list)
{
    std::vector<TSortId> sortIds;
    for (const TParamAtt& p : list)
        p.TemplateWrapper->addSortIds(sortIds, p.DiscParamID);
    sortAscending(sortIds, CompareSortIndexForSortId);
    std::vector<int> ids;
    ids.reserve(sortIds.size());
    for (const TSortId& s : sortIds)
        ids.push_back(s.ID());
    return ids;
}

std::vector<TPresentationOrder> makeResultPresentations(const TPresentationAgeClass& ageClass,
                                                        const std::vector<TPresentationDiscTemplate*>& discs,
                                                        const std::vector<TPresentationResultsTemplate*>& resEvals)
{
    const int n = int(resEvals.size());
    std::vector<TPresentationOrder> out;
    for (const TResultPresentationDef& pres : ageClass.presentations) {
        std::vector<TParamAtt> list;
        for (int k = 0; k < n; ++k) {
            list.push_back({0, resEvals[k]});
            resEvals[k]->setCertPriorityListrank(0, k);
        }
        for (int b = 0; b < int(discs.size()); ++b) {
            TPresentationDiscTemplate* d = discs[b];
            for (int s = 0; s < n; ++s) {
                auto ref = ageClass.resEvalRefs.find(resEvals[s]);
                if (ref != ageClass.resEvalRefs.end() && ref->second)
                    addIntermediatesToATTList(ageClass, *ref->second, *d, list, (n + 1) * (b + 1) + s);
            }
            d->setCertPriorityListrank(0, (n + 1) * (b + 2) - 1);
            list.push_back({0, d});
        }
        fillAbstractTemplateTypeWithOrderIndices(pres, list, ageClass);
        TPresentationOrder order;
        order.collection.Name = pres.Name;
        order.collection.AggIds = getResPrsAggsIds(list);
        order.sortIds = getResPresSortIds(list);
        out.push_back(std::move(order));
    }
    return out;
}

std::vector<int> storeResultPresentations(proto::UiStorePortType& uis, int competitionId,
                                          const std::vector<TPresentationOrder>& orders)
{
    std::vector<int> ids;
    for (const TPresentationOrder& order : orders) {
        const auto stored = uis.storeAggregatorCollection(
            competitionId, 0, proto::Owned<proto::AggregatorCollectionInfoType>(order.collection));
        const int id = stored.newAggregatorCollection ? stored.newAggregatorCollection->Id : 0;
        uis.modifyAggregatorCollectionSortOrder(id, order.sortIds);
        ids.push_back(id);
    }
    return ids;
}

} // namespace tvp
