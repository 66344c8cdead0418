#pragma once

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QString>
#include <QThread>

#include <ostream>

#include <functional>

namespace tvp::test {

// Runs the event loop until the condition holds or the time is up.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// Runs what the event loop holds (posted events, zero timers) and what that posts in turn, pass by
// pass until one finds nothing to do: a loaded machine takes longer for it, not fewer passes, as
// it would with a wait of some milliseconds. For what must have happened by now, or not at all.
inline void runQueued(int mostPasses = 100)
{
    QCoreApplication::sendPostedEvents();
    for (int pass = 0; pass < mostPasses && QAbstractEventDispatcher::instance()->processEvents(QEventLoop::AllEvents);
         ++pass) {
    }
}

// The ping's patience for tests whose servers are on loopback, where a ping is answered or refused
// at once: a long one costs nothing there and covers a busy machine that runs the ping's thread late.
inline constexpr int kLoopbackPingIntervalMs = 3000;

// Counts the events of one type an object receives while the counter lives.
struct EventCounter : QObject {
    EventCounter(QObject& watched, QEvent::Type counted) : type(counted) { watched.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == type;
        return false;
    }
    QEvent::Type type;
    int count = 0;
};

} // namespace tvp::test

// Readable QStrings in GoogleTest failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
