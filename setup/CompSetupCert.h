#pragma once

// The certificate collections a new competition gets: which scoring nodes of the chosen templates
// take part in each result presentation of an age class, in which order, and with which sort
// indices. Widget-free and without server calls: the creation worker stores what comes out.
//
// The age-class and template inputs below are the smallest the ordering needs. The creation worker
// fills them from the competition-type model and the loaded template files.

#include "core/protocol/ScoringRecords.h"
#include "core/protocol/TVPWebServices2.h"
#include "core/protocol/TemplateRecords.h"
#include "core/results/tvpTypes.h"

#include <QString>
#include <QStringList>

#include <map>
#include <span>
#include <vector>

namespace tvp {

using TTemplateNode = proto::TExportAggregatorTreeNodeType;

struct TCertSortPrio {
    int Prio = 0;
    int Listrank = 0;
    int sortIndex = 0;
};

// A priority of one named node of a template, per parameter id.
struct TStringPrioType {
    QString Name;
    int Prio = 0;
    int SortIndex = 0;
    int DiscParamID = 0;
};

class TPresentationTemplate;

// One participant of a presentation: a template as chosen (id 0) or as an intermediate scoring
// created for the discipline with that id.
struct TParamAtt {
    int DiscParamID = 0;
    TPresentationTemplate* TemplateWrapper = nullptr;
};

struct TResEvalConnectionListItem {
    int ID = 0;
    // The overall scoring's own object: priorities set later for a presentation count here.
    const TCertSortPrio* Prio = nullptr;
    std::vector<int> Chain;
};

int compareCertPrio(const TCertSortPrio& a, const TCertSortPrio& b);
int CompareCertOrderForAbstractTemplateType(const TParamAtt& a, const TParamAtt& b);
int CompareSortIndexForSortId(const TSortId& a, const TSortId& b);
int CompareCertOrderForConnectionList(const TResEvalConnectionListItem& a, const TResEvalConnectionListItem& b);

// The nodes of a discipline that feed chosen overall scorings, with the node chains above them.
class TResEvalConnectionList {
public:
    void setPrioForID(int id, const TCertSortPrio* prio);
    void addIDChainForID(int id, const std::vector<int>& chain);
    std::vector<int> getEffectiveIDChain() const;
    bool isEmpty() const { return items_.empty(); }
    void Clear() { items_.clear(); }

private:
    std::vector<TResEvalConnectionListItem> items_;
};

enum class TWrapperKind { Discipline, Results };

class TPresentationTemplate {
public:
    virtual ~TPresentationTemplate() = default;
    virtual TWrapperKind kind() const = 0;

    QString DisplayName;
    const QString& getDisplayName() const { return DisplayName; }

    TCertSortPrio& getCertPriority(int id);
    void setCertPriorityListrank(int id, int rank) { getCertPriority(id).Listrank = rank; }

    void addAggPresentationPrio(int id, const QString& name, int prio, int sortIndex);
    void clearAggPresentationPrio(int id);
    int getAggPrio(int id, const QString& name, int def) const;
    int getAggSortIndex(int id, const QString& name, int def) const;

    // Template node id -> server aggregator id of what was created for parameter id.
    const std::map<int, int>* getIDMap(int id) const;
    void setIdMap(int id, std::map<int, int> pairs) { idMaps_[id] = std::move(pairs); }
    void clearIdMaps() { idMaps_.clear(); }
    bool isDiscRegisteredAsIntermediateParam(int id) const { return idMaps_.contains(id); }

    virtual std::vector<int> getResPresentationIds(int id) = 0;
    virtual void addSortIds(std::vector<TSortId>& list, int id) = 0;

    void getCertAggIds(int id, std::vector<int>& ids, std::span<const TTemplateNode> nodes);
    void addSortIdAggs(std::vector<TSortId>& list, int id, std::span<const TTemplateNode> nodes);

protected:
    // 0 for a node nothing was created for.
    int serverId(int id, int nodeId) const;

private:
    std::map<int, TCertSortPrio> prios_; // a map: connection items keep pointers into it
    std::vector<TStringPrioType> nodePrios_;
    std::map<int, std::map<int, int>> idMaps_;
};

class TPresentationDiscTemplate : public TPresentationTemplate {
public:
    TWrapperKind kind() const override { return TWrapperKind::Discipline; }
    int GivenID = 0;
    TTemplateNode aggRoot;
    TResEvalConnectionList connections;

    std::vector<int> getResPresentationIds(int id) override;
    void addSortIds(std::vector<TSortId>& list, int id) override;
    void collectionCertAggIDChain(std::vector<int>& chain, const TTemplateNode& node);
};

class TPresentationResultsTemplate : public TPresentationTemplate {
public:
    TWrapperKind kind() const override { return TWrapperKind::Results; }
    std::vector<TTemplateNode> topLevelItems;

    std::vector<int> getResPresentationIds(int id) override;
    void addSortIds(std::vector<TSortId>& list, int id) override;
};

// ---- what the competition type says for one age class --------------------------------------------

struct TResultEvaluationRef;

struct TIntermediateResultRef {
    QString templateName;
    const TResultEvaluationRef* resolved = nullptr; // set when the creation resolved it
};

// A ResultTemplate reference of the age class.
struct TResultEvaluationRef {
    QString Name;
    std::vector<TIntermediateResultRef> IntermediateResultTemplates;
};

struct TPriorityTarget {
    TWrapperKind kind = TWrapperKind::Discipline;
    QString templateName; // "*": every template of that kind
    QStringList ResultProviderNames;
};

struct TPresentationPriority {
    // As written in the file: not a whole number counts as 0.
    QString OrderIndex;
    QString SortIndex;
    std::vector<TPriorityTarget> targets;
};

struct TResultPresentationDef {
    QString Name;
    int DefaultPrio = 0;
    std::vector<TPresentationPriority> Priorities;
};

struct TPresentationAgeClass {
    std::vector<TResultPresentationDef> presentations;
    // Results templates loaded for the age class, for finding intermediates by display name.
    std::vector<TPresentationResultsTemplate*> loadedResEvals;
    // The reference each template matched in the age class (by hash); none: not listed.
    std::map<const TPresentationTemplate*, QString> refNames;
    std::map<const TPresentationResultsTemplate*, const TResultEvaluationRef*> resEvalRefs;
};

// ---- making the presentations -------------------------------------------------------------------

void addIntermediatesToATTList(const TPresentationAgeClass& ageClass, const TResultEvaluationRef& ref,
                               const TPresentationDiscTemplate& disc, std::vector<TParamAtt>& list, int rank);
void fillAbstractTemplateTypeWithOrderIndices(const TResultPresentationDef& pres, std::vector<TParamAtt>& list,
                                              const TPresentationAgeClass& ageClass);
std::vector<int> getResPrsAggsIds(std::vector<TParamAtt> list);
std::vector<int> getResPresSortIds(const std::vector<TParamAtt>& list);

struct TPresentationOrder {
    proto::AggregatorCollectionInfoType collection; // SpecialOrderIndices stay empty
    std::vector<int> sortIds;                       // for modifyAggregatorCollectionSortOrder
};

// One entry per presentation of the age class, in file order.
std::vector<TPresentationOrder> makeResultPresentations(const TPresentationAgeClass& ageClass,
                                                        const std::vector<TPresentationDiscTemplate*>& discs,
                                                        const std::vector<TPresentationResultsTemplate*>& resEvals);

// Stores the presentations as collections of the competition with their sort orders; the new
// collections' ids in the same order. A refusal ends the creation, so it is not caught here.
std::vector<int> storeResultPresentations(proto::UiStorePortType& uis, int competitionId,
                                          const std::vector<TPresentationOrder>& orders);

} // namespace tvp
