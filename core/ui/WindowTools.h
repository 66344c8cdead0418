#pragma once
// Small pieces the windows of several areas share: combo boxes of ids, lists dragged between
// windows, menus, and the reload of the discipline windows after a change of what they show.

#include "core/lists/RecordListModel.h"
#include "core/ui/WindowCatalogue.h"
#include "core/ui/WindowContext.h"

#include <QString>

#include <functional>
#include <vector>

class QAbstractItemModel;
class QAction;
class QBoxLayout;
class QMenu;
class QMenuBar;
class QAbstractItemView;
class QComboBox;
class QDropEvent;
class QMimeData;
class QObject;
class QTreeView;
class QWidget;

namespace tvp {

class TSortedListModel;
class TWindowRegistry;

// Puts the sorted model between the list and its records, sorts by the stored order, sorts anew on
// a column click (a second click reverses) and tells the window of each change of the selection.
void showSortedList(QTreeView& list, TSortedListModel& sorted, QAbstractItemModel& records, QObject& window,
                    std::function<void()> selectionChanged);
// The records' rows of the selected rows, in the list's order.
std::vector<int> selectedSourceRows(const QAbstractItemView& list, const TSortedListModel& sorted);
// Makes the records' row the list's one selected and current row, scrolled into view; -1 clears
// the selection.
void selectSourceRow(QAbstractItemView& list, const TSortedListModel& sorted, int sourceRow);
// The records' row the user chose last: the current row when it is selected, else the first
// selected one in the list's order; -1 without a selection.
int chosenSourceRow(const QAbstractItemView& list, const TSortedListModel& sorted);

// Selects the first entry carrying id and fires the box's change handler (activated); false when
// no entry carries it.
bool setComboItem(QComboBox& combo, int id);
// The id carried by the selected entry; 0 without selection.
int comboId(const QComboBox& combo);

// Whether the drop comes from that window: the dragging widget's window when Qt knows it, else
// the window the drag names.
bool dropComesFrom(const QDropEvent& event, const TWindowRegistry& windows, TWindowId source);

// A menu entry with its component name.
QAction* menuAction(QMenu* menu, const QString& objectName, const QString& text);
// The window's menu bar ("MainMenu1") on top of its layout.
QMenuBar* addMenuBar(QWidget* window, QBoxLayout* layout);
// "Export" with "Als csv" and "Als csv und ausführen"; exportList is told whether to open the file
// afterwards, and runs guarded.
QMenu* addExportMenu(QMenuBar* bar, QWidget* window, std::function<void(bool openAfterwards)> exportList);

// After the last item of a chain the user declined: every visible window shows the server's state.
void refreshAllWindows(const TWindowContext& context);
// Runs action when key is pressed in widget (without modifiers), whether or not its window is the
// active one; the key goes no further.
void onKey(QWidget& widget, int key, std::function<void()> action);

// The visible discipline windows reload after asking about unsaved changes; a refused reload
// reloads the event parameters instead; with none visible the first one reloads.
void reloadDisciplinForms(TWindowRegistry& windows);

} // namespace tvp
