#include "participants/ui/SearchDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/lists/ListCells.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
#include "participants/ListSearch.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

TSearchForm::TSearchForm(TWindowContext& context) : TTVPForm(context)
{
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
    auto* layout = new QVBoxLayout(this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    layout->addWidget(Edit1);
    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(&results_);
    ListView1->setRootIsDecorated(false);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setUniformRowHeights(true);
    fitColumnsToRoom(*ListView1);
    layout->addWidget(ListView1, 1);
    resize(500, 250);

    ApplyScheduler.setObjectName(QStringLiteral("ApplyScheduler"));
    ApplyScheduler.setSingleShot(true);
    connect(&ApplyScheduler, &QTimer::timeout, this, [this] { guarded([this] { ApplyFilter(); }); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { guarded([this] { ApplyFilter(); }); });
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { guarded([this] { resultSelected(); }); });
    connect(ListView1, &QTreeView::doubleClicked, this, [this] { guarded([this] { ListView1DblClick(); }); });
    Edit1->installEventFilter(this);
    ListView1->installEventFilter(this);
}

TSearchForm::~TSearchForm()
{
    restoreChangeHandlers();
}

namespace {

// The view showing the model: a visible one before a hidden one, none when no window shows it.
QAbstractItemView* viewOf(const QAbstractItemModel* model)
{
    if (!model)
        return nullptr;
    QAbstractItemView* hidden = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        for (QAbstractItemView* view : top->findChildren<QAbstractItemView*>())
            if (view->model() == model) {
                if (view->isVisible())
                    return view;
                if (!hidden)
                    hidden = view;
            }
    return hidden;
}

} // namespace

void TSearchForm::openSearchDialog(const std::vector<const QAbstractItemModel*>& lists, const std::vector<int>& columns)
{
    ListViewSelIndex = -1;
    restoreChangeHandlers();
    clearResults();
    FParentListViews.clear();
    for (const QAbstractItemModel* list : lists) {
        QAbstractItemView* view = viewOf(list);
        if (!view || !view->model())
            continue;
        TWatched watched{view, {}};
        QAbstractItemModel* model = view->model();
        const auto changed = [this] { guarded([this] { listChanged(); }); };
        watched.connections = {
            connect(model, &QAbstractItemModel::modelReset, this, changed),
            connect(model, &QAbstractItemModel::rowsInserted, this, changed),
            connect(model, &QAbstractItemModel::rowsRemoved, this, changed),
            connect(model, &QAbstractItemModel::rowsMoved, this, changed),
            connect(model, &QAbstractItemModel::dataChanged, this, changed),
            connect(model, &QAbstractItemModel::layoutChanged, this, changed),
        };
        FParentListViews.push_back(std::move(watched));
    }
    if (FParentListViews.empty())
        return;
    FColsToSearch = columns;
    copyColumns();

    // Beside the list, inside the screen, the result list as wide as the list. Laid out first: before
    // that the result list has a child's default size, not its share of the window.
    QAbstractItemView* first = FParentListViews.front().view;
    const QPoint corner = first->mapToGlobal(QPoint(0, 0));
    layout()->activate();
    const int border = width() - ListView1->width();
    resize(first->width() + border, height());
    QPoint at(corner.x() + 300, corner.y() + 100);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize size = screen->size();
        if (at.x() + width() > size.width())
            at.setX(size.width() - width());
        if (at.y() + height() > size.height())
            at.setY(size.height() - height());
    }
    move(at);

    const int columnCount = first->model()->columnCount();
    for (std::size_t i = 1; i < FParentListViews.size(); ++i)
        if (FParentListViews[i].view->model()->columnCount() != columnCount)
            context().messages().AddException(-1, {},
                                              QStringLiteral("Interner Fehler: Spalten der Listen stimmen nicht "
                                                             "überein."),
                                              QStringLiteral("Suchdialog anzeigen"));
    Edit1->clear();
    show();
    // The user types at once: the window and its edit take the keys.
    raise();
    activateWindow();
    Edit1->setFocus();
}

void TSearchForm::copyColumns()
{
    QAbstractItemView* first = FParentListViews.empty() ? nullptr : FParentListViews.front().view.data();
    if (!first) {
        results_.setColumns({});
        return;
    }
    const QAbstractItemModel& model = *first->model();
    QStringList captions;
    for (int c = 0; c < model.columnCount(); ++c)
        captions << columnCaption(model, c);
    results_.setColumns(captions);
    // The list's widths as designed; the results share the room as every list does.
    if (auto* tree = qobject_cast<QTreeView*>(first))
        for (int c = 0; c < model.columnCount(); ++c)
            ListView1->setColumnWidth(c, tree->columnWidth(c));
    fitColumnsToRoom(*ListView1);
}

void TSearchForm::restoreChangeHandlers()
{
    for (TWatched& w : FParentListViews)
        for (const QMetaObject::Connection& c : w.connections)
            disconnect(c);
    for (TWatched& w : FParentListViews)
        w.connections.clear();
}

void TSearchForm::hideEvent(QHideEvent* event)
{
    TTVPForm::hideEvent(event);
    ApplyScheduler.stop();
    restoreChangeHandlers();
    clearResults();
    FColsToSearch.clear();
}

void TSearchForm::clearResults()
{
    ListViewSelIndex = -1;
    const QSignalBlocker quiet(ListView1->selectionModel());
    results_.clear();
}

void TSearchForm::ApplyFilter()
{
    clearResults();
    std::vector<const QAbstractItemModel*> lists;
    for (const TWatched& watched : FParentListViews)
        lists.push_back(watched.view ? watched.view->model() : nullptr);
    {
        const QSignalBlocker quiet(ListView1->selectionModel());
        results_.search(lists, searchWords(Edit1->text()), FColsToSearch, kResultsPerList);
    }
    if (results_.rowCount() == 0)
        return;
    fitColumnsToRoom(*ListView1);
    ListView1->setCurrentIndex(results_.index(0, 0));
}

void TSearchForm::resultSelected()
{
    if (selecting_)
        return;
    ListViewSelIndex = -1;
    const QModelIndexList chosen = ListView1->selectionModel()->selectedRows();
    const TSearchResultModel::TResult* found = chosen.isEmpty() ? nullptr : results_.result(chosen.front().row());
    if (!found)
        return;
    const int list = found->list;
    const QPersistentModelIndex source = found->source;
    // The source list's click handler may ask questions and change the selection meanwhile.
    selecting_ = true;
    for (std::size_t i = 0; i < FParentListViews.size(); ++i) {
        QAbstractItemView* view = FParentListViews[i].view;
        if (!view)
            continue;
        view->clearSelection();
        if (int(i) == list && source.isValid() && source.model() == view->model()) {
            const QModelIndex index = source;
            view->selectionModel()->setCurrentIndex(index,
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            emit view->clicked(index);
        }
        if (view->selectionModel() && view->selectionModel()->hasSelection()) {
            ListViewSelIndex = int(i);
            view->scrollTo(view->currentIndex());
            break;
        }
    }
    selecting_ = false;
}

void TSearchForm::ListView1DblClick()
{
    if (ListViewSelIndex < 0 || ListViewSelIndex >= int(FParentListViews.size()))
        return;
    QAbstractItemView* view = FParentListViews[std::size_t(ListViewSelIndex)].view;
    if (!view)
        return;
    emit view->doubleClicked(view->currentIndex());
    close();
}

void TSearchForm::listChanged()
{
    if (!FParentListViews.empty() && FParentListViews.front().view &&
        FParentListViews.front().view->model()->columnCount() != results_.columnCount())
        copyColumns();
    clearResults();
    ApplyScheduler.start(applyDelayMs);
}

void TSearchForm::moveSelection(int step)
{
    const int count = results_.rowCount();
    if (count == 0)
        return;
    const QModelIndexList chosen = ListView1->selectionModel()->selectedRows();
    const int from = chosen.isEmpty() ? 0 : chosen.front().row();
    const int to = std::clamp(from + step, 0, count - 1);
    if (to != from || chosen.isEmpty())
        ListView1->setCurrentIndex(results_.index(to, 0));
}

bool TSearchForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return TTVPForm::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    bool handled = false;
    guarded([&] {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ListView1DblClick();
            handled = true;
        } else if (watched == Edit1 && (key == Qt::Key_Up || key == Qt::Key_Down)) {
            moveSelection(key == Qt::Key_Up ? -1 : 1);
            handled = true;
        } else if (watched == ListView1) {
            // Typing goes on in the edit.
            Edit1->setFocus();
            QCoreApplication::sendEvent(Edit1, event);
            handled = true;
        }
    });
    return handled || TTVPForm::eventFilter(watched, event);
}

} // namespace tvp
