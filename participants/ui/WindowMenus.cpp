#include "participants/ui/WindowMenus.h"

#include "core/connection/SlotGuard.h"

#include <QAction>
#include <QBoxLayout>
#include <QMenu>
#include <QMenuBar>

namespace tvp {

QAction* menuAction(QMenu* menu, const QString& objectName, const QString& text)
{
    QAction* a = menu->addAction(text);
    a->setObjectName(objectName);
    return a;
}

QMenuBar* addMenuBar(QWidget* window, QBoxLayout* layout)
{
    auto* bar = new QMenuBar(window);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    layout->setMenuBar(bar);
    return bar;
}

QMenu* addExportMenu(QMenuBar* bar, QWidget* window, std::function<void(bool openAfterwards)> exportList)
{
    QMenu* menu = bar->addMenu(QStringLiteral("Export"));
    menu->setObjectName(QStringLiteral("Export1"));
    QObject::connect(menuAction(menu, QStringLiteral("Alscsv1"), QStringLiteral("Als csv")), &QAction::triggered,
                     window, [exportList] { guarded([&] { exportList(false); }); });
    QObject::connect(menuAction(menu, QStringLiteral("Alscsvundausfhren1"), QStringLiteral("Als csv und ausführen")),
                     &QAction::triggered, window, [exportList] { guarded([&] { exportList(true); }); });
    return menu;
}

} // namespace tvp
