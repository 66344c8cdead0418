#pragma once
// The client's model of a discipline's scoring nodes: one node per server node, laid out as boxes
// in rows, each node above the nodes its results flow into, with the kinds, colours, labels and
// marks the drawing shows. Without widgets; the drawn tree (scoring/ui) adds the boxes and lines.

#include "core/results/tvpTypes.h"
#include "core/results/tvpUtils.h"
#include "core/services/ScoringServices.h"

#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tvp {

class TAggregatorTreeModel;

// The value of a global parameter of the competition (cup id 0) or of a cup; nothing when unknown.
using TParameterResolver = std::function<std::optional<double>(const QString& name, int cupId)>;

// Per channel (1 - factor) * color + factor * overlay, rounded half to even.
QRgb getOverlayColor(QRgb color, QRgb overlay, float factor);

class TAggregatorNode : public TUiAggregator {
public:
    static constexpr int kBoxWidth = 140;
    static constexpr int kBoxHeight = 40;
    static constexpr QRgb kSilver = 0xC0C0C0;
    static constexpr QRgb kDeleteColor = 0xF03000;

    TAggregatorNode(TAggregatorTreeModel& tree, const proto::AggregatorTreeNodeType& record, QPoint topLeft);

    // ---- TUiAggregator ----
    int ID() const override { return FId; }
    int cupId() const override { return FCupId; }
    const proto::ResultAggregatorInstanceType* AggregatorInfo() const override { return FaggregatorInfo.get(); }
    const proto::ResultAggregatorTemplateType* TemplateInfo() const override;
    TBool VisAnalysis() const override { return FInfos.FVisAnalysis; }
    TBool VisCertificate() const override { return FInfos.FVisCertificate; }
    TAggregatorTree* parentAggregatorTree() const override;
    QString getName() const override { return FInfos.FName; }
    TAggregatorType getType() const override;
    std::vector<TUiAggregator*> getParents() const override;
    void markForDelete() override;
    void setTypeColor() override;
    proto::TExportAggregatorTreeNodeType getTree(const std::vector<TExportGlobalParameter>& params,
                                                 const std::vector<proto::TExternalReference>& extRefs, int& refCounter,
                                                 bool internalOnly, const std::vector<const TUiAggregator*>* only,
                                                 const TParamNameResolver& resolver) const override;
    void writeUiInfos(proto::TExportAggregatorTreeNodeType& node) const override;
    std::vector<proto::TExternalReference> getExternalReferences() const override;
    void addParameters(QStringList& names) const override;
    void addInternalParameters(QStringList& names) const override;

    // ---- the node's own ----
    TAggregatorTreeModel& tree() const { return FAggTree; }
    // The label with its "$(...)" references filled in.
    QString getParsedName() const;
    QString getTemplateName() const;
    QString getDisplayName() const override;
    // "$(n)": the n-th parameter; any other key: the global parameter of that name; "?" when unknown.
    QString map(const QString& key) const;

    void setInfos(const QString& label);
    void setVisAnalysis(bool marked);
    void setVisCertificate(bool marked);

    bool Selected() const { return FSelected; }
    bool Opened() const { return FOpened; }
    void setSelected(bool selected);
    void setOpened(bool opened);

    // The nodes this node's results flow into, in the server's order.
    const std::vector<TAggregatorNode*>& connections() const { return Connections; }
    void AddConnection(TAggregatorNode* node) { Connections.push_back(node); }

    void addResultConnectionLabel(const QString& label) { FResultConnectionLabels << label; }
    void addResultsOutputConnectionLabel(const QString& label) { FResultOutputConnectionsLabels << label; }
    bool hasResultsOutputConnectionLabel(const QString& label) const;
    const QStringList& resultConnectionLabels() const { return FResultConnectionLabels; }

    // ---- what the drawing shows ----
    QRect box() const { return {topLeft_, QSize(kBoxWidth, kBoxHeight)}; }
    // The colour of its kind (paler unless shown in the analysis), or the delete mark.
    QRgb Color() const { return FColor; }
    QRgb paintedColor() const { return markedForDelete_ ? kDeleteColor : FColor; }
    // The box's text lines: label, template name and parameters, or the display name.
    QStringList boxLines() const { return lines_; }

private:
    friend class TAggregatorTreeModel;
    void updateInfos();
    std::optional<double> resolveParam(int index) const;
    void changed();

    TAggregatorTreeModel& FAggTree;
    int FId = 0;
    int FCupId = 0;
    std::unique_ptr<proto::ResultAggregatorInstanceType> FaggregatorInfo;
    TAggUiInfos FInfos{QStringLiteral("Lade..."), TBool::bNotSet, TBool::bNotSet};
    std::vector<TAggregatorNode*> Connections;
    mutable TAggregatorType Ftype = TAggregatorType::ag_Unknown;
    bool FSelected = false;
    bool FOpened = false;
    bool markedForDelete_ = false;
    QRgb FColor = kSilver;
    QStringList FResultConnectionLabels;
    QStringList FResultOutputConnectionsLabels;
    QPoint topLeft_;
    QStringList lines_;
};

// One line of the drawing: from a node's bottom centre down to the top centre of a node it feeds.
struct TAggregatorLine {
    QPoint from;
    QPoint to;
};

class TAggregatorTreeModel : public TAggregatorTree {
public:
    // roots: the server's root records; localIds: the providers that count as this tree's own
    // (the discipline); discInfo: the tree's discipline, null for none.
    TAggregatorTreeModel(const std::vector<proto::AggregatorTreeNodeType>& roots, std::vector<int> localIds,
                         TTemplateLookup templateLookup, const TDisciplineInfo* discInfo,
                         TParameterResolver resolver = {});
    ~TAggregatorTreeModel() override;

    // ---- TAggregatorTree ----
    TUiAggregator* findAggregatorById(int id) const override { return findNode(id); }
    int getAggregatorCount() const override { return int(FAggregators.size()); }
    TUiAggregator* getAggregator(int index) const override;
    TUiAggregator* getSelected() const override;
    void setSelected(TUiAggregator* node) override;
    void setOpenedItem(TUiAggregator* node) override;
    TUiAggregator* setLabelsToAggTree(const std::vector<proto::UiInfoKeyValuePair>& pairs, int id) override;
    std::vector<TUiAggregator*> getResultConnections(const QString& label) const override;
    std::vector<TUiAggregator*> getResultOutputConnections(const QString& label) const override;
    const TDisciplineInfo* CurDiscInfo() const override { return &FCurDiscInfo; }
    QStringList getLocalUsedParams() const override;
    std::vector<proto::TExportAggregatorTreeNodeType>
    exportLocalAggs(const std::vector<TExportGlobalParameter>& params,
                    const std::vector<proto::TExternalReference>& extRefs,
                    const TParamNameResolver& resolver) const override;

    // ---- the model's own ----
    TAggregatorNode* findNode(int id) const;
    TAggregatorNode* node(int index) const { return FAggregators.at(std::size_t(index)).get(); }
    const std::vector<TAggregatorNode*>& UiRootNodes() const { return FUiRootNodes; }
    TAggregatorType getAggregatorType(const proto::ResultAggregatorInstanceType* instance) const;
    bool inLocalList(int id) const;
    void ClearSelection();
    void resetOpenedItems();
    // Empties the tree.
    void Clear();

    // The drawing: every connection line, and the size the boxes need.
    std::vector<TAggregatorLine> lines() const;
    QSize extent() const;

    const proto::ResultAggregatorTemplateType* lookupTemplate(int id) const;
    std::optional<double> resolveParameter(const QString& name, int cupId) const;

protected:
    // A node's text, colour, selection or opened mark changed (the drawing follows it).
    virtual void nodeChanged(TAggregatorNode& node) {}
    // The nodes were removed or laid out anew.
    virtual void treeChanged() {}

private:
    friend class TAggregatorNode;
    std::vector<TAggregatorNode*> addTree(int left, int& right, int depth,
                                          const std::vector<proto::AggregatorTreeNodeType>& records);
    void setTypeColors();

    std::vector<std::unique_ptr<TAggregatorNode>> FAggregators;
    std::vector<int> FlocalIds;
    TDisciplineInfo FCurDiscInfo;
    std::vector<TAggregatorNode*> FUiRootNodes;
    TTemplateLookup GetTemplateById;
    TParameterResolver resolver_;
};

} // namespace tvp
