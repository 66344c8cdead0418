#include "scoring/ui/AggregatorTreeUI.h"

#include "core/connection/SlotGuard.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QTextDocument>

namespace tvp {

namespace {

// Three pixels of movement start a drag, whatever the platform's default.
constexpr int kDragDistance = 3;

// The white surface with the connection lines; the boxes are its children.
class TAggregatorSurface : public QWidget {
public:
    explicit TAggregatorSurface(const TAggregatorTreeModel& tree) : tree_(tree)
    {
        setObjectName(QStringLiteral("PaintBox"));
        setAutoFillBackground(false);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
        for (const TAggregatorLine& line : tree_.lines())
            p.drawLine(line.from, line.to);
    }

private:
    const TAggregatorTreeModel& tree_;
};

} // namespace

// ---- TAggregatorBox --------------------------------------------------------------------------------

TAggregatorBox::TAggregatorBox(TDrawnAggregatorTree& tree, TAggregatorNode& node, QWidget* parent)
    : QFrame(parent), tree_(tree), node_(node)
{
    setObjectName(QStringLiteral("Memo%1").arg(node.ID() < 0 ? -node.ID() : node.ID()));
    setGeometry(node.box());
    QFont f = font();
    f.setPointSizeF(7.5);
    setFont(f);
    refresh();
    show();
}

void TAggregatorBox::refresh()
{
    // Escaped: a tooltip would take "<b>" in a node's or template's name for markup.
    setToolTip(Qt::convertFromPlainText(node_.boxLines().join(QLatin1Char('\n'))));
    update();
}

void TAggregatorBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor::fromRgb(node_.paintedColor() | 0xFF000000));
    // A selected box stands out with a double frame.
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (node_.Selected()) {
        p.setPen(QPen(Qt::darkGray, 1));
        p.drawRect(rect().adjusted(2, 2, -3, -3));
    }
    QFont f = font();
    f.setBold(node_.Opened());
    p.setFont(f);
    p.setPen(Qt::black);
    const QFontMetrics metrics(f);
    int y = 3 + metrics.ascent();
    for (const QString& line : node_.boxLines()) {
        if (y > height())
            break;
        p.drawText(4, y, metrics.elidedText(line, Qt::ElideRight, width() - 8));
        y += metrics.lineSpacing();
    }
}

void TAggregatorBox::MemoClick(Qt::MouseButton button)
{
    tree_.ClearSelection();
    tree_.setSelected(&node_);
    if (tree_.OnSelectItem)
        tree_.OnSelectItem(&node_);
    dragArmed_ = button == Qt::LeftButton && !noDrag_;
    noDrag_ = false;
}

void TAggregatorBox::MemoDblClick()
{
    dragArmed_ = false;
    noDrag_ = true;
    bool allow = true;
    if (tree_.OnDoubleClickingItem)
        tree_.OnDoubleClickingItem(&node_, allow);
    if (!allow)
        return;
    tree_.ClearSelection();
    tree_.setSelected(&node_);
    if (tree_.OnDoubleClickItem)
        tree_.OnDoubleClickItem(&node_);
}

void TAggregatorBox::MemoStartDrag()
{
    dragArmed_ = false;
    TAggDragObject& dragged = aggDragObject();
    dragged.Id = node_.ID();
    dragged.name = node_.getDisplayName();
    dragged.aggType = node_.getType();
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kAggregatorMimeType), QByteArray::number(node_.ID()));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction);
}

void TAggregatorBox::mousePressEvent(QMouseEvent* event)
{
    pressPos_ = event->position().toPoint();
    guarded([&] { MemoClick(event->button()); });
}

void TAggregatorBox::mouseMoveEvent(QMouseEvent* event)
{
    if (dragArmed_ && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - pressPos_).manhattanLength() >= kDragDistance)
        guarded([&] { MemoStartDrag(); });
}

void TAggregatorBox::mouseReleaseEvent(QMouseEvent*)
{
    dragArmed_ = false;
}

void TAggregatorBox::mouseDoubleClickEvent(QMouseEvent*)
{
    guarded([&] { MemoDblClick(); });
}

void TAggregatorBox::contextMenuEvent(QContextMenuEvent* event)
{
    if (QMenu* menu = tree_.PopupMenu())
        menu->popup(event->globalPos());
}

// ---- TDrawnAggregatorTree --------------------------------------------------------------------------

TDrawnAggregatorTree::TDrawnAggregatorTree(QWidget* parent, const std::vector<proto::AggregatorTreeNodeType>& roots,
                                           std::vector<int> localIds, TTemplateLookup templateLookup,
                                           const TDisciplineInfo* discInfo, QMenu* popupMenu,
                                           TParameterResolver resolver)
    : TAggregatorTreeModel(roots, std::move(localIds), std::move(templateLookup), discInfo, std::move(resolver)),
      parent_(parent),
      popup_(popupMenu)
{
    if (!parent)
        return;
    auto* surface = new TAggregatorSurface(*this);
    canvas_ = surface;
    surface->setMinimumSize(extent());
    if (auto* scroll = qobject_cast<QScrollArea*>(parent)) {
        scroll->setWidgetResizable(true);
        scroll->setWidget(surface);
    } else {
        surface->setParent(parent);
        surface->setGeometry(parent->rect());
    }
    for (int i = 0; i < getAggregatorCount(); ++i) {
        TAggregatorNode* n = node(i);
        boxes_[n] = new TAggregatorBox(*this, *n, surface);
    }
    surface->show();
}

TDrawnAggregatorTree::~TDrawnAggregatorTree()
{
    boxes_.clear();
    if (!canvas_)
        return;
    if (auto* scroll = qobject_cast<QScrollArea*>(parent_.data()); scroll && scroll->widget() == canvas_)
        scroll->takeWidget();
    // Later, not now: a box may be the source of a drag still on its way (an answer can replace the
    // tree meanwhile). Hidden, no box hears of anything before it goes.
    canvas_->hide();
    canvas_->setParent(nullptr);
    canvas_->deleteLater();
}

TAggregatorBox* TDrawnAggregatorTree::boxOf(int id) const
{
    const TAggregatorNode* n = findNode(id);
    const auto it = n ? boxes_.find(n) : boxes_.end();
    return it == boxes_.end() ? nullptr : it->second.data();
}

void TDrawnAggregatorTree::Paint()
{
    if (canvas_)
        canvas_->update();
}

void TDrawnAggregatorTree::nodeChanged(TAggregatorNode& node)
{
    if (const auto it = boxes_.find(&node); it != boxes_.end() && it->second)
        it->second->refresh();
}

void TDrawnAggregatorTree::treeChanged()
{
    for (auto& [node, box] : boxes_)
        delete box.data();
    boxes_.clear();
    Paint();
}

} // namespace tvp
