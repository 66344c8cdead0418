#pragma once
// A turn of the mouse wheel as a display delivers it: to the window, which hands it to the widget
// under the pointer; Qt gives that widget the focus where its policy says so, and a turn it does
// not take goes on to its parents.

#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <QtTest/qtestspontaneevent.h>

namespace tvp::test {

// Notches of the wheel at `at` in the window's coordinates; positive turns towards the user, so
// the content moves up.
inline void turnWheel(QWidget& window, QPoint at, int notches)
{
    QWindow* handle = window.windowHandle();
    if (!handle)
        return;
    for (int i = 0; i < std::abs(notches); ++i) {
        QWheelEvent wheel(QPointF(at), QPointF(window.mapToGlobal(at)), QPoint(), QPoint(0, notches > 0 ? -120 : 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        qApp->notify(handle, &wheel);
        QCoreApplication::processEvents();
    }
}

} // namespace tvp::test
