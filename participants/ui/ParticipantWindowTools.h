#pragma once
// Small pieces the participant windows share: combo boxes of ids, lists dragged between windows,
// and the reload of the discipline windows after a change of what they show.

#include "core/ui/WindowCatalogue.h"

#include <QString>

#include <functional>
#include <vector>

class QAbstractItemModel;
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

// Selects the first entry carrying id and fires the box's change handler (activated); false when
// no entry carries it.
bool setComboItem(QComboBox& combo, int id);
// The id carried by the selected entry; 0 without selection.
int comboId(const QComboBox& combo);

// Drags between work windows carry ids only: the target asks the source window for its selection.
// The drag names its source window by component name.
inline const QString kWindowDragMime = QStringLiteral("application/x-trivanta-window");
QMimeData* windowDragData(const QString& sourceWindow);
// Whether the drop comes from that window: the dragging widget's window when Qt knows it, else
// the window the drag names.
bool dropComesFrom(const QDropEvent& event, const TWindowRegistry& windows, TWindowId source);

// Runs action when key is pressed in widget (without modifiers), whether or not its window is the
// active one; the key goes no further.
void onKey(QWidget& widget, int key, std::function<void()> action);

// The visible discipline windows reload after asking about unsaved changes; a refused reload
// reloads the event parameters instead; with none visible the first one reloads.
void reloadDisciplinForms(TWindowRegistry& windows);

} // namespace tvp
