#include "scoring/AggregatorTreeModel.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace tvp {

namespace {

constexpr int kColumnWidth = 150;
constexpr int kRowHeight = 65;
constexpr int kTop = 5;
constexpr int kLeft = 10;
constexpr QRgb kWhite = 0xFFFFFF;

// Delphi's Format("%.2f") and friends write the user's decimal separator.
QString formatNumber(double value, int decimals)
{
    return QLocale().toString(value, 'f', decimals);
}

} // namespace

QRgb getOverlayColor(QRgb color, QRgb overlay, float factor)
{
    const double f = factor;
    const auto blend = [f](int c, int o) { return int(std::nearbyint((1.0 - f) * c + f * o)); };
    return qRgb(blend(qRed(color), qRed(overlay)), blend(qGreen(color), qGreen(overlay)),
                blend(qBlue(color), qBlue(overlay))) &
           0xFFFFFF;
}

// ---- TAggregatorNode -----------------------------------------------------------------------------

TAggregatorNode::TAggregatorNode(TAggregatorTreeModel& tree, const proto::AggregatorTreeNodeType& record,
                                 QPoint topLeft)
    : FAggTree(tree), FId(record.ID), topLeft_(topLeft)
{
    if (record.AggregatorInfo) {
        FaggregatorInfo = std::make_unique<proto::ResultAggregatorInstanceType>(*record.AggregatorInfo);
        if (FaggregatorInfo->Cup)
            FCupId = FaggregatorInfo->Cup->CupID;
    }
    updateInfos();
}

const proto::ResultAggregatorTemplateType* TAggregatorNode::TemplateInfo() const
{
    // Looked up each time: the window's template list may have been loaded anew meanwhile.
    return FaggregatorInfo ? FAggTree.lookupTemplate(FaggregatorInfo->TemplateID) : nullptr;
}

TAggregatorTree* TAggregatorNode::parentAggregatorTree() const
{
    return &FAggTree;
}

TAggregatorType TAggregatorNode::getType() const
{
    if (Ftype == TAggregatorType::ag_Unknown)
        const_cast<TAggregatorNode*>(this)->setTypeColor();
    return Ftype;
}

std::vector<TUiAggregator*> TAggregatorNode::getParents() const
{
    std::vector<TUiAggregator*> parents;
    for (const auto& n : FAggTree.FAggregators)
        if (std::any_of(n->Connections.begin(), n->Connections.end(),
                        [this](const TAggregatorNode* c) { return c->FId == FId; }))
            parents.push_back(n.get());
    return parents;
}

void TAggregatorNode::markForDelete()
{
    markedForDelete_ = true;
    changed();
}

void TAggregatorNode::setTypeColor()
{
    Ftype = FAggTree.getAggregatorType(FaggregatorInfo.get());
    // Nodes shown in the analysis are drawn at full strength, the others paler.
    const float factor = FInfos.FVisAnalysis == TBool::bTrue ? 0.0f : 0.3f;
    switch (Ftype) {
    case TAggregatorType::ag_DiscInternal: FColor = getOverlayColor(qRgb(224, 224, 32), kWhite, factor); break;
    case TAggregatorType::ag_ExtRef: FColor = getOverlayColor(qRgb(32, 224, 224), kWhite, factor); break;
    case TAggregatorType::ag_CupRef: FColor = getOverlayColor(qRgb(128, 224, 128), kWhite, factor); break;
    case TAggregatorType::ag_Unknown: FColor = kSilver; break;
    }
    markedForDelete_ = false;
    changed();
}

QString TAggregatorNode::getParsedName() const
{
    return ParseParamSubst(getName(), [this](const QString& key) { return map(key); });
}

QString TAggregatorNode::getTemplateName() const
{
    const proto::ResultAggregatorTemplateType* t = TemplateInfo();
    return t ? t->Name : QString();
}

QString TAggregatorNode::getDisplayName() const
{
    if (!getName().isEmpty())
        return getName();
    const QString templateName = getTemplateName();
    if (!templateName.isEmpty())
        return templateName;
    const TDisciplineInfo* disc = FAggTree.CurDiscInfo();
    if (disc && disc->id == FId)
        return QStringLiteral("Ergebnisse ") + disc->name;
    return {};
}

std::optional<double> TAggregatorNode::resolveParam(int index) const
{
    if (!FaggregatorInfo || index < 0 || index >= int(FaggregatorInfo->Parameters.size()))
        return std::nullopt;
    const QString& text = FaggregatorInfo->Parameters[std::size_t(index)];
    QString local = text;
    local.replace(QLatin1Char('.'), QLocale().decimalPoint());
    bool ok = false;
    const double value = QLocale().toDouble(local, &ok);
    if (ok)
        return value;
    return FAggTree.resolveParameter(text, FCupId);
}

QString TAggregatorNode::map(const QString& key) const
{
    bool isInt = false;
    int n = key.toInt(&isInt);
    if (!isInt)
        n = -1;
    const int count = FaggregatorInfo ? int(FaggregatorInfo->Parameters.size()) : 0;
    const std::optional<double> value =
        n >= 1 && n <= count ? resolveParam(n - 1) : FAggTree.resolveParameter(key, FCupId);
    if (!value)
        return QStringLiteral("?");
    return formatNumber(*value, std::nearbyint(*value) == *value ? 0 : 2);
}

void TAggregatorNode::setInfos(const QString& label)
{
    FInfos.FName = label;
    updateInfos();
    changed();
}

void TAggregatorNode::setVisAnalysis(bool marked)
{
    FInfos.FVisAnalysis = marked ? TBool::bTrue : TBool::bFalse;
    setTypeColor();
}

void TAggregatorNode::setVisCertificate(bool marked)
{
    FInfos.FVisCertificate = marked ? TBool::bTrue : TBool::bFalse;
    setTypeColor();
}

void TAggregatorNode::setSelected(bool selected)
{
    FSelected = selected;
    changed();
}

void TAggregatorNode::setOpened(bool opened)
{
    FOpened = opened;
    changed();
}

bool TAggregatorNode::hasResultsOutputConnectionLabel(const QString& label) const
{
    return FResultOutputConnectionsLabels.contains(label, Qt::CaseSensitive);
}

void TAggregatorNode::updateInfos()
{
    lines_.clear();
    if (!FaggregatorInfo) {
        lines_ << (getName().isEmpty() ? getDisplayName() : getParsedName());
        return;
    }
    if (!getName().isEmpty())
        lines_ << getParsedName();
    const proto::ResultAggregatorTemplateType* t = TemplateInfo();
    if (!t)
        return;
    lines_ << t->Name;
    if (FaggregatorInfo->Parameters.size() != t->ParameterTypes.size()) {
        lines_ << QStringLiteral("Fehler beim Laden der Parameter. Template passt nicht zur Instanz");
        return;
    }
    for (std::size_t i = 0; i < t->ParameterTypes.size(); ++i) {
        const std::optional<double> value = resolveParam(int(i));
        lines_ << t->ParameterTypes[i].Name + QLatin1Char('=') +
                      (value ? formatNumber(*value, 2) : QStringLiteral("?"));
    }
}

void TAggregatorNode::changed()
{
    FAggTree.nodeChanged(*this);
}

// ---- TAggregatorTreeModel ------------------------------------------------------------------------

TAggregatorTreeModel::TAggregatorTreeModel(const std::vector<proto::AggregatorTreeNodeType>& roots,
                                           std::vector<int> localIds, TTemplateLookup templateLookup,
                                           const TDisciplineInfo* discInfo, TParameterResolver resolver)
    : FlocalIds(std::move(localIds)),
      FCurDiscInfo(discInfo ? *discInfo : TDisciplineInfo{}),
      GetTemplateById(std::move(templateLookup)),
      resolver_(std::move(resolver))
{
    int right = kLeft;
    FUiRootNodes = addTree(kLeft, right, 0, roots);
    setTypeColors();
}

TAggregatorTreeModel::~TAggregatorTreeModel() = default;

std::vector<TAggregatorNode*> TAggregatorTreeModel::addTree(int left, int& right, int depth,
                                                            const std::vector<proto::AggregatorTreeNodeType>& records)
{
    // Children first, so that each node sits centred above the columns of the nodes it introduced;
    // a node met again under another parent keeps its first place and takes no column.
    std::vector<TAggregatorNode*> result(records.size(), nullptr);
    right = left;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const proto::AggregatorTreeNodeType& record = records[i];
        if (TAggregatorNode* existing = findNode(record.ID)) {
            result[i] = existing;
            continue;
        }
        int childRight = 0;
        const std::vector<TAggregatorNode*> children = addTree(right, childRight, depth + 1, record.OutputConnections);
        // The same id may have been laid out further down this very record (a hostile answer).
        if (TAggregatorNode* existing = findNode(record.ID)) {
            result[i] = existing;
            right = std::max(right, childRight);
            continue;
        }
        const int x = (right + childRight - TAggregatorNode::kBoxWidth + 10) / 2;
        auto node = std::make_unique<TAggregatorNode>(*this, record, QPoint(x, kRowHeight * depth + kTop));
        for (TAggregatorNode* child : children)
            if (child)
                node->AddConnection(child);
        result[i] = node.get();
        FAggregators.push_back(std::move(node));
        right = std::max(right, childRight);
    }
    if (right == left)
        right = left + kColumnWidth;
    return result;
}

void TAggregatorTreeModel::setTypeColors()
{
    for (const auto& n : FAggregators)
        n->setTypeColor();
}

TAggregatorNode* TAggregatorTreeModel::findNode(int id) const
{
    for (const auto& n : FAggregators)
        if (n->FId == id)
            return n.get();
    return nullptr;
}

TUiAggregator* TAggregatorTreeModel::getAggregator(int index) const
{
    return FAggregators.at(std::size_t(index)).get();
}

TUiAggregator* TAggregatorTreeModel::getSelected() const
{
    for (const auto& n : FAggregators)
        if (n->FSelected)
            return n.get();
    return nullptr;
}

void TAggregatorTreeModel::ClearSelection()
{
    for (const auto& n : FAggregators)
        if (n->FSelected)
            n->setSelected(false);
}

void TAggregatorTreeModel::setSelected(TUiAggregator* node)
{
    ClearSelection();
    if (auto* n = dynamic_cast<TAggregatorNode*>(node))
        n->setSelected(true);
}

void TAggregatorTreeModel::resetOpenedItems()
{
    for (const auto& n : FAggregators)
        if (n->FOpened)
            n->setOpened(false);
}

void TAggregatorTreeModel::setOpenedItem(TUiAggregator* node)
{
    resetOpenedItems();
    if (auto* n = dynamic_cast<TAggregatorNode*>(node))
        n->setOpened(true);
}

TUiAggregator* TAggregatorTreeModel::setLabelsToAggTree(const std::vector<proto::UiInfoKeyValuePair>& pairs, int id)
{
    static const QString topLevel = QStringLiteral("ResultsTopLevelConnection");
    static const QString output = QStringLiteral("ResultsOutputConnections");
    TAggregatorNode* result = nullptr;
    for (const proto::UiInfoKeyValuePair& pair : pairs) {
        if (!pair.Key)
            continue;
        TAggregatorNode* n = findNode(pair.Key->AssotiatedId);
        if (!n)
            continue;
        const QString& key = pair.Key->Key;
        if (key == uiInfoKeys::Label) {
            n->setInfos(pair.Value);
        } else if (key == uiInfoKeys::ResAggVisAnalysis) {
            if (pair.Value == QLatin1String("true") || pair.Value.isEmpty())
                n->setVisAnalysis(!pair.Value.isEmpty());
        } else if (key == uiInfoKeys::ResAggVisCertificate) {
            if (pair.Value == QLatin1String("true") || pair.Value.isEmpty())
                n->setVisCertificate(!pair.Value.isEmpty());
        } else if (key.startsWith(topLevel)) {
            n->addResultConnectionLabel(pair.Value);
        } else if (key.startsWith(output) && !pair.Value.isEmpty()) {
            n->addResultsOutputConnectionLabel(pair.Value);
        }
        if (n->FId == id)
            result = n;
    }
    return result;
}

std::vector<TUiAggregator*> TAggregatorTreeModel::getResultConnections(const QString& label) const
{
    std::vector<TUiAggregator*> out;
    for (const auto& n : FAggregators)
        if (n->FResultConnectionLabels.contains(label, Qt::CaseInsensitive))
            out.push_back(n.get());
    return out;
}

std::vector<TUiAggregator*> TAggregatorTreeModel::getResultOutputConnections(const QString& label) const
{
    std::vector<TUiAggregator*> out;
    for (const auto& n : FAggregators)
        if (n->hasResultsOutputConnectionLabel(label))
            out.push_back(n.get());
    return out;
}

TAggregatorType TAggregatorTreeModel::getAggregatorType(const proto::ResultAggregatorInstanceType* instance) const
{
    if (!instance)
        return TAggregatorType::ag_Unknown;
    if (instance->Cup)
        return TAggregatorType::ag_CupRef;
    // Sources that are being worked out (a cycle in a hostile answer) count as outside.
    static thread_local std::vector<const proto::ResultAggregatorInstanceType*> working;
    if (std::find(working.begin(), working.end(), instance) != working.end())
        return TAggregatorType::ag_ExtRef;
    working.push_back(instance);
    TAggregatorType type = TAggregatorType::ag_DiscInternal;
    for (int id : instance->ConnectedAggregators) {
        if (inLocalList(id))
            continue;
        const TAggregatorNode* source = findNode(id);
        if (!source || !source->FaggregatorInfo ||
            std::find(working.begin(), working.end(), source->FaggregatorInfo.get()) != working.end() ||
            source->getType() != TAggregatorType::ag_DiscInternal) {
            type = TAggregatorType::ag_ExtRef;
            break;
        }
    }
    working.pop_back();
    return type;
}

bool TAggregatorTreeModel::inLocalList(int id) const
{
    return std::find(FlocalIds.begin(), FlocalIds.end(), id) != FlocalIds.end();
}

void TAggregatorTreeModel::Clear()
{
    FUiRootNodes.clear();
    FAggregators.clear();
    treeChanged();
}

std::vector<TAggregatorLine> TAggregatorTreeModel::lines() const
{
    std::vector<TAggregatorLine> out;
    for (const auto& n : FAggregators) {
        const QRect from = n->box();
        for (const TAggregatorNode* c : n->Connections) {
            const QRect to = c->box();
            out.push_back({QPoint(from.left() + from.width() / 2, from.top() + from.height()),
                           QPoint(to.left() + to.width() / 2, to.top())});
        }
    }
    return out;
}

QSize TAggregatorTreeModel::extent() const
{
    int width = 0;
    int height = 0;
    for (const auto& n : FAggregators) {
        width = std::max(width, n->box().left() + n->box().width() + kLeft);
        height = std::max(height, n->box().top() + n->box().height() + kTop);
    }
    return {width, height};
}

const proto::ResultAggregatorTemplateType* TAggregatorTreeModel::lookupTemplate(int id) const
{
    return GetTemplateById ? GetTemplateById(id) : nullptr;
}

std::optional<double> TAggregatorTreeModel::resolveParameter(const QString& name, int cupId) const
{
    return resolver_ ? resolver_(name, cupId) : std::nullopt;
}

// ---- the template export ---------------------------------------------------------------------

proto::TExportAggregatorTreeNodeType TAggregatorNode::getTree(const std::vector<TExportGlobalParameter>& params,
                                                              const std::vector<proto::TExternalReference>& extRefs,
                                                              int& refCounter, bool internalOnly,
                                                              const std::vector<const TUiAggregator*>* only,
                                                              const TParamNameResolver& resolver) const
{
    proto::TExportAggregatorTreeNodeType out;
    out.ID = FId;
    for (const TAggregatorNode* c : Connections) {
        if (internalOnly && c->getType() != TAggregatorType::ag_DiscInternal)
            continue;
        if (only && std::find(only->begin(), only->end(), c) == only->end())
            continue;
        out.OutputConnections.push_back(c->getTree(params, extRefs, refCounter, internalOnly, only, resolver));
    }
    if (FaggregatorInfo) {
        proto::ResultAggregatorInstanceType& info = out.AggregatorInfo.ensure();
        info.TemplateID = FaggregatorInfo->TemplateID;
        const QString separator = QLocale().decimalPoint();
        for (const QString& p : FaggregatorInfo->Parameters) {
            if (isNumber(p)) {
                info.Parameters.push_back(QString(p).replace(separator, QStringLiteral(".")));
                continue;
            }
            auto kept = std::find_if(params.begin(), params.end(),
                                     [&](const TExportGlobalParameter& g) { return g.OriginalName == p; });
            if (kept != params.end()) {
                info.Parameters.push_back(kept->Name);
                continue;
            }
            const QString value = resolver ? resolver(p) : QString();
            if (value.isEmpty())
                throw EParameterExportError(unresolvableParameterText(p));
            info.Parameters.push_back(QString(value).replace(separator, QStringLiteral(".")));
        }
    }
    writeUiInfos(out);
    for (const proto::TExternalReference& ref : extRefs)
        if (ref.id == FId)
            out.externalConnections.push_back({++refCounter, ref.refLabel});
    return out;
}

void TAggregatorNode::writeUiInfos(proto::TExportAggregatorTreeNodeType& node) const
{
    node.name = FInfos.FName;
    node.VisAnalysis = FInfos.FVisAnalysis == TBool::bTrue;
    node.VisCertificate = FInfos.FVisCertificate == TBool::bTrue;
}

std::vector<proto::TExternalReference> TAggregatorNode::getExternalReferences() const
{
    std::vector<proto::TExternalReference> refs;
    for (const TAggregatorNode* c : Connections)
        if (c->getType() == TAggregatorType::ag_ExtRef)
            refs.push_back({c->ID(), c->getDisplayName()});
    return refs;
}

void TAggregatorNode::addParameters(QStringList& names) const
{
    if (!FaggregatorInfo)
        return;
    for (const QString& p : FaggregatorInfo->Parameters)
        if (!isNumber(p) && !contains(names, p))
            names << p;
}

void TAggregatorNode::addInternalParameters(QStringList& names) const
{
    addParameters(names);
    for (const TAggregatorNode* c : Connections)
        if (c->getType() == TAggregatorType::ag_DiscInternal)
            c->addInternalParameters(names);
}

QStringList TAggregatorTreeModel::getLocalUsedParams() const
{
    QStringList names;
    for (const TAggregatorNode* root : FUiRootNodes)
        root->addInternalParameters(names);
    return names;
}

std::vector<proto::TExportAggregatorTreeNodeType>
TAggregatorTreeModel::exportLocalAggs(const std::vector<TExportGlobalParameter>& params,
                                      const std::vector<proto::TExternalReference>& extRefs,
                                      const TParamNameResolver& resolver) const
{
    std::vector<proto::TExportAggregatorTreeNodeType> roots;
    int refCounter = 0;
    for (const TAggregatorNode* root : FUiRootNodes)
        roots.push_back(root->getTree(params, extRefs, refCounter, true, nullptr, resolver));
    return roots;
}

} // namespace tvp
