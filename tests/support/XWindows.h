#pragma once
// What the window manager decided, read from the X server with xprop rather than from Qt: the
// window that has the keyboard and the order in which the managed windows are stacked.

#include "tests/support/TestUtil.h"

#include <QProcess>
#include <QStringList>
#include <QWidget>

namespace tvp::test {

// The root window's property as xprop prints it, after its "#" or "id".
inline QString rootProperty(const char* name)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QString::fromLatin1(name)});
    xprop.waitForFinished();
    const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
    return out.contains(u'#') ? out.section(u'#', 1) : out.section(QStringLiteral("id"), 1);
}

// The client window the window manager made active (_NET_ACTIVE_WINDOW); 0 when none.
inline WId activeXWindow()
{
    return rootProperty("_NET_ACTIVE_WINDOW").section(u',', 0, 0).trimmed().toULongLong(nullptr, 16);
}

// True once the window manager gave the window the keyboard, within ms.
inline bool becomesActiveInX(const QWidget& window, int ms = 20000)
{
    return waitUntil([&] { return window.isVisible() && activeXWindow() == window.winId(); }, ms);
}

// The managed windows from the bottom to the top of the stack.
inline QList<WId> stackedXWindows()
{
    QList<WId> ids;
    for (const QString& id : rootProperty("_NET_CLIENT_LIST_STACKING").split(u','))
        if (const WId w = id.trimmed().toULongLong(nullptr, 16))
            ids << w;
    return ids;
}

// The window manager's stacking order holds the upper window above the lower one.
inline bool stackedAbove(const QWidget& upper, const QWidget& lower)
{
    const QList<WId> ids = stackedXWindows();
    const qsizetype low = ids.indexOf(lower.winId());
    return low >= 0 && ids.indexOf(upper.winId()) > low;
}

// Until the window manager holds the window among those it manages.
inline bool managedInX(const QWidget& window, int ms = 10000)
{
    return waitUntil([&] { return window.isVisible() && stackedXWindows().contains(window.winId()); }, ms);
}

} // namespace tvp::test
