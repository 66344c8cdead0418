#include "core/ui/StartupWindows.h"

#include <cstring>

namespace tvp {

namespace {

constexpr StartupPhase kBefore = StartupPhase::BeforeReady;
constexpr StartupPhase kAfter = StartupPhase::AfterReady;
constexpr StartupPhase kLate = StartupPhase::Late;

// The position store takes only work windows (the base window class). Left out are the plain
// dialogs: the barcode box, the server consent, the terms consent and the two modal prompts that
// only return an answer (age-class conflict, first bib). The timing settings window is created
// after the store exists. That leaves the 59 windows the store is built with.
std::vector<StartupWindow> makeCatalogue()
{
    return {
        // The caption says "starting" until the first windows exist, so that a second start
        // does not take this instance for a running one.
        {"TMainForm", "MainForm", "Trivanta Pentrel - Starting...", kBefore, true},
        {"TInfoForm", "InfoForm", "Trivanta Pentrel - Informationen", kBefore, true},
        {"TCupsForm", "CupsForm", "Cup-Wertungen", kBefore, true},
        {"TBarcodeSettingsForm", "BarcodeSettingsForm", "Barcodeeinstellungen", kBefore, true},
        {"TBarcodeInputForm", "BarcodeInputForm", "Barcode eingeben", kBefore, false},
        {"TCupResultModelForm", "CupResultModelForm", "Cup-Ergebnismodellierung", kBefore, true},
        // caption not fixed: the window names the item kind each time it is opened
        {"TCustomCupColForm", "CustomCupColForm", "Benutzerdefinierte Spalten für Cup-Athleten anlegen", kBefore, true},
        {"TCustomColImportForm", "CustomColImportForm", "Importieren von benutzerdefinierten Spalten", kBefore, true},
        {"TAthleteResultFinderForm", "AthleteResultFinderForm", "Athlet in Disziplin finden...", kBefore, true},
        {"TSearchForm", "SearchForm", "Suchen...", kBefore, true},
        {"TCertDocSetupForm", "CertDocSetupForm", "Urkunde für Wertung einrichten", kBefore, true},
        {"TBillingDocSetupForm", "BillingDocSetupForm", "Quittungen einrichten", kBefore, true},
        {"TClubForm", "ClubForm", "Vereine/Organisationen", kBefore, true},
        {"TPrintHighJumpForm", "PrintHighJumpForm", "Hochsprungliste erstellen", kBefore, true},
        {"TAssignBibForm", "AssignBibForm", "Startnummern vergeben", kBefore, false},
        {"TBibAmbiguousWarningForm", "BibAmbiguousWarningForm", "Startnummernzuordnung nicht eindeutig", kBefore, true},
        {"TResultCheckForm", "ResultCheckForm", "Plausibilitätsprüfung der Ergebnisse - Übersicht", kBefore, true},
        {"TBlankoBarcodeForm", "BlankoBarcodeForm", "Blanko Barcodes erstellen", kBefore, true},
        {"TUserAgreementServerForm", "UserAgreementServerForm", "Haftungsausschluss", kBefore, false},
        {"TTallySheetForm", "TallySheetForm", "Strichlistenerfassung", kBefore, true},
        {"TCompSetupWizardForm", "CompSetupWizardForm", "Neue Veranstaltung anlegen", kBefore, true},
        {"THintForm", "HintForm", "Hinweis", kBefore, true},
        {"TTeamMemberWarningForm", "TeamMemberWarningForm", "Teammitglieder prüfen", kBefore, true},
        {"TUnmappedParameterWarningForm", "UnmappedParameterWarningForm",
         "Warnung: Einige Veranstaltungsparameter konnten nicht zugeordnet werden", kBefore, true},
        {"TTeamScheduleDocSetupForm", "TeamScheduleDocSetupForm", "Ablaufplan einrichten", kBefore, true},
        {"TScheduleForm", "ScheduleForm", "Zeitplan", kBefore, true},
        {"TCupItemsForm", "CupAgeClassForm", "Cup-Altersklassen zuordnen", kBefore, true},
        {"TCupItemsForm", "CupTeamForm", "Cup-Teams zuordnen", kBefore, true},
        {"TCupItemsForm", "CupAthleteForm", "Cup-Athleten zuordnen", kBefore, true},

        {"TSquadForm", "SquadForm", "Riegeneinteilung", kAfter, true},
        {"TAgeMismatchPromptForm", "AgeMismatchPromptForm", "Altersklassenkonflikt", kAfter, false},
        {"TSquadCreateForm", "SquadCreateForm", "Riegen anlegen", kAfter, true},
        {"TLapCountSheetForm", "LapCountSheetForm", "Rundenzählblätter Einstellungen", kAfter, true},
        {"TAquireBibOrderForm", "AquireBibOrderForm", "Rangfolge erfassen", kAfter, true},
        {"TEulaForm", "EulaForm", "Lizenzinformationen", kAfter, false},
        {"TForm10", "Form10", "Bitte warten...", kAfter, true},
        {"TChooseCompetitionForm", "ChooseCompetitionForm", "Veranstaltung auswählen", kAfter, true},
        {"TAgeClassForm", "AgeClassForm", "Altersklassen", kAfter, true},
        {"TTeamForm", "TeamForm", "Teams", kAfter, true},
        {"TAthleteForm", "AthleteForm", "Athleten", kAfter, true},
        {"TResultDialog", "ResultDialog", "Leistungen erfassen", kAfter, true},
        {"TDisciplinListForm", "DisciplinListForm", "Wettkampflisten erstellen", kAfter, true},
        {"TCertForm", "CertForm", "Urkunden / Ergebniszusammenstellungen", kAfter, true},
        // Built from the certificate window's layout; it puts the cup's name in front when opened.
        {"TCupCertForm", "CupCertForm", "Urkunden / Ergebniszusammenstellungen", kAfter, true},
        {"TDataViewForm", "DataViewForm", "Daten anzeigen", kAfter, true},
        {"TSaveDiscTemplateForm", "SaveDiscTemplateForm", "Disziplinvorlage speichern", kAfter, true},
        {"TConfirmBatchForm", "ConfirmBatchForm", "Löschen", kAfter, true},
        // caption not fixed: named after its menu entry
        {"TCompetitionForm", "CompetitionForm", "Veranstaltungsdetails", kAfter, true},
        {"TLoadDiscTemplateForm", "LoadDiscTemplateForm", "Disziplinvorlage importieren", kAfter, true},
        {"TGlobalParameterForm", "GlobalParameterForm", "Veranstaltungsparameter", kAfter, true},
        {"TSaveResultsTemplateForm", "SaveResultsTemplateForm", "Gesamtwertungsvorlage speichern", kAfter, true},
        {"TLoadResultsTemplateForm", "LoadResultsTemplateForm", "Gesamtwertungsvorlage importieren", kAfter, true},
        {"TTimingImportForm", "TimingImportForm", "Zeitmessungsdaten importieren", kAfter, true},
        // The trailing blank belongs to the caption.
        {"TCsvImportForm", "CsvImportForm", "Meldungen Importieren von Excel csv ", kAfter, true},
        {"TCompImportForm", "CompImportForm", "Veranstaltung importieren", kAfter, true},
        {"TCompImportSwitchForm", "CompImportSwitchForm", "Veranstaltung importieren", kAfter, true},
        // The pair is named after the competition-list window, which must exist first; these names
        // key their stored positions.
        {"TDisciplinForm", "DisciplinListForm0", "Disziplinen verwalten", kAfter, true},
        {"TDisciplinForm", "DisciplinListForm1", "Disziplinen verwalten", kAfter, true},
        {"TChooseBibForm", "ChooseBibForm", "Startnummern wählen", kAfter, true},
        {"TAnalyseForm", "AnalyseForm", "Ergebnisse", kAfter, true},
        {"TLadvForm", "LadvForm", "LADV-Datenaustausch", kAfter, true},
        {"TExceptionForm", "ExceptionForm", "Warnungen und Fehler", kAfter, true},
        {"TCoarseCompStepsForm", "CoarseCompStepsForm", "Hilfe - Grobe Schritte einer Veranstaltung", kAfter, true},
        {"TDisciplinePlaceForm", "DisciplinePlaceForm", "Wettkampfanlagen", kAfter, true},

        {"TTimingSettingsForm", "TimingSettingsForm", "Zeitmessungseinstellungen", kLate, false},
    };
}

std::vector<const StartupWindow*> makeStoreOrder(const std::vector<StartupWindow>& windows)
{
    const auto isChooser = [](const StartupWindow& w) {
        return std::strcmp(w.objectName, "ChooseCompetitionForm") == 0;
    };
    // The chooser is created late but must be the store's second main window, so it is never
    // closed or checked together with the work windows.
    std::vector<const StartupWindow*> order;
    order.push_back(&windows.front());
    for (const StartupWindow& w : windows)
        if (isChooser(w))
            order.push_back(&w);
    for (const StartupWindow& w : windows)
        if (w.inPositionStore && &w != &windows.front() && !isChooser(w))
            order.push_back(&w);
    return order;
}

} // namespace

const std::vector<StartupWindow>& startupWindows()
{
    static const std::vector<StartupWindow> windows = makeCatalogue();
    return windows;
}

const std::vector<const StartupWindow*>& positionStoreOrder()
{
    static const std::vector<const StartupWindow*> order = makeStoreOrder(startupWindows());
    return order;
}

} // namespace tvp
