// The creation of an age class with its chosen templates, run by the competition creation on its
// worker inside one transaction: whatever fails here rolls back the whole competition.

#include "core/connection/ServicePorts.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/results/tvpUtils.h"
#include "setup/CompetitionTypeSections.h"
#include "setup/TemplateFiles.h"

#include <algorithm>

namespace tvp {

namespace {

std::map<int, int> idMapOf(const TIdMap& ids)
{
    std::map<int, int> out;
    for (const auto& [templateId, serverId] : ids)
        out.emplace(templateId, serverId);
    return out;
}

int serverIdOf(const std::map<int, int>* map, int nodeId)
{
    if (!map)
        return 0;
    auto it = map->find(nodeId);
    return it == map->end() ? 0 : it->second;
}

bool hasRefLabel(const TTemplateNode& node, const QString& label)
{
    return std::any_of(node.externalConnections.begin(), node.externalConnections.end(),
                       [&](const proto::TExternalReference& r) { return r.refLabel == label; });
}

// Parents before their children, as the creation connects them.
void collectByRefLabel(const TTemplateNode& node, const QString& label, std::vector<const TTemplateNode*>& out)
{
    if (hasRefLabel(node, label))
        out.push_back(&node);
    for (const TTemplateNode& child : node.OutputConnections)
        collectByRefLabel(child, label, out);
}

void addConnections(std::vector<TTopLevelConnections>& all, const TTemplateNode& top, const std::vector<int>& ids)
{
    if (ids.empty())
        return;
    for (TTopLevelConnections& c : all)
        if (c.topLevelId == top.ID) {
            c.connections.insert(c.connections.end(), ids.begin(), ids.end());
            return;
        }
    all.push_back({top.ID, ids, top.name});
}

// Server ids of the discipline's nodes feeding that input; each is registered with the scoring's
// priority on the discipline's connection list.
std::vector<int> getAggIDsByRefLabelAndSetResEvalPrio(TDisciplineTemplateWrapper& disc, const QString& label,
                                                      const TCertSortPrio* prio)
{
    std::vector<int> ids;
    if (!disc.templ().aggRoot)
        return ids;
    std::vector<const TTemplateNode*> nodes;
    collectByRefLabel(*disc.templ().aggRoot, label, nodes);
    const std::map<int, int>* map = disc.cert().getIDMap(0);
    for (const TTemplateNode* node : nodes) {
        if (const int id = serverIdOf(map, node->ID)) {
            ids.push_back(id);
            disc.cert().connections.setPrioForID(node->ID, prio);
        }
    }
    return ids;
}

// Server ids of the nodes of the intermediate scoring made for disc that feed that input.
std::vector<int> getAggIDsByRefLabel(const TResEvalTemplateWrapper& inter, const TDisciplineTemplateWrapper& disc,
                                     const QString& label)
{
    std::vector<int> ids;
    if (!inter.templ().topLevelItems)
        return ids;
    std::vector<const TTemplateNode*> nodes;
    for (const TTemplateNode& top : inter.templ().topLevelItems->Aggregators)
        collectByRefLabel(top, label, nodes);
    const std::map<int, int>* map = const_cast<TResEvalTemplateWrapper&>(inter).cert().getIDMap(disc.GivenID);
    for (const TTemplateNode* node : nodes)
        if (const int id = serverIdOf(map, node->ID))
            ids.push_back(id);
    return ids;
}

} // namespace

bool TDisciplineTemplateWrapper::isTeam() const
{
    return templ_.DisciplinInfo && templ_.DisciplinInfo->ResultTableType && templ_.DisciplinInfo->ResultTableType->Team;
}

int TDisciplineTemplateWrapper::createDiscipline(const QString& ageClassName, int ageClassId, int competitionId,
                                                 const CTT_DisciplineType* reference,
                                                 proto::CompetitionManagementPortType& cms,
                                                 std::vector<TReplacedParameter>* replaced)
{
    cert_.connections.Clear();
    const TCompTypeParameterMapping mapping(reference);
    const proto::DisciplinInfoType* info = templ_.DisciplinInfo ? &*templ_.DisciplinInfo : nullptr;
    const std::unique_ptr<TDiscImportRequest> request =
        discImportRequest(templ_, mapping, {}, replaceAgeClassNameOnStart(ageClassName, getDisplayName()), ageClassId,
                          info ? info->SquadAssignment : proto::SquadAssignmentType::teamDistributed,
                          info ? info->maxParticipantsPerHeat : 0, competitionId);
    const std::vector<TExportGlobalParameter> noParams;
    const TDiscImportResponse response =
        createDisciplineFromTemplate(cms, *request, replaced, templ_.params ? templ_.params->Parameters : noParams);
    GivenID = response.discId;
    cert_.GivenID = GivenID;
    cert_.DisplayName = getDisplayName();
    if (templ_.aggRoot && cert_.aggRoot.ID != templ_.aggRoot->ID)
        cert_.aggRoot = *templ_.aggRoot;
    cert_.setIdMap(0, idMapOf(response.IDMap));
    return GivenID;
}

// One overall scoring's creation with its intermediate scorings.
struct TResEvalCreationRun {
    CTT_AgeClassType& ageClass;
    proto::CompetitionManagementPortType& cms;
    std::vector<TReplacedParameter>* replaced;
    int competitionId;
    // References whose creation is under way: a type whose intermediates name each other in a
    // circle would otherwise recurse until the stack runs out.
    std::vector<const CTT_ResultEvaluationType*> chain;
};

void TResEvalTemplateWrapper::createResEval(const std::vector<std::shared_ptr<TDisciplineTemplateWrapper>>& discs,
                                            int competitionId, CTT_ResultEvaluationType* reference,
                                            CTT_AgeClassType& ageClass, proto::CompetitionManagementPortType& cms,
                                            int paramId, std::vector<TReplacedParameter>* replaced)
{
    TResEvalCreationRun run{ageClass, cms, replaced, competitionId, {}};
    createIn(run, discs, reference, paramId);
}

void TResEvalTemplateWrapper::createIn(TResEvalCreationRun& run,
                                       const std::vector<std::shared_ptr<TDisciplineTemplateWrapper>>& discs,
                                       CTT_ResultEvaluationType* reference, int paramId)
{
    if (reference) {
        if (std::find(run.chain.begin(), run.chain.end(), reference) != run.chain.end())
            throw TvpError(QStringLiteral("Zwischenwertung \"%1\" verweist auf sich selbst.").arg(getDisplayName()));
        run.chain.push_back(reference);
    }
    try {
        createOne(run, discs, reference, paramId);
    } catch (...) {
        if (reference)
            run.chain.pop_back();
        throw;
    }
    if (reference)
        run.chain.pop_back();
}

void TResEvalTemplateWrapper::createOne(TResEvalCreationRun& run,
                                        const std::vector<std::shared_ptr<TDisciplineTemplateWrapper>>& discs,
                                        CTT_ResultEvaluationType* reference, int paramId)
{
    CTT_AgeClassType& ageClass = run.ageClass;
    std::vector<TTopLevelConnections> connections;
    const std::vector<TTemplateNode> none;
    const std::vector<TTemplateNode>& tops = templ_.topLevelItems ? templ_.topLevelItems->Aggregators : none;
    if (cert_.topLevelItems.size() != tops.size())
        cert_.topLevelItems = tops;

    if (reference) {
        for (CTT_IntermediateResultTemplate& inter : reference->IntermediateResultTemplates) {
            TResEvalTemplateWrapper* found = nullptr;
            for (const auto& loaded : ageClass.loadedResEvals())
                if (loaded->getDisplayName() == inter.templateName) {
                    found = loaded.get();
                    break;
                }
            if (!found)
                throw TvpError(QStringLiteral("Zwischenwertung \"%1\" nicht gefunden").arg(inter.templateName));
            inter.setResultEvaluation(ageClass.getCTTResEval(*found));
            for (const auto& d : discs) {
                try {
                    found->createIn(run, {d}, inter.getResultEvaluation(), d->GivenID);
                } catch (const ENoFittingDisciplineException&) {
                    continue; // that discipline gets no intermediate scoring
                }
                if (inter.getResultEvaluation())
                    for (const TTemplateNode& t : tops)
                        addConnections(connections, t, getAggIDsByRefLabel(*found, *d, t.name));
            }
        }
    }

    const TCertSortPrio* prio = &cert_.getCertPriority(paramId);
    for (const TTemplateNode& t : tops)
        for (const auto& d : discs)
            if (!reference || !reference->isInExcludedInputs(d->getDisplayName()))
                addConnections(connections, t, getAggIDsByRefLabelAndSetResEvalPrio(*d, t.name, prio));

    TResImportRequest request;
    request.reqType = TImportRequestType::rt_import;
    request.displayName = ageClass.Name + QLatin1Char(' ') + getDisplayName();
    request.templateName = getDisplayName();
    request.competitionID = run.competitionId;
    request.topLevelConnections = std::move(connections);
    if (request.topLevelConnections.empty())
        throw ENoFittingDisciplineException(
            QStringLiteral("Keine passenden Disziplinen für die Gesamtwertung \"%1\" gefunden.").arg(getDisplayName()));
    const TCompTypeParameterMapping mapping(reference);
    for (const TTemplateNode& t : tops)
        mapping.AddResAggs(request.aggs, 0, t, request.UIInfos, ageClass.Name + QLatin1Char(' '),
                           request.externalLinks);
    const std::vector<TExportGlobalParameter> noParams;
    const TResImportResponse response =
        createResFromTemplate(run.cms, request, run.replaced, templ_.params ? templ_.params->Parameters : noParams);
    cert_.DisplayName = getDisplayName();
    cert_.setIdMap(paramId, idMapOf(response.IDMap));
}

int CTT_AgeClassType::createAgeClass(int competitionId, TServicePorts& ports, double billingPricePerTeam,
                                     std::vector<TReplacedParameter>* replaced)
{
    proto::CompetitionManagementPortType& cms = ports.cms();
    // Every section is read before the first call, so a broken one sends nothing.
    CTT_Disciplines& discSection = getDisciplines();
    CTT_ResultEvaluations& resSection = getResEvals();
    getResultPresentations();

    proto::AgeClassInfoType info;
    info.Name = Name;
    info.BillingPricePerTeam = billingPricePerTeam;
    info.MinTeamMembers = MinTeamMembers;
    info.MaxTeamMembers = MaxTeamMembers;
    info.MinMembersPerGender = MinMembersPerGender;
    info.MaleMembersLessThan = MaleMembersLessThan;
    info.FemaleMembersLessThan = FemaleMembersLessThan;
    const proto::createAgeClassResponse1 created = cms.createAgeClass(info, competitionId);
    if (!created.AgeClass)
        throw TvpError(QStringLiteral("Der Server hat die neue Altersklasse nicht zurückgegeben."));
    const int ageClassId = created.AgeClass->AgeClassID;

    // A run that failed before leaves id maps of ids the rolled-back server may hand out again.
    for (const auto& w : loadedResEvals_)
        w->cert().clearIdMaps();
    for (const auto& w : selectedResEvals_)
        w->cert().clearIdMaps();

    for (const CTT_GlobalParameter& p : discSection.GlobalParameters())
        p.CreateGlobalParameter(competitionId, cms);
    for (const auto& d : selectedDiscs_)
        d->createDiscipline(Name, ageClassId, competitionId, getCTTDisc(*d), cms, replaced);
    for (const CTT_GlobalParameter& p : resSection.GlobalParameters())
        p.CreateGlobalParameter(competitionId, cms);
    for (const auto& r : selectedResEvals_)
        r->createResEval(selectedDiscs_, competitionId, getCTTResEval(*r), *this, cms, 0, replaced);
    createResultPresentations(competitionId, ports.uis());
    return ageClassId;
}

std::vector<int> CTT_AgeClassType::createResultPresentations(int competitionId, proto::UiStorePortType& uis)
{
    TPresentationAgeClass ageClass;
    for (const CTT_ResultPresentationType& p : getResultPresentations().items())
        ageClass.presentations.push_back(p.definition());

    // The references in the form the ordering reads; intermediates point into the same set.
    std::map<const CTT_ResultEvaluationType*, std::unique_ptr<TResultEvaluationRef>> refs;
    std::function<const TResultEvaluationRef*(const CTT_ResultEvaluationType*)> refOf =
        [&](const CTT_ResultEvaluationType* ref) -> const TResultEvaluationRef* {
        if (!ref)
            return nullptr;
        auto it = refs.find(ref);
        if (it != refs.end())
            return it->second.get();
        TResultEvaluationRef* made = (refs[ref] = std::make_unique<TResultEvaluationRef>()).get();
        made->Name = ref->Name;
        for (const CTT_IntermediateResultTemplate& inter : ref->IntermediateResultTemplates)
            made->IntermediateResultTemplates.push_back({inter.templateName, nullptr});
        for (std::size_t i = 0; i < ref->IntermediateResultTemplates.size(); ++i)
            made->IntermediateResultTemplates[i].resolved =
                refOf(ref->IntermediateResultTemplates[i].getResultEvaluation());
        return made;
    };

    auto results = [&](const ResEvalList& list, std::vector<TPresentationResultsTemplate*>& into) {
        for (const auto& w : list) {
            w->cert().DisplayName = w->getDisplayName();
            into.push_back(&w->cert());
            if (CTT_ResultEvaluationType* ref = getCTTResEval(*w)) {
                ageClass.refNames[&w->cert()] = ref->Name;
                ageClass.resEvalRefs[&w->cert()] = refOf(ref);
            }
        }
    };
    results(loadedResEvals_, ageClass.loadedResEvals);
    std::vector<TPresentationResultsTemplate*> resEvals;
    results(selectedResEvals_, resEvals);
    std::vector<TPresentationDiscTemplate*> discs;
    for (const auto& d : selectedDiscs_) {
        d->cert().DisplayName = d->getDisplayName();
        discs.push_back(&d->cert());
        if (CTT_DisciplineType* ref = getCTTDisc(*d))
            ageClass.refNames[&d->cert()] = ref->Name;
    }
    return storeResultPresentations(uis, competitionId, makeResultPresentations(ageClass, discs, resEvals));
}

} // namespace tvp
