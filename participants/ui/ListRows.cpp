#include "participants/ui/ListRows.h"

#include <QItemSelectionModel>

#include <algorithm>

namespace tvp {

std::vector<int> selectedRows(const QAbstractItemView& view)
{
    std::vector<int> rows;
    for (const QModelIndex& index : view.selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int chosenRow(const QAbstractItemView& view)
{
    const QModelIndex current = view.currentIndex();
    if (current.isValid() && view.selectionModel()->isRowSelected(current.row(), current.parent()))
        return current.row();
    const std::vector<int> rows = selectedRows(view);
    return rows.empty() ? -1 : rows.front();
}

void selectRowAlone(QAbstractItemView& view, int row)
{
    view.selectionModel()->clearSelection();
    if (row < 0)
        return;
    const QModelIndex index = view.model()->index(row, 0);
    view.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view.scrollTo(index);
}

} // namespace tvp
