#pragma once
// What a window manager sends once it framed a shown window, whenever it gets to it: the window
// moved below its title bar, its size confirmed. Offscreen no window manager sends them.

#include <QApplication>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QWidget>
#include <QtTest/qtestspontaneevent.h>

#include <initializer_list>

namespace tvp::test {

inline void sendWindowManagerEvents(QWidget& window)
{
    QMoveEvent move(window.pos() + QPoint(1, 37), window.pos());
    QResizeEvent resize(window.size(), window.size() - QSize(0, 1));
    for (QEvent* event : std::initializer_list<QEvent*>{&move, &resize}) {
        QSpontaneKeyEvent::setSpontaneous(event);
        qApp->notify(&window, event); // as Qt delivers what the window system sends
    }
}

} // namespace tvp::test
