#include "results/TimingPoll.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <chrono>
#include <thread>

namespace tvp {

TimingPoll::TimingPoll(Competition competition, QObject* owner, Looked looked)
    : competition_(std::move(competition)),
      owner_(owner),
      looked_(std::move(looked)),
      connector_([this] { return folder(); })
{
    thread_.setObjectName(QStringLiteral("Zeitmessung"));
    context_ = new QObject;
    context_->moveToThread(&thread_);
    // Its timers and watch end with it, on its thread.
    QObject::connect(&thread_, &QThread::finished, context_, &QObject::deleteLater);
    thread_.start();
    QMetaObject::invokeMethod(
        context_, [this] { start(); }, Qt::BlockingQueuedConnection);
}

TimingPoll::~TimingPoll()
{
    thread_.requestInterruption();
    thread_.quit();
    thread_.wait();
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
}

QString TimingPoll::folder() const
{
    const QMutexLocker lock(&folderLock_);
    return folder_;
}

void TimingPoll::setPolling(bool enabled, int intervalMs)
{
    enabled_ = enabled;
    QMetaObject::invokeMethod(
        context_,
        [this, enabled, intervalMs] {
            tick_->setInterval(intervalMs);
            if (enabled)
                tick_->start();
            else
                tick_->stop();
            watch();
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
