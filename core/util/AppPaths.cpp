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
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir::cleanPath(dir);
}

QString commonAppDataFile(const QString& name)
{
    return commonAppDataDir() + u'/' + name;
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
