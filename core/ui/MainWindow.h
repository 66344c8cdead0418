#pragma once
// The small main window: the menu that opens every work window, the program-wide key hook,
// refresh-all, the caption naming the competition, the timing indicator and shut-down.

#include "core/ui/TVPForm.h"

#include <QPointer>

#include <functional>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;

namespace tvp {

struct TKeyCommandCallbackInfo {
    QPointer<QWidget> form;
    std::function<bool(int key)> callback;
};

class TMainForm : public TTVPForm {
    Q_OBJECT
public:
    inline static const QString kTitle = QStringLiteral("Trivanta Pentrel");
    inline static const QString kStartingTitle = QStringLiteral("Trivanta Pentrel - Starting...");
    // Refresh-all does nothing again within this time.
    static inline int refreshThrottleMs = 1500;

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // F5 and windows after a failed or changing request.
    void RefreshButton();
    // After a competition was opened: every work window drops its data.
    void ReloadAll();
    // The chooser's change notification.
    void onCompetitionChange();

    void SetNewTimingData();
    void ResetSetTimingData();

    void SubscribeForKeyCommand(QWidget* form, std::function<bool(int key)> callback);
    bool SendKeyCommand(int key);

    // Lets through or handles one application event; true when it was handled.
    bool handleApplicationEvent(QObject* target, QEvent* event);

    // Menu actions, public for tests and for windows that trigger them.
    void changeCompetition();
    void stopLocalServerAndQuit();
    void resetHints();

    // The application's title: the program's name and the competition's.
    static QString applicationTitle();

    // Reloads the server's list of scoring-node templates; set by the discipline windows.
    std::function<void()> LoadDisciplineTemplates;

    // The barcode settings window's message handler sees every event first once it exists.
    std::function<bool(QObject*, QEvent*)> barcodeMessageHandler;
    // The update check and the online help (their service lives beside this window).
    std::function<void()> onUpdateCheck;
    std::function<void()> onFirstHelpMenu;
    std::function<void()> onOpenOnlineHelp;
    void setOnlineHelpEntry(const QString& caption, bool enabled);
    void setUpdateEntryEnabled(bool enabled);

    QAction* action(const QString& objectName) const;

    bool suppressCloseQuery = false;

signals:
    // The main window closed for good: the program ends.
    void closed();

protected:
    void reloadData() override {}
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    QAction* addEntry(QMenu* menu, const QString& objectName, const QString& caption, std::function<void()> onTrigger);
    void showWindow(const QString& objectName);
    void showWindowWithHint(const QString& objectName, const QString& hint);
    bool escapeClosesActiveWindow();

    QMenuBar* MainMenu1;
    QMenu* HelpMenu;
    QAction* OnlineHelpAction;
    QAction* UpdateAction;
    QFrame* Panel1;
    QLabel* Panel1Label;
    bool FFirstOnlineHelpCall = true;
    bool dirtyDataChecked_ = false; // the unsaved changes were asked about already
    bool closing_ = false;
    qint64 nextReload = 0;
    std::vector<TKeyCommandCallbackInfo> KeyCommandNotificationList;
};

// The program's main window; null until it is created.
TMainForm* MainForm();

// The component names of the windows the main window reaches.
namespace wnd {
inline const QString Main = QStringLiteral("MainForm");
inline const QString Chooser = QStringLiteral("ChooseCompetitionForm");
inline const QString Info = QStringLiteral("InfoForm");
inline const QString AgeClasses = QStringLiteral("AgeClassForm");
inline const QString Teams = QStringLiteral("TeamForm");
inline const QString Athletes = QStringLiteral("AthleteForm");
inline const QString Clubs = QStringLiteral("ClubForm");
inline const QString Squads = QStringLiteral("SquadForm");
inline const QString SquadFormation = QStringLiteral("SquadCreateForm");
inline const QString Facilities = QStringLiteral("DisciplinePlaceForm");
inline const QString Schedule = QStringLiteral("ScheduleForm");
inline const QString CompetitionDetails = QStringLiteral("CompetitionForm");
inline const QString CompetitionLists = QStringLiteral("DisciplinListForm");
inline const QString ResultEntry = QStringLiteral("ResultDialog");
inline const QString Analysis = QStringLiteral("AnalyseForm");
inline const QString Certificates = QStringLiteral("CertForm");
inline const QString Cups = QStringLiteral("CupsForm");
inline const QString CupAgeClasses = QStringLiteral("CupAgeClassForm");
inline const QString CupTeams = QStringLiteral("CupTeamForm");
inline const QString CupAthletes = QStringLiteral("CupAthleteForm");
inline const QString CupResultModel = QStringLiteral("CupResultModelForm");
inline const QString CupCertificates = QStringLiteral("CupCertForm");
inline const QString CustomCupColumns = QStringLiteral("CustomCupColForm");
inline const QString Ladv = QStringLiteral("LadvForm");
inline const QString TimingSettings = QStringLiteral("TimingSettingsForm");
inline const QString TimingImport = QStringLiteral("TimingImportForm");
inline const QString CsvImport = QStringLiteral("CsvImportForm");
inline const QString BarcodeSettings = QStringLiteral("BarcodeSettingsForm");
inline const QString BarcodeInput = QStringLiteral("BarcodeInputForm");
inline const QString CoarseSteps = QStringLiteral("CoarseCompStepsForm");
inline const QString TeamMemberWarning = QStringLiteral("TeamMemberWarningForm");
inline const QString GlobalParameters = QStringLiteral("GlobalParameterForm");
inline const QString AthleteResultFinder = QStringLiteral("AthleteResultFinderForm");
inline const QString BibOrderCapture = QStringLiteral("AquireBibOrderForm");
inline const QString TallySheet = QStringLiteral("TallySheetForm");
inline const QString ResultCheck = QStringLiteral("ResultCheckForm");
inline const QString LoadDiscTemplate = QStringLiteral("LoadDiscTemplateForm");
inline const QString SetupWizard = QStringLiteral("CompSetupWizardForm");
inline const QString Discipline1 = QStringLiteral("DisciplinListForm0");
inline const QString Discipline2 = QStringLiteral("DisciplinListForm1");
} // namespace wnd

} // namespace tvp
