#include "setup/CompetitionTypeSections.h"

#include "core/connection/ServicePorts.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/results/tvpUtils.h"
#include "setup/TemplateFiles.h"

#include <QDir>
#include <QLocale>

#include <cmath>

namespace tvp {

namespace {

std::vector<TXMLConditionalNode> childrenNamed(const TXMLConditionalNode& node, const QString& name)
{
    std::vector<TXMLConditionalNode> found;
    for (const TXMLConditionalNode& child : node.childNodes())
        if (child.nodeType() == pugi::node_element && child.localName() == name)
            found.push_back(child);
    return found;
}

// Optional children: the view's not-found error means absence.
std::optional<TXMLConditionalNode> optionalChild(const TXMLConditionalNode& node, const QString& name)
{
    try {
        return node.childNode(name);
    } catch (const ENodeNotFound&) {
        return std::nullopt;
    }
}

QString requiredAttribute(const TXMLConditionalNode& node, const char* name)
{
    std::optional<QString> value = node.attribute(QLatin1String(name));
    if (!value)
        throw ECompetitionTypeError(
            QStringLiteral("Attribut %1 fehlt in %2.").arg(QLatin1String(name), node.localName()));
    return *value;
}

QString optionalText(const TXMLConditionalNode& node, const char* name)
{
    const std::optional<TXMLConditionalNode> child = optionalChild(node, QLatin1String(name));
    return child ? child->text() : QString();
}

std::vector<std::unique_ptr<TConstraintExpression>> constraintsOf(const TXMLConditionalNode& node)
{
    std::vector<std::unique_ptr<TConstraintExpression>> constraints;
    for (const TXMLConditionalNode& c : childrenNamed(node, QStringLiteral("constraint")))
        constraints.push_back(std::make_unique<TConstraintExpression>(c));
    return constraints;
}

// Both "." and the UI's separator are taken.
std::optional<double> numberOf(QString text)
{
    text = text.trimmed();
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1)
        text.replace(point.front(), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> wholeNumber(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

TPathProperty text(const QString& value)
{
    return {TPathKind::Text, 0, value, nullptr, 0};
}

TPathProperty integer(qint64 value)
{
    return {TPathKind::Integer, value, {}, nullptr, 0};
}

TPathProperty objectArray(qsizetype count)
{
    return {TPathKind::ObjectArray, 0, {}, nullptr, count};
}

template <class T>
T* firstMatch(const std::vector<std::unique_ptr<T>>& items, const TSecureHashFile& file)
{
    for (const auto& item : items)
        if (item->matches(file))
            return item.get();
    return nullptr;
}

} // namespace

// ---- sections ------------------------------------------------------------------------------------

CTT_GlobalParameter::CTT_GlobalParameter(const TXMLConditionalNode& element)
    : Name(element.childNode(QStringLiteral("Name")).text())
{
    std::optional<double> value;
    if (const std::optional<TXMLConditionalNode> def = optionalChild(element, QStringLiteral("DefaultValue")))
        value = numberOf(def->text());
    if (!value)
        throw ECompetitionTypeError(QStringLiteral("Paramter value for ") + Name +
                                    QStringLiteral("is not a valid number"));
    DefaultValue = *value;
}

void CTT_GlobalParameter::CreateGlobalParameter(int competitionId, proto::CompetitionManagementPortType& cms) const
{
    proto::GlobalParametersInfoType p;
    p.Key = Name;
    p.Value = DefaultValue;
    cms.setGlobalParameter(competitionId, {p});
}

CTT_AbstractGPCSection::CTT_AbstractGPCSection(const TXMLConditionalNode& section, bool partsRequired)
{
    auto part = [&](const char* name) -> std::optional<TXMLConditionalNode> {
        if (partsRequired)
            return section.childNode(QLatin1String(name));
        return optionalChild(section, QLatin1String(name));
    };
    if (const auto params = part("GlobalParameters"))
        for (const TXMLConditionalNode& p : childrenNamed(*params, QStringLiteral("Parameters")))
            globalParameters_.emplace_back(p);
    if (const auto constraints = part("Constraints"))
        constraints_ = constraintsOf(*constraints);
}

TPathProperty CTT_HashFileType::pathProperty(QStringView name) const
{
    if (name == u"SecureHash")
        return text(SecureHash);
    if (name == u"HashAlgorithm")
        return text(HashAlgorithm);
    return {};
}

CTT_AbstractTemplateType::CTT_AbstractTemplateType(const TXMLConditionalNode& element)
{
    SecureHash = requiredAttribute(element, "hashValue");
    HashAlgorithm = requiredAttribute(element, "hashAlgorithm");
    Name = requiredAttribute(element, "templateName");
    constraints_ = constraintsOf(element);
    if (const auto mapping = optionalChild(element, QStringLiteral("GlobalParameterMapping")))
        for (const TXMLConditionalNode& p : childrenNamed(*mapping, QStringLiteral("Parameter")))
            mappings_.push_back({requiredAttribute(p, "name"), requiredAttribute(p, "value")});
}

bool CTT_AbstractTemplateType::verifyContraints()
{
    for (const auto& c : constraints_)
        if (!c->isFullfilled())
            return false;
    return true;
}

bool CTT_AbstractTemplateType::hasConstraintWarnings()
{
    for (const auto& c : constraints_)
        if (c->hasWarning())
            return true;
    return false;
}

QString CTT_AbstractTemplateType::MapGlobalParam(const QString& name) const
{
    for (const CTT_GlobalParameterMapping& m : mappings_)
        if (m.DisciplineParameterName == name)
            return m.ParamterValue;
    return name;
}

TPathProperty CTT_AbstractTemplateType::pathProperty(QStringView name) const
{
    if (name == u"Name")
        return text(Name);
    return CTT_HashFileType::pathProperty(name);
}

CTT_DisciplineType::CTT_DisciplineType(const TXMLConditionalNode& element) : CTT_AbstractTemplateType(element)
{
    DisciplineGroup = optionalText(element, "DisciplineGroup");
    KindTag = optionalText(element, "KindTag");
    RelayTag = optionalText(element, "RelayTag");
    if (const auto doc = optionalChild(element, QStringLiteral("Documentation"))) {
        CTT_DisciplineDocumentation file;
        file.SecureHash = requiredAttribute(*doc, "hashValue");
        file.HashAlgorithm = requiredAttribute(*doc, "hashAlgorithm");
        DocumentationFile = std::move(file);
    }
}

TPathProperty CTT_DisciplineType::pathProperty(QStringView name) const
{
    if (name == u"DisciplineGroup")
        return text(DisciplineGroup);
    if (name == u"KindTag")
        return text(KindTag);
    if (name == u"RelayTag")
        return text(RelayTag);
    if (name == u"DocumentationFile")
        return {TPathKind::Object, 0, {}, DocumentationFile ? &*DocumentationFile : nullptr, 0};
    return CTT_AbstractTemplateType::pathProperty(name);
}

CTT_ResultEvaluationType::CTT_ResultEvaluationType(const TXMLConditionalNode& element)
    : CTT_AbstractTemplateType(element)
{
    DefaultSelect = optionalText(element, "DefaultSelect").compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    if (const auto excluded = optionalChild(element, QStringLiteral("excludeInputs")))
        for (const TXMLConditionalNode& d : childrenNamed(*excluded, QStringLiteral("Discipline")))
            ExcludeInputs.push_back(requiredAttribute(d, "templateName"));
    if (const auto inter = optionalChild(element, QStringLiteral("IntermediateResultTemplates")))
        for (const TXMLConditionalNode& t : childrenNamed(*inter, QStringLiteral("IntermediateResultTemplate")))
            IntermediateResultTemplates.emplace_back(requiredAttribute(t, "templateName"));
}

TPathProperty CTT_ResultEvaluationType::pathProperty(QStringView name) const
{
    // A Boolean has no text a path could give.
    if (name == u"DefaultSelect")
        return {TPathKind::Unsupported, 0, {}, nullptr, 0};
    if (name == u"ExcludeInputs")
        return {TPathKind::TextArray, 0, {}, nullptr, ExcludeInputs.size()};
    if (name == u"IntermediateResultTemplates")
        return objectArray(qsizetype(IntermediateResultTemplates.size()));
    return CTT_AbstractTemplateType::pathProperty(name);
}

CTT_Disciplines::CTT_Disciplines(const TXMLConditionalNode& section) : CTT_AbstractGPCSection(section, true)
{
    for (const TXMLConditionalNode& d : childrenNamed(section, QStringLiteral("Discipline")))
        items_.push_back(std::make_unique<CTT_DisciplineType>(d));
}

CTT_DisciplineType* CTT_Disciplines::findByDisciplineGroup(const QString& group)
{
    for (const auto& d : items_)
        if (d->DisciplineGroup == group && d->verifyContraints() && !d->hasConstraintWarnings())
            return d.get();
    return nullptr;
}

CTT_DisciplineType* CTT_Disciplines::find(const TSecureHashFile& file) const
{
    return firstMatch(items_, file);
}

TPathProperty CTT_Disciplines::pathProperty(QStringView name) const
{
    if (name == u"DisciplinesCount")
        return integer(DisciplinesCount());
    if (name == u"Discipline")
        return objectArray(DisciplinesCount());
    return {};
}

const IPathObject* CTT_Disciplines::pathItem(QStringView name, qsizetype index) const
{
    if (name == u"Discipline" && index >= 0 && index < DisciplinesCount())
        return items_[std::size_t(index)].get();
    return nullptr;
}

CTT_ResultEvaluations::CTT_ResultEvaluations(const TXMLConditionalNode& section) : CTT_AbstractGPCSection(section, true)
{
    for (const TXMLConditionalNode& r : childrenNamed(section, QStringLiteral("ResultTemplate")))
        items_.push_back(std::make_unique<CTT_ResultEvaluationType>(r));
}

CTT_ResultEvaluationType* CTT_ResultEvaluations::find(const TSecureHashFile& file) const
{
    return firstMatch(items_, file);
}

TPathProperty CTT_ResultEvaluations::pathProperty(QStringView name) const
{
    if (name == u"ResEvalsCount")
        return integer(ResEvalsCount());
    if (name == u"ResEval")
        return objectArray(ResEvalsCount());
    return {};
}

const IPathObject* CTT_ResultEvaluations::pathItem(QStringView name, qsizetype index) const
{
    if (name == u"ResEval" && index >= 0 && index < ResEvalsCount())
        return items_[std::size_t(index)].get();
    return nullptr;
}

CTT_ResultPresentationType::CTT_ResultPresentationType(const TXMLConditionalNode& element)
    : Name(element.childNode(QStringLiteral("Name")).text()), element_(element)
{
    const QString prio = element.childNode(QStringLiteral("defaultPriority")).text();
    const std::optional<int> value = wholeNumber(prio);
    if (!value)
        throw ECompetitionTypeError(
            QStringLiteral("defaultPriority der Ergebnispräsentation %1 ist keine ganze Zahl: %2").arg(Name, prio));
    DefaultPrio = *value;
}

TResultPresentationDef CTT_ResultPresentationType::definition() const
{
    TResultPresentationDef def;
    def.Name = Name;
    def.DefaultPrio = DefaultPrio;
    // The indices are attributes; a child element of that name is read as well.
    auto index = [](const TXMLConditionalNode& prio, const char* name) {
        if (std::optional<QString> a = prio.attribute(QLatin1String(name)))
            return *a;
        return optionalText(prio, name);
    };
    for (const TXMLConditionalNode& prio : childrenNamed(element_, QStringLiteral("Priority"))) {
        TPresentationPriority p;
        p.OrderIndex = index(prio, "OrderIndex");
        p.SortIndex = index(prio, "SortIndex");
        for (const TXMLConditionalNode& child : prio.childNodes()) {
            if (child.nodeType() != pugi::node_element)
                continue;
            const QString kind = child.localName();
            if (kind != u"Discipline" && kind != u"ResultTemplate")
                continue;
            TPriorityTarget target;
            target.kind = kind == u"Discipline" ? TWrapperKind::Discipline : TWrapperKind::Results;
            target.templateName = requiredAttribute(child, "templateName");
            for (const TXMLConditionalNode& provider : childrenNamed(child, QStringLiteral("ResultProviderName")))
                target.ResultProviderNames.push_back(provider.text());
            p.targets.push_back(std::move(target));
        }
        def.Priorities.push_back(std::move(p));
    }
    return def;
}

CTT_ResultPresentationsType::CTT_ResultPresentationsType(const TXMLConditionalNode& section)
{
    for (const TXMLConditionalNode& p : childrenNamed(section, QStringLiteral("ResultPresentation")))
        items_.emplace_back(p);
}

QString TCompTypeParameterMapping::mapParameterToAgg(const QString& name) const
{
    return reference_ ? reference_->MapGlobalParam(name) : name;
}

// ---- the age class's sections and lists ------------------------------------------------------------

CTT_AgeClassType::~CTT_AgeClassType() = default;

namespace {

// The counts of the chosen lists; the results templates' count is named without its plural.
const std::pair<const char16_t*, const char16_t*> kPathCounts[] = {
    {u"SelectedDisciplinesCount", u"SelectedDisciplines"},
    {u"SelectedDisciplineTemplatesCount", u"SelectedDisciplineTemplates"},
    {u"SelectedNonTeamDisciplinesCount", u"SelectedNonTeamDisciplines"},
    {u"SelectedNonTeamDisciplineTemplatesCount", u"SelectedNonTeamDisciplineTemplates"},
    {u"SelectedResEvalsCount", u"SelectedResEvals"},
    {u"SelectedResEvalTemplateCount", u"SelectedResEvalTemplates"}};

} // namespace

namespace {

// Reads one section; an expression inside that asks for the section itself sees none.
template <class Section>
std::unique_ptr<Section> readSection(const TXMLConditionalNode& view, const char* name, bool& reading)
{
    if (reading)
        throw ECompetitionTypeError(QStringLiteral("Abschnitt %1 verweist auf sich selbst.").arg(QLatin1String(name)));
    reading = true;
    try {
        auto section = std::make_unique<Section>(view.childNode(QLatin1String(name)));
        reading = false;
        return section;
    } catch (...) {
        reading = false;
        throw;
    }
}

} // namespace

CTT_Disciplines& CTT_AgeClassType::getDisciplines()
{
    if (!disciplines_)
        disciplines_ = readSection<CTT_Disciplines>(view_, "Disciplines", readingSection_);
    return *disciplines_;
}

CTT_Disciplines& CTT_AgeClassType::reloadDisciplines()
{
    disciplines_.reset();
    return getDisciplines();
}

CTT_ResultEvaluations& CTT_AgeClassType::getResEvals()
{
    if (!resEvals_)
        resEvals_ = readSection<CTT_ResultEvaluations>(view_, "ResultEvaluation", readingSection_);
    return *resEvals_;
}

CTT_ResultEvaluations& CTT_AgeClassType::reloadResEvals()
{
    resEvals_.reset();
    return getResEvals();
}

CTT_ResultPresentationsType& CTT_AgeClassType::loadResultPresentationInfo()
{
    presentations_.reset();
    presentations_ = readSection<CTT_ResultPresentationsType>(view_, "ResultPresentations", readingSection_);
    return *presentations_;
}

CTT_ResultPresentationsType& CTT_AgeClassType::getResultPresentations()
{
    return presentations_ ? *presentations_ : loadResultPresentationInfo();
}

void CTT_AgeClassType::addResEval(std::shared_ptr<TResEvalTemplateWrapper> wrapper)
{
    loadedResEvals_.push_back(std::move(wrapper));
}

void CTT_AgeClassType::addSelectedDiscipline(std::shared_ptr<TDisciplineTemplateWrapper> wrapper)
{
    selectedDiscs_.push_back(std::move(wrapper));
}

void CTT_AgeClassType::addSelectedResEval(std::shared_ptr<TResEvalTemplateWrapper> wrapper)
{
    selectedResEvals_.push_back(std::move(wrapper));
}

CTT_DisciplineType* CTT_AgeClassType::getCTTDisc(const TDisciplineTemplateWrapper& wrapper)
{
    return getDisciplines().find(wrapper);
}

CTT_ResultEvaluationType* CTT_AgeClassType::getCTTResEval(const TResEvalTemplateWrapper& wrapper)
{
    return getResEvals().find(wrapper);
}

CTT_AbstractTemplateType* CTT_AgeClassType::getCTT(const TAbstractTemplateWrapper& wrapper)
{
    if (CTT_AbstractTemplateType* r = getResEvals().find(wrapper))
        return r;
    return getDisciplines().find(wrapper);
}

std::vector<CTT_DisciplineType*> CTT_AgeClassType::SelectedDisciplines()
{
    std::vector<CTT_DisciplineType*> refs;
    for (const auto& w : selectedDiscs_)
        if (CTT_DisciplineType* r = getCTTDisc(*w))
            refs.push_back(r);
    return refs;
}

CTT_AgeClassType::DiscList CTT_AgeClassType::SelectedNonTeamDisciplineTemplates() const
{
    DiscList out;
    for (const auto& w : selectedDiscs_)
        if (!w->isTeam())
            out.push_back(w);
    return out;
}

std::vector<CTT_DisciplineType*> CTT_AgeClassType::SelectedNonTeamDisciplines()
{
    std::vector<CTT_DisciplineType*> refs;
    for (const auto& w : SelectedNonTeamDisciplineTemplates())
        if (CTT_DisciplineType* r = getCTTDisc(*w))
            refs.push_back(r);
    return refs;
}

std::vector<CTT_ResultEvaluationType*> CTT_AgeClassType::SelectedResEvals()
{
    std::vector<CTT_ResultEvaluationType*> refs;
    for (const auto& w : selectedResEvals_)
        if (CTT_ResultEvaluationType* r = getCTTResEval(*w))
            refs.push_back(r);
    return refs;
}

TPathProperty CTT_AgeClassType::pathProperty(QStringView name) const
{
    if (name == u"Name")
        return text(Name);
    if (name == u"YoungerAge")
        return text(YoungerAge);
    if (name == u"OlderAge")
        return text(OlderAge);
    if (name == u"BillingPricePerTeam")
        return {TPathKind::Unsupported, 0, {}, nullptr, 0};
    const std::pair<const char16_t*, int> numbers[] = {{u"MinTeamMembers", MinTeamMembers},
                                                       {u"MaxTeamMembers", MaxTeamMembers},
                                                       {u"MinMembersPerGender", MinMembersPerGender},
                                                       {u"MaleMembersLessThan", MaleMembersLessThan},
                                                       {u"FemaleMembersLessThan", FemaleMembersLessThan},
                                                       {u"AgeClassID", AgeClassID},
                                                       {u"Barcode", Barcode}};
    for (const auto& [key, value] : numbers)
        if (name == key)
            return integer(value);
    // Paths only read; the sections are read on demand like the wizard does.
    auto* self = const_cast<CTT_AgeClassType*>(this);
    if (name == u"SubTabCount")
        return integer(0);
    if (name == u"Disciplines" || name == u"ResEvals") {
        if (readingSection_)
            return {TPathKind::Object, 0, {}, nullptr, 0};
        const IPathObject* section =
            name == u"Disciplines" ? static_cast<const IPathObject*>(&self->getDisciplines()) : &self->getResEvals();
        return {TPathKind::Object, 0, {}, section, 0};
    }
    for (const auto& [countName, listName] : kPathCounts)
        if (name == countName) {
            bool known = false;
            return integer(qsizetype(pathList(listName, known).size()));
        }
    bool known = false;
    const qsizetype n = qsizetype(pathList(name, known).size());
    return known ? objectArray(n) : TPathProperty{};
}

std::vector<const IPathObject*> CTT_AgeClassType::pathList(QStringView name, bool& known) const
{
    auto* self = const_cast<CTT_AgeClassType*>(this);
    std::vector<const IPathObject*> items;
    auto refs = [&](const auto& found) {
        for (const auto* r : found)
            items.push_back(r);
    };
    auto wrappers = [&](const auto& found) {
        for (const auto& w : found)
            items.push_back(w.get());
    };
    known = true;
    // Lists of references read the sections; while one is being read they are empty.
    if (name == u"SelectedDisciplines") {
        if (!readingSection_)
            refs(self->SelectedDisciplines());
    } else if (name == u"SelectedNonTeamDisciplines") {
        if (!readingSection_)
            refs(self->SelectedNonTeamDisciplines());
    } else if (name == u"SelectedResEvals") {
        if (!readingSection_)
            refs(self->SelectedResEvals());
    } else if (name == u"SelectedDisciplineTemplates") {
        wrappers(selectedDiscs_);
    } else if (name == u"SelectedNonTeamDisciplineTemplates") {
        wrappers(SelectedNonTeamDisciplineTemplates());
    } else if (name == u"SelectedResEvalTemplates") {
        wrappers(selectedResEvals_);
    } else {
        known = false;
    }
    return items;
}

const IPathObject* CTT_AgeClassType::pathItem(QStringView name, qsizetype index) const
{
    bool known = false;
    const std::vector<const IPathObject*> items = pathList(name, known);
    return index >= 0 && index < qsizetype(items.size()) ? items[std::size_t(index)] : nullptr;
}

// ---- template lists --------------------------------------------------------------------------------

namespace {

template <class Wrapper>
TTemplateFolder<Wrapper> loadFolder(const QString& folder, const char* pattern, const QString& what)
{
    TTemplateFolder<Wrapper> out;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QLatin1String(pattern)}, QDir::Files, QDir::Name)) {
        const QString path = dir.filePath(name);
        try {
            out.templates.push_back(std::make_shared<Wrapper>(path));
        } catch (const TvpError& e) {
            out.errors.push_back(what + QDir::toNativeSeparators(path) +
                                 QStringLiteral(" konnte nicht geladen werden: ") + e.message());
        }
    }
    return out;
}

} // namespace

TTemplateFolder<TDisciplineTemplateWrapper> loadDisciplineTemplates(const QString& folder)
{
    return loadFolder<TDisciplineTemplateWrapper>(folder, "*.qdt", QStringLiteral("Disziplinvorlage "));
}

TTemplateFolder<TResEvalTemplateWrapper> loadResEvalTemplates(const QString& folder)
{
    return loadFolder<TResEvalTemplateWrapper>(folder, "*.qrt", QStringLiteral("Auswertungsvorlage "));
}

TTemplateFilterResult filterTemplates(CTT_AgeClassType& ageClass, TTemplateKind kind,
                                      const std::vector<std::shared_ptr<TAbstractTemplateWrapper>>& loaded,
                                      TTemplateFilter filter, const QString& typeDisplayName,
                                      const QString& templatesFolder)
{
    std::vector<CTT_AbstractTemplateType*> entries;
    if (kind == TTemplateKind::Discipline) {
        CTT_Disciplines& section = ageClass.getDisciplines();
        for (qsizetype i = 0; i < section.DisciplinesCount(); ++i)
            entries.push_back(&section.Discipline(i));
    } else {
        CTT_ResultEvaluations& section = ageClass.getResEvals();
        for (qsizetype i = 0; i < section.ResEvalsCount(); ++i)
            entries.push_back(&section.ResEval(i));
    }
    // The discipline tab showing all templates neither renames nor reports missing files.
    const bool match = kind == TTemplateKind::ResultEvaluation || filter == TTemplateFilter::Recommended;
    std::vector<bool> matched(entries.size(), false);
    TTemplateFilterResult out;
    for (const auto& templ : loaded) {
        TTemplateRow row;
        row.templ = templ;
        for (std::size_t e = 0; e < entries.size(); ++e)
            if (entries[e]->matches(*templ)) {
                if (!row.reference) {
                    row.reference = entries[e];
                    if (match)
                        templ->setDisplayName(entries[e]->Name);
                }
                matched[e] = true;
            }
        row.recommended = row.reference && row.reference->verifyContraints() && !row.reference->hasConstraintWarnings();
        if (filter == TTemplateFilter::All || row.recommended)
            out.rows.push_back(std::move(row));
    }
    const QString what = kind == TTemplateKind::Discipline ? QStringLiteral("\" referenzierte Disziplin \"")
                                                           : QStringLiteral("\" referenzierte Auswertung \"");
    for (std::size_t e = 0; e < entries.size(); ++e)
        if (match && !matched[e])
            out.missing.push_back(
                QStringLiteral("Achtung die in \"") + typeDisplayName + what + entries[e]->Name +
                QStringLiteral("\" wurde nicht im Vorlagenverzeichnis \"") + QDir::toNativeSeparators(templatesFolder) +
                QStringLiteral("\" gefunden oder ist beschädigt. Bitte ggf. Anwendung neu installieren."));
    return out;
}

std::vector<std::shared_ptr<TAbstractTemplateWrapper>> applySelection(CTT_AgeClassType& ageClass, TTemplateKind kind,
                                                                      const std::vector<TTemplateRow>& rows)
{
    const bool disc = kind == TTemplateKind::Discipline;
    TAbstractTemplateSelectionState& state =
        disc ? ageClass.getDisciplineSelectionState() : ageClass.getResEvalSelectionState();
    if (disc)
        ageClass.clearSelectedDisciplines();
    else
        ageClass.clearSelectedResEvals();
    std::vector<std::shared_ptr<TAbstractTemplateWrapper>> chosen;
    for (const TTemplateRow& row : rows) {
        if (!state.isSelected(row.templ->SecureHash(), row.templ->HashAlgorithm()))
            continue;
        if (disc) {
            auto w = std::dynamic_pointer_cast<TDisciplineTemplateWrapper>(row.templ);
            if (!w)
                continue;
            ageClass.addSelectedDiscipline(w);
        } else {
            auto w = std::dynamic_pointer_cast<TResEvalTemplateWrapper>(row.templ);
            if (!w)
                continue;
            ageClass.addSelectedResEval(w);
        }
        chosen.push_back(row.templ);
    }
    return chosen;
}

// ---- constraint messages ---------------------------------------------------------------------------

std::optional<TSetupMessage> checkConstraint(TConstraintExpression& constraint, const QString& origin,
                                             QStringList* evaluationErrors)
{
    const QString fail = constraint.getFailMessage();
    TSetupMessage m;
    try {
        if (!constraint.isFullfilled())
            m.kind = TSetupMessageKind::Error;
        else if (constraint.hasWarning())
            m.kind = TSetupMessageKind::Warning;
        else
            return std::nullopt;
    } catch (const TvpError& e) {
        if (evaluationErrors)
            evaluationErrors->push_back(QStringLiteral("Beim Auswerten von Veranstaltungsbedingung \"") + fail +
                                        QStringLiteral("\" ist ein Fehler aufgetreten: ") + e.message());
        return std::nullopt;
    }
    m.text = origin.isEmpty() ? fail : origin + QStringLiteral(": ") + fail;
    m.details = fail;
    m.id = QStringLiteral("CONSTRAINT_") + origin + QLatin1Char('_') + fail;
    return m;
}

std::vector<TSetupMessage> ageClassMessages(CTT_AgeClassType& ageClass, TTemplateKind kind, const QString& origin,
                                            QStringList* evaluationErrors)
{
    std::vector<TSetupMessage> out;
    const bool disc = kind == TTemplateKind::Discipline;
    CTT_AbstractGPCSection& section = disc ? static_cast<CTT_AbstractGPCSection&>(ageClass.getDisciplines())
                                           : static_cast<CTT_AbstractGPCSection&>(ageClass.getResEvals());
    for (const auto& c : section.Constraints())
        if (auto m = checkConstraint(*c, origin, evaluationErrors))
            out.push_back(std::move(*m));

    std::vector<TAbstractTemplateWrapper*> chosen;
    if (disc)
        for (const auto& w : ageClass.getSelectedDisciplines())
            chosen.push_back(w.get());
    else
        for (const auto& w : ageClass.getSelectedResEvals())
            chosen.push_back(w.get());
    for (TAbstractTemplateWrapper* w : chosen) {
        const QString name = w->getDisplayName();
        const QString prefix = ageClass.Name + QStringLiteral(" (") + name + QStringLiteral("): ");
        CTT_AbstractTemplateType* ref = disc
                                            ? static_cast<CTT_AbstractTemplateType*>(ageClass.getDisciplines().find(*w))
                                            : ageClass.getResEvals().find(*w);
        if (!ref) {
            TSetupMessage m;
            m.kind = TSetupMessageKind::Warning;
            m.text = prefix + QStringLiteral("Vorlage wird nicht vom Veranstaltungstyp empfohlen");
            m.details = name;
            m.id = origin + QStringLiteral("_TemplateNotListed_") + name;
            out.push_back(std::move(m));
            continue;
        }
        for (qsizetype i = 0; i < ref->getConstraintCount(); ++i)
            if (auto m = checkConstraint(ref->getConstraint(i), origin, evaluationErrors)) {
                m->id = QStringLiteral("TemplateNotRecommended_") + name + QLatin1Char('_') + m->id;
                m->text = prefix + m->details;
                out.push_back(std::move(*m));
            }
    }
    return out;
}

} // namespace tvp
