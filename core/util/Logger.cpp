#include "core/util/Logger.h"

#include "core/util/AppPaths.h"
#include "core/util/CodePages.h"

#include <QDateTime>

#include <atomic>
#include <mutex>
#include <vector>

namespace tvp {

namespace {

const char* levelName(TLogLevel level)
{
    switch (level) {
    case TLogLevel::ll_debug: return "DEBUG";
    case TLogLevel::ll_info: return "INFO";
    case TLogLevel::ll_warning: return "WARNING";
    case TLogLevel::ll_error: return "ERROR";
    case TLogLevel::ll_off: break;
    }
    return nullptr;
}

// Never destroyed, and a replaced logger is kept too: request workers may still log while the
// program ends or a test swaps the logger.
std::atomic<TLogger*>& programLogger()
{
    static std::atomic<TLogger*> logger{new TLogger(TLogLevel::ll_off)};
    return logger;
}

std::mutex& retiredMutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::vector<std::unique_ptr<TLogger>>& retiredLoggers()
{
    static auto* retired = new std::vector<std::unique_ptr<TLogger>>;
    return *retired;
}

} // namespace

TLogger::TLogger(TLogLevel level) : level_(level)
{
    if (level_ == TLogLevel::ll_off)
        return;
    file_.setFileName(AppPaths::programFile(QStringLiteral("TVPlog.txt")));
    // Append mode creates a missing file; an unwritable folder simply leaves the log closed.
    file_.open(QIODevice::WriteOnly | QIODevice::Append);
}

void TLogger::log(TLogLevel level, const QString& text)
{
    const char* name = levelName(level);
    if (level_ == TLogLevel::ll_off || level < level_ || !name)
        return;
    QByteArray line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss [")).toLatin1();
    line += name;
    line += "]: ";
    line += toWindows1252(text);
    line += "\r\n";
    std::lock_guard lock(mutex_);
    if (!file_.isOpen())
        return;
    file_.write(line);
    file_.flush();
}

TLogger& TVP_LOGGER()
{
    return *programLogger().load();
}

void setProgramLogger(std::unique_ptr<TLogger> logger)
{
    TLogger* next = logger ? logger.release() : new TLogger(TLogLevel::ll_off);
    std::unique_ptr<TLogger> previous(programLogger().exchange(next));
    std::lock_guard lock(retiredMutex());
    retiredLoggers().push_back(std::move(previous));
}

} // namespace tvp
