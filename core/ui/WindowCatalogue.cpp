#include "core/ui/WindowCatalogue.h"

#include <string_view>

namespace tvp {

namespace {

using W = TWindowId;
constexpr TStartupPhase kBefore = TStartupPhase::BeforeReady;
constexpr TStartupPhase kAfter = TStartupPhase::AfterReady;
constexpr TStartupPhase kLate = TStartupPhase::Late;

// The position store takes only work windows (the base window class). Left out are the plain
// dialogs: the barcode box, the server consent, the terms consent and the two modal prompts that
// only return an answer (age-class conflict, first bib). The timing settings window is created
// after the store exists. That leaves the 59 windows the store is built with.
constexpr std::array<TWindowRow, kWindowCount> kCatalogue{{
    // The caption says "starting" until the first windows exist, so that a second start
    // does not take this instance for a running one.
    {W::MainForm, "TMainForm", "MainForm", "Trivanta Pentrel - Starting...", kBefore, true},
    {W::InfoForm, "TInfoForm", "InfoForm", "Trivanta Pentrel - Informationen", kBefore, true},
    {W::CupsForm, "TCupsForm", "CupsForm", "Cup-Wertungen", kBefore, true},
    {W::BarcodeSettingsForm, "TBarcodeSettingsForm", "BarcodeSettingsForm", "Barcodeeinstellungen", kBefore, true},
    {W::BarcodeInputForm, "TBarcodeInputForm", "BarcodeInputForm", "Barcode eingeben", kBefore, false},
    {W::CupResultModelForm, "TCupResultModelForm", "CupResultModelForm", "Cup-Ergebnismodellierung", kBefore, true},
    // caption not fixed: the window names the item kind each time it is opened
    {W::CustomCupColForm, "TCustomCupColForm", "CustomCupColForm",
     "Benutzerdefinierte Spalten für Cup-Athleten anlegen", kBefore, true},
    {W::CustomColImportForm, "TCustomColImportForm", "CustomColImportForm",
     "Importieren von benutzerdefinierten Spalten", kBefore, true},
    {W::AthleteResultFinderForm, "TAthleteResultFinderForm", "AthleteResultFinderForm", "Athlet in Disziplin finden...",
     kBefore, true},
    {W::SearchForm, "TSearchForm", "SearchForm", "Suchen...", kBefore, true},
    {W::CertDocSetupForm, "TCertDocSetupForm", "CertDocSetupForm", "Urkunde für Wertung einrichten", kBefore, true},
    {W::BillingDocSetupForm, "TBillingDocSetupForm", "BillingDocSetupForm", "Quittungen einrichten", kBefore, true},
    {W::ClubForm, "TClubForm", "ClubForm", "Vereine/Organisationen", kBefore, true},
    {W::PrintHighJumpForm, "TPrintHighJumpForm", "PrintHighJumpForm", "Hochsprungliste erstellen", kBefore, true},
    {W::AssignBibForm, "TAssignBibForm", "AssignBibForm", "Startnummern vergeben", kBefore, false},
    {W::BibAmbiguousWarningForm, "TBibAmbiguousWarningForm", "BibAmbiguousWarningForm",
     "Startnummernzuordnung nicht eindeutig", kBefore, true},
    {W::ResultCheckForm, "TResultCheckForm", "ResultCheckForm", "Plausibilitätsprüfung der Ergebnisse - Übersicht",
     kBefore, true},
    {W::BlankoBarcodeForm, "TBlankoBarcodeForm", "BlankoBarcodeForm", "Blanko Barcodes erstellen", kBefore, true},
    {W::UserAgreementServerForm, "TUserAgreementServerForm", "UserAgreementServerForm", "Haftungsausschluss", kBefore,
     false},
    {W::TallySheetForm, "TTallySheetForm", "TallySheetForm", "Strichlistenerfassung", kBefore, true},
    {W::CompSetupWizardForm, "TCompSetupWizardForm", "CompSetupWizardForm", "Neue Veranstaltung anlegen", kBefore,
     true},
    {W::HintForm, "THintForm", "HintForm", "Hinweis", kBefore, true},
    {W::TeamMemberWarningForm, "TTeamMemberWarningForm", "TeamMemberWarningForm", "Teammitglieder prüfen", kBefore,
     true},
    {W::UnmappedParameterWarningForm, "TUnmappedParameterWarningForm", "UnmappedParameterWarningForm",
     "Warnung: Einige Veranstaltungsparameter konnten nicht zugeordnet werden", kBefore, true},
    {W::TeamScheduleDocSetupForm, "TTeamScheduleDocSetupForm", "TeamScheduleDocSetupForm", "Ablaufplan einrichten",
     kBefore, true},
    {W::ScheduleForm, "TScheduleForm", "ScheduleForm", "Zeitplan", kBefore, true},
    {W::CupAgeClassForm, "TCupItemsForm", "CupAgeClassForm", "Cup-Altersklassen zuordnen", kBefore, true},
    {W::CupTeamForm, "TCupItemsForm", "CupTeamForm", "Cup-Teams zuordnen", kBefore, true},
    {W::CupAthleteForm, "TCupItemsForm", "CupAthleteForm", "Cup-Athleten zuordnen", kBefore, true},

    {W::SquadForm, "TSquadForm", "SquadForm", "Riegeneinteilung", kAfter, true},
    {W::AgeMismatchPromptForm, "TAgeMismatchPromptForm", "AgeMismatchPromptForm", "Altersklassenkonflikt", kAfter,
     false},
    {W::SquadCreateForm, "TSquadCreateForm", "SquadCreateForm", "Riegen anlegen", kAfter, true},
    {W::LapCountSheetForm, "TLapCountSheetForm", "LapCountSheetForm", "Rundenzählblätter Einstellungen", kAfter, true},
    {W::AquireBibOrderForm, "TAquireBibOrderForm", "AquireBibOrderForm", "Rangfolge erfassen", kAfter, true},
    {W::EulaForm, "TEulaForm", "EulaForm", "Lizenzinformationen", kAfter, false},
    {W::Form10, "TForm10", "Form10", "Bitte warten...", kAfter, true},
    {W::ChooseCompetitionForm, "TChooseCompetitionForm", "ChooseCompetitionForm", "Veranstaltung auswählen", kAfter,
     true},
    {W::AgeClassForm, "TAgeClassForm", "AgeClassForm", "Altersklassen", kAfter, true},
    {W::TeamForm, "TTeamForm", "TeamForm", "Teams", kAfter, true},
    {W::AthleteForm, "TAthleteForm", "AthleteForm", "Athleten", kAfter, true},
    {W::ResultDialog, "TResultDialog", "ResultDialog", "Leistungen erfassen", kAfter, true},
    {W::DisciplinListForm, "TDisciplinListForm", "DisciplinListForm", "Wettkampflisten erstellen", kAfter, true},
    {W::CertForm, "TCertForm", "CertForm", "Urkunden / Ergebniszusammenstellungen", kAfter, true},
    // Built from the certificate window's layout; it puts the cup's name in front when opened.
    {W::CupCertForm, "TCupCertForm", "CupCertForm", "Urkunden / Ergebniszusammenstellungen", kAfter, true},
    {W::DataViewForm, "TDataViewForm", "DataViewForm", "Daten anzeigen", kAfter, true},
    {W::SaveDiscTemplateForm, "TSaveDiscTemplateForm", "SaveDiscTemplateForm", "Disziplinvorlage speichern", kAfter,
     true},
    {W::ConfirmBatchForm, "TConfirmBatchForm", "ConfirmBatchForm", "Löschen", kAfter, true},
    // caption not fixed: named after its menu entry
    {W::CompetitionForm, "TCompetitionForm", "CompetitionForm", "Veranstaltungsdetails", kAfter, true},
    {W::LoadDiscTemplateForm, "TLoadDiscTemplateForm", "LoadDiscTemplateForm", "Disziplinvorlage importieren", kAfter,
     true},
    {W::GlobalParameterForm, "TGlobalParameterForm", "GlobalParameterForm", "Veranstaltungsparameter", kAfter, true},
    {W::SaveResultsTemplateForm, "TSaveResultsTemplateForm", "SaveResultsTemplateForm",
     "Gesamtwertungsvorlage speichern", kAfter, true},
    {W::LoadResultsTemplateForm, "TLoadResultsTemplateForm", "LoadResultsTemplateForm",
     "Gesamtwertungsvorlage importieren", kAfter, true},
    {W::TimingImportForm, "TTimingImportForm", "TimingImportForm", "Zeitmessungsdaten importieren", kAfter, true},
    // The trailing blank belongs to the caption.
    {W::CsvImportForm, "TCsvImportForm", "CsvImportForm", "Meldungen Importieren von Excel csv ", kAfter, true},
    {W::CompImportForm, "TCompImportForm", "CompImportForm", "Veranstaltung importieren", kAfter, true},
    {W::CompImportSwitchForm, "TCompImportSwitchForm", "CompImportSwitchForm", "Veranstaltung importieren", kAfter,
     true},
    // The pair is named after the competition-list window, which must exist first; these names
    // key their stored positions.
    {W::DisciplinListForm0, "TDisciplinForm", "DisciplinListForm0", "Disziplinen verwalten", kAfter, true},
    {W::DisciplinListForm1, "TDisciplinForm", "DisciplinListForm1", "Disziplinen verwalten", kAfter, true},
    {W::ChooseBibForm, "TChooseBibForm", "ChooseBibForm", "Startnummern wählen", kAfter, true},
    {W::AnalyseForm, "TAnalyseForm", "AnalyseForm", "Ergebnisse", kAfter, true},
    {W::LadvForm, "TLadvForm", "LadvForm", "LADV-Datenaustausch", kAfter, true},
    {W::ExceptionForm, "TExceptionForm", "ExceptionForm", "Warnungen und Fehler", kAfter, true},
    {W::CoarseCompStepsForm, "TCoarseCompStepsForm", "CoarseCompStepsForm",
     "Hilfe - Grobe Schritte einer Veranstaltung", kAfter, true},
    {W::DisciplinePlaceForm, "TDisciplinePlaceForm", "DisciplinePlaceForm", "Wettkampfanlagen", kAfter, true},

    {W::TimingSettingsForm, "TTimingSettingsForm", "TimingSettingsForm", "Zeitmessungseinstellungen", kLate, false},
}};

// Lookups index the table by id.
constexpr bool inIdOrder()
{
    for (std::size_t i = 0; i < kCatalogue.size(); ++i)
        if (static_cast<std::size_t>(kCatalogue[i].id) != i)
            return false;
    return true;
}
static_assert(inIdOrder(), "the catalogue's rows must follow TWindowId");

// Component names key the stored positions.
constexpr bool namesUnique()
{
    for (std::size_t i = 0; i < kCatalogue.size(); ++i)
        for (std::size_t j = i + 1; j < kCatalogue.size(); ++j)
            if (std::string_view(kCatalogue[i].objectName) == std::string_view(kCatalogue[j].objectName))
                return false;
    return true;
}
static_assert(namesUnique(), "two windows share a component name");

// Start-up creates the rows phase by phase in one pass, the main window first (the instance test
// needs its caption), and the discipline windows after the competition-list window they are named after.
constexpr bool inStartupOrder()
{
    for (std::size_t i = 1; i < kCatalogue.size(); ++i)
        if (kCatalogue[i].phase < kCatalogue[i - 1].phase)
            return false;
    return kCatalogue[0].id == W::MainForm && W::DisciplinListForm < W::DisciplinListForm0 &&
           W::DisciplinListForm0 < W::DisciplinListForm1;
}
static_assert(inStartupOrder(), "the rows must follow the start-up order");

std::vector<TWindowId> makeStoreOrder()
{
    // The chooser is created late but must be the store's second main window, so it is never
    // closed or checked together with the work windows.
    std::vector<TWindowId> order{W::MainForm, W::ChooseCompetitionForm};
    for (const TWindowRow& row : kCatalogue)
        if (row.inPositionStore && row.id != W::MainForm && row.id != W::ChooseCompetitionForm)
            order.push_back(row.id);
    return order;
}

} // namespace

const std::array<TWindowRow, kWindowCount>& windowCatalogue()
{
    return kCatalogue;
}

const TWindowRow& windowRow(TWindowId id)
{
    return kCatalogue[static_cast<std::size_t>(id)];
}

const std::vector<TWindowId>& positionStoreOrder()
{
    static const std::vector<TWindowId> order = makeStoreOrder();
    return order;
}

const std::vector<TRefreshRule>& refreshRules()
{
    using A = TRefreshAction;
    const std::vector<TWindowId> disciplines{W::DisciplinListForm0, W::DisciplinListForm1};
    const std::vector<TWindowId> disciplinesOrFinder{W::DisciplinListForm0, W::DisciplinListForm1,
                                                     W::AthleteResultFinderForm};
    static const std::vector<TRefreshRule> rules{
        // The parameters are edited inside an open discipline window too; that one reloads them.
        {W::GlobalParameterForm, {W::GlobalParameterForm}, disciplines},
        {W::ClubForm, {W::ClubForm}},
        {W::AgeClassForm, {W::AgeClassForm, W::AthleteResultFinderForm}},
        {W::TeamForm, {W::TeamForm}},
        {W::AthleteForm, {W::AthleteForm, W::AthleteResultFinderForm}},
        {W::DisciplinListForm0, disciplinesOrFinder, {}, A::ReloadDisciplinForms},
        {W::DisciplinListForm0, disciplines, {}, A::LoadDisciplineTemplates},
        {W::DisciplinListForm, {W::DisciplinListForm}},
        // F5 is how a desk sees another desk's stores: what is typed there stays.
        {W::ResultDialog, {W::ResultDialog, W::AquireBibOrderForm, W::TallySheetForm}, {}, A::ReloadKeepingInput},
        {W::AnalyseForm, {W::AnalyseForm}},
        {W::CertForm, {W::CertForm}},
        {W::SquadForm, {W::SquadForm, W::SquadCreateForm}},
        {W::TimingImportForm, {W::TimingImportForm}, {}, A::UpdateItems},
        {W::CupsForm, {W::CupsForm}},
        {W::CupAgeClassForm, {W::CupAgeClassForm}},
        {W::CupTeamForm, {W::CupTeamForm}},
        {W::CupAthleteForm, {W::CupAthleteForm}},
        {W::CupResultModelForm, {W::CupResultModelForm}},
        {W::CupCertForm, {W::CupCertForm}},
        {W::CustomCupColForm, {W::CustomCupColForm}},
        {W::LoadDiscTemplateForm, {W::LoadDiscTemplateForm}, {}, A::ReloadAgeClass},
        {W::BarcodeSettingsForm, {W::BarcodeSettingsForm}},
        {W::DisciplinePlaceForm, {W::DisciplinePlaceForm}},
        {W::ScheduleForm, {W::ScheduleForm}},
        {W::ResultCheckForm, {W::ResultCheckForm}},
    };
    return rules;
}

const std::vector<TWindowId>& unloadOrder()
{
    static const std::vector<TWindowId> order{
        W::GlobalParameterForm,
        W::AgeClassForm,
        W::TeamForm,
        W::DisciplinePlaceForm,
        W::ScheduleForm,
        W::AthleteForm,
        W::DisciplinListForm0,
        W::DisciplinListForm1,
        W::DisciplinListForm,
        W::ResultDialog,
        W::AnalyseForm,
        W::CertForm,
        W::SquadForm,
        W::CupsForm,
        W::ClubForm,
        W::AquireBibOrderForm,
        W::AthleteResultFinderForm,
    };
    return order;
}

} // namespace tvp
