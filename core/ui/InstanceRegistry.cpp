#include "core/ui/InstanceRegistry.h"

#include "core/util/Logger.h"
#include "core/ui/MainWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <csignal>

namespace tvp {

namespace {

// Alive and still this program: after a crash its process id may have gone to another program.
bool processAlive(qint64 pid)
{
    if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM))
        return false;
    const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    // Without a readable link (another user's process) the file is trusted.
    return exe.isEmpty() || QFileInfo(exe).fileName() == QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

} // namespace

QString desktopKey(const QString& waylandDisplay, const QString& x11Display, const QString& sessionId)
{
    QString key;
    if (!waylandDisplay.isEmpty()) {
        key = QStringLiteral("wayland-") + waylandDisplay;
    } else if (!x11Display.isEmpty()) {
        // host:display.screen; the screens of one display are one desktop.
        key = x11Display;
        const qsizetype colon = key.lastIndexOf(u':');
        const qsizetype dot = key.indexOf(u'.', colon < 0 ? 0 : colon);
        if (colon >= 0 && dot > colon)
            key.truncate(dot);
        key.prepend(QStringLiteral("x11-"));
    } else {
        key = QStringLiteral("session-") + (sessionId.isEmpty() ? QStringLiteral("none") : sessionId);
    }
    // One plain folder name, whatever the variables hold.
    for (QChar& c : key)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'.' && c != u'_')
            c = u'_';
    if (key.startsWith(u'.'))
        key.prepend(u'_');
    return key;
}

QString defaultInstanceFolder()
{
    const QString fromEnv = qEnvironmentVariable("TVP_INSTANCE_DIR");
    if (!fromEnv.isEmpty())
        return fromEnv;
    // The runtime folder is the user's for all of their sessions, and Qt's stand-in for a missing
    // XDG_RUNTIME_DIR even more so: the desktop names the folder within it.
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    return base + QStringLiteral("/TrivantaPentrel-instances/") +
           desktopKey(qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("DISPLAY"),
                      qEnvironmentVariable("XDG_SESSION_ID"));
}

TInstanceRegistry::TInstanceRegistry() : TInstanceRegistry(defaultInstanceFolder())
{
}

TInstanceRegistry::TInstanceRegistry(QString folder) : folder_(std::move(folder))
{
    QDir().mkpath(folder_);
}

TInstanceRegistry::~TInstanceRegistry()
{
    withdraw();
}

QString TInstanceRegistry::fileOf(qint64 pid) const
{
    return folder_ + QStringLiteral("/%1.instance").arg(pid);
}

void TInstanceRegistry::publish(const QString& title)
{
    QSaveFile file(fileOf(QCoreApplication::applicationPid()));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(title.toUtf8());
        published_ = file.commit();
    }
}

void TInstanceRegistry::withdraw()
{
    if (published_)
        QFile::remove(fileOf(QCoreApplication::applicationPid()));
    published_ = false;
}

QStringList TInstanceRegistry::otherTitles() const
{
    const qint64 self = QCoreApplication::applicationPid();
    std::vector<qint64> pids;
    for (const QString& name : QDir(folder_).entryList({QStringLiteral("*.instance")}, QDir::Files)) {
        bool ok = false;
        const qint64 pid = name.section(QLatin1Char('.'), 0, 0).toLongLong(&ok);
        if (!ok || pid == self)
            continue;
        if (!processAlive(pid)) {
            QFile::remove(fileOf(pid)); // left behind by a crash
            continue;
        }
        pids.push_back(pid);
    }
    std::sort(pids.begin(), pids.end());
    QStringList titles;
    for (qint64 pid : pids) {
        QFile file(fileOf(pid));
        if (file.open(QIODevice::ReadOnly))
            titles << QString::fromUtf8(file.readAll());
    }
    return titles;
}

bool singleInstanceTest(const TInstanceRegistry& registry, const std::function<bool()>& ask)
{
    for (const QString& title : registry.otherTitles()) {
        TVP_LOGGER().log(TLogLevel::ll_info, QStringLiteral("Detected running TVP instance"));
        TVP_LOGGER().log(TLogLevel::ll_info, QStringLiteral("Found: ") + title);
        // One that is still starting counts as not there yet.
        if (title == TMainForm::kStartingTitle)
            continue;
        TVP_LOGGER().log(TLogLevel::ll_info, QStringLiteral("Detected running TVP instance"));
        return ask();
    }
    return true;
}

} // namespace tvp
