#pragma once
// The small main window: the menu that opens every work window, the program-wide key hook,
// refresh-all, the caption naming the competition, the timing indicator and shut-down.

#include "core/competition/CompetitionFiles.h"
#include "core/protocol/ParticipantRecords.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowCatalogue.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QFrame;
class QKeyEvent;
class QLabel;
class QMenu;
class QMenuBar;

namespace tvp {

class TMainWindowServices;

class TMainForm : public TTVPForm {
    Q_OBJECT
public:
    inline static const QString kTitle = QStringLiteral("Trivanta Pentrel");
    inline static const QString kStartingTitle = QStringLiteral("Trivanta Pentrel - Starting...");
    // Refresh-all does nothing again within this time.
    static inline int refreshThrottleMs = 1500;

    explicit TMainForm(QWidget* parent = nullptr);
    explicit TMainForm(TWindowContext& context, QWidget* parent = nullptr);
    ~TMainForm() override;

    // F5 and windows after a failed or changing request.
    void RefreshButton();
    // After a competition was opened: every work window drops its data.
    void ReloadAll();
    // The chooser's change notification.
    void onCompetitionChange();

    void SetNewTimingData();
    void ResetSetTimingData();
    // The open timing import list is rebuilt: the run folder changed, at another desk too.
    void refreshTimingList();
    // Polling on shows the indicator white, off hides it.
    void setTimingIndicatorVisible(bool visible);

    // The data view and analysis windows hand the server's team-rule findings to the team-rule
    // warning window through here; nothing happens while that window is not there.
    void showParticipantWarning(const std::vector<proto::InvalidParticipantType>& warnings,
                                const std::vector<int>& resProvIds, int compId);

    // A Ctrl key of no command here goes to the active window's own key commands.
    bool SendKeyCommand(int key);

    // Lets through or handles one application event; true when it was handled.
    bool handleApplicationEvent(QObject* target, QEvent* event);

    // Menu actions, public for tests and for windows that trigger them.
    void changeCompetition();
    void stopLocalServerAndQuit();
    void resetHints();
    // "Veranstaltung exportieren..." and "Als Vorlage exportieren...".
    void exportCompetition(bool asTemplate);

    // The application's title: the program's name and the competition's.
    static QString applicationTitle();

    // CSV export, the update check and the online help.
    TMainWindowServices& services() { return *services_; }
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
    void showWindow(TWindowId window);
    void showWindowWithHint(TWindowId window, const QString& hint);
    bool escapeClosesActiveWindow(const QKeyEvent& key);
    bool setupWizardVisible() const;
    void ExportFinished(std::unique_ptr<compfiles::TExportResponse> response, const TRequestOutcome& outcome);

    QMenuBar* MainMenu1;
    QMenu* HelpMenu;
    QAction* OnlineHelpAction;
    QAction* UpdateAction;
    QFrame* Panel1;
    QLabel* Panel1Label;
    bool FFirstOnlineHelpCall = true;
    bool dirtyDataChecked_ = false; // the unsaved changes were asked about already
    bool closing_ = false;
    bool offeringEscape_ = false; // the active window is being offered its own Escape
    qint64 nextReload = 0;
    std::unique_ptr<TMainWindowServices> services_;
    QAction* ExportAction;
    QAction* TemplateExportAction;
    std::unique_ptr<TRequestRoad<compfiles::TExportRequest, compfiles::TExportResponse>> ExportCommunicationThread;
    void updateTimingList();

    static constexpr int kTimingListPauseMs = 100;
    static constexpr int kTimingListLatestMs = 1000;
    QTimer timingList_;              // runs within this time after a rebuild wait for a pause
    QElapsedTimer timingListDue_;    // since the last rebuild
    bool timingListPending_ = false; // runs came that the open list does not show yet
};

// The program's main window (its registered window); null until it is created.
TMainForm* MainForm();

} // namespace tvp
