#include "core/ui/WindowTools.h"

#include "core/connection/SlotGuard.h"
#include "core/lists/ListSorting.h"
#include "core/ui/MainWindow.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowRegistry.h"

#include <QAction>
#include <QBoxLayout>
#include <QComboBox>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTreeView>

#include <algorithm>

namespace tvp {

void showSortedList(QTreeView& list, TSortedListModel& sorted, QAbstractItemModel& records, QObject& window,
                    std::function<void()> selectionChanged)
{
    sorted.setSourceModel(&records);
    list.setModel(&sorted);
    sorted.initListView();
    QObject::connect(list.header(), &QHeaderView::sectionClicked, &window,
                     [&sorted](int column) { guarded([&] { sorted.SortListView(column, true); }); });
    // A list whose selection nothing follows (the facility editor's disciplines) passes none.
    if (selectionChanged)
        QObject::connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, &window,
                         [changed = std::move(selectionChanged)] { guarded(changed); });
}

std::vector<int> selectedSourceRows(const QAbstractItemView& list, const TSortedListModel& sorted)
{
    QModelIndexList selected = list.selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<int> rows;
    for (const QModelIndex& index : selected)
        rows.push_back(sorted.mapToSource(index).row());
    return rows;
}

void selectSourceRow(QAbstractItemView& list, const TSortedListModel& sorted, int sourceRow)
{
    QItemSelectionModel* selection = list.selectionModel();
    if (sourceRow < 0) {
        selection->clear();
        return;
    }
    const QModelIndex index = sorted.mapFromSource(sorted.sourceModel()->index(sourceRow, 0));
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    list.scrollTo(index);
}

int chosenSourceRow(const QAbstractItemView& list, const TSortedListModel& sorted)
{
    const QModelIndex current = list.currentIndex();
    if (current.isValid() && list.selectionModel()->isRowSelected(current.row(), current.parent()))
        return sorted.mapToSource(current).row();
    const std::vector<int> rows = selectedSourceRows(list, sorted);
    return rows.empty() ? -1 : rows.front();
}

bool setComboItem(QComboBox& combo, int id)
{
    for (int i = 0; i < combo.count(); ++i) {
        bool ok = false;
        if (combo.itemData(i).toInt(&ok) == id && ok) {
            combo.setCurrentIndex(i);
            emit combo.activated(i);
            return true;
        }
    }
    return false;
}

int comboId(const QComboBox& combo)
{
    return combo.currentIndex() < 0 ? 0 : combo.currentData().toInt();
}

bool dropComesFrom(const QDropEvent& event, const TWindowRegistry& windows, TWindowId source)
{
    const QWidget* window = windows.widget(source);
    if (!window)
        return false;
    if (const auto* dragging = qobject_cast<const QWidget*>(event.source()))
        return dragging->window() == window;
    return windowDragSource(event.mimeData()) == window->objectName();
}

QAction* menuAction(QMenu* menu, const QString& objectName, const QString& text)
{
    QAction* a = menu->addAction(text);
    a->setObjectName(objectName);
    return a;
}

QMenuBar* addMenuBar(QWidget* window, QBoxLayout* layout)
{
    auto* bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    layout->setMenuBar(bar);
    return bar;
}

QMenu* addExportMenu(QMenuBar* bar, QWidget* window, std::function<void(bool openAfterwards)> exportList)
{
    QMenu* menu = bar->addMenu(QStringLiteral("Export"));
    menu->setObjectName(QStringLiteral("Export1"));
    QObject::connect(menuAction(menu, QStringLiteral("Alscsv1"), QStringLiteral("Als csv")), &QAction::triggered,
                     window, [exportList] { guarded([&] { exportList(false); }); });
    QObject::connect(menuAction(menu, QStringLiteral("Alscsvundausfhren1"), QStringLiteral("Als csv und ausführen")),
                     &QAction::triggered, window, [exportList] { guarded([&] { exportList(true); }); });
    return menu;
}

void refreshAllWindows(const TWindowContext& context)
{
    if (auto* main = context.windows().get<TMainForm>(TWindowId::MainForm))
        main->RefreshButton();
}

namespace {

class KeyFilter : public QObject {
public:
    KeyFilter(QWidget& widget, int key, std::function<void()> action)
        : QObject(&widget), key_(key), action_(std::move(action))
    {
        widget.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* press = static_cast<QKeyEvent*>(event);
        if (press->key() != key_ || press->modifiers() != Qt::NoModifier)
            return false;
        guarded(action_);
        return true;
    }

private:
    int key_;
    std::function<void()> action_;
};

} // namespace

void onKey(QWidget& widget, int key, std::function<void()> action)
{
    new KeyFilter(widget, key, std::move(action));
}

void reloadDisciplinForms(TWindowRegistry& windows)
{
    bool any = false;
    for (TWindowId id : {TWindowId::DisciplinListForm0, TWindowId::DisciplinListForm1}) {
        TTVPForm* form = windows.form(id);
        if (!form || !form->isVisible())
            continue;
        any = true;
        if (!form->reloadFormData(true))
            windows.reload(TWindowId::GlobalParameterForm, true);
    }
    if (!any)
        windows.reload(TWindowId::DisciplinListForm0, true);
}

} // namespace tvp
