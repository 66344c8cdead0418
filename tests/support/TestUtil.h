#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QPointer>
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

// Counts the events of one type an object receives while it lives.
class EventCounter : public QObject {
public:
    EventCounter(QObject& watched, QEvent::Type type) : watched_(&watched), type_(type)
    {
        watched.installEventFilter(this);
    }
    ~EventCounter() override
    {
        if (watched_)
            watched_->removeEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == type_;
        return false;
    }

    int count = 0;

private:
    QPointer<QObject> watched_;
    QEvent::Type type_;
};

} // namespace tvp::test

// Readable QStrings in GoogleTest failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
