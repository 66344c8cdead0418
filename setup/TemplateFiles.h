#pragma once
// Discipline templates (.qdt) and results templates (.qrt) as files: their reading and writing,
// the export requests that name the interfaces on the server and write the file, and the import
// requests that rebuild a template in the current competition (docs/template-files.md).

#include "core/connection/RequestRoad.h"
#include "core/protocol/ParticipantRecords.h"
#include "core/protocol/TemplateRecords.h"
#include "core/results/tvpTypes.h"
#include "setup/TemplateManagement.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace tvp {

class TAggregatorTree;
class TUiAggregator;

// ---- discipline templates ------------------------------------------------------------------------

struct TDisciplineTemplate {
    proto::Owned<proto::DisciplinInfoType> DisciplinInfo;
    TDisciplineInfo ExtendedInfo;
    proto::Owned<proto::TExportParameters> params;
    // The first "OutputConnections": the discipline's own results node and what it feeds.
    proto::Owned<proto::TExportAggregatorTreeNodeType> aggRoot;
};

// A read file and what the window shows about it (caption "...importieren"): with a wrong root
// the template stays empty and error names the root; with fatal set the file could not be read at
// all and the window shows error alone.
template <class Template>
struct TTemplateRead {
    Template templ;
    QString error;
    bool fatal = false;
};

TTemplateRead<TDisciplineTemplate> LoadDiscFromStream(const QByteArray& data);

// What a .qdt holds, in file order.
struct TDiscTemplateContent {
    proto::DisciplinInfoType DisciplinInfo;
    proto::ResultValueType ResultType = proto::ResultValueType::Distance;
    TResultformat ResultFormat = TResultformat::rf_Default;
    QString HeightList;
    proto::TExportParameters GlobalParameters;
    std::vector<proto::TExportAggregatorTreeNodeType> OutputConnections;
};
QByteArray writeDiscTemplate(const TDiscTemplateContent& content);

// The DisciplinInfo a template stores of a discipline: its settings under the given name.
proto::DisciplinInfoType templateDisciplinInfo(const TDisciplineInfo& disc, const QString& name);

// ---- results templates -----------------------------------------------------------------------------

struct TResultsTemplate {
    proto::Owned<proto::TExportParameters> params;
    proto::Owned<proto::TExportAggregators> topLevelItems;
};

TTemplateRead<TResultsTemplate> LoadResultsFromStream(const QByteArray& data);

// cup: the nodes belong to a cup ("tvp:CupTemplate", which cannot be imported).
QByteArray writeResultsTemplate(bool cup, const proto::TExportParameters& params,
                                const proto::TExportAggregators& inputs);

// ---- export ------------------------------------------------------------------------------------

// An interface of an exported node: its name and the outside node it leads into (0 for none).
struct TInterfaceItem {
    QString text;
    int data = 0;
};
// A named node of the discipline with its interfaces, as the export window lists them.
struct TDiscInterfaceNode {
    int id = 0;
    std::vector<TInterfaceItem> interfaces;
};

// The UI infos an export names on the server: per aggregator and prefix, key numbers counted from
// the free start index plus the interface's position.
struct TInterfaceKey {
    QString prefix;
    int associatedId = 0;
    int position = 0;
    QString value;
    // Keys of one nonzero group count from one start index, read before the group's first key;
    // others read their own.
    int startGroup = 0;
};

struct TTemplateExportRequest : TRequest {
    QString fileName;
    QByteArray document;
    std::vector<TInterfaceKey> keys;
};
struct TTemplateExportResponse : TResponse {
    QString fileName;
};

// The request the discipline export sends: the file's bytes and the interface keys. Throws
// EParameterExportError for a parameter that neither stays nor resolves.
std::unique_ptr<TTemplateExportRequest> discTemplateExport(const TAggregatorTree& tree, const QString& name,
                                                           const std::vector<TExportParameterRow>& rows,
                                                           const std::vector<TDiscInterfaceNode>& interfaces,
                                                           const QString& fileName);

// A selected top-level node of a results export and the interface name it gets.
struct TResultsExportItem {
    const TUiAggregator* node = nullptr;
    QString name;
};
// all: every node of the selection (the export stops at nodes outside it); cupId 0 for none.
std::unique_ptr<TTemplateExportRequest> resultsTemplateExport(const std::vector<TResultsExportItem>& topLevel,
                                                              const std::vector<const TUiAggregator*>& all, int cupId,
                                                              const std::vector<TExportParameterRow>& rows,
                                                              const QString& fileName);

// Names the interfaces on the server, then writes the file whole; a failed write fails the
// request, so the transaction (tm_readwrite) takes the keys back and the old file stays.
const TRequestTable<TTemplateExportRequest, TTemplateExportResponse>& discTemplateExportRequests();
const TRequestTable<TTemplateExportRequest, TTemplateExportResponse>& resultsTemplateExportRequests();

// Writes the file whole or not at all; throws TvpError naming the file.
void saveTemplateFile(const QString& fileName, const QByteArray& document);

// ---- discipline import -------------------------------------------------------------------------

struct TDiscImportRequest : TBaseImportRequest {
    int discTemplateId = 0;
    int competitionID = 0;
    proto::Owned<proto::DisciplinInfoType> discInfo;
    TDisciplineInfo ExtendedInfo;
    std::vector<TExternalLink> externalLinks;
};

struct TDiscImportResponse : TResponse {
    TImportRequestType reqType = TImportRequestType::rt_load;
    int discId = 0;
    std::vector<proto::AgeClassType> ageClasses;
    TIdMap IDMap;
    std::vector<proto::MixedAgeClassesWarningType> Warnings;
};

// The import of templ as the window's choices make it: name, age class, preset and heat size.
std::unique_ptr<TDiscImportRequest>
discImportRequest(const TDisciplineTemplate& templ, const TAbstractParameterMapping& mapping,
                  const std::vector<proto::GlobalParametersInfoType>& newParams, const QString& name, int ageClassId,
                  proto::SquadAssignmentType squadAssignment, int maxParticipantsPerHeat, int competitionId);

// Creates the discipline and its nodes; one transaction (tm_readwrite) with the caller's request.
TDiscImportResponse createDisciplineFromTemplate(proto::CompetitionManagementPortType& cms,
                                                 const TDiscImportRequest& request,
                                                 std::vector<TReplacedParameter>* replaced,
                                                 const std::vector<TExportGlobalParameter>& templateParams);

// rt_load: the age classes ("Altersklassen laden"); rt_import: "Disziplinvorlage importieren".
const TRequestTable<TDiscImportRequest, TDiscImportResponse>& discImportRequests();

// The window's text for a failed import: 143 explained, else the server's text.
QString discImportErrorText(const TRequestOutcome& outcome);

// ---- results import ----------------------------------------------------------------------------

struct TTopLevelConnections {
    int topLevelId = 0;
    std::vector<int> connections;
    QString originalName;
};

struct TResImportRequest : TBaseImportRequest {
    std::vector<TTopLevelConnections> topLevelConnections;
    std::vector<TExternalLink> externalLinks;
    QString displayName;  // empty from the window
    QString templateName; // the file name without folder
    int competitionID = 0;
};

struct TResImportResponse : TResponse {
    TImportRequestType reqType = TImportRequestType::rt_load;
    TIdMap IDMap;
    std::vector<proto::MixedAgeClassesWarningType> Warnings;
};

// The entry of that top-level id; without one, an entry whose only connection is 0.
TTopLevelConnections GetTopLevelConnections(const std::vector<TTopLevelConnections>& all, int templateId);

// The import of templ with the user's connections of its inputs.
std::unique_ptr<TResImportRequest> resImportRequest(const TResultsTemplate& templ,
                                                    const TAbstractParameterMapping& mapping,
                                                    const std::vector<proto::GlobalParametersInfoType>& newParams,
                                                    std::vector<TTopLevelConnections> connections,
                                                    const QString& templateName, int competitionId);

// Every input is checked for a source before the first server call (ENoFittingDisciplineException).
TResImportResponse createResFromTemplate(proto::CompetitionManagementPortType& cms, const TResImportRequest& request,
                                         std::vector<TReplacedParameter>* replaced,
                                         const std::vector<TExportGlobalParameter>& templateParams);

// rt_load: "Fenster laden" (nothing to do); rt_import: "Gesamtwertungsvorlage importieren".
const TRequestTable<TResImportRequest, TResImportResponse>& resImportRequests();

QString resImportErrorText(const TRequestOutcome& outcome);

} // namespace tvp
