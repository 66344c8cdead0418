#include "setup/TemplateManagement.h"

#include "core/protocol/Errors.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/results/tvpUtils.h"
#include "setup/GlobalParameterRequests.h"

#include <QLocale>

#include <algorithm>

namespace tvp {

// ---- interface keys ------------------------------------------------------------------------------

int uiInfoKeyNumber(const QString& key, const QString& prefix)
{
    if (!key.startsWith(prefix, Qt::CaseSensitive))
        return -1;
    const QStringView rest = QStringView(key).mid(prefix.size());
    if (rest.isEmpty())
        return -1;
    for (QChar c : rest)
        if (c < u'0' || c > u'9')
            return -1;
    bool ok = false;
    const int n = rest.toInt(&ok);
    // A number beyond the int range is no running number we could have written.
    return ok ? n : -1;
}

int getUIInfoFreeStartIndex(proto::DataRetrievalPortType& drs, const QString& prefix, int associatedId)
{
    proto::getUiInfos keys(1);
    keys[0].AssotiatedId = associatedId;
    int max = -1;
    for (const proto::UiInfoKeyValuePair& pair : drs.getUiInfos(keys)) {
        if (!pair.Key || pair.Key->AssotiatedId != associatedId)
            continue;
        if (pair.Key->Key.startsWith(prefix, Qt::CaseSensitive))
            max = std::max(max, uiInfoKeyNumber(pair.Key->Key, prefix));
    }
    return max + 1;
}

// ---- the export parameter table ------------------------------------------------------------------

QString exportParameterCaption(const QString& name, int cupId)
{
    if (cupId == 0)
        return name;
    const qsizetype at = name.lastIndexOf(QStringLiteral(" ("));
    // A name starting with " (" keeps it: there is nothing before the suffix.
    return at >= 1 ? name.left(at) : name;
}

std::vector<TExportParameterRow>
exportParameterRows(const QStringList& names, const std::function<std::optional<double>(const QString&)>& resolve,
                    int cupId, QStringList* unresolved)
{
    std::vector<TExportParameterRow> rows;
    for (const QString& name : names) {
        TExportParameterRow& row = rows.emplace_back();
        row.exportName = exportParameterCaption(name, cupId);
        std::optional<double> value = resolve ? resolve(name) : std::nullopt;
        if (!value && unresolved)
            unresolved->append(name);
        row.currentValue = formatParameterValue(value.value_or(0), QLocale());
        row.originalName = name;
    }
    return rows;
}

QString resolveParameter(const QString& name, const std::vector<TExportParameterRow>& rows)
{
    for (const TExportParameterRow& row : rows)
        if (row.originalName == name)
            return row.currentValue;
    return {};
}

QString resolveParameterForExport(const QString& name, const std::vector<TExportParameterRow>& rows)
{
    const QString text = resolveParameter(name, rows);
    if (text.isEmpty())
        return text;
    if (const std::optional<double> v = parseParameterValue(text, QLocale()))
        return QString::number(*v, 'g', 17);
    return QString(text).replace(QLocale().decimalPoint(), QStringLiteral("."));
}

proto::TExportParameters SaveGlobalParameters(const std::vector<TExportParameterRow>& rows)
{
    proto::TExportParameters out;
    for (const TExportParameterRow& row : rows) {
        if (!row.checked)
            continue;
        TExportGlobalParameter& p = out.Parameters.emplace_back();
        p.Name = row.exportName;
        p.DefaultValue = parseParameterValue(row.currentValue, QLocale()).value_or(0);
        p.OriginalName = row.originalName;
    }
    return out;
}

// ---- the import mapping --------------------------------------------------------------------------

void addToIdMap(int templateId, int serverId, TIdMap& map)
{
    map.emplace_back(templateId, serverId);
}

int mapID(int templateId, const TIdMap& map)
{
    for (const auto& [from, to] : map)
        if (from == templateId)
            return to;
    return 0;
}

QString TAbstractParameterMapping::map(const QString& name) const
{
    return QStringLiteral("$(") + mapParameterToAgg(name) + QStringLiteral(")");
}

void TAbstractParameterMapping::AddResAggs(std::vector<proto::ResultAggregatorInstanceType>& aggs, int parentId,
                                           const proto::TExportAggregatorTreeNodeType& node,
                                           std::vector<proto::setUiInfo>& uiInfos, const QString& labelPrefix,
                                           std::vector<TExternalLink>& links) const
{
    if (node.AggregatorInfo) {
        proto::ResultAggregatorInstanceType instance;
        instance.TemplateID = node.AggregatorInfo->TemplateID;
        instance.ID = node.ID;
        for (const QString& p : node.AggregatorInfo->Parameters)
            instance.Parameters.push_back(mapParameterToAgg(p));
        if (parentId != 0)
            instance.ConnectedAggregators.push_back(parentId);
        auto addInfo = [&](const QString& key, const QString& value) {
            proto::setUiInfo& info = uiInfos.emplace_back();
            info.Key = key;
            info.Value = value;
            info.AssotiatedId = node.ID;
        };
        if (!node.name.isEmpty())
            addInfo(QStringLiteral("Label"),
                    labelPrefix + ParseParamSubst(node.name, [this](const QString& key) { return map(key); }));
        if (node.VisAnalysis)
            addInfo(QStringLiteral("ResAgg_VisAnalysis"), QStringLiteral("true"));
        if (node.VisCertificate)
            addInfo(QStringLiteral("ResAgg_VisCertificate"), QStringLiteral("true"));
        for (const proto::TExternalReference& ref : node.externalConnections)
            links.push_back({node.ID, mapReferenceToAgg(ref.refLabel), ref.refLabel});
        aggs.push_back(std::move(instance));
    }
    for (const proto::TExportAggregatorTreeNodeType& child : node.OutputConnections) {
        auto known = std::find_if(aggs.begin(), aggs.end(), [&](const auto& a) { return a.ID == child.ID; });
        // Reached a second time: one more source of the node already listed.
        if (known != aggs.end())
            known->ConnectedAggregators.push_back(node.ID);
        else
            AddResAggs(aggs, node.ID, child, uiInfos, labelPrefix, links);
    }
}

TParameterMappingRows::TParameterMappingRows(Exists exists, Resolve resolve)
    : exists_(std::move(exists)), resolve_(std::move(resolve))
{
}

void TParameterMappingRows::loadParams(const std::vector<TExportGlobalParameter>& params)
{
    rows_.clear();
    for (const TExportGlobalParameter& p : params)
        rows_.push_back({p.Name, MapParameter(p.Name, p.DefaultValue)});
    RenderParameterMapping();
}

TParameterMapping TParameterMappingRows::MapParameter(const QString& name, double defaultValue) const
{
    TParameterMapping m;
    m.targetName = name;
    m.mapped = exists_ && exists_(name);
    m.value = defaultValue;
    if (m.mapped && resolve_)
        m.value = resolve_(name).value_or(defaultValue);
    return m;
}

void TParameterMappingRows::RenderParameterMapping()
{
    for (ParameterRow& row : rows_)
        if (row.mapping.mapped && resolve_)
            if (const std::optional<double> v = resolve_(row.mapping.targetName))
                row.mapping.value = *v;
}

QString TParameterMappingRows::mappingText(const TParameterMapping& mapping)
{
    return (mapping.mapped ? QStringLiteral("->") : QStringLiteral("Neu: ")) + mapping.targetName;
}

void TParameterMappingRows::mapToExisting(int row, const QString& name)
{
    TParameterMapping& m = rows_.at(std::size_t(row)).mapping;
    m.targetName = name;
    m.mapped = true;
    RenderParameterMapping();
}

void TParameterMappingRows::setNewName(int row, const QString& name)
{
    TParameterMapping& m = rows_.at(std::size_t(row)).mapping;
    m.targetName = name;
    m.mapped = false;
}

void TParameterMappingRows::setValue(int row, double value)
{
    rows_.at(std::size_t(row)).mapping.value = value;
}

void TParameterMappingRows::loadReferences(const proto::TExportAggregatorTreeNodeType* root)
{
    references_.clear();
    if (!root)
        return;
    std::function<void(const proto::TExportAggregatorTreeNodeType&)> walk =
        [&](const proto::TExportAggregatorTreeNodeType& node) {
            for (const proto::TExternalReference& ref : node.externalConnections) {
                const bool known = std::any_of(references_.begin(), references_.end(),
                                               [&](const ReferenceRow& r) { return r.caption == ref.refLabel; });
                if (!known)
                    references_.push_back({ref.refLabel, {node.ID, 0, {}}});
            }
            for (const auto& child : node.OutputConnections)
                walk(child);
        };
    walk(*root);
}

void TParameterMappingRows::assignReference(int row, int targetId, const QString& label)
{
    TExternalLink& link = references_.at(std::size_t(row)).link;
    link.TargetId = targetId;
    link.originalName = label;
}

void TParameterMappingRows::clearReference(int row)
{
    assignReference(row, 0, {});
}

QString TParameterMappingRows::referenceText(const ReferenceRow& row)
{
    if (row.link.TargetId == 0)
        return QStringLiteral("-");
    return row.link.originalName + QStringLiteral(" (") + QString::number(-row.link.TargetId) + QStringLiteral(")");
}

void TParameterMappingRows::AddNewGlobalParameters(std::vector<proto::GlobalParametersInfoType>& out) const
{
    for (const ParameterRow& row : rows_) {
        if (row.mapping.mapped)
            continue;
        proto::GlobalParametersInfoType& p = out.emplace_back();
        p.Key = row.mapping.targetName;
        p.Value = row.mapping.value;
    }
}

QString TParameterMappingRows::mapParameterToAgg(const QString& name) const
{
    for (const ParameterRow& row : rows_)
        if (row.caption == name)
            return row.mapping.targetName;
    return name;
}

int TParameterMappingRows::mapReferenceToAgg(const QString& name) const
{
    for (const ReferenceRow& row : references_)
        if (row.caption == name)
            return row.link.TargetId;
    return 0;
}

// ---- creation on the server ------------------------------------------------------------------

proto::assignResultAggregatorResponse1 assignResultAggregatorCreateUnmappedResAggs(
    std::vector<TReplacedParameter>* replaced, const QString& templateName, int competitionId,
    const std::vector<TExportGlobalParameter>& templateParams, proto::CompetitionManagementPortType& cms,
    proto::ResultAggregatorInstanceInfoType instance)
{
    QString candidate = QStringLiteral("0");
    const TExportGlobalParameter* templateParam = nullptr;
    // Names this loop renamed or created: the server naming one of them again would loop forever.
    QStringList created;
    for (;;) {
        try {
            return cms.assignResultAggregator(instance);
        } catch (const ETvExceptionDetail& e) {
            if (e.ExceptionID != kParameterNotResolvableError || e.ExceptionParameters.size() < 3)
                throw;
            const QString name = e.ExceptionParameters.at(2);
            if (name == candidate) {
                if (created.contains(candidate))
                    throw;
                created << candidate;
                proto::GlobalParametersInfoType p;
                p.Key = candidate;
                p.Value = templateParam ? templateParam->DefaultValue : 0;
                cms.setGlobalParameter(competitionId, {p});
                if (replaced)
                    replaced->push_back({templateName, candidate, p.Value});
                continue;
            }
            auto at = std::find(instance.Parameters.begin(), instance.Parameters.end(), name);
            if (at == instance.Parameters.end() || created.contains(name))
                throw;
            candidate = QStringLiteral("NEU_") + QString(templateName).replace(u'=', u'_') + u'_' + name;
            templateParam = nullptr;
            for (const TExportGlobalParameter& p : templateParams)
                if (p.Name == name) {
                    templateParam = &p;
                    break;
                }
            *at = candidate;
        }
    }
}

} // namespace tvp
