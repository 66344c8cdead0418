#include "organisation/ui/OrganisationWindows.h"

#include "core/ui/WindowRegistry.h"
#include "organisation/ui/DisciplinDialog.h"
#include "organisation/ui/DisciplinListDialog.h"
#include "organisation/ui/DisciplinePlaceDialog.h"
#include "organisation/ui/LapCountSheetDialog.h"
#include "organisation/ui/PrintHighJumpDialog.h"
#include "organisation/ui/ScheduleDialog.h"

namespace tvp {

void registerOrganisationWindows(TWindowRegistry& registry)
{
    registry.registerWindow(TWindowId::DisciplinListForm0,
                            [](TWindowContext& context) { return std::make_unique<TDisciplinForm>(context, 0); });
    registry.registerWindow(TWindowId::DisciplinListForm1,
                            [](TWindowContext& context) { return std::make_unique<TDisciplinForm>(context, 1); });
    registry.registerWindow<TDisciplinListForm>(TWindowId::DisciplinListForm);
    registry.registerWindow<TPrintHighJumpForm>(TWindowId::PrintHighJumpForm);
    registry.registerWindow<TLapCountSheetForm>(TWindowId::LapCountSheetForm);
    registry.registerWindow<TDisciplinePlaceForm>(TWindowId::DisciplinePlaceForm);
    registry.registerWindow<TScheduleForm>(TWindowId::ScheduleForm);
}

} // namespace tvp
