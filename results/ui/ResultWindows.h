#pragma once

namespace tvp {

class TWindowRegistry;

// The result capture windows built so far.
void registerResultWindows(TWindowRegistry& registry);

} // namespace tvp
