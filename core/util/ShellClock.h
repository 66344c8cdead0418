#pragma once
// A monotonic millisecond clock for the windows' guards and message ages; tests step it by hand.

#include <QtGlobal>

#include <functional>

namespace tvp {

qint64 shellClockMs();
// An empty function restores the real clock.
void setShellClockForTests(std::function<qint64()> clock);

} // namespace tvp
