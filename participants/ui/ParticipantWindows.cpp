#include "participants/ui/ParticipantWindows.h"

#include "core/ui/WindowContext.h"
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

#include <QPointer>

namespace tvp {

namespace {

// A valid code whose reading window is not built yet opens that window's placeholder instead of
// being refused as an invalid barcode. Registered with the box, so before every real reader; the
// letters of the readers never overlap.
void addPlaceholderReaders(TBarcodeInputForm& box, const TWindowRegistry& windows)
{
    struct Reader {
        TWindowId row;
        QString letters;
    };
    const Reader readers[] = {{TWindowId::AthleteResultFinderForm, QStringLiteral("AB")},
                              {TWindowId::TallySheetForm, QStringLiteral("T")},
                              {TWindowId::ResultDialog, QStringLiteral("L")}};
    for (const Reader& r : readers) {
        if (windows.isRegistered(r.row))
            continue;
        box.AddBarcodeCallback([alive = QPointer<TBarcodeInputForm>(&box), &windows, r](const QString& code) {
            // The registry outlives the box; a handler of a box that is gone is left to the others.
            if (!alive || code.isEmpty() || !r.letters.contains(code.front()))
                return false;
            windows.show(r.row);
            return true;
        });
    }
}

} // namespace

void registerParticipantWindows(TWindowRegistry& registry)
{
    registry.registerWindow(TWindowId::BarcodeInputForm, [](TWindowContext& context) {
        auto box = std::make_unique<TBarcodeInputForm>();
        addPlaceholderReaders(*box, context.windows());
        return box;
    });
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
