#include "participants/ui/ParticipantWindows.h"

#include "core/ui/WindowRegistry.h"
#include "participants/ui/AgeClassDialog.h"
#include "participants/ui/AgeMismatchDialog.h"
#include "participants/ui/AthleteDialog.h"
#include "participants/ui/BarcodeInputDialog.h"
#include "participants/ui/ClubDialog.h"
#include "participants/ui/SquadCreateDialog.h"
#include "participants/ui/SquadDialog.h"
#include "participants/ui/SearchDialog.h"
#include "participants/ui/TeamDialog.h"
#include "participants/ui/TeamMemberWarningDialog.h"
#include "participants/ui/AssignBibs.h"
#include "participants/ui/AthleteResultFinderDialog.h"
#include "participants/ui/BarcodeSettingsDialog.h"
#include "participants/ui/BlankoBarcodeDialog.h"
#include "participants/ui/CsvImportDialog.h"
#include "participants/ui/LadvDialog.h"

namespace tvp {

void registerParticipantWindows(TWindowRegistry& registry)
{
    registry.registerWindow(TWindowId::BarcodeInputForm,
                            [](TWindowContext&) { return std::make_unique<TBarcodeInputForm>(); });
    registry.registerWindow<TAgeClassForm>(TWindowId::AgeClassForm);
    registry.registerWindow<TAgeMismatchPromptForm>(TWindowId::AgeMismatchPromptForm);
    registry.registerWindow<TTeamForm>(TWindowId::TeamForm);
    registry.registerWindow<TTeamMemberWarningForm>(TWindowId::TeamMemberWarningForm);
    registry.registerWindow<TSearchForm>(TWindowId::SearchForm);
    registry.registerWindow<TAthleteForm>(TWindowId::AthleteForm);
    registry.registerWindow<TClubForm>(TWindowId::ClubForm);
    registry.registerWindow<TSquadForm>(TWindowId::SquadForm);
    registry.registerWindow<TSquadCreateForm>(TWindowId::SquadCreateForm);
    registry.registerWindow<TBarcodeSettingsForm>(TWindowId::BarcodeSettingsForm);
    registry.registerWindow<TAthleteResultFinderForm>(TWindowId::AthleteResultFinderForm);
    registry.registerWindow<TAssignBibForm>(TWindowId::AssignBibForm);
    registry.registerWindow<TBlankoBarcodeForm>(TWindowId::BlankoBarcodeForm);
    registry.registerWindow<TLadvForm>(TWindowId::LadvForm);
    registry.registerWindow<TCsvImportForm>(TWindowId::CsvImportForm);
}

} // namespace tvp
