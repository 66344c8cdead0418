#pragma once
// The competition list of one discipline as a tree: the discipline's root node, its heats
// ("Lauf/Gruppe n") in ascending order, each heat's participants in their places (athletes, or
// teams with their members below them). Every node carries its TTreeNodeInformation under
// kTreeNodeInformationRole, which the competition-list printouts read.

#include "core/print/PrintTable.h"
#include "core/protocol/ParticipantRecords.h"

#include <QAbstractItemModel>

#include <memory>
#include <vector>

class QMimeData;

namespace tvp {

class THeatTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // Dragged nodes carry their participant ids under this type.
    static inline const QString kIdsMimeType = QStringLiteral("application/x-tvp-participant-ids");

    explicit THeatTreeModel(QObject* parent = nullptr);
    ~THeatTreeModel() override;

    // The name a drag of nodes gives its source (windowDragData), beside the ids.
    void setDragSource(QString name) { dragSource_ = std::move(name); }

    // The tree of a list answer: the root with the discipline's name, every heat, and each heat's
    // entries at their places (the k-th entry, from 0, at place k+1). An entry with neither athlete
    // nor team is an empty place and has no node; an athlete with id 0 is a free place ("FREI").
    void setList(const QString& disciplineName, const proto::getDisciplinParticipantsResponse1& list);
    // No nodes at all, not even the root.
    void clear();
    // An empty heat with the smallest number from 1 up that has no node yet; its index.
    QModelIndex addEmptyHeat();

    // The root node, invalid when the tree is empty.
    QModelIndex rootNode() const;
    // The node of a heat number, the root for 0; invalid when there is none.
    QModelIndex heatNode(int heatNo) const;
    // All nodes of the tree, members of teams included.
    int nodeCount() const { return nodeCount_; }
    // The highest heat number, 0 without heats.
    int heatCount() const;

    // The data of a node; nullptr for an invalid index.
    const TTreeNodeInformation* info(const QModelIndex& index) const;
    // 0 without node.
    int getHeatNo(const QModelIndex& index) const;
    // The node's place in its heat (for a team member its team's); 0 for the root, heats and no node.
    int getPosNo(const QModelIndex& index) const;
    // A participant that can be dragged and removed: it has an id and is no team member.
    bool isParticipant(const QModelIndex& index) const;

    // ---- QAbstractItemModel ----
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    // Drags only copy: the list changes on the server, never by removing rows here.
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }

private:
    struct Node;
    QString dragSource_;

    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node) const;
    // The root for 0, else the heat node of that number.
    Node* heat(int heatNo) const;
    Node* findHeat(int heatNo) const;
    Node* insertHeat(int heatNo);

    std::unique_ptr<Node> top_; // invisible: its one child is the root node
    int nodeCount_ = 0;
};

} // namespace tvp
