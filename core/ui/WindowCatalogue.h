#pragma once
// The catalogue of every window the program creates at start-up: one row per window in creation
// order, with its class, component name (which keys its stored position), caption, start-up phase
// and position-store membership; then the order of refresh-all and of unloading on a competition
// change. Each area registers factories for its own rows (TWindowRegistry); a row without one
// becomes an empty placeholder with the real caption.

#include <array>
#include <cstddef>
#include <vector>

namespace tvp {

// Every window, in creation order; the names are the windows' component names.
enum class TWindowId {
    MainForm,
    InfoForm,
    CupsForm,
    BarcodeSettingsForm,
    BarcodeInputForm,
    CupResultModelForm,
    CustomCupColForm,
    CustomColImportForm,
    AthleteResultFinderForm,
    SearchForm,
    CertDocSetupForm,
    BillingDocSetupForm,
    ClubForm,
    PrintHighJumpForm,
    AssignBibForm,
    BibAmbiguousWarningForm,
    ResultCheckForm,
    BlankoBarcodeForm,
    UserAgreementServerForm,
    TallySheetForm,
    CompSetupWizardForm,
    HintForm,
    TeamMemberWarningForm,
    UnmappedParameterWarningForm,
    TeamScheduleDocSetupForm,
    ScheduleForm,
    CupAgeClassForm,
    CupTeamForm,
    CupAthleteForm,
    SquadForm,
    AgeMismatchPromptForm,
    SquadCreateForm,
    LapCountSheetForm,
    AquireBibOrderForm,
    EulaForm,
    Form10,
    ChooseCompetitionForm,
    AgeClassForm,
    TeamForm,
    AthleteForm,
    ResultDialog,
    DisciplinListForm,
    CertForm,
    CupCertForm,
    DataViewForm,
    SaveDiscTemplateForm,
    ConfirmBatchForm,
    CompetitionForm,
    LoadDiscTemplateForm,
    GlobalParameterForm,
    SaveResultsTemplateForm,
    LoadResultsTemplateForm,
    TimingImportForm,
    CsvImportForm,
    CompImportForm,
    CompImportSwitchForm,
    DisciplinListForm0,
    DisciplinListForm1,
    ChooseBibForm,
    AnalyseForm,
    LadvForm,
    ExceptionForm,
    CoarseCompStepsForm,
    DisciplinePlaceForm,
    TimingSettingsForm,
};

enum class TStartupPhase {
    BeforeReady, // created while the main window still says it is starting
    AfterReady,  // created after the main window took its real caption
    Late,        // created only once a competition is chosen
};

struct TWindowRow {
    TWindowId id;
    const char* className;  // "TAthleteForm"
    const char* objectName; // "AthleteForm"
    const char* caption;    // "Athleten"
    TStartupPhase phase;
    bool inPositionStore; // restored and stored by the window-position store
};

inline constexpr std::size_t kWindowCount = 65;

// Every row, indexed by TWindowId.
const std::array<TWindowRow, kWindowCount>& windowCatalogue();
const TWindowRow& windowRow(TWindowId id);

// The windows of the position store in the store's order: the main window, the competition
// chooser, then the others in creation order. The first two are the store's main windows.
const std::vector<TWindowId>& positionStoreOrder();
inline constexpr int kPositionStoreMainWindows = 2;

// What refresh-all does with a window.
enum class TRefreshAction {
    Reload,                 // reloadFormData(true)
    ReloadKeepingInput,     // reloadFormData(false): the window keeps what is typed and asks only what it must
    UpdateItems,            // the timing import's list only
    ReloadAgeClass,         // the template import's age classes only
    ReloadDisciplinForms,   // the visible discipline windows, through their unit
    LoadDisciplineTemplates // the server's scoring-node templates, after a discipline window
};

// One step of refresh-all: the action runs when any window of whenVisible is visible and none of
// unlessVisible is.
struct TRefreshRule {
    TWindowId window;
    std::vector<TWindowId> whenVisible = {};
    std::vector<TWindowId> unlessVisible = {};
    TRefreshAction action = TRefreshAction::Reload;
};

// Refresh-all's steps for the work windows, in order (after the chooser, which stops it when open).
const std::vector<TRefreshRule>& refreshRules();

// The windows that drop their data, in this order, after a competition was opened.
const std::vector<TWindowId>& unloadOrder();

} // namespace tvp
