#include "setup/ui/SetupWindows.h"

#include "core/ui/WindowRegistry.h"
#include "setup/ui/GlobalParameterDialog.h"

namespace tvp {

void registerSetupWindows(TWindowRegistry& registry)
{
    registry.registerWindow<TGlobalParameterForm>(TWindowId::GlobalParameterForm);
}

} // namespace tvp
