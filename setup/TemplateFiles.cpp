#include "setup/TemplateFiles.h"

#include "core/protocol/SoapCodec.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/protocol/XmlProblem.h"
#include "core/results/tvpUtils.h"
#include "core/services/ScoringServices.h"
#include "core/util/FileWrite.h"

#include <pugixml.hpp>

#include <map>
#include <sstream>

namespace tvp {

namespace codec = proto::codec;

namespace {

const QString kDiscFormatError = QStringLiteral("Ungültiges Format der Disziplinvorlage: ");
const QString kResultsFormatError = QStringLiteral("Ungültiges Format der Gesamtwertungsvorlage: ");

// ---- writing ---------------------------------------------------------------------------------

pugi::xml_node startDocument(pugi::xml_document& doc, const char* root)
{
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    pugi::xml_node element = doc.append_child(root);
    element.append_attribute("xmlns:tvp") = proto::kTemplateNamespace;
    return element;
}

// Always present, also empty: an import without it would refuse the file.
void writeParameters(pugi::xml_node root, const proto::TExportParameters& params)
{
    codec::encodeFields(root.append_child("GlobalParameters"), params, codec::EncodeOptions{});
}

QByteArray saveDocument(const pugi::xml_document& doc)
{
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
    return QByteArray::fromStdString(out.str());
}

// ---- reading ---------------------------------------------------------------------------------

// Elements the records do not know are skipped while this lives: newer files may carry more.
class SkipUnknown {
public:
    SkipUnknown() : outer_(std::exchange(codec::detail::skippedElements, &skipped_)) {}
    ~SkipUnknown() { codec::detail::skippedElements = outer_; }
    SkipUnknown(const SkipUnknown&) = delete;
    SkipUnknown& operator=(const SkipUnknown&) = delete;

private:
    codec::SkippedElements skipped_;
    codec::SkippedElements* outer_;
};

// The first child of exactly that name into out; out stays as it is without one.
template <class T>
void ConvertTagToObject(const char* tag, T& out, const pugi::xml_node& parent)
{
    if (pugi::xml_node child = parent.child(tag))
        codec::decodeValue(child, out);
}

template <class T>
bool parseDocument(pugi::xml_document& doc, const QByteArray& data, TTemplateRead<T>& read, const QString& prefix)
{
    const pugi::xml_parse_result result =
        doc.load_buffer(data.constData(), std::size_t(data.size()), pugi::parse_default, pugi::encoding_utf8);
    if (result)
        return true;
    read.error =
        prefix + proto::xmlProblemText(result, std::string_view(data.constData(), std::size_t(data.size()))) + u'.';
    read.fatal = true;
    return false;
}

bool isOurRoot(const pugi::xml_node& root, const char* local)
{
    return root && std::strcmp(codec::localName(root), local) == 0 &&
           codec::namespaceOf(root) == proto::kTemplateNamespace;
}

} // namespace

// ---- discipline templates ------------------------------------------------------------------------

proto::DisciplinInfoType templateDisciplinInfo(const TDisciplineInfo& disc, const QString& name)
{
    proto::DisciplinInfoType info;
    info.Name = name;
    info.ResultAssignment = disc.assignmentType;
    proto::ResultTableType& table = info.ResultTableType.ensure();
    table.Team = disc.isTeam;
    table.ResultsPerRow = disc.attempts;
    info.AgeClassID = 0;
    info.SquadAssignment = disc.squadAssignment;
    info.maxParticipantsPerHeat = disc.maxParticipantsPerHeat;
    return info;
}

QByteArray writeDiscTemplate(const TDiscTemplateContent& content)
{
    pugi::xml_document doc;
    pugi::xml_node root = startDocument(doc, "tvp:DisciplinTemplate");
    const codec::EncodeOptions opt;
    codec::encodeValue(root, "DisciplinInfo", content.DisciplinInfo, opt);
    codec::encodeValue(root, "ResultType", content.ResultType, opt);
    codec::encodeValue(root, "ResultFormat", static_cast<proto::TemplateResultFormat>(content.ResultFormat), opt);
    codec::encodeValue(root, "HeightList", content.HeightList, opt);
    writeParameters(root, content.GlobalParameters);
    for (const proto::TExportAggregatorTreeNodeType& node : content.OutputConnections)
        codec::encodeValue(root, "OutputConnections", node, opt);
    return saveDocument(doc);
}

TTemplateRead<TDisciplineTemplate> LoadDiscFromStream(const QByteArray& data)
{
    TTemplateRead<TDisciplineTemplate> read;
    pugi::xml_document doc;
    if (!parseDocument(doc, data, read, kDiscFormatError))
        return read;
    const pugi::xml_node root = doc.document_element();
    if (!isOurRoot(root, "DisciplinTemplate")) {
        read.error = kDiscFormatError + QStringLiteral("\"DisciplinTemplate\"-Root-Element nicht gefunden.");
        return read;
    }
    TDisciplineTemplate& t = read.templ;
    try {
        const SkipUnknown skip;
        ConvertTagToObject("DisciplinInfo", t.DisciplinInfo, root);
        if (t.DisciplinInfo)
            t.ExtendedInfo = TDisciplineInfo::CreateFromInfo(*t.DisciplinInfo);
        t.ExtendedInfo.resultType = proto::ResultValueType::Distance;
        t.ExtendedInfo.resultFormat = TResultformat::rf_Default;
        ConvertTagToObject("ResultType", t.ExtendedInfo.resultType, root);
        auto format = proto::TemplateResultFormat::rf_Default;
        ConvertTagToObject("ResultFormat", format, root);
        t.ExtendedInfo.resultFormat = static_cast<TResultformat>(format);
        try {
            ConvertTagToObject("HeightList", t.ExtendedInfo.heightList, root);
        } catch (const TvpError&) {
            t.ExtendedInfo.heightList.clear();
        }
        ConvertTagToObject("GlobalParameters", t.params, root);
        ConvertTagToObject("OutputConnections", t.aggRoot, root);
    } catch (const TvpError& e) {
        read.templ = {};
        read.error = kDiscFormatError + e.message();
        read.fatal = true;
    }
    return read;
}

// ---- results templates -----------------------------------------------------------------------------

QByteArray writeResultsTemplate(bool cup, const proto::TExportParameters& params,
                                const proto::TExportAggregators& inputs)
{
    pugi::xml_document doc;
    pugi::xml_node root = startDocument(doc, cup ? "tvp:CupTemplate" : "tvp:ResultsTemplate");
    writeParameters(root, params);
    // Written also without inputs, so that the file names the cause of its refusal itself.
    codec::encodeFields(root.append_child("Inputs"), inputs, codec::EncodeOptions{});
    return saveDocument(doc);
}

TTemplateRead<TResultsTemplate> LoadResultsFromStream(const QByteArray& data)
{
    TTemplateRead<TResultsTemplate> read;
    pugi::xml_document doc;
    if (!parseDocument(doc, data, read, kResultsFormatError))
        return read;
    const pugi::xml_node root = doc.document_element();
    if (isOurRoot(root, "ResultsTemplate")) {
        try {
            const SkipUnknown skip;
            ConvertTagToObject("GlobalParameters", read.templ.params, root);
            ConvertTagToObject("Inputs", read.templ.topLevelItems, root);
        } catch (const TvpError& e) {
            read.templ = {};
            read.error = kResultsFormatError + e.message();
            read.fatal = true;
        }
    } else if (root && std::strcmp(codec::localName(root), "CupTemplate") == 0) {
        read.error = kResultsFormatError + QStringLiteral("Import vom Cup-Vorlagen wird noch nicht unterstützt.");
        read.fatal = true;
    } else {
        read.error = kResultsFormatError + QStringLiteral("\"ResultsTemplate\"-Root-Element nicht gefunden.");
    }
    return read;
}

// ---- export ------------------------------------------------------------------------------------

namespace {

TParamNameResolver rowResolver(const std::vector<TExportParameterRow>& rows)
{
    return [&rows](const QString& name) { return resolveParameterForExport(name, rows); };
}

void exportTemplate(TServicePorts& ports, const TTemplateExportRequest& request, TTemplateExportResponse& response)
{
    // Start indexes of a shared group are read once, before its first key is written.
    std::map<int, int> groupStarts;
    for (const TInterfaceKey& key : request.keys) {
        int start = 0;
        if (key.startGroup != 0) {
            auto at = groupStarts.find(key.startGroup);
            if (at == groupStarts.end())
                at = groupStarts
                         .emplace(key.startGroup, getUIInfoFreeStartIndex(ports.drs(), key.prefix, key.associatedId))
                         .first;
            start = at->second;
        } else {
            start = getUIInfoFreeStartIndex(ports.drs(), key.prefix, key.associatedId);
        }
        ports.cms().setUiInfo(key.prefix + QString::number(start + key.position), key.value, key.associatedId);
    }
    // After the keys: a file that cannot be written fails the request and the keys roll back.
    saveTemplateFile(request.fileName, request.document);
    response.fileName = request.fileName;
}

} // namespace

void saveTemplateFile(const QString& fileName, const QByteArray& document)
{
    QString error;
    if (!writeFileWhole(fileName, document, &error))
        throw TvpError(error);
}

std::unique_ptr<TTemplateExportRequest> discTemplateExport(const TAggregatorTree& tree, const QString& name,
                                                           const std::vector<TExportParameterRow>& rows,
                                                           const std::vector<TDiscInterfaceNode>& interfaces,
                                                           const QString& fileName)
{
    auto request = std::make_unique<TTemplateExportRequest>();
    request->fileName = fileName;
    TDiscTemplateContent content;
    const TDisciplineInfo* disc = tree.CurDiscInfo();
    const TDisciplineInfo none;
    if (!disc)
        disc = &none;
    content.DisciplinInfo = templateDisciplinInfo(*disc, name);
    content.ResultType = disc->resultType;
    content.ResultFormat = disc->resultFormat;
    content.HeightList = disc->heightList;
    content.GlobalParameters = SaveGlobalParameters(rows);

    std::vector<proto::TExternalReference> extRefs;
    int group = 0;
    for (const TDiscInterfaceNode& node : interfaces) {
        ++group;
        for (std::size_t i = 0; i < node.interfaces.size(); ++i) {
            const TInterfaceItem& item = node.interfaces[i];
            extRefs.push_back({node.id, item.text});
            if (item.data != 0)
                request->keys.push_back({uiInfoKeys::ResultsTopLevelConnection, item.data, int(i), item.text, 0});
            request->keys.push_back({uiInfoKeys::ResultsOutputConnections, node.id, int(i), item.text, group});
        }
    }
    content.OutputConnections = tree.exportLocalAggs(content.GlobalParameters.Parameters, extRefs, rowResolver(rows));
    request->document = writeDiscTemplate(content);
    return request;
}

std::unique_ptr<TTemplateExportRequest> resultsTemplateExport(const std::vector<TResultsExportItem>& topLevel,
                                                              const std::vector<const TUiAggregator*>& all, int cupId,
                                                              const std::vector<TExportParameterRow>& rows,
                                                              const QString& fileName)
{
    auto request = std::make_unique<TTemplateExportRequest>();
    request->fileName = fileName;
    const proto::TExportParameters params = SaveGlobalParameters(rows);
    proto::TExportAggregators inputs;
    int counter = 0;
    const TParamNameResolver resolver = rowResolver(rows);
    for (std::size_t i = 0; i < topLevel.size(); ++i) {
        const TUiAggregator& node = *topLevel[i].node;
        proto::TExportAggregatorTreeNodeType tree = node.getTree(params.Parameters, {}, counter, false, &all, resolver);
        tree.name = topLevel[i].name;
        // A cup's scorings carry no interface keys: they are not imported.
        if (cupId == 0) {
            request->keys.push_back({uiInfoKeys::ResultsTopLevelConnection, tree.ID, int(i), tree.name, 0});
            for (const TUiAggregator* parent : node.getParents())
                request->keys.push_back({uiInfoKeys::ResultsOutputConnections, parent->ID(), int(i), tree.name, 0});
        }
        inputs.Aggregators.push_back(std::move(tree));
    }
    request->document = writeResultsTemplate(cupId != 0, params, inputs);
    return request;
}

const TRequestTable<TTemplateExportRequest, TTemplateExportResponse>& discTemplateExportRequests()
{
    static const TRequestTable<TTemplateExportRequest, TTemplateExportResponse> table{
        {{0, QStringLiteral("Disziplinvorlage exportieren"), &exportTemplate}}};
    return table;
}

const TRequestTable<TTemplateExportRequest, TTemplateExportResponse>& resultsTemplateExportRequests()
{
    static const TRequestTable<TTemplateExportRequest, TTemplateExportResponse> table{
        {{0, QStringLiteral("Gesamtwertungsvorlage exportieren"), &exportTemplate}}};
    return table;
}

// ---- discipline import -------------------------------------------------------------------------

namespace {

void takeWarning(const proto::Owned<proto::connectProviderToResultAggregatorWarningType>& w,
                 std::vector<proto::MixedAgeClassesWarningType>& out)
{
    if (w && w->MixedAgeClassesWarning)
        out.push_back(*w->MixedAgeClassesWarning);
}

// The UI infos of the request with their template-local ids mapped, then the references' keys.
void writeOutputLinkKeys(proto::CompetitionManagementPortType& cms, const std::vector<TExternalLink>& links,
                         const TIdMap& ids)
{
    std::map<int, int> perSource;
    for (const TExternalLink& link : links) {
        const int source = mapID(link.SourceID, ids);
        const int n = perSource[source]++;
        cms.setUiInfo(uiInfoKeys::ResultsOutputConnections + QString::number(n), link.originalName, source);
    }
}

// Creates one node of the template fed by firstSource (a server id); its server id.
int createNode(proto::CompetitionManagementPortType& cms, const proto::ResultAggregatorInstanceType& agg,
               int firstSource, std::vector<TReplacedParameter>* replaced, const QString& templateName,
               int competitionId, const std::vector<TExportGlobalParameter>& templateParams)
{
    proto::ResultAggregatorInstanceInfoType info;
    info.TemplateID = agg.TemplateID;
    info.Parameters = agg.Parameters;
    info.ConnectedAggregators = {firstSource};
    const proto::assignResultAggregatorResponse1 r = assignResultAggregatorCreateUnmappedResAggs(
        replaced, templateName, competitionId, templateParams, cms, std::move(info));
    if (!r.CreatedResultAggregator)
        throw TvpError(QStringLiteral("Der Server hat den neuen Ergebnis-Aggregator nicht zurückgegeben."));
    return r.CreatedResultAggregator->ID;
}

void writeRequestUiInfos(proto::CompetitionManagementPortType& cms, const std::vector<proto::setUiInfo>& infos,
                         const TIdMap& ids)
{
    for (const proto::setUiInfo& info : infos)
        cms.setUiInfo(info.Key, info.Value, mapID(info.AssotiatedId, ids));
}

void loadAgeClasses(TServicePorts& ports, const TDiscImportRequest&, TDiscImportResponse& response)
{
    response.ageClasses = ports.drs().getAgeClasses(ports.competitionId(), nullptr);
}

void importDisc(TServicePorts& ports, const TDiscImportRequest& request, TDiscImportResponse& response)
{
    response = createDisciplineFromTemplate(ports.cms(), request, nullptr, {});
}

} // namespace

std::unique_ptr<TDiscImportRequest>
discImportRequest(const TDisciplineTemplate& templ, const TAbstractParameterMapping& mapping,
                  const std::vector<proto::GlobalParametersInfoType>& newParams, const QString& name, int ageClassId,
                  proto::SquadAssignmentType squadAssignment, int maxParticipantsPerHeat, int competitionId)
{
    auto request = std::make_unique<TDiscImportRequest>();
    request->reqType = TImportRequestType::rt_import;
    request->competitionID = competitionId;
    proto::DisciplinInfoType& info = request->discInfo.ensure();
    info.Name = name.trimmed();
    if (templ.DisciplinInfo)
        info.ResultAssignment = templ.DisciplinInfo->ResultAssignment;
    info.maxParticipantsPerHeat = maxParticipantsPerHeat;
    info.SquadAssignment = squadAssignment;
    info.AgeClassID = ageClassId;
    proto::ResultTableType& table = info.ResultTableType.ensure();
    if (templ.DisciplinInfo && templ.DisciplinInfo->ResultTableType) {
        table.Team = templ.DisciplinInfo->ResultTableType->Team;
        table.ResultsPerRow = templ.DisciplinInfo->ResultTableType->ResultsPerRow;
    }
    request->ExtendedInfo = templ.ExtendedInfo;
    request->newGlobalParams = newParams;
    // Without "OutputConnections" the discipline comes without scoring nodes.
    if (templ.aggRoot) {
        request->discTemplateId = templ.aggRoot->ID;
        mapping.AddResAggs(request->aggs, 0, *templ.aggRoot, request->UIInfos, {}, request->externalLinks);
    }
    return request;
}

TDiscImportResponse createDisciplineFromTemplate(proto::CompetitionManagementPortType& cms,
                                                 const TDiscImportRequest& request,
                                                 std::vector<TReplacedParameter>* replaced,
                                                 const std::vector<TExportGlobalParameter>& templateParams)
{
    TDiscImportResponse response;
    response.reqType = request.reqType;
    const proto::createDisciplinResponse created = cms.createDisciplin(request.discInfo, request.competitionID);
    if (!created.Disciplin)
        throw TvpError(QStringLiteral("Der Server hat die neue Disziplin nicht zurückgegeben."));
    const int discId = created.Disciplin->DisciplinID;
    response.discId = discId;

    cms.setUiInfo(uiInfoKeys::DisciplinResultType, ResultValueTypeToUIInfo(request.ExtendedInfo.resultType), discId);
    const QString format = resultFormatToUIInfo(request.ExtendedInfo.resultFormat);
    if (!format.isEmpty())
        cms.setUiInfo(uiInfoKeys::DisciplinResultFormat, format, discId);
    cms.setUiInfo(uiInfoKeys::DisciplinHeightList, request.ExtendedInfo.heightList, discId);

    if (!request.newGlobalParams.empty())
        cms.setGlobalParameter(request.competitionID, request.newGlobalParams);

    TIdMap& ids = response.IDMap;
    addToIdMap(request.discTemplateId, discId, ids);
    const QString templateName = request.discInfo ? request.discInfo->Name : QString();
    for (const proto::ResultAggregatorInstanceType& agg : request.aggs) {
        const int first = agg.ConnectedAggregators.empty() ? 0 : mapID(agg.ConnectedAggregators[0], ids);
        addToIdMap(agg.ID, createNode(cms, agg, first, replaced, templateName, request.competitionID, templateParams),
                   ids);
    }
    for (const proto::ResultAggregatorInstanceType& agg : request.aggs)
        for (std::size_t c = 1; c < agg.ConnectedAggregators.size(); ++c)
            takeWarning(
                cms.connectProviderToResultAggregator(mapID(agg.ID, ids), mapID(agg.ConnectedAggregators[c], ids))
                    .Warnings,
                response.Warnings);
    for (const TExternalLink& link : request.externalLinks)
        if (link.TargetId != 0)
            takeWarning(cms.connectProviderToResultAggregator(link.TargetId, mapID(link.SourceID, ids)).Warnings,
                        response.Warnings);
    writeOutputLinkKeys(cms, request.externalLinks, ids);
    writeRequestUiInfos(cms, request.UIInfos, ids);
    return response;
}

const TRequestTable<TDiscImportRequest, TDiscImportResponse>& discImportRequests()
{
    using R = TImportRequestType;
    static const TRequestTable<TDiscImportRequest, TDiscImportResponse> table{{
        {R::rt_load, QStringLiteral("Altersklassen laden"), &loadAgeClasses},
        {R::rt_import, QStringLiteral("Disziplinvorlage importieren"), &importDisc},
    }};
    return table;
}

QString discImportErrorText(const TRequestOutcome& outcome)
{
    if (outcome.errorId == kSourceDoesNotFitError)
        return QStringLiteral(
                   "Die Disziplinvorlage kann nicht importiert werden, da der Ergebnis-Aggregator \"%1\" das "
                   "zugeordnete Eingabeformat nicht unterstützt. Vermutlich passt die Disziplin nicht zu "
                   "einer der gewählten Gesamtwertungen.")
            .arg(outcome.parameters.value(0));
    return outcome.error;
}

// ---- results import ----------------------------------------------------------------------------

namespace {

void loadNothing(TServicePorts&, const TResImportRequest&, TResImportResponse&)
{
}

void importRes(TServicePorts& ports, const TResImportRequest& request, TResImportResponse& response)
{
    response = createResFromTemplate(ports.cms(), request, nullptr, {});
}

// The first source of an instance: a top-level one's first user connection, else its first node.
int firstSource(const proto::ResultAggregatorInstanceType& agg, const TResImportRequest& request, const TIdMap& ids)
{
    if (agg.ConnectedAggregators.empty())
        return GetTopLevelConnections(request.topLevelConnections, agg.ID).connections.at(0);
    return mapID(agg.ConnectedAggregators[0], ids);
}

} // namespace

TTopLevelConnections GetTopLevelConnections(const std::vector<TTopLevelConnections>& all, int templateId)
{
    for (const TTopLevelConnections& c : all)
        if (c.topLevelId == templateId && !c.connections.empty())
            return c;
    TTopLevelConnections none;
    none.topLevelId = templateId;
    none.connections = {0};
    return none;
}

std::unique_ptr<TResImportRequest> resImportRequest(const TResultsTemplate& templ,
                                                    const TAbstractParameterMapping& mapping,
                                                    const std::vector<proto::GlobalParametersInfoType>& newParams,
                                                    std::vector<TTopLevelConnections> connections,
                                                    const QString& templateName, int competitionId)
{
    auto request = std::make_unique<TResImportRequest>();
    request->reqType = TImportRequestType::rt_import;
    request->competitionID = competitionId;
    request->templateName = templateName;
    request->newGlobalParams = newParams;
    request->topLevelConnections = std::move(connections);
    if (templ.topLevelItems)
        for (const proto::TExportAggregatorTreeNodeType& node : templ.topLevelItems->Aggregators)
            mapping.AddResAggs(request->aggs, 0, node, request->UIInfos, {}, request->externalLinks);
    return request;
}

TResImportResponse createResFromTemplate(proto::CompetitionManagementPortType& cms, const TResImportRequest& request,
                                         std::vector<TReplacedParameter>* replaced,
                                         const std::vector<TExportGlobalParameter>& templateParams)
{
    const QString noFitting =
        QStringLiteral("Keine passenden Disziplinen für die Gesamtwertung \"%1\" gefunden.").arg(request.templateName);
    // All inputs first: the competition creation relies on nothing being sent for a template that
    // cannot be connected.
    for (const proto::ResultAggregatorInstanceType& agg : request.aggs)
        if (agg.ConnectedAggregators.empty() &&
            GetTopLevelConnections(request.topLevelConnections, agg.ID).connections.at(0) == 0)
            throw ENoFittingDisciplineException(noFitting);

    TResImportResponse response;
    response.reqType = request.reqType;
    if (!request.newGlobalParams.empty())
        cms.setGlobalParameter(request.competitionID, request.newGlobalParams);

    TIdMap& ids = response.IDMap;
    for (const proto::ResultAggregatorInstanceType& agg : request.aggs) {
        const int first = firstSource(agg, request, ids);
        if (first == 0)
            throw ENoFittingDisciplineException(noFitting);
        const int created =
            createNode(cms, agg, first, replaced, request.displayName, request.competitionID, templateParams);
        addToIdMap(agg.ID, created, ids);
        if (agg.ConnectedAggregators.empty()) {
            const TTopLevelConnections c = GetTopLevelConnections(request.topLevelConnections, agg.ID);
            if (!c.originalName.isEmpty())
                cms.setUiInfo(uiInfoKeys::ResultsTopLevelConnection + QStringLiteral("0"), c.originalName, created);
        }
    }
    for (const proto::ResultAggregatorInstanceType& agg : request.aggs) {
        const int self = mapID(agg.ID, ids);
        for (std::size_t c = 1; c < agg.ConnectedAggregators.size(); ++c)
            takeWarning(cms.connectProviderToResultAggregator(self, mapID(agg.ConnectedAggregators[c], ids)).Warnings,
                        response.Warnings);
        const std::vector<int> more = GetTopLevelConnections(request.topLevelConnections, agg.ID).connections;
        if (agg.ConnectedAggregators.empty())
            for (std::size_t c = 1; c < more.size(); ++c)
                takeWarning(cms.connectProviderToResultAggregator(self, more[c]).Warnings, response.Warnings);
    }
    writeOutputLinkKeys(cms, request.externalLinks, ids);
    writeRequestUiInfos(cms, request.UIInfos, ids);
    return response;
}

const TRequestTable<TResImportRequest, TResImportResponse>& resImportRequests()
{
    using R = TImportRequestType;
    static const TRequestTable<TResImportRequest, TResImportResponse> table{{
        {R::rt_load, QStringLiteral("Fenster laden"), &loadNothing},
        {R::rt_import, QStringLiteral("Gesamtwertungsvorlage importieren"), &importRes},
    }};
    return table;
}

QString resImportErrorText(const TRequestOutcome& outcome)
{
    if (outcome.errorId == kSourceDoesNotFitError)
        return QStringLiteral("Die Gesamtwertungsvorlage kann nicht importiert werden, da der Ergebnis-Aggregator "
                              "\"%1\" das zugeordnete Eingabeformat nicht unterstützt. Vermutlich passt die "
                              "Gesamtwertungsvorlage nicht zu den gewählten Disziplinen.")
            .arg(outcome.parameters.value(0));
    return outcome.error;
}

} // namespace tvp
