#pragma once
// The participant windows the program creates at start-up.

namespace tvp {

class TWindowRegistry;

void registerParticipantWindows(TWindowRegistry& registry);

} // namespace tvp
