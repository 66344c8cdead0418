#include "core/util/UncaughtErrors.h"

#include <QtGlobal>

#include <mutex>

namespace tvp {

namespace {
std::mutex reporterMutex;
std::function<void(const QString&)>& reporterSlot()
{
    static std::function<void(const QString&)> slot;
    return slot;
}
} // namespace

void reportUncaught(const QString& text)
{
    std::function<void(const QString&)> reporter;
    {
        std::lock_guard lock(reporterMutex);
        reporter = reporterSlot();
    }
    if (reporter)
        reporter(text);
    else
        qWarning("%s", qUtf8Printable(text));
}

void setUncaughtReporter(std::function<void(const QString&)> reporter)
{
    std::lock_guard lock(reporterMutex);
    reporterSlot() = std::move(reporter);
}

} // namespace tvp
