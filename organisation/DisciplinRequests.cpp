#include "organisation/DisciplinRequests.h"

#include "core/protocol/Errors.h"
#include "core/results/tvpUtils.h"

#include <QLocale>

#include <algorithm>
#include <map>

namespace tvp {

namespace {

using enum TDisciplinRequestType;

// ---- worker functions -----------------------------------------------------------------------------

void setResultKindInfos(TServicePorts& ports, const TDisciplinRequest& request, int discId)
{
    const TDisciplineInfo& info = request.disciplinInfo;
    if (request.writeResultType)
        ports.cms().setUiInfo(uiInfoKeys::DisciplinResultType, ResultValueTypeToUIInfo(info.resultType), discId);
    if (request.writeResultFormat && info.resultFormat != TResultformat::rf_Unknown)
        ports.cms().setUiInfo(uiInfoKeys::DisciplinResultFormat, resultFormatToUIInfo(info.resultFormat), discId);
}

void setAggUiInfos(TServicePorts& ports, const TDisciplinRequest& request, int aggId)
{
    if (request.setName)
        ports.cms().setUiInfo(uiInfoKeys::Label, request.UiInfos.FName, aggId);
    const auto mark = [&](const QLatin1String& key, TBool value) {
        if (value != TBool::bNotSet)
            ports.cms().setUiInfo(key, value == TBool::bTrue ? QStringLiteral("true") : QString(), aggId);
    };
    mark(uiInfoKeys::ResAggVisAnalysis, request.UiInfos.FVisAnalysis);
    mark(uiInfoKeys::ResAggVisCertificate, request.UiInfos.FVisCertificate);
}

void loadList(TServicePorts& ports, const TDisciplinRequest&, TDisciplinResponse& response)
{
    const int competition = ports.competitionId();
    response.ageClasses = ports.drs().getAgeClasses(competition, nullptr);
    const proto::getDisciplinesResponse1 disciplines = ports.drs().getDisciplines(competition, nullptr, 0);
    proto::getUiInfos keys;
    for (const proto::DisciplinType& d : disciplines)
        for (const QLatin1String& key :
             {uiInfoKeys::DisciplinResultType, uiInfoKeys::DisciplinResultFormat, uiInfoKeys::DisciplinHeightList})
            keys.push_back(makeUiInfoKey(key, d.DisciplinID));
    const proto::getUiInfosResponse1 answer =
        keys.empty() ? proto::getUiInfosResponse1{} : ports.drs().getUiInfos(keys);
    response.discinfos = discListFromAnswer(disciplines, answer);
}

void loadTree(TServicePorts& ports, const TDisciplinRequest& request, TDisciplinResponse& response)
{
    response.discId = request.discId;
    response.selectAggregatorId = request.selectAggregatorId;
    response.aggregatorTree = ports.drs().getResultAggregatorTree(request.discId, 0);
}

void loadTemplates(TServicePorts& ports, const TDisciplinRequest&, TDisciplinResponse& response)
{
    response.templates = ports.drs().getResultAggregators(ports.competitionId(), nullptr, nullptr);
}

void createDisciplin(TServicePorts& ports, const TDisciplinRequest& request, TDisciplinResponse& response)
{
    const proto::createDisciplinResponse created =
        ports.cms().createDisciplin(disciplinSettings(request.disciplinInfo), ports.competitionId());
    if (!created.Disciplin)
        throw TvpError(QStringLiteral("Der Server hat die angelegte Disziplin nicht genannt."));
    response.discId = created.Disciplin->DisciplinID;
    setResultKindInfos(ports, request, response.discId);
}

void modifyDisciplin(TServicePorts& ports, const TDisciplinRequest& request, TDisciplinResponse& response)
{
    // Kept before the server is asked: a refusal is asked about and sent again from these.
    response.discId = request.discId;
    response.disciplinInfo = request.disciplinInfo;
    response.resultTypeChanged = request.resultTypeChanged;
    response.writeResultType = request.writeResultType;
    response.writeResultFormat = request.writeResultFormat;
    const TDisciplinForce& f = request.force;
    // An unchanged result kind may always be "changed".
    const bool changeResultType = !request.resultTypeChanged || f.forceChangeResultType;
    response.modifyWarning = ports.cms().modifyDisciplin(request.discId, disciplinSettings(request.disciplinInfo),
                                                         f.forceModify, f.forceAgeClass, f.forceReassignResults,
                                                         f.forceRemoveAssignedResults, changeResultType);
    setResultKindInfos(ports, request, request.discId);
}

void nothing(TServicePorts&, const TDisciplinRequest&, TDisciplinResponse&)
{
}

void assignAggregator(TServicePorts& ports, const TDisciplinRequest& request, TDisciplinResponse& response)
{
    response.discId = request.discId;
    const proto::assignResultAggregatorResponse1 created = ports.cms().assignResultAggregator(request.aggInfo);
    if (!created.CreatedResultAggregator)
        throw TvpError(QStringLiteral("Der Server hat den angelegten Ergebnis-Aggregator nicht genannt."));
    response.aggId = created.CreatedResultAggregator->ID;
    setAggUiInfos(ports, request, response.aggId);
}

void loadLabels(TServicePorts& ports, const TDisciplinRequest& request, TDisciplinResponse& response)
{
    response.labelValues = ports.drs().getUiInfos(request.labelKeys);
}

void modifyAggregator(TServicePorts& ports, const TDisciplinRequest& request, TDisciplinResponse& response)
{
    response.aggId = request.aggId;
    response.discId = request.discId;
    response.modifyResAggWarning = ports.cms().modifyAssignedResultAggregator(request.aggId, request.aggInfo);
    setAggUiInfos(ports, request, request.aggId);
}

void removeAggregators(TServicePorts& ports, const TDisciplinRequest& request, TDisciplinResponse&)
{
    // The last of the list first: the nodes above go before the nodes they draw on.
    for (auto id = request.removeList.rbegin(); id != request.removeList.rend(); ++id)
        ports.cms().removeResultAggregator(*id, false);
}

void removeDisciplin(TServicePorts& ports, const TDisciplinRequest& request, TDisciplinResponse& response)
{
    response.discId = request.discId;
    response.forced = request.force;
    ports.cms().removeDisciplin(request.discId, request.force.forceDelete, request.force.forceDeleteScheduleItem);
}

// The response's force set is the request's, for every code.
template <void (*Run)(TServicePorts&, const TDisciplinRequest&, TDisciplinResponse&)>
void withForce(TServicePorts& ports, const TDisciplinRequest& request, TDisciplinResponse& response)
{
    response.forced = request.force;
    Run(ports, request, response);
}

} // namespace

const TRequestTable<TDisciplinRequest, TDisciplinResponse>& disciplinRequests()
{
    static const TRequestTable<TDisciplinRequest, TDisciplinResponse> table{{
        {rt_get, QStringLiteral("Disziplinliste laden"), &withForce<loadList>},
        {rt_getAggTree, QStringLiteral("Ergebnisbaum laden"), &withForce<loadTree>},
        {rt_getTemplates, QStringLiteral("Vorlagen laden (Ergebnis-Aggregatoren)"), &withForce<loadTemplates>},
        {rt_create, QStringLiteral("Disziplin anlegen"), &withForce<createDisciplin>},
        {rt_modify, QStringLiteral("Disziplindaten ändern"), &withForce<modifyDisciplin>},
        {rt_delete, QStringLiteral("Disziplin löschen"), &withForce<nothing>},
        {rt_assignAggregator, QStringLiteral("Ergebnis-Aggregator anlegen"), &withForce<assignAggregator>},
        {rt_getLabels, QStringLiteral("Namen laden (Ergebnis-Aggregatoren)"), &withForce<loadLabels>},
        {rt_modifyResAgg, QStringLiteral("Ergebnis-Aggregatordaten ändern"), &withForce<modifyAggregator>},
        {rt_removeResAgg, QStringLiteral("Ergebnis-Aggregator entfernen"), &withForce<removeAggregators>},
        {rt_remove, QStringLiteral("Disziplin entfernen"), &withForce<removeDisciplin>},
        {rt_templateExport, QStringLiteral("Vorlage exportieren"), &withForce<loadList>},
        {rt_getAggTreeExportTemplate, QStringLiteral("Vorlage exportieren"), &withForce<loadTree>},
        {rt_getLabelsExportTemplate, QStringLiteral("Vorlage exportieren"), &withForce<loadLabels>},
    }};
    return table;
}

TTransactionMode disciplinRequestMode(TDisciplinRequestType type)
{
    switch (type) {
    case rt_get:
    case rt_templateExport: return TTransactionMode::tm_readonly;
    case rt_create:
    case rt_modify:
    case rt_assignAggregator:
    case rt_modifyResAgg:
    case rt_removeResAgg: return TTransactionMode::tm_readwrite;
    default: return TTransactionMode::tm_None;
    }
}

// ---- result kinds ----------------------------------------------------------------------------------

const QStringList& resultKindItems()
{
    static const QStringList items{QStringLiteral("Weite"),
                                   QStringLiteral("Zeit"),
                                   QStringLiteral("Rang"),
                                   QStringLiteral("Punkte"),
                                   QStringLiteral("Höhe"),
                                   QStringLiteral("Zielpunkte"),
                                   QStringLiteral("Zielpunkte sammeln")};
    return items;
}

int resultKindIndex(proto::ResultValueType type, TResultformat format)
{
    using proto::ResultValueType;
    if (type == ResultValueType::Time)
        return 1;
    if (type == ResultValueType::Rank)
        return 2;
    if (type != ResultValueType::Distance)
        return 0;
    switch (format) {
    case TResultformat::rf_Points: return 3;
    case TResultformat::rf_Height: return 4;
    case TResultformat::rf_TargetPoints: return 5;
    case TResultformat::rf_TargetPointCollection: return 6;
    default: return 0;
    }
}

proto::ResultValueType resultTypeOfIndex(int index)
{
    switch (index) {
    case 1: return proto::ResultValueType::Time;
    case 2: return proto::ResultValueType::Rank;
    default: return proto::ResultValueType::Distance;
    }
}

TResultformat getResultFormatfromComboboxSelection(int index)
{
    switch (index) {
    case 3: return TResultformat::rf_Points;
    case 4: return TResultformat::rf_Height;
    case 5: return TResultformat::rf_TargetPoints;
    case 6: return TResultformat::rf_TargetPointCollection;
    default: return TResultformat::rf_Default;
    }
}

std::vector<TDiscListEntry> discListFromAnswer(const std::vector<proto::DisciplinType>& disciplines,
                                               const std::vector<proto::UiInfoKeyValuePair>& answer)
{
    // The first answer for a key and id counts.
    std::map<std::pair<QString, int>, QString> values;
    for (const proto::UiInfoKeyValuePair& pair : answer)
        if (pair.Key)
            values.emplace(std::make_pair(pair.Key->Key, pair.Key->AssotiatedId), pair.Value);
    const auto valueOf = [&values](const QLatin1String& key, int id) -> const QString* {
        const auto it = values.find({QString(key), id});
        return it == values.end() ? nullptr : &it->second;
    };

    std::vector<TDiscListEntry> list;
    list.reserve(disciplines.size());
    for (const proto::DisciplinType& d : disciplines) {
        TDiscListEntry& e = list.emplace_back();
        e.info = TDisciplineInfo::CreateFromDisc(d);
        e.info.resultType = proto::ResultValueType::Info; // not known yet
        if (const QString* type = valueOf(uiInfoKeys::DisciplinResultType, d.DisciplinID)) {
            e.info.resultType = UIInfoToResultValueType(*type);
            e.resultTypeLoaded = true;
        }
        if (const QString* format = valueOf(uiInfoKeys::DisciplinResultFormat, d.DisciplinID)) {
            e.info.resultFormat = uiInfoStringToResultFormat(*format);
            e.resultFormatLoaded = true;
        }
        if (const QString* heights = valueOf(uiInfoKeys::DisciplinHeightList, d.DisciplinID))
            e.info.heightList = *heights;
    }
    return list;
}

proto::DisciplinInfoType disciplinSettings(const TDisciplineInfo& info)
{
    proto::DisciplinInfoType s;
    s.Name = info.name;
    s.ResultAssignment = info.assignmentType;
    s.AgeClassID = info.ageClassId;
    s.SquadAssignment = info.squadAssignment;
    s.maxParticipantsPerHeat = info.maxParticipantsPerHeat;
    proto::ResultTableType& table = s.ResultTableType.ensure();
    table.Team = info.isTeam;
    table.ResultsPerRow = info.attempts;
    return s;
}

bool discSettingsDiffer(const TDisciplineInfo& editor, const TDisciplineInfo& stored)
{
    return editor.name != stored.name || editor.attempts != stored.attempts ||
           editor.maxParticipantsPerHeat != stored.maxParticipantsPerHeat || editor.isTeam != stored.isTeam ||
           resultKindIndex(editor.resultType, editor.resultFormat) !=
               resultKindIndex(stored.resultType, stored.resultFormat) ||
           editor.assignmentType != stored.assignmentType || editor.ageClassId != stored.ageClassId ||
           editor.squadAssignment != stored.squadAssignment;
}

// ---- scoring nodes ---------------------------------------------------------------------------------

std::vector<proto::UiInfoKey> aggregatorLabelKeys(const TAggregatorTree& tree)
{
    const int discId = tree.CurDiscInfo() ? tree.CurDiscInfo()->id : 0;
    std::vector<proto::UiInfoKey> keys;
    for (int i = 0; i < tree.getAggregatorCount(); ++i) {
        const int id = tree.getAggregator(i)->ID();
        keys.push_back(makeUiInfoKey(uiInfoKeys::Label, id));
        keys.push_back(makeUiInfoKey(QString(), id));
        if (id != discId) {
            keys.push_back(makeUiInfoKey(uiInfoKeys::ResAggVisAnalysis, id));
            keys.push_back(makeUiInfoKey(uiInfoKeys::ResAggVisCertificate, id));
        }
    }
    return keys;
}

std::optional<QString> aggregatorParameterValue(const QString& text,
                                                const std::function<bool(const QString& name)>& paramExists)
{
    const QLocale locale;
    QString local = text;
    local.replace(QLatin1Char('.'), locale.decimalPoint());
    bool ok = false;
    const double value = locale.toDouble(local, &ok);
    if (ok)
        return QString::number(value, 'g', 15);
    if (paramExists && paramExists(text))
        return text;
    return std::nullopt;
}

TAggRequestBuild CreateAggregatorRequestCurrentLoaded(const TAggEditorState& editor, const TAggUiInfos& loaded,
                                                      bool isNew,
                                                      const std::function<bool(const QString& name)>& paramExists)
{
    TAggRequestBuild out;
    if (!editor.selectedTemplate) {
        out.error = QStringLiteral("Bitte einen Aggregator-Typ auswählen");
        return out;
    }
    auto r = std::make_unique<TDisciplinRequest>();
    r->aggInfo.TemplateID = editor.selectedTemplate->ID;
    for (std::size_t i = 0; i < editor.selectedTemplate->ParameterTypes.size(); ++i) {
        const QString cell = i < std::size_t(editor.values.size()) ? editor.values[qsizetype(i)] : QString();
        const std::optional<QString> value = aggregatorParameterValue(cell, paramExists);
        if (!value) {
            out.error = QStringLiteral("Parameter %1 hat ein ungültiges Format.").arg(i + 1);
            return out;
        }
        r->aggInfo.Parameters.push_back(*value);
    }
    r->setName = false;
    r->UiInfos = {{}, TBool::bNotSet, TBool::bNotSet};
    if (editor.nameEnabled && (isNew ? !editor.name.isEmpty() : editor.name != loaded.FName)) {
        r->setName = true;
        r->UiInfos.FName = editor.name;
    }
    const auto mark = [isNew](bool checked, TBool stored) {
        if (isNew || checked != (stored == TBool::bTrue))
            return checked ? TBool::bTrue : TBool::bFalse;
        return TBool::bNotSet;
    };
    if (editor.visAnalysisEnabled)
        r->UiInfos.FVisAnalysis = mark(editor.visAnalysis, loaded.FVisAnalysis);
    if (editor.visCertificateEnabled)
        r->UiInfos.FVisCertificate = mark(editor.visCertificate, loaded.FVisCertificate);
    out.request = std::move(r);
    return out;
}

bool aggItemChanged(const TAggEditorState& editor, const TUiAggregator* node)
{
    if (!editor.selectedTemplate)
        return node != nullptr;
    if (!node || !node->AggregatorInfo())
        return true;
    const proto::ResultAggregatorInstanceType& info = *node->AggregatorInfo();
    if (info.TemplateID != editor.selectedTemplate->ID)
        return true;
    if (editor.visAnalysis != (node->VisAnalysis() == TBool::bTrue) ||
        editor.visCertificate != (node->VisCertificate() == TBool::bTrue))
        return true;
    if (editor.name != node->getName())
        return true;
    if (std::size_t(editor.values.size()) < info.Parameters.size())
        return true;
    for (std::size_t i = 0; i < info.Parameters.size(); ++i)
        if (editor.values[qsizetype(i)] != info.Parameters[i])
            return true;
    return editor.sources != info.ConnectedAggregators;
}

// ---- walks over the scoring tree -------------------------------------------------------------------

namespace {

int discIdOf(const TUiAggregator& node)
{
    const TAggregatorTree* tree = node.parentAggregatorTree();
    return tree && tree->CurDiscInfo() ? tree->CurDiscInfo()->id : 0;
}

const std::vector<int>& sourcesOf(const TUiAggregator& node)
{
    static const std::vector<int> none;
    return node.AggregatorInfo() ? node.AggregatorInfo()->ConnectedAggregators : none;
}

bool withinExportSet(const TUiAggregator& parent, const TUiAggregator& node, TSelectType walk)
{
    switch (walk) {
    case TSelectType::st_ResEval: return parent.getType() == TAggregatorType::ag_ExtRef;
    case TSelectType::st_Cup:
        return parent.getType() == TAggregatorType::ag_CupRef &&
               !isConnectedToDifferentCompetitions(node, node.getParents());
    case TSelectType::st_SingleConnection: break;
    }
    return false;
}

} // namespace

bool isWithinParents(int id, const std::vector<TUiAggregator*>& parents)
{
    return std::any_of(parents.begin(), parents.end(), [id](const TUiAggregator* p) { return p->ID() == id; });
}

bool isConnectedToDifferentCompetitions(const TUiAggregator& node, const std::vector<TUiAggregator*>& parents)
{
    const std::vector<int>& sources = sourcesOf(node);
    return std::any_of(sources.begin(), sources.end(), [&](int id) { return !isWithinParents(id, parents); });
}

void selectRecursive(TUiAggregator* node, std::vector<TUiAggregator*>& list, TSelectType walk)
{
    if (!node || node->ID() == discIdOf(*node))
        return;
    if (std::find(list.begin(), list.end(), node) != list.end())
        return; // already collected, and so already walked (also ends a cycle)
    list.push_back(node);
    const TAggregatorTree* tree = node->parentAggregatorTree();
    if (!tree)
        return;
    for (int i = 0; i < tree->getAggregatorCount(); ++i) {
        TUiAggregator* n = tree->getAggregator(i);
        const std::vector<int>& sources = sourcesOf(*n);
        for (int source : sources) {
            if (source != node->ID())
                continue;
            bool follow = false;
            switch (walk) {
            case TSelectType::st_SingleConnection: follow = sources.size() == 1; break;
            case TSelectType::st_ResEval: follow = n->getType() == TAggregatorType::ag_ExtRef; break;
            case TSelectType::st_Cup:
                follow = n->getType() == TAggregatorType::ag_CupRef &&
                         !isConnectedToDifferentCompetitions(*n, n->getParents());
                break;
            }
            if (follow)
                selectRecursive(n, list, walk);
        }
    }
}

void getExportConnections(TUiAggregator* node, std::vector<TUiAggregator*>& list, TSelectType walk)
{
    // Walked up while the nodes above belong to the export; a cycle in a hostile tree ends at a
    // node met before.
    std::vector<TUiAggregator*> seen;
    std::function<void(TUiAggregator*)> walkUp = [&](TUiAggregator* n) {
        if (std::find(seen.begin(), seen.end(), n) != seen.end())
            return;
        seen.push_back(n);
        for (TUiAggregator* parent : n->getParents()) {
            if (withinExportSet(*parent, *n, walk))
                walkUp(parent);
            else if (std::find(list.begin(), list.end(), n) == list.end())
                list.push_back(n);
        }
    };
    walkUp(node);
}

} // namespace tvp
