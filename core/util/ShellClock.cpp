#include "core/util/ShellClock.h"

#include <chrono>

namespace tvp {

namespace {
std::function<qint64()>& testClock()
{
    static std::function<qint64()> clock;
    return clock;
}
} // namespace

qint64 shellClockMs()
{
    if (const auto& clock = testClock())
        return clock();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void setShellClockForTests(std::function<qint64()> clock)
{
    testClock() = std::move(clock);
}

} // namespace tvp
