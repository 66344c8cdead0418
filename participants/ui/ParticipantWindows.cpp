#include "participants/ui/ParticipantWindows.h"

#include "core/ui/WindowRegistry.h"
#include "participants/ui/AthleteDialog.h"
#include "participants/ui/BarcodeInputDialog.h"
#include "participants/ui/SearchDialog.h"

namespace tvp {

void registerParticipantWindows(TWindowRegistry& registry)
{
    registry.registerWindow(TWindowId::BarcodeInputForm,
                            [](TWindowContext&) { return std::make_unique<TBarcodeInputForm>(); });
    registry.registerWindow<TSearchForm>(TWindowId::SearchForm);
    registry.registerWindow<TAthleteForm>(TWindowId::AthleteForm);
}

} // namespace tvp
