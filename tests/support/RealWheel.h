#pragma once
// A turn of the mouse wheel as a display delivers it: to the window, which hands it to the widget
// under the pointer (giving it the focus where its policy says so); a turn it ignores goes on to
// its parents.

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <QtTest/qtestspontaneevent.h>

namespace tvp::test {

// Notches at `at` in the window's coordinates; positive turns towards the user: the content moves up.
inline void turnWheel(QWidget& window, QPoint at, int notches)
{
    for (int i = 0; i < std::abs(notches) && window.windowHandle(); ++i) {
        QWheelEvent wheel(QPointF(at), QPointF(window.mapToGlobal(at)), QPoint(), QPoint(0, notches > 0 ? -120 : 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        qApp->notify(window.windowHandle(), &wheel);
        QCoreApplication::processEvents();
    }
}

} // namespace tvp::test
