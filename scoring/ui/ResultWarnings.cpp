#include "scoring/ui/ResultWarnings.h"

#include "core/services/ParticipantServices.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"

#include <QApplication>
#include <QWindow>
#include <QWidget>

namespace tvp {

namespace {

template <class Show>
void showWindow(TWindowContext& context, TWindowId id, bool activate, Show&& show)
{
    QWidget* window = context.windows().widget(id);
    const bool quiet = window && !activate && !window->testAttribute(Qt::WA_ShowWithoutActivating);
    if (quiet)
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
    if (!quiet)
        return;
    // Qt keeps telling the window system so for later shows, which the user may ask for.
    window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (QWindow* handle = window->windowHandle())
        handle->setProperty("_q_showWithoutActivating", false);
}

} // namespace

void showResultWarnings(TWindowContext& context, TShownResultWarnings& shown, const QWidget& asking,
                        const std::vector<proto::AmbiguousResultType>& conflicts,
                        const std::vector<proto::InvalidParticipantType>& participants,
                        const std::vector<int>& resProvIds)
{
    const bool activate = QApplication::activeWindow() == asking.window();
    const bool sameProviders = shown.resProvIds == resProvIds;
    if (!conflicts.empty() && !(sameProviders && conflicts == shown.conflicts))
        if (auto* bibs = context.windows().get<IBibAmbiguousWarningForm>(TWindowId::BibAmbiguousWarningForm))
            showWindow(context, TWindowId::BibAmbiguousWarningForm, activate, [&] { bibs->showWarning(conflicts); });
    if (!participants.empty() && !(sameProviders && participants == shown.participants))
        if (auto* warnings = context.windows().get<ITeamMemberWarningForm>(TWindowId::TeamMemberWarningForm))
            showWindow(context, TWindowId::TeamMemberWarningForm, activate,
                       [&] { warnings->showParticipantWarning(participants, resProvIds, 0); });
    shown = {conflicts, participants, resProvIds};
}

} // namespace tvp
