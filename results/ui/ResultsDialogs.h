#pragma once
// "Leistungen erfassen": one heat of one discipline as a grid of attempts. Every value is stored on
// Enter, space or "+" at once; the cell's bar tells whether the server has it. The window is
// reached from the competition lists, the checks, the capture windows and list barcodes.

#include "core/results/ResultCache.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/TVPForm.h"
#include "results/ResultGridModel.h"
#include "results/ResultRequests.h"
#include "results/ui/ResultGrid.h"

#include <QTimer>

#include <deque>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;

namespace tvp {

class TElidingLabel;
class TResultGrid;

class TResultDialog : public TTVPForm, public IResultDialog, public IKeyCommands {
    Q_OBJECT
public:
    explicit TResultDialog(TWindowContext& context);
    ~TResultDialog() override;

    // IResultDialog
    void showAndLoadDisciplin(int discId, int heat, int version, int topRow) override;
    void showAndLoadBarcodeDisciplin(int discBarcode, int heat, int version, int topRow) override;
    void goToAthlete(int discId, int athleteId, int attempt, bool withPrompt, int version, bool show,
                     bool showFinishingOrder) override;
    void goToTeam(int discId, int teamId, int attempt, int version, bool show, bool showFinishingOrder) override;
    void goToBarcodeAthlete(int discBarcode, int athleteBarcode, int attempt, int version, bool show) override;
    void reloadFromBibRanking() override;
    void cancelEdit() override;
    void showTallySheet() override { Zonenstrichliste1Click(); }
    void Zonenstrichliste1Click();

    void unload() override;
    // Leaving the discipline: true when nothing is unsaved or the user agrees.
    bool CheckDiscLeave();
    bool OnBarcode(const QString& code);
    bool hotKeyCallback(int key) override;

    // For tests and benchmarks: the window's requests not answered yet, and what it shows.
    std::size_t pendingRequests() const;
    const TResultCache* cache() const { return resultCache.get(); }
    const TResultGridModel& grid() const { return grid_; }
    int currentHeat() const { return currentHeatId; }
    int currentDiscipline() const { return currentDisciplinID; }

protected:
    void reloadData() override;
    bool checkItemChanged(const QString& part) override;
    void FormShow() override;

private:
    // Stores leave in typing order, one transaction after the other: two on separate channels could
    // overtake. Each carries the serial of its change in the cache.
    struct TQueuedStore {
        std::unique_ptr<TResultRequest> request;
        int serial = 0;
    };
    struct TSentStore {
        TResultRequest request; // a copy, to address a store that undoes it
        int serial = 0;
        std::optional<TQueuedStore> undo; // dropped on its way: leaves once it is answered
    };

    void buildControls();
    // The entry points' common start: entered runs once the discipline is the window's; never when
    // the window is only shown or the user stays.
    void enterDiscipline(int discId, int discBarcode, std::function<void()> entered);
    void markVersion(int version);
    void showHeat(int heat, int version, int topRow);
    void goToParticipant(TLoadType type, int version, bool show, bool showFinishingOrder);
    void buildMenus();
    void reload(TLoadType type, bool showFinishingOrder = false);
    void RequestFinished(std::unique_ptr<TResultResponse> response, const TRequestOutcome& outcome);
    void loadFinished(TResultResponse& response, const TRequestOutcome& outcome);
    void storesFinished(std::unique_ptr<TResultResponse> response, const TRequestOutcome& outcome);
    // True when the server took the store.
    bool storeFinished(TResultResponse& response, const TRequestOutcome& outcome, int serial);
    void addParticipantFinished(TResultResponse& response, const TRequestOutcome& outcome);
    // Keeps the cells typed and not taken by the server; where their rows are gone it asks first,
    // and a "Nein" leaves the cache as it was.
    void addToResultCache(const TResultResponse& response);
    void setDisciplines(const std::vector<proto::DisciplinType>& disciplines);
    // Where the user is in the grid, to come back to after a rebuild.
    struct TGridPlace {
        int discipline = 0;
        int heat = 0;
        int row = -1;
        int column = -1;
        int id = 0; // the row's athlete, or team in a team discipline
        bool focused = false;
        std::optional<TEntryGrid::TEditorState> editor;
    };
    TGridPlace gridPlace() const;
    void fillHeats(const TGridPlace& place);
    void showResultUnit();
    void reloadVisibleOthers();
    // Its typed bibs stay over the reload; it asks only where it cannot keep them.
    void reloadFinishingOrder();

    void ResultCacheCallback(int row, int col);
    void rebuildGrid();
    void rebuildGrid(const TGridPlace& place);
    // The status line and hint name the current row's fixed cells; without a current row, nothing.
    void clearRowHint();
    // True when the place's cell is current again (not a row the load was asked to show).
    bool selectAfterRebuild(const TResultTable& table, const TGridPlace& place);

    void StringGrid1KeyPress(int key);
    void StringGrid1SetEditText(const QModelIndex& index, const QString& text);
    // Queues the store; when none is on its way, the stores waiting leave together.
    void sendStore(std::unique_ptr<TResultRequest> request, int serial);
    // Escape dropped a cell's value: its store waiting to leave is not sent, and one on its way is
    // undone once answered, by storing what it replaced.
    void forgetDroppedStores(int row, int attempt);
    // A store on its way was answered: its undo, if the user dropped it, joins undos.
    void undoDroppedStore(TSentStore& sent, const TResultResponse* response, const TRequestOutcome& outcome,
                          std::deque<TQueuedStore>& undos);
    // A store whose answer never came is read back (an undo goes again, as it reads first) before its
    // cell claims anything; true when that joins again.
    bool readBackInDoubt(const TSentStore& sent, const TRequestOutcome& outcome, std::deque<TQueuedStore>& again);
    // The server read back for a store in doubt: stored when it holds the store's value.
    void readBackFinished(const TSentStore& sent, const TResultResponse* answer, const TRequestOutcome& outcome);
    void moveToNextCell(bool alongRow);
    // An undo left what another desk stored: the cell shows it and says so.
    void showOtherDeskStored(int id, int attempt, const std::optional<proto::ResultType>& held);
    int assignedId(const TResultResponse& response) const;
    int assignedId(const TResultRequest& request) const;

    void ComboBox1Change();
    void ComboBox2Change();
    void readVersionFromEdit1();
    void Timer1Timer();
    void printProtocolClick();
    // Asks for the printer, as the answer to action, and prints the heat shown.
    void printCurrentProtocol(const TUserAction& action);
    void printProtocol();
    QString getSquadStringForHeat() const;
    void Rangfolgeerfassen1Click();
    void AthletevonDisziplinabmelden1Click();
    void Fehlermeldunganzeigen1Click();
    void showGridMenu(const QPoint& pos);
    void reportLoadMessages();

    std::unique_ptr<TResultCache> resultCache;
    int currentDisciplinID = 0;
    int currentDisciplinBarcodeId = 0;
    int currentHeatId = 0;
    int FAthleteToShow = 0;
    int FTeamToShow = 0;
    int FBarcodeAthleteToShow = 0;
    int FAttemptToShow = 0;
    int ListVersionToCompare = kNoListVersion;
    int FTopIndex = 0;
    QString Fbarcode;

    TResultGridModel grid_;
    std::unique_ptr<TResultRoad> road_;
    std::deque<TQueuedStore> storeQueue_;
    quint32 storeInFlight_ = 0;
    std::vector<TSentStore> inFlight_; // the stores of the transaction on its way, in typing order
    // Cells typed and not taken by the server stay over the next load, unless the user agreed to
    // lose them before it was asked for.
    bool keepTyped_ = false;
    // The user agreed to lose typed cells the next load has no place for: it asks no more.
    bool dropUnfitting_ = false;
    std::function<void()> reloadDroppingUnfitting();
    std::vector<TTypedCell> discardTyped_; // typed cells the user agreed to lose when the load was asked for
    int loadsInFlight_ = 0;
    std::vector<TResultChange> committedDuringLoad_;
    bool filling_ = false;
    bool userChangedDisc_ = false;
    bool skipShowReload_ = false; // the entry point loads already
    std::vector<TDisciplineInfo> disciplines_;

    QMenuBar* MainMenu1;
    QMenu* Drucken1;
    QAction* Protokolldrucken1;
    QMenu* Erfassungshilfen1;
    QAction* Rangfolgeerfassen1;
    QAction* Zonenstrichliste1;
    QMenu* PopupMenu1;
    QAction* AthletevonDisziplinabmelden1;
    QAction* Fehlermeldunganzeigen1;
    QLabel* Label1;
    QComboBox* ComboBox1;
    QLabel* Label2;
    QComboBox* ComboBox2;
    QLabel* LabelStatus;
    QLabel* LabelVersion;
    QLabel* LabelUnit;
    QLabel* LabelLegend;
    QLabel* LabelHint;
    QCheckBox* CheckBox1;
    QLineEdit* Edit1;
    QLabel* Label5;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    TResultGrid* StringGrid1;
    QStatusBar* StatusBar1;
    TElidingLabel* StatusText;
    QTimer Timer1;
};

} // namespace tvp
