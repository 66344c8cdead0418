#pragma once
// The competition setup area's windows, registered at start-up.

namespace tvp {

class TWindowRegistry;

void registerSetupWindows(TWindowRegistry& registry);

} // namespace tvp
