#include "core/ui/ListViewHelpers.h"

#include "core/lists/ListSorting.h"
#include "core/results/tvpUtils.h"

#include <QComboBox>
#include <QHeaderView>
#include <QSet>
#include <QItemSelectionModel>
#include <QTreeView>

#include <functional>

namespace tvp {

namespace {

QString childPath(const QString& parentPath, const QModelIndex& node)
{
    return parentPath + u'\\' + escapeChar(node.data(Qt::DisplayRole).toString(), u'\\', u'\\');
}

QString pathOf(const QModelIndex& node)
{
    return childPath(node.parent().isValid() ? pathOf(node.parent()) : QString(), node);
}

// Every node in tree order with its path.
void forEachNode(const QAbstractItemModel& model, const std::function<void(const QModelIndex&, const QString&)>& visit)
{
    std::function<void(const QModelIndex&, const QString&)> walk = [&](const QModelIndex& node,
                                                                       const QString& parentPath) {
        const QString path = childPath(parentPath, node);
        visit(node, path);
        for (int i = 0; i < model.rowCount(node); ++i)
            walk(model.index(i, 0, node), path);
    };
    for (int i = 0; i < model.rowCount(); ++i)
        walk(model.index(i, 0), QString());
}

} // namespace

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

void autoSizeListView(QTreeView& listView)
{
    // QHeaderView's own recompute of its Stretch and ResizeToContents sections is a protected slot.
    QMetaObject::invokeMethod(listView.header(), "resizeSections", Qt::DirectConnection);
}

int getItemHeight(const QTreeView& listView)
{
    const QAbstractItemModel* model = listView.model();
    if (!model || model->rowCount() < 2)
        return 0;
    return listView.visualRect(model->index(1, 0)).top() - listView.visualRect(model->index(0, 0)).top();
}

QStringList getCollapsedItems(const QTreeView& treeView)
{
    const QAbstractItemModel* model = treeView.model();
    const QModelIndex selected = treeView.currentIndex();
    const bool isSelected =
        selected.isValid() && treeView.selectionModel() && treeView.selectionModel()->isSelected(selected);
    QStringList list{isSelected ? pathOf(selected.siblingAtColumn(0)) : QString()};
    if (!model || model->rowCount() == 0)
        return list;
    list << model->index(0, 0).data(Qt::DisplayRole).toString();
    forEachNode(*model, [&](const QModelIndex& node, const QString& path) {
        if (model->rowCount(node) > 0 && !treeView.isExpanded(node))
            list << path;
    });
    return list;
}

void restoreCollapsedItems(QTreeView& treeView, QStringList list)
{
    const QAbstractItemModel* model = treeView.model();
    if (treeView.selectionModel())
        treeView.selectionModel()->clearSelection();
    const QString selectedPath = list.isEmpty() ? QString() : list.takeFirst();
    if (!model || model->rowCount() == 0) {
        treeView.setCurrentIndex({});
        return;
    }
    QModelIndex toSelect = model->index(0, 0);
    // A different first node means other data: its expansion state would not fit.
    if (!list.isEmpty() && list.first() == toSelect.data(Qt::DisplayRole).toString()) {
        list.removeFirst();
        const QSet<QString> collapsed(list.begin(), list.end());
        forEachNode(*model, [&](const QModelIndex& node, const QString& path) {
            if (model->rowCount(node) > 0)
                treeView.setExpanded(node, !collapsed.contains(path));
            if (path == selectedPath)
                toSelect = node;
        });
    }
    treeView.setCurrentIndex(toSelect);
}

} // namespace tvp
