#pragma once
// What each area adds to the program at start-up: its windows and the services other areas reach.
// The program and the README's list of missing windows (tools/) read the same registration.

namespace tvp {

class TWindowRegistry;

void registerProgramAreas(TWindowRegistry& registry);

} // namespace tvp
