#pragma once
// The log file TVPlog.txt beside the program. Worker threads log too, so each line is written
// whole under a lock and flushed at once.

#include <QFile>
#include <QString>

#include <memory>
#include <mutex>

namespace tvp {

enum class TLogLevel { ll_debug, ll_info, ll_warning, ll_error, ll_off };

class TLogger {
public:
    // Opens (and creates if missing) the log for appending; ll_off touches no file.
    explicit TLogger(TLogLevel level);

    TLogger(const TLogger&) = delete;
    TLogger& operator=(const TLogger&) = delete;

    // Writes "yyyy-MM-dd hh:mm:ss [LEVEL]: text" + CR LF when level is at or above the logger's level.
    // The text goes out in Windows-1252; characters it lacks become '?' or a close look-alike.
    void log(TLogLevel level, const QString& text);

    TLogLevel level() const { return level_; }

private:
    const TLogLevel level_;
    std::mutex mutex_;
    QFile file_;
};

// The program's logger, created at ll_off so that nothing is written unless it is replaced.
TLogger& TVP_LOGGER();
// Meant for start-up and tests: no other thread may be logging meanwhile.
void setProgramLogger(std::unique_ptr<TLogger> logger);

} // namespace tvp
