#include "participants/ui/ParticipantWindows.h"

#include "core/ui/WindowRegistry.h"
#include "participants/ui/BarcodeInputDialog.h"

namespace tvp {

void registerParticipantWindows(TWindowRegistry& registry)
{
    registry.registerWindow(TWindowId::BarcodeInputForm,
                            [](TWindowContext&) { return std::make_unique<TBarcodeInputForm>(); });
}

} // namespace tvp
