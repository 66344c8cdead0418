#pragma once
// The drawn scoring tree: each node a coloured box at its laid-out place on a white surface, lines
// from each node down to the nodes it feeds; boxes are selected by a click, opened by a double
// click and dragged to other windows (the drag carries the node through aggDragObject()).

#include "scoring/AggregatorTreeModel.h"

#include <QFrame>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <map>

namespace tvp {

class TDrawnAggregatorTree;

// One node's box.
class TAggregatorBox : public QFrame {
    Q_OBJECT
public:
    TAggregatorBox(TDrawnAggregatorTree& tree, TAggregatorNode& node, QWidget* parent);
    TAggregatorNode& node() const { return node_; }
    // Brings text, colour, selection and opened mark up to date.
    void refresh();

    // The mouse handlers, callable as a user's click would run them.
    void MemoClick(Qt::MouseButton button);
    void MemoDblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void MemoStartDrag();

    TDrawnAggregatorTree& tree_;
    TAggregatorNode& node_;
    // Set by a double click, so the press that comes with it starts no drag.
    bool noDrag_ = false;
    bool dragArmed_ = false;
    QPoint pressPos_;
};

class TDrawnAggregatorTree : public TAggregatorTreeModel {
public:
    // parent: a scroll area (the surface becomes its widget) or any widget (the surface fills it).
    TDrawnAggregatorTree(QWidget* parent, const std::vector<proto::AggregatorTreeNodeType>& roots,
                         std::vector<int> localIds, TTemplateLookup templateLookup, const TDisciplineInfo* discInfo,
                         QMenu* popupMenu, TParameterResolver resolver = {});
    ~TDrawnAggregatorTree() override;

    // The drawing surface (null once its parent is gone).
    QWidget* PaintBox() const { return canvas_; }
    QMenu* PopupMenu() const { return popup_; }
    // The box of a node, null when none.
    TAggregatorBox* boxOf(int id) const;
    void Paint();

protected:
    void nodeChanged(TAggregatorNode& node) override;
    void treeChanged() override;

private:
    QPointer<QWidget> canvas_;
    QPointer<QWidget> parent_;
    QPointer<QMenu> popup_;
    std::map<const TAggregatorNode*, QPointer<TAggregatorBox>> boxes_;
};

} // namespace tvp
