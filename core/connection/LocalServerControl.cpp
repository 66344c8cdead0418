#include "core/connection/LocalServerControl.h"

#include "core/util/AppPaths.h"

#include <QFileInfo>
#include <QProcess>

#include <atomic>
#include <memory>

namespace tvp {

namespace {

constexpr int kDefaultStartWaitMs = 14000;
std::atomic<int> startWaitMs{kDefaultStartWaitMs};

// Longer than the stop script's own grace for the server (ten seconds, then it kills).
constexpr int kStopWaitMs = 30000;

QString serverFolder()
{
    return AppPaths::programDir() + QStringLiteral("server");
}

// Null when the script is missing or unreadable.
std::unique_ptr<QProcess> serverScript(const QString& name)
{
    const QString folder = serverFolder();
    const QFileInfo script(folder + u'/' + name);
    if (!script.isFile() || !script.isReadable())
        return nullptr;
    auto process = std::make_unique<QProcess>();
    process->setProgram(QStringLiteral("bash"));
    process->setArguments({script.filePath()});
    process->setWorkingDirectory(folder);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    return process;
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
    std::unique_ptr<QProcess> script = serverScript(QStringLiteral("start.sh"));
    // The server outlives the script; whether it came up the chooser's connection test shows.
    return script && script->startDetached();
}

bool StopLocalServer()
{
    std::unique_ptr<QProcess> script = serverScript(QStringLiteral("stop.sh"));
    if (!script)
        return false;
    script->setStandardErrorFile(QProcess::nullDevice());
    script->start();
    if (!script->waitForFinished(kStopWaitMs)) {
        // Not started, or hanging: the server may still run, which is what the user must hear.
        script->kill();
        script->waitForFinished(1000);
        return false;
    }
    return script->exitStatus() == QProcess::NormalExit && script->exitCode() == 0;
}

} // namespace tvp
