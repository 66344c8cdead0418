#include "core/connection/LocalServerControl.h"

#include "core/util/AppPaths.h"

#include <QFileInfo>
#include <QProcess>

#include <atomic>

namespace tvp {

namespace {

constexpr int kDefaultStartWaitMs = 14000;
std::atomic<int> startWaitMs{kDefaultStartWaitMs};

bool runServerScript(const QString& name)
{
    const QString folder = AppPaths::programDir() + QStringLiteral("server");
    const QFileInfo script(folder + u'/' + name);
    if (!script.isFile() || !script.isReadable())
        return false;
    QProcess process;
    process.setProgram(QStringLiteral("bash"));
    process.setArguments({script.filePath()});
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    return process.startDetached();
}

} // namespace

int localServerStartWaitMs()
{
    return startWaitMs;
}

void setLocalServerStartWaitMsForTests(int ms)
{
    startWaitMs = ms < 0 ? kDefaultStartWaitMs : ms;
}

bool StartLocalServer()
{
    return runServerScript(QStringLiteral("start.sh"));
}

bool StopLocalServer()
{
    return runServerScript(QStringLiteral("stop.sh"));
}

} // namespace tvp
