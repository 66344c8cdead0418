#pragma once
// The competition organisation's windows, registered with the program's window registry.

namespace tvp {

class TWindowRegistry;

void registerOrganisationWindows(TWindowRegistry& registry);

} // namespace tvp
