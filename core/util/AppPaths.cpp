#include "core/util/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <mutex>

namespace tvp::AppPaths {

namespace {

std::mutex overrideMutex;
QString programDirOverride;
QString commonDirOverride;

QString overrideOf(const QString& forTests, const char* envName)
{
    std::lock_guard lock(overrideMutex);
    if (!forTests.isEmpty())
        return forTests;
    return qEnvironmentVariable(envName);
}

QString executableDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Tests and tools without an application object.
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
}

} // namespace

QString programDir()
{
    QString dir = overrideOf(programDirOverride, "TVP_PROGRAM_DIR");
    if (dir.isEmpty())
        dir = executableDir();
    dir = QDir::cleanPath(dir);
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

QString programFile(const QString& name)
{
    return programDir() + name;
}

QString commonAppDataDir()
{
    QString dir = overrideOf(commonDirOverride, "TVP_COMMON_APPDATA");
    if (dir.isEmpty()) {
        // A folder of our own below the desktop's data folder, which a fresh account may still lack.
        const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (data.isEmpty())
            return {};
        dir = data + QStringLiteral("/TrivantaPentrel");
    }
    return QDir::cleanPath(dir);
}

bool ensureCommonAppDataDir()
{
    const QString dir = commonAppDataDir();
    return !dir.isEmpty() && QDir().mkpath(dir) && QFileInfo(dir).isDir();
}

QString commonAppDataFile(const QString& name)
{
    const QString dir = commonAppDataDir();
    return dir.isEmpty() ? QString() : dir + u'/' + name;
}

void setProgramDirForTests(const QString& dir)
{
    std::lock_guard lock(overrideMutex);
    programDirOverride = dir;
}

void setCommonAppDataDirForTests(const QString& dir)
{
    std::lock_guard lock(overrideMutex);
    commonDirOverride = dir;
}

} // namespace tvp::AppPaths
