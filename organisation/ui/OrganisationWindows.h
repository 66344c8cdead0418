#pragma once
// The competition organisation windows the program creates at start-up.

namespace tvp {

class TWindowRegistry;

void registerOrganisationWindows(TWindowRegistry& registry);

} // namespace tvp
