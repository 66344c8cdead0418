#include "organisation/ui/OrganisationWindows.h"

#include "core/ui/WindowRegistry.h"
#include "organisation/ui/DisciplinListDialog.h"

namespace tvp {

void registerOrganisationWindows(TWindowRegistry& registry)
{
    registry.registerWindow<TDisciplinListForm>(TWindowId::DisciplinListForm);
}

} // namespace tvp
