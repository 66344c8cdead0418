#pragma once
// Remembered sort column and direction of report-style list views (QTreeWidget without child rows):
// the list view's forms of the model-based sorting in core/lists/ListSorting.h, whose state
// (TSortInformation) each list view carries.

#include <QString>

#include <functional>

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace tvp {

// Negative when item1 comes first in the normal order; with descending set the compare inverts
// its own result (the program's CompareListItems has this shape).
using TListViewCompare =
    std::function<int(int column, const QTreeWidgetItem* item1, const QTreeWidgetItem* item2, bool descending)>;

// Clears the state, reads it from the settings, keeps the compare and lets a column click sort
// (SortListView with toggle). Windows call it once when they are created.
void initListView(QTreeWidget& listView, TListViewCompare compare);

// The stored column when it is a column of the list view, else 0.
int getSortCol(const QTreeWidget& listView);
void setSortCol(QTreeWidget& listView, int column);
// True means the reverse order.
bool getSortDir(const QTreeWidget& listView);
void setSortDir(QTreeWidget& listView, bool reverse);

// The object names of the list view and its parents, outermost first, each followed by ".",
// e.g. "AthleteForm.Panel1.ListView1.". Unnamed widgets and Qt's own ("qt_...") are left out.
// Views of a sorted model (TSortedListModel) take their identifier from here too.
QString getListViewIndentifier(const QWidget& listView);

// A column click: ignored for a column the list view does not have. With toggle another column
// starts in the normal order and the current one reverses. Stores the state and sorts.
void SortListView(QTreeWidget& listView, int column, bool toggle);

// Sorts by the stored state without changing it, e.g. after the list was filled again.
void resortListView(QTreeWidget& listView);

} // namespace tvp
