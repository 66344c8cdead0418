#pragma once
// Failures caught at the edge of a slot, timer or callback end here; the message window installs
// itself as the reporter once it exists.

#include <QString>

#include <functional>

namespace tvp {

void reportUncaught(const QString& text);
void setUncaughtReporter(std::function<void(const QString&)> reporter);

} // namespace tvp
