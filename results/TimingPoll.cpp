#include "results/TimingPoll.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <chrono>
#include <thread>

namespace tvp {

namespace {

// `context` on a thread of its own, started: `start` makes its timers and watches there, which end
// with it on that thread.
void startThread(QThread& thread, const QString& name, QObject*& context, const std::function<void()>& start)
{
    thread.setObjectName(name);
    context = new QObject;
    context->moveToThread(&thread);
    QObject::connect(&thread, &QThread::finished, context, &QObject::deleteLater);
    thread.start();
    QMetaObject::invokeMethod(context, start, Qt::BlockingQueuedConnection);
}

} // namespace

TimingPoll::TimingPoll(Competition competition, QObject* owner, Looked looked, RunsChanged runsChanged)
    : competition_(std::move(competition)),
      owner_(owner),
      looked_(std::move(looked)),
      connector_([this] { return folder(); }),
      runsChanged_(std::move(runsChanged))
{
    startThread(thread_, QStringLiteral("Zeitmessung"), context_, [this] { start(); });
    if (runsChanged_)
        startThread(followThread_, QStringLiteral("Zeitmessung Laufordner"), followContext_,
                    [this] { startFollowing(); });
}

TimingPoll::~TimingPoll()
{
    for (QThread* thread : {&thread_, &followThread_}) {
        thread->requestInterruption();
        thread->quit();
        thread->wait();
    }
}

void TimingPoll::start()
{
    tick_ = new QTimer(context_);
    QObject::connect(tick_, &QTimer::timeout, context_, [this] {
        if (enabled_)
            lookAndTell(true);
    });
    // Writes come in bursts: one look for those that came together.
    soon_ = new QTimer(context_);
    soon_->setSingleShot(true);
    soon_->setInterval(0);
    QObject::connect(soon_, &QTimer::timeout, context_, [this] {
        if (enabled_)
            lookAndTell(false);
    });
    watcher_ = new QFileSystemWatcher(context_);
    auto changed = [this] {
        watch(); // the result file may have come or gone
        if (!soon_->isActive())
            soon_->start();
    };
    QObject::connect(watcher_, &QFileSystemWatcher::fileChanged, context_, changed);
    QObject::connect(watcher_, &QFileSystemWatcher::directoryChanged, context_, changed);
}

void TimingPoll::setFolder(const QString& folder)
{
    {
        const QMutexLocker lock(&folderLock_);
        folder_ = folder;
    }
    QMetaObject::invokeMethod(
        context_, [this] { watch(); }, Qt::QueuedConnection);
    if (followContext_)
        QMetaObject::invokeMethod(
            followContext_, [this] { follow(); }, Qt::QueuedConnection);
}

QString TimingPoll::folder() const
{
    const QMutexLocker lock(&folderLock_);
    return folder_;
}

namespace {

void tickEvery(QTimer& tick, bool enabled, int intervalMs)
{
    tick.setInterval(intervalMs);
    if (enabled)
        tick.start();
    else
        tick.stop();
}

} // namespace

void TimingPoll::setPolling(bool enabled, int intervalMs)
{
    enabled_ = enabled;
    QMetaObject::invokeMethod(
        context_,
        [this, enabled, intervalMs] {
            tickEvery(*tick_, enabled, intervalMs);
            watch();
        },
        Qt::QueuedConnection);
    if (followContext_)
        QMetaObject::invokeMethod(
            followContext_,
            [this, enabled, intervalMs] {
                tickEvery(*followTick_, enabled, intervalMs);
                follow();
            },
            Qt::QueuedConnection);
}

TimingPoll::TLook TimingPoll::look(bool polled)
{
    TLook look;
    const int competition = competition_();
    if (competition == 0) {
        look.busy = true;
        return look;
    }
    const QMutexLocker lock(&lookLock_);
    try {
        look.split = connector_.splitResultFile(competition, polled);
    } catch (const ETimingFileBusy&) {
        look.busy = true; // the next look tries again
    } catch (const TvpError& e) {
        look.failure = e.message();
    } catch (const std::exception& e) {
        look.failure = QString::fromUtf8(e.what());
    } catch (...) {
        look.failure = QStringLiteral("Die Zeitmessungsdaten können nicht gelesen werden.");
    }
    return look;
}

void TimingPoll::lookAndTell(bool polled)
{
    // A folder made since, or a result file the watch missed.
    if (polled)
        watch();
    TLook found = look(polled);
    if (found.busy)
        return;
    const bool split = found.split.runs > 0;
    tell(std::move(found));
    if (!split)
        return;
    // A timing program that writes the file anew for each run may write the next within a
    // millisecond: once a run came, keep looking for a while instead of waiting for the file
    // system's notice and this thread's turn.
    QElapsedTimer sinceRun;
    sinceRun.start();
    while (enabled_ && sinceRun.elapsed() < followMs && !thread_.isInterruptionRequested()) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        TLook next = look(false);
        const TimingConnector::TSplit& s = next.split;
        if (s.runs > 0)
            sinceRun.start();
        else if (next.busy || (next.failure.isEmpty() && s.unreadable.isEmpty() && s.setAside.isEmpty() &&
                               s.failure.isEmpty() && s.missing.isEmpty()))
            continue;
        tell(std::move(next));
    }
}

void TimingPoll::tell(TLook found)
{
    QMetaObject::invokeMethod(
        owner_, [looked = looked_, found = std::move(found)] { looked(found); }, Qt::QueuedConnection);
}

void TimingPoll::watch()
{
    // The folder tells when the result file comes; the file, when it is written. A folder on
    // another computer may tell neither: the interval remains.
    const QString folder = this->folder();
    QStringList wanted;
    if (enabled_ && !folder.isEmpty() && QFileInfo(folder).isDir()) {
        wanted << QFileInfo(folder).absoluteFilePath();
        const QFileInfo result(QDir(folder).filePath(QLatin1String(kResultFileName)));
        if (result.isFile())
            wanted << result.absoluteFilePath();
    }
    const QStringList watched = watcher_->files() + watcher_->directories();
    auto without = [](const QStringList& paths, const QStringList& others) {
        QStringList out;
        for (const QString& path : paths)
            if (!others.contains(path))
                out << path;
        return out;
    };
    if (const QStringList gone = without(watched, wanted); !gone.isEmpty())
        watcher_->removePaths(gone);
    if (const QStringList come = without(wanted, watched); !come.isEmpty())
        watcher_->addPaths(come);
}

} // namespace tvp

namespace tvp {

void TimingPoll::startFollowing()
{
    followTick_ = new QTimer(followContext_);
    QObject::connect(followTick_, &QTimer::timeout, followContext_, [this] { follow(); });
    followSoon_ = new QTimer(followContext_);
    followSoon_->setSingleShot(true);
    followSoon_->setInterval(0);
    QObject::connect(followSoon_, &QTimer::timeout, followContext_, [this] { follow(); });
    followWatcher_ = new QFileSystemWatcher(followContext_);
    auto changed = [this] {
        if (!followSoon_->isActive())
            followSoon_->start();
    };
    QObject::connect(followWatcher_, &QFileSystemWatcher::directoryChanged, followContext_, changed);
}

QString TimingPoll::followedFolder() const
{
    const int competition = competition_();
    if (!enabled_ || competition == 0 || folder().isEmpty())
        return {};
    return connector_.runFolder(competition);
}

void TimingPoll::follow()
{
    // The exchange folder tells when the run folder comes; a folder on another computer may not
    // tell: the interval remains.
    const QString runs = followedFolder();
    QStringList wanted;
    if (!runs.isEmpty()) {
        wanted << QFileInfo(folder()).absoluteFilePath();
        if (QFileInfo(runs).isDir())
            wanted << QFileInfo(runs).absoluteFilePath();
    }
    if (const QStringList watched = followWatcher_->directories(); watched != wanted) {
        if (!watched.isEmpty())
            followWatcher_->removePaths(watched);
        if (!wanted.isEmpty())
            followWatcher_->addPaths(wanted);
    }
    if (runs.isEmpty())
        return;
    if (follower_.look(runs) && enabled_)
        QMetaObject::invokeMethod(owner_, runsChanged_, Qt::QueuedConnection);
}

} // namespace tvp
