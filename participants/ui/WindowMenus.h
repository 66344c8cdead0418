#pragma once
// The menus the participant windows share: entries carry their component names, and the "Export"
// menu of every list window.

#include <QString>

#include <functional>

class QAction;
class QBoxLayout;
class QMenu;
class QMenuBar;
class QWidget;

namespace tvp {

// An entry with its component name.
QAction* menuAction(QMenu* menu, const QString& objectName, const QString& text);

// The window's menu bar ("MainMenu1") on top of its layout.
QMenuBar* addMenuBar(QWidget* window, QBoxLayout* layout);

// "Export" with "Als csv" and "Als csv und ausführen"; exportList is told whether to open the file
// afterwards. Its calls run guarded.
QMenu* addExportMenu(QMenuBar* bar, QWidget* window, std::function<void(bool openAfterwards)> exportList);

} // namespace tvp
