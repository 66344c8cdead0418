#include "scoring/ui/CustomCupColDialog.h"

#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "core/connection/SlotGuard.h"
#include "core/lists/WindowDrag.h"

#include <QAction>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace tvp {

namespace {

constexpr int kIdRole = Qt::UserRole;
constexpr int kOrderRole = Qt::UserRole + 1;

const QString kNewColumn = QStringLiteral("Neue Spalte");
const QString kDragSource = QStringLiteral("CustomCupColForm/ListView1");

// Hands a confirmed edit to the window instead of writing the caption: the window decides
// whether the text is taken.
class TCaptionDelegate : public QStyledItemDelegate {
public:
    TCaptionDelegate(TColListView* view) : QStyledItemDelegate(view), view_(view) {}

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        QTreeWidgetItem* item = view_->topLevelItem(index.row());
        if (!line || !item || !view_->OnEdited)
            return;
        const QString text = line->text();
        guarded([&] { view_->OnEdited(item, text); });
    }

private:
    TColListView* view_;
};

QString captionOf(proto::CupItemType kind)
{
    switch (kind) {
    case proto::CupItemType::AgeClass:
        return QStringLiteral("Benutzerdefinierte Spalten für Cup-Altersklassen anlegen");
    case proto::CupItemType::Team: return QStringLiteral("Benutzerdefinierte Spalten für Cup-Teams anlegen");
    case proto::CupItemType::Athlete: break;
    }
    return QStringLiteral("Benutzerdefinierte Spalten für Cup-Athleten anlegen");
}

} // namespace

TColListView::TColListView(QWidget* parent) : QTreeWidget(parent)
{
    setItemDelegate(new TCaptionDelegate(this));
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
}

QMimeData* TColListView::mimeData(const QList<QTreeWidgetItem*>& items) const
{
    return items.isEmpty() ? nullptr : windowDragData(kDragSource);
}

bool TColListView::acceptsDrop(const QDropEvent* event) const
{
    if (windowDragSource(event->mimeData()) != kDragSource)
        return false;
    const QTreeWidgetItem* target = itemAt(event->position().toPoint());
    return target && target != currentItem();
}

void TColListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (windowDragSource(event->mimeData()) == kDragSource)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TColListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (acceptsDrop(event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TColListView::dropEvent(QDropEvent* event)
{
    if (!acceptsDrop(event)) {
        event->ignore();
        return;
    }
    // A copy action: the view would otherwise remove the dragged row itself.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    QTreeWidgetItem* target = itemAt(event->position().toPoint());
    guarded([&] {
        if (OnDropRow)
            OnDropRow(target);
    });
}

TCustomCupColForm::TCustomCupColForm(TWindowContext& context)
    : TTVPForm(context),
      road_(context, colRequests(), this, [this](std::unique_ptr<TColResponse> r, const TRequestOutcome& o) {
          guarded([&] { RequestFinished(std::move(r), o); });
      })
{
    setWindowTitle(captionOf(FType));
    auto* layout = new QVBoxLayout(this);
    ListView1 = new TColListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setHeaderLabels({QStringLiteral("Spaltenname")});
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(ListView1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    NewColumn1 = PopupMenu1->addAction(kNewColumn);
    NewColumn1->setObjectName(QStringLiteral("NewColumn1"));
    DeleteColumn1 = PopupMenu1->addAction(QStringLiteral("Spalte löschen"));
    DeleteColumn1->setObjectName(QStringLiteral("DeleteColumn1"));
    DeleteColumn1->setEnabled(false);

    connect(NewColumn1, &QAction::triggered, this, [this] { guarded([this] { NewColumnClick(); }); });
    connect(DeleteColumn1, &QAction::triggered, this, [this] { guarded([this] { DeleteColumnClick(); }); });
    connect(ListView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { guarded([&] { PopupMenu1->popup(ListView1->viewport()->mapToGlobal(at)); }); });
    connect(ListView1, &QTreeWidget::itemSelectionChanged, this,
            [this] { guarded([this] { DeleteColumn1->setEnabled(!ListView1->selectedItems().isEmpty()); }); });
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        guarded([&] {
            if (item)
                ListView1->editItem(item, 0);
        });
    });
    ListView1->OnEdited = [this](QTreeWidgetItem* item, const QString& text) { ListView1Edited(item, text); };
    ListView1->OnDropRow = [this](QTreeWidgetItem* target) { ListView1DragDrop(target); };
    resize(300, 400);
}

void TCustomCupColForm::showCustomCupColForm(int cupId, proto::CupItemType kind)
{
    FcupID = cupId;
    if (cupId == 0)
        return;
    FType = kind;
    setWindowTitle(captionOf(kind));
    // Already open on another cup or kind: showing again brings no show event.
    const bool wasVisible = isVisible();
    show();
    if (wasVisible)
        reloadData();
}

void TCustomCupColForm::FormShow()
{
    reloadData();
}

void TCustomCupColForm::unload()
{
    ListView1->clear();
    ListView1->setEnabled(false);
}

void TCustomCupColForm::reloadData()
{
    if (FcupID == 0) {
        unload();
        return;
    }
    ListView1->setEnabled(false);
    road_.AddRequest(makeRequest(TColRequestType::rt_get), TTransactionMode::tm_None);
}

std::unique_ptr<TColRequest> TCustomCupColForm::makeRequest(TColRequestType type) const
{
    auto request = std::make_unique<TColRequest>();
    request->reqType = type;
    request->cupId = FcupID;
    request->itemType = FType;
    return request;
}

void TCustomCupColForm::fillList(const std::vector<proto::CustomColumnType>& cols)
{
    const int scroll = ListView1->verticalScrollBar()->value();
    ListView1->setUpdatesEnabled(false);
    ListView1->clear();
    for (const proto::CustomColumnType& col : cols) {
        auto* item = new QTreeWidgetItem(ListView1, {col.Name});
        item->setFlags(item->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled);
        item->setData(0, kIdRole, col.ID);
        item->setData(0, kOrderRole, col.OrderIndex);
    }
    ListView1->setUpdatesEnabled(true);
    ListView1->setEnabled(true);
    ListView1->verticalScrollBar()->setValue(scroll);
}

void TCustomCupColForm::NewColumnClick()
{
    auto* item = new QTreeWidgetItem(ListView1, {kNewColumn});
    item->setFlags(item->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled);
    item->setData(0, kIdRole, 0);
    item->setData(0, kOrderRole, 0);
    ListView1->setCurrentItem(item);
    ListView1->editItem(item, 0);
}

void TCustomCupColForm::DeleteColumnClick()
{
    QTreeWidgetItem* item = ListView1->currentItem();
    if (!item || !item->isSelected())
        return;
    const int id = item->data(0, kIdRole).toInt();
    if (id == 0) {
        reloadData();
        return;
    }
    auto request = makeRequest(TColRequestType::rt_remove);
    request->colId = id;
    request->forceRemove = false;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TCustomCupColForm::ListView1Edited(QTreeWidgetItem* item, const QString& text)
{
    const QString name = text.trimmed();
    // A column named "" could never be found or renamed again: an empty edit counts as cancelled.
    if (item->text(0).isEmpty() || name.isEmpty())
        return;
    item->setText(0, name);
    writeColumn(item->data(0, kIdRole).toInt(), name, 0);
}

void TCustomCupColForm::ListView1DragDrop(QTreeWidgetItem* target)
{
    QTreeWidgetItem* dragged = ListView1->currentItem();
    if (!dragged || !target || dragged == target)
        return;
    writeColumn(dragged->data(0, kIdRole).toInt(), dragged->text(0), target->data(0, kOrderRole).toInt());
}

void TCustomCupColForm::writeColumn(int colId, const QString& name, int orderIndex)
{
    auto request = makeRequest(colId == 0 ? TColRequestType::rt_create : TColRequestType::rt_modify);
    request->colId = colId;
    request->name = name;
    request->orderindex = orderIndex;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TCustomCupColForm::RequestFinished(std::unique_ptr<TColResponse> response, const TRequestOutcome& outcome)
{
    if (!outcome.ok()) {
        if (outcome.declined)
            return;
        if (!response) {
            context().messages().AddException(outcome.errorId, outcome.parameters, outcome.error,
                                              QStringLiteral("Kommunikationsfehler"), this);
            return;
        }
        road_.report(outcome);
        if (outcome.command != int(TColRequestType::rt_get))
            reloadFormData(true);
        return;
    }
    if (!response)
        return;
    if (response->reqType == TColRequestType::rt_get) {
        fillList(response->cols);
        return;
    }
    reloadData();
    context().windows().reloadIfVisible(TWindowId::CupAthleteForm);
}

} // namespace tvp
