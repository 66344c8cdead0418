#include "core/connection/LocalServerControl.h"

#include "core/util/AppPaths.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>

#include <atomic>
#include <memory>

namespace tvp {

namespace {

constexpr int kDefaultStartWaitMs = 14000;
std::atomic<int> startWaitMs{kDefaultStartWaitMs};

// Longer than the scripts' own bounds: the start waits ten seconds for the server to answer, the
// stop gives it ten seconds' grace before it kills.
constexpr int kScriptWaitMs = 30000;

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

TServerStart StartLocalServer(const std::function<void()>& whileWaiting)
{
    TServerStart outcome;
    std::unique_ptr<QProcess> script = serverScript(QStringLiteral("start.sh"));
    if (!script)
        return outcome;
    // The server it starts writes to its own log, so the script's channels close with the script.
    script->setProcessChannelMode(QProcess::MergedChannels);
    script->start();
    if (!script->waitForStarted())
        return outcome;
    outcome.ran = true;
    const QDeadlineTimer deadline(kScriptWaitMs);
    while (script->state() != QProcess::NotRunning && !deadline.hasExpired()) {
        if (script->waitForFinished(whileWaiting ? 50 : int(deadline.remainingTime())))
            break;
        if (whileWaiting)
            whileWaiting();
    }
    if (script->state() != QProcess::NotRunning) {
        script->kill();
        script->waitForFinished(1000);
        outcome.said = QStringLiteral("Server konnte nicht gestartet werden: Das Startskript ist nicht innerhalb von "
                                      "30 Sekunden fertig geworden.");
        return outcome;
    }
    outcome.said = QString::fromUtf8(script->readAll()).trimmed();
    outcome.succeeded = script->exitStatus() == QProcess::NormalExit && script->exitCode() == 0;
    return outcome;
}

bool StopLocalServer()
{
    std::unique_ptr<QProcess> script = serverScript(QStringLiteral("stop.sh"));
    if (!script)
        return false;
    script->setStandardOutputFile(QProcess::nullDevice());
    script->setStandardErrorFile(QProcess::nullDevice());
    script->start();
    if (!script->waitForFinished(kScriptWaitMs)) {
        // Not started, or hanging: the server may still run, which is what the user must hear.
        script->kill();
        script->waitForFinished(1000);
        return false;
    }
    return script->exitStatus() == QProcess::NormalExit && script->exitCode() == 0;
}

} // namespace tvp
