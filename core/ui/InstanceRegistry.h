#pragma once
// Running instances of the program on this computer, each with its main window's title, so a
// second start can tell that another one runs. Each instance keeps a small file named after its
// process id in a per-user folder; files of processes that are gone are ignored and removed.

#include <QString>
#include <QStringList>

#include <functional>

namespace tvp {

class TInstanceRegistry {
public:
    // The folder is $TVP_INSTANCE_DIR, else defaultInstanceFolder().
    TInstanceRegistry();
    explicit TInstanceRegistry(QString folder);
    ~TInstanceRegistry();
    TInstanceRegistry(const TInstanceRegistry&) = delete;
    TInstanceRegistry& operator=(const TInstanceRegistry&) = delete;

    // Announces this process with its current title, and again whenever the title changes.
    void publish(const QString& title);
    void withdraw();
    // Titles of the other running instances, in process-id order.
    QStringList otherTitles() const;

private:
    QString fileOf(qint64 pid) const;
    QString folder_;
    bool published_ = false;
};

// A folder name for the desktop a process shows on: its Wayland display, else its X display
// (without screen number), else its login session.
QString desktopKey(const QString& waylandDisplay, const QString& x11Display, const QString& sessionId);
// The folder of the instances on this desktop: a folder per desktop in the user's runtime folder,
// so a program on another display or session of the same user is not counted.
QString defaultInstanceFolder();

// The start-up check: true when this start may go on. Asks (through ask) only when another
// instance runs that has finished starting.
bool singleInstanceTest(const TInstanceRegistry& registry, const std::function<bool()>& ask);

} // namespace tvp
