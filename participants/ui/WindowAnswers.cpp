#include "participants/ui/WindowAnswers.h"

#include "core/ui/MainWindow.h"
#include "core/ui/WindowRegistry.h"

namespace tvp {

void refreshAllWindows(const TWindowContext& context)
{
    if (auto* main = context.windows().get<TMainForm>(TWindowId::MainForm))
        main->RefreshButton();
}

} // namespace tvp
