#include "participants/ui/ParticipantWindows.h"

#include "core/ui/WindowRegistry.h"
#include "participants/ui/BarcodeInputDialog.h"
#include "participants/ui/ClubDialog.h"
#include "participants/ui/SquadCreateDialog.h"
#include "participants/ui/SquadDialog.h"

namespace tvp {

void registerParticipantWindows(TWindowRegistry& registry)
{
    registry.registerWindow(TWindowId::BarcodeInputForm,
                            [](TWindowContext&) { return std::make_unique<TBarcodeInputForm>(); });
    registry.registerWindow<TClubForm>(TWindowId::ClubForm);
    registry.registerWindow<TSquadForm>(TWindowId::SquadForm);
    registry.registerWindow<TSquadCreateForm>(TWindowId::SquadCreateForm);
}

} // namespace tvp
