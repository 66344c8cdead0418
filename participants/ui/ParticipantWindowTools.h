#pragma once
// Small pieces the participant windows share: combo boxes of ids, lists dragged between windows,
// and the reload of the discipline windows after a change of what they show.

#include "core/ui/WindowCatalogue.h"

#include <QString>

#include <functional>

class QComboBox;
class QDropEvent;
class QMimeData;
class QObject;
class QWidget;

namespace tvp {

class TWindowRegistry;

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
