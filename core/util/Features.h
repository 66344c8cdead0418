#pragma once
// Named feature flags kept in the settings file. Flags are only ever switched on.

#include <QString>

namespace tvp {

void activateFeature(const QString& name);
bool isFeatureActive(const QString& name);

} // namespace tvp
