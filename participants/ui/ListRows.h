#pragma once
// Rows of a list view over a record list, sorted or not: the records the user selected or points
// at, and selecting a record again after the list was filled anew.

#include "core/lists/RecordListModel.h"

#include <QAbstractItemView>
#include <QSortFilterProxyModel>

#include <vector>

namespace tvp {

// The view's selected rows, top to bottom.
std::vector<int> selectedRows(const QAbstractItemView& view);
// The row the user chose last: the current row when it is selected, else the first selected one;
// -1 without a selection.
int chosenRow(const QAbstractItemView& view);
// Selects and reveals the view's row alone; -1 only clears the selection.
void selectRowAlone(QAbstractItemView& view, int row);

// The record of a row of the sorted view.
template <class Record>
const Record& recordAtViewRow(const TRecordListModel<Record>& records, const QSortFilterProxyModel& sorted, int row)
{
    return records.record(sorted.mapToSource(sorted.index(row, 0)).row());
}

// The record whose id field holds id; null when none does.
template <class Record>
const Record* recordById(const TRecordListModel<Record>& records, int Record::*idField, int id)
{
    const int row = records.findRow([&](const Record& r) { return r.*idField == id; });
    return row < 0 ? nullptr : &records.record(row);
}

// The view row of the record whose id field holds id; -1 when none does.
template <class Record>
int viewRowOf(const TRecordListModel<Record>& records, const QSortFilterProxyModel& sorted, int Record::*idField,
              int id)
{
    const int row = records.findRow([&](const Record& r) { return r.*idField == id; });
    return row < 0 ? -1 : sorted.mapFromSource(records.index(row, 0)).row();
}

} // namespace tvp
