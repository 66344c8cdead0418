#pragma once
// The watch on the timing program's result file, on a thread of its own: a look every interval, and
// at once when the exchange folder or COM_ZDT.TXT tells of a change. A timing program that writes
// the file anew for every run keeps each run only until its next write, so the look must not wait
// for whatever the GUI thread is doing (rebuilding the import list, showing an answer).
//
//   TimingPoll poll([] { return competitionId; }, window, [](const TimingPoll::TLook& look) { ... });
//   poll.setFolder(folder);
//   poll.setPolling(true, 2000);

#include "results/TimingConnector.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <functional>

class QFileSystemWatcher;
class QTimer;

namespace tvp {

class TimingPoll {
public:
    // After a look that split a run, how long the poll keeps looking, every 0.2 ms.
    static inline int followMs = 100;

    // What one look found.
    struct TLook {
        bool busy = false; // no result file, no competition, or the timing program holds the file
        TimingConnector::TSplit split;
        QString failure; // why nothing could be split: a run file or the run folder cannot be written
    };
    // The current competition's id (0: none), asked on the poll's threads.
    using Competition = std::function<int()>;
    using Looked = std::function<void(const TLook&)>;
    // The run folder changed: runs split or marked imported, here or at another desk.
    using RunsChanged = std::function<void()>;

    // The poll's own looks, but busy ones, reach `looked` on `owner`'s thread; so do changes of the
    // run folder, which a thread of its own follows while polling is on, at the same interval and
    // at each notice of the folder.
    TimingPoll(Competition competition, QObject* owner, Looked looked, RunsChanged runsChanged = {});
    ~TimingPoll();
    TimingPoll(const TimingPoll&) = delete;
    TimingPoll& operator=(const TimingPoll&) = delete;

    void setFolder(const QString& folder);
    QString folder() const;
    void setPolling(bool enabled, int intervalMs);
    bool isPolling() const { return enabled_; }

    // One look on the calling thread, one at a time with the poll's own: `polled` as a tick of the
    // interval (which may find the file resting), else as a change.
    TLook look(bool polled);

private:
    // On the poll's thread.
    void start();
    void lookAndTell(bool polled);
    void tell(TLook found);
    void watch();
    // On the run folder's thread.
    void startFollowing();
    void follow();
    QString followedFolder() const;

    Competition competition_;
    QObject* owner_;
    Looked looked_;
    mutable QMutex folderLock_;
    QString folder_;
    std::atomic<bool> enabled_ = false;
    QMutex lookLock_;
    TimingConnector connector_;
    QThread thread_;
    QObject* context_ = nullptr; // lives on the poll's thread, with the timers and the watch
    QTimer* tick_ = nullptr;
    QTimer* soon_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
    // Following the run folder: apart from the looks, which must not wait for a listing.
    RunsChanged runsChanged_;
    RunFolderFollower follower_;
    QThread followThread_;
    QObject* followContext_ = nullptr;
    QTimer* followTick_ = nullptr;
    QTimer* followSoon_ = nullptr;
    QFileSystemWatcher* followWatcher_ = nullptr;
};

} // namespace tvp
