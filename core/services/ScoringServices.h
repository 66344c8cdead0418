#pragma once
// What the core, participant and organisation windows use of scoring, cups and result documents.
// Those windows implement these interfaces; callers find them through the window registry (the two
// factories are registered there as services) and skip the call while none is there.

#include "core/protocol/Errors.h"
#include "core/protocol/ScoringRecords.h"
#include "core/protocol/TemplateRecords.h"
#include "core/results/tvpTypes.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>
#include <memory>
#include <vector>

class QAbstractItemModel;
class QObject;
class QPrinter;

namespace tvp {

class TRequestContext;

// Lives in the results core, which links this library; only pointers and references here.
class TDisciplineInfo;

enum class TBool { bFalse, bTrue, bNotSet };

enum class TDocPathStatus {
    dps_loaded = 0,
    dps_setting = 1,
    dps_completed = 2,
    dps_removing = 3,
    dps_removed = 4,
    dps_error_setting = 5,
    dps_error_removing = 6,
};

enum class TScheduleDocType { sd_NONE = 0, sd_TEAM = 1, sd_SQUAD = 2 };

// ag_Unknown: not worked out, and so stays a discipline's own results node.
enum class TAggregatorType { ag_Unknown, ag_DiscInternal, ag_ExtRef, ag_CupRef };

// A scoring node's label and its two marks (analysis, certificates).
struct TAggUiInfos {
    QString FName;
    TBool FVisAnalysis = TBool::bNotSet;
    TBool FVisCertificate = TBool::bNotSet;
};

// A parameter of a result-evaluation template.
using TExportGlobalParameter = proto::TExportGlobalParameter;

// The current value of a global parameter as text (with "."), empty when it cannot be named.
using TParamNameResolver = std::function<QString(const QString& name)>;

// A template export that cannot name a global parameter's value.
class EParameterExportError : public TvpError {
public:
    using TvpError::TvpError;
};
inline QString unresolvableParameterText(const QString& name)
{
    return QStringLiteral("Globaler Parameter \"%1\" kann nicht aufgelöst werden.").arg(name);
}

// A window that keeps a mail-merge document path of a competition; results arrive later.
class IDocSetupForm {
public:
    virtual ~IDocSetupForm() = default;
    // extra: for the schedule document the TScheduleDocType in its low byte.
    using StatusHandler = std::function<void(TDocPathStatus status, const QString& path, int competitionId, int extra)>;
    // Installed by the window that shows the path; it ignores other competitions.
    StatusHandler OnStatusChange;
};

class IBillingDocSetupForm : public IDocSetupForm {
public:
    virtual void getPath(int competitionId) = 0;
    virtual void showDialog(int competitionId) = 0;
    virtual void removeBillingDocPath(int competitionId) = 0;
};

// The certificate document of a result compilation (key "AggColl_CertDocPath"); the status
// handler gets the compilation id in place of the competition id.
class ICertDocSetupForm : public IDocSetupForm {
public:
    virtual void getPath(int collectionId) = 0;
    virtual void showDialog(const QString& name, int collectionId, bool cupMode) = 0;
    virtual void removeCertDocPath(int collectionId) = 0;
};

// The data view of a result compilation, opened by the certificate windows.
class IDataViewForm {
public:
    virtual ~IDataViewForm() = default;
    // aggs: the compilation's nodes in order; orderIndices: its stored sort order, as positions
    // from the first result column.
    virtual void ShowData(const QString& name, int collectionId, const std::vector<TAggInfo>& aggs,
                          const std::vector<int>& orderIndices, bool testMode, bool cupMode, int cupId) = 0;
};

class ITeamScheduleDocSetupForm : public IDocSetupForm {
public:
    virtual void getPath(int competitionId) = 0;
    virtual void showDialog(int competitionId) = 0;
    virtual void removeTeamScheduleDocPath(int competitionId) = 0;
};

class ICupsForm {
public:
    virtual ~ICupsForm() = default;
    // Reloads the visible cup result model, cup certificate and cup item windows.
    virtual void ReloadCupWindows() = 0;
    // The name of the cup the window shows; empty when none.
    virtual QString getCupName() = 0;
};

// The compilations of one cup, opened by the cups window.
class ICupCertForm {
public:
    virtual ~ICupCertForm() = default;
    // Shows the cup's compilations; 0 only hides the window.
    virtual void ShowCertForm(int cupId) = 0;
};

// The custom columns of one cup and item kind, opened by the cups window.
class ICustomCupColForm {
public:
    virtual ~ICustomCupColForm() = default;
    // Cup 0 shows nothing.
    virtual void showCustomCupColForm(int cupId, proto::CupItemType kind) = 0;
};

// Fills the custom columns of a cup's athletes from a file, opened by the cup athlete window.
class ICustomColImportForm {
public:
    virtual ~ICustomColImportForm() = default;
    virtual void showImportForm(int cupId) = 0;
};

class IAnalyseForm {
public:
    virtual ~IAnalyseForm() = default;
    // providerId: a scoring node, or the discipline itself.
    virtual void ShowAndLoad(int discId, int providerId) = 0;
    // The printer choice of every printout runs the window's print dialog (PrintDialog1): true
    // when the user confirmed a printer, which is then set on printer.
    virtual bool choosePrinter(QPrinter& printer) = 0;
};

class TAggregatorTree;

// One node of a discipline's scoring tree.
class TUiAggregator {
public:
    virtual ~TUiAggregator() = default;
    virtual int ID() const = 0;
    // 0 for competition nodes.
    virtual int cupId() const = 0;
    // Either may be null.
    virtual const proto::ResultAggregatorInstanceType* AggregatorInfo() const = 0;
    virtual const proto::ResultAggregatorTemplateType* TemplateInfo() const = 0;
    // bNotSet until the labels are applied.
    virtual TBool VisAnalysis() const = 0;
    virtual TBool VisCertificate() const = 0;
    virtual TAggregatorTree* parentAggregatorTree() const = 0;

    // Empty until a label was applied.
    virtual QString getName() const = 0;
    // The label, else the template's name, else "Ergebnisse <discipline>" for the discipline's node.
    virtual QString getDisplayName() const = 0;
    virtual TAggregatorType getType() const = 0;
    // Every node of the tree, in tree order, that has this node among its connections.
    virtual std::vector<TUiAggregator*> getParents() const = 0;
    virtual void markForDelete() = 0;
    virtual void setTypeColor() = 0;

    // ---- the template export ----
    // The node's export subtree. Connections are skipped when internalOnly is set and they are no
    // internal nodes, or when only is given and does not hold them. Parameters that are names take
    // their export name from params, else their value from resolver; references listed for this
    // node in extRefs are numbered on with refCounter. Throws EParameterExportError.
    virtual proto::TExportAggregatorTreeNodeType getTree(const std::vector<TExportGlobalParameter>& params,
                                                         const std::vector<proto::TExternalReference>& extRefs,
                                                         int& refCounter, bool internalOnly,
                                                         const std::vector<const TUiAggregator*>* only,
                                                         const TParamNameResolver& resolver) const = 0;
    // Label and the two marks.
    virtual void writeUiInfos(proto::TExportAggregatorTreeNodeType& node) const = 0;
    // One reference per connection that leads out of the tree (id and display name).
    virtual std::vector<proto::TExternalReference> getExternalReferences() const = 0;
    // Appends the parameter texts that are names and not yet listed.
    virtual void addParameters(QStringList& names) const = 0;
    // addParameters, then the same over the internal connections, depth first.
    virtual void addInternalParameters(QStringList& names) const = 0;
};

// The drawn scoring tree of one discipline; destroying it removes the drawing.
class TAggregatorTree {
public:
    virtual ~TAggregatorTree() = default;

    std::function<void(TUiAggregator* node)> OnSelectItem;
    std::function<void(TUiAggregator* node)> OnDoubleClickItem;
    std::function<void(TUiAggregator* node, bool& allow)> OnDoubleClickingItem;

    // Null when absent.
    virtual TUiAggregator* findAggregatorById(int id) const = 0;
    // The flat node list in tree order.
    virtual int getAggregatorCount() const = 0;
    virtual TUiAggregator* getAggregator(int index) const = 0;
    virtual TUiAggregator* getSelected() const = 0;
    // Null only clears the marks.
    virtual void setSelected(TUiAggregator* node) = 0;
    virtual void setOpenedItem(TUiAggregator* node) = 0;
    // Applies the labels to their nodes; the node with the given id, null when absent.
    virtual TUiAggregator* setLabelsToAggTree(const std::vector<proto::UiInfoKeyValuePair>& pairs, int id) = 0;
    virtual std::vector<TUiAggregator*> getResultConnections(const QString& label) const = 0;
    virtual std::vector<TUiAggregator*> getResultOutputConnections(const QString& label) const = 0;
    virtual const TDisciplineInfo* CurDiscInfo() const = 0;

    // ---- the template export ----
    // The global parameter names the root nodes and their internal nodes use.
    virtual QStringList getLocalUsedParams() const = 0;
    // Every root's internal subtree (getTree with internalOnly), one reference counter across them.
    virtual std::vector<proto::TExportAggregatorTreeNodeType>
    exportLocalAggs(const std::vector<TExportGlobalParameter>& params,
                    const std::vector<proto::TExternalReference>& extRefs,
                    const TParamNameResolver& resolver) const = 0;
};

struct TSourceListItem {
    int Id = 0;
    int SourceDisciplinId = 0;
    int CompetitionId = 0;
};

// The sources of the open node: rows of "Name (id)" and origin, for a list view to show.
class TAggregatorSourceList {
public:
    virtual ~TAggregatorSourceList() = default;
    // Two columns, "Name" and "Disziplin/Wertungsknoten"; a row's Qt::UserRole is its source id.
    virtual QAbstractItemModel* model() = 0;
    // Skipped when the id is present; with resolve set the pending rows are resolved at once.
    virtual void addItem(int id, bool resolve) = 0;
    virtual void Clear() = 0;
    virtual void RemoveItem(int index) = 0;
    virtual int getListCount() const = 0;
    // Null outside the range.
    virtual const TSourceListItem* getItem(int index) const = 0;
    // May ask the server.
    virtual void UpdateInfos() = 0;
    virtual void AttachToAggTree(TAggregatorTree* tree) = 0;
    // Clears the rows and forgets the tree.
    virtual void DetachToAggTree() = 0;
};

// The one drag object for scoring nodes between windows; drops with Id 0 are refused.
struct TAggDragObject {
    int Id = 0;
    QString name;
    TAggregatorType aggType = TAggregatorType::ag_DiscInternal;
};

TAggDragObject& aggDragObject();
// The mime type of a drag of a scoring node; the node itself is in aggDragObject().
inline constexpr const char* kAggregatorMimeType = "application/x-tvp-aggregator";

using TTemplateLookup = std::function<const proto::ResultAggregatorTemplateType*(int id)>;
using TDisciplineLookup = std::function<const TDisciplineInfo*(int id)>;

// Makes the scoring tree models and source lists; registered as a service by the scoring area.
// The trees drawn on a window come from the ui side's IAggregatorTreeViews (core/ui/ScoringViews.h).
class IAggregatorTrees {
public:
    virtual ~IAggregatorTrees() = default;
    // The tree of the root nodes, not drawn; localIds are the providers that count as local.
    virtual std::unique_ptr<TAggregatorTree>
    createAggregatorTree(const std::vector<proto::AggregatorTreeNodeType>& nodes, const std::vector<int>& localIds,
                         TTemplateLookup templateLookup, const TDisciplineInfo& discInfo) = 0;
    // Names unknown to the tree and the lookup are asked of the server on the context; failures are
    // reported as window's.
    virtual std::unique_ptr<TAggregatorSourceList> createAggregatorSourceList(TRequestContext& context, QObject* window,
                                                                              TDisciplineLookup disciplineLookup) = 0;
};

} // namespace tvp
