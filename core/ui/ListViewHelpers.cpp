#include "core/ui/ListViewHelpers.h"

#include "core/lists/ListSorting.h"
#include "core/results/tvpUtils.h"

#include <QComboBox>
#include <QHeaderView>
#include <QSet>
#include <QTreeWidget>

#include <functional>

namespace tvp {

namespace {

QString childPath(const QString& parentPath, const QTreeWidgetItem* item)
{
    return parentPath + u'\\' + escapeChar(item->text(0), u'\\', u'\\');
}

QString pathOf(const QTreeWidgetItem* item)
{
    return childPath(item->parent() ? pathOf(item->parent()) : QString(), item);
}

// Every node in tree order with its path.
void forEachNode(const QTreeWidget& tree, const std::function<void(QTreeWidgetItem*, const QString&)>& visit)
{
    std::function<void(QTreeWidgetItem*, const QString&)> walk = [&](QTreeWidgetItem* item, const QString& parentPath) {
        const QString path = childPath(parentPath, item);
        visit(item, path);
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), path);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        walk(tree.topLevelItem(i), QString());
}

} // namespace

int CompareListItems(int column, const QTreeWidgetItem* item1, const QTreeWidgetItem* item2, bool descending)
{
    const QTreeWidget* list = item1->treeWidget();
    if (!list || list != item2->treeWidget() || item1->parent() || item2->parent()) {
        // Rows of no list (or of a tree): their own cells, as a list would show them.
        const bool ownCells = column > 0 && column < item1->columnCount() && column < item2->columnCount();
        const int c = ownCells ? column : 0;
        return CompareListTexts(item1->text(c), item2->text(c), descending);
    }
    return CompareListRows(*list->model(), column, list->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item1)),
                           list->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item2)), descending);
}

void selectComboIntegerFilter(QComboBox& combo, int id, int defaultIndex)
{
    for (int i = 0; i < combo.count(); ++i) {
        bool ok = false;
        if (combo.itemData(i).toInt(&ok) == id && ok) {
            combo.setCurrentIndex(i);
            return;
        }
    }
    combo.setCurrentIndex(defaultIndex);
}

bool resetCurIdIfDeleted(QComboBox& combo, int& currentId, int index)
{
    if (combo.currentIndex() != index || currentId == 0)
        return false;
    currentId = 0;
    emit combo.activated(combo.currentIndex());
    return true;
}

void autoSizeListView(QTreeWidget& listView)
{
    // QHeaderView's own recompute of its Stretch and ResizeToContents sections is a protected slot.
    QMetaObject::invokeMethod(listView.header(), "resizeSections", Qt::DirectConnection);
}

int getItemHeight(const QTreeWidget& listView)
{
    if (listView.topLevelItemCount() < 2)
        return 0;
    return listView.visualItemRect(listView.topLevelItem(1)).top() -
           listView.visualItemRect(listView.topLevelItem(0)).top();
}

QStringList getCollapsedItems(const QTreeWidget& treeView)
{
    const QTreeWidgetItem* selected = treeView.currentItem();
    QStringList list{selected && selected->isSelected() ? pathOf(selected) : QString()};
    if (treeView.topLevelItemCount() == 0)
        return list;
    list << treeView.topLevelItem(0)->text(0);
    forEachNode(treeView, [&](QTreeWidgetItem* item, const QString& path) {
        if (item->childCount() > 0 && !item->isExpanded())
            list << path;
    });
    return list;
}

void restoreCollapsedItems(QTreeWidget& treeView, QStringList list)
{
    treeView.clearSelection();
    const QString selectedPath = list.isEmpty() ? QString() : list.takeFirst();
    if (treeView.topLevelItemCount() == 0) {
        treeView.setCurrentItem(nullptr);
        return;
    }
    QTreeWidgetItem* toSelect = treeView.topLevelItem(0);
    // A different first node means other data: its expansion state would not fit.
    if (!list.isEmpty() && list.first() == toSelect->text(0)) {
        list.removeFirst();
        const QSet<QString> collapsed(list.begin(), list.end());
        forEachNode(treeView, [&](QTreeWidgetItem* item, const QString& path) {
            item->setExpanded(!collapsed.contains(path));
            if (path == selectedPath)
                toSelect = item;
        });
    }
    treeView.setCurrentItem(toSelect);
}

} // namespace tvp
