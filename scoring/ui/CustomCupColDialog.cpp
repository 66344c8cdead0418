#include "scoring/ui/CustomCupColDialog.h"

#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "core/ui/WindowRegistry.h"
#include "core/connection/SlotGuard.h"
#include "core/lists/WindowDrag.h"

#include <QAction>
#include <QDropEvent>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kNewColumn = QStringLiteral("Neue Spalte");
const QString kDragSource = QStringLiteral("CustomCupColForm/ListView1");

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

TColListView::TColListView(QWidget* parent) : QTreeView(parent)
{
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
}

bool TColListView::acceptsDrop(const QDropEvent* event) const
{
    if (windowDragSource(event->mimeData()) != kDragSource)
        return false;
    const QModelIndex target = indexAt(event->position().toPoint());
    return target.isValid() && target.row() != currentIndex().row();
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
    const int target = indexAt(event->position().toPoint()).row();
    guarded([&] { emit rowDropped(target); });
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
    columns_ = new TCustomColumnListModel(kDragSource, ListView1);
    ListView1->setModel(columns_);
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    keepColumnsWhole(*ListView1);
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
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { guarded([this] { DeleteColumn1->setEnabled(ListView1->selectionModel()->hasSelection()); }); });
    connect(ListView1, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        guarded([&] {
            if (index.isValid())
                ListView1->edit(index);
        });
    });
    connect(columns_, &TCustomColumnListModel::edited, this,
            [this](int row, const QString& text) { guarded([&] { ListView1Edited(row, text); }); });
    connect(ListView1, &TColListView::rowDropped, this,
            [this](int target) { guarded([&] { ListView1DragDrop(target); }); });
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
    columns_->clear();
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
    columns_->setColumns(cols);
    ListView1->setEnabled(true);
    ListView1->verticalScrollBar()->setValue(scroll);
}

void TCustomCupColForm::NewColumnClick()
{
    const QModelIndex added = columns_->appendNew(kNewColumn);
    ListView1->setCurrentIndex(added);
    ListView1->edit(added);
}

void TCustomCupColForm::DeleteColumnClick()
{
    const QModelIndex current = ListView1->currentIndex();
    const proto::CustomColumnType* col = columns_->column(current.row());
    if (!col || !ListView1->selectionModel()->isSelected(current))
        return;
    const int id = col->ID;
    if (id == 0) {
        reloadData();
        return;
    }
    auto request = makeRequest(TColRequestType::rt_remove);
    request->colId = id;
    request->forceRemove = false;
    road_.AddRequest(std::move(request), TTransactionMode::tm_None);
}

void TCustomCupColForm::ListView1Edited(int row, const QString& text)
{
    const proto::CustomColumnType* col = columns_->column(row);
    const QString name = text.trimmed();
    // A column named "" could never be found or renamed again: an empty edit counts as cancelled.
    if (!col || col->Name.isEmpty() || name.isEmpty())
        return;
    const int id = col->ID;
    columns_->rename(row, name);
    writeColumn(id, name, 0);
}

void TCustomCupColForm::ListView1DragDrop(int target)
{
    const int row = ListView1->currentIndex().row();
    const proto::CustomColumnType* dragged = columns_->column(row);
    const proto::CustomColumnType* onto = columns_->column(target);
    if (!dragged || !onto || row == target)
        return;
    writeColumn(dragged->ID, dragged->Name, onto->OrderIndex);
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
            road_.report(outcome);
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
