#pragma once
// Helpers for the report-style list views (tree views without child rows), tree views and filter
// combo boxes of the work windows.

#include <QStringList>

class QComboBox;
class QTreeView;

namespace tvp {

// Filter combos carry each entry's id as its item data. Selects the first entry with that id,
// else the entry at defaultIndex.
void selectComboIntegerFilter(QComboBox& combo, int id, int defaultIndex);

// After a delete: when the combo stands at index (e.g. "Kein Filter", or -1 for no entry) while
// currentId still names an object, currentId falls back to 0 and the combo's activated signal
// (the window's change handler) fires. True when that happened.
bool resetCurIdIfDeleted(QComboBox& combo, int& currentId, int index);

// Recomputes the auto-sized columns (header sections in Stretch or ResizeToContents mode) now,
// after the rows changed; columns the user sizes are left alone.
void autoSizeListView(QTreeView& listView);

// Row height in pixels, 0 with fewer than two rows.
int getItemHeight(const QTreeView& listView);

// Element 0: the path of the selected node (empty for none); element 1: the text of the first
// top-level node; then the path of every collapsed node with children, in tree order. A path is
// the parent's path, "\" and the node's text with "\" doubled. An empty tree gives only element 0.
QStringList getCollapsedItems(const QTreeView& treeView);

// Applies a list from getCollapsedItems when the tree still starts with the same top-level node;
// otherwise only the first node is selected.
void restoreCollapsedItems(QTreeView& treeView, QStringList list);

} // namespace tvp
