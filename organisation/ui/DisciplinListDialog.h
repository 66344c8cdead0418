#pragma once
// The competition-list window ("Wettkampflisten erstellen"): a discipline's heats and their
// participants as a tree, moved by drag and drop, squads assigned so that the server divides their
// participants into heats, the lock of that division, and the export of the heats to the timing
// program under the discipline's timing number.

#include "core/print/DisciplineListPrint.h"
#include "core/results/tvpTypes.h"
#include "core/services/OrganisationServices.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowCatalogue.h"
#include "organisation/DisciplinListRequests.h"
#include "organisation/HeatTreeModel.h"
#include "organisation/SquadSchedule.h"

#include <QModelIndex>

#include <climits>
#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QTreeView;

class QDropEvent;

namespace tvp {

template <class Record>
class TRecordListModel;

class TDisciplinListForm : public TTVPForm, public IDisciplinListForm, public IKeyCommands {
    Q_OBJECT
public:
    explicit TDisciplinListForm(TWindowContext& context);
    ~TDisciplinListForm() override;

    // ---- for other windows ----
    void showAndLoadDisciplin(int discId) override;
    void removeAbstractAthlete(const std::vector<int>& ids, int discId) override;
    void assignFittingSquadsToDisc(int discId) override;
    // Ctrl+P prints the list (the print command Drucken1, once it is there).
    bool hotKeyCallback(int key) override;

    // ---- the lock and the timing export ----
    void setUiLockStatus(proto::LockType lock);
    void setBackendLockStatus(proto::LockType lock);
    void StartTimingExport();

    // ---- lookups over the discipline choice, for the printouts ----
    QString getDiscName(int id) const;
    proto::ResultValueType getDiscResultValueType(int id) const;
    proto::ResultValueType getTeamResultType(int id) const;
    TResultformat getDiscResultFormat(int id) const;
    int getDiscMaxParticipantsPerHeat(int id) const;
    int getDiscAttempts(int id) const;
    int getDiscBarcodeId(int id) const;
    bool isTeamDisc(int id) const;
    int getHeatNo(const QModelIndex& node) const;
    int getPosNo(const QModelIndex& node) const;
    static QString getHeatString() { return QStringLiteral("Lauf_Gruppe"); }
    // False when a heat holds more participants than the discipline allows and the user does not
    // want to go on.
    bool checkNoOfParticipants();
    TSquadsInfo getSquadsInfo(const QModelIndex& heatNode) const;
    // Print by facility? Asks when that is checked but the discipline has no schedule; throws
    // EPrintCancelled "Abbruch durch Benutzer" when the user cancels.
    bool checkUiForPlaceSort();

    // ---- printing the lists and sheets ----
    // The heat nodes to print: all (0) or that heat's, sorted by facility and time when asked for.
    // Empty after a message, or when the user cancelled the sort question.
    std::vector<QModelIndex> getNodes(int heatNo);
    // Facility name, then scheduled time; throws when a heat has no unique schedule item.
    bool placeAndTimeComparator(const QModelIndex& heatA, const QModelIndex& heatB) const;
    // askPrinter false: the printer is chosen already.
    bool printDiscList(const QString& title, const std::vector<QModelIndex>& heatNodes, const QStringList& stepLabels,
                       TResultformat resultFormat, bool askPrinter = true);
    // The height-list window's print of the ladder.
    void PrintHighJump(const QStringList& stepLabels, int heatNo, TResultformat resultFormat, bool askPrinter = true);
    void PromptPartLock();
    void printTallySheet(const std::vector<QModelIndex>& heatNodes);
    void printLapCountSheet(int heatNo);
    void Drucken1Click();
    void LaufGruppedrucken1Click();
    void HochsprungListe1Click();
    void Weitenliste1Click();
    void Weitensammlungsliste1Click();
    void Hochsprungliste2Click();
    void Weitenliste2Click();
    void Weitensammlungsliste2Click();
    void Zonenstrichlisten1Click();
    void Zonenstrichlisten2Click();
    void Blankolisten1Click();
    void Rundenzhlbltter1Click();
    void Rundenzhlbltter2Click();

    // ---- drag and drop: the ids a source would bring (empty: refused), and the drops ----
    std::vector<int> getDragInput(const QObject* source) const;
    // The list a drag comes from: the dragging widget when Qt knows it, else the window it names.
    const QObject* dragSource(const QDropEvent& event) const;
    void TreeView1DragDrop(const QObject* source, const QModelIndex& target);
    void ListView2DragDrop(const QObject* source);

    // ---- menu and button handlers ----
    void ComboBox1Change();
    void PopupMenu1Popup();
    void NeuerLaufGruppe1Click();
    void Entfernen1Click();
    void Anzeigen1Click();
    void Leistungenerfassen1Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button5Click();
    void PopupMenu2Popup();
    void RiegeAnzeigen1Click();
    void RiegeEntfernen1Click();
    void RiegenPassenderAltersklassen1Click();
    void Sperren1Click();
    void Entsperren1Click();

    // ---- state ----
    int currentDiscipline() const { return currentDisciplinID; }
    const THeatTreeModel& heatTree() const { return tree_; }
    // The "Drucken" menu, where the printouts add their items.
    QMenu* printMenu() const { return Liste1; }
    const std::vector<proto::SquadType>& assignedSquads() const;
    bool locked() const { return isLocked; }
    bool manualChangesConfirmed() const { return confirmedAutoOverwrite; }
    // Requests sent and not answered yet.
    std::size_t pendingRequests() const { return road_->pending(); }

    inline static const QString kCaption = QStringLiteral("Wettkampflisten erstellen");
    inline static const QString kAddWaitText = QStringLiteral("Füge Athleten hinzu.");
    inline static const QString kHint = QStringLiteral("DISCLISTWND");
    static inline int hintDelayMs = 800;

    // A competition change: no discipline, and nothing of its list.
    void unload() override;

protected:
    void reloadData() override;
    void FormShow() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildPrintMenus();
    bool printable() const;
    bool checkNotEmpty();
    int selectedHeatNo() const;
    // The format question of the list prints; false when the user cancelled or the height-list
    // window took over.
    bool askForStepList(int heatNo);
    void printStepList(TResultformat format, int heatNo);
    void openHeightList(int heatNo, TResultformat format);
    void printMessage(const QString& caption, const QString& text);
    std::shared_ptr<TDisciplinePrintContext> heatContext(const QModelIndex& heatNode, const QString& docType) const;
    void RequestFinished(std::unique_ptr<TDiscListResponse> response, const TRequestOutcome& outcome);
    void requestFailed(TDiscListResponse* response, const TRequestOutcome& outcome);
    void listLoaded(TDiscListResponse& response);
    void setDisciplines(const TDiscListResponse& response);
    void fillSquadList(std::vector<proto::SquadType> squads);
    void participantsChanged(const TDiscListResponse& response);
    void squadsChanged(const TDiscListResponse& response);
    void timingIdArrived(const TDiscListResponse& response);
    void updateTimingMenu();
    void enableTallySheets(bool enabled);
    void clearList();
    void reloadVisible(TWindowId id) const;
    void reloadResultWindow() const;

    const TDisciplineInfo* discInfo(int id) const;
    QModelIndex selectedNode() const;
    QModelIndexList selectedNodes() const;
    std::vector<int> selectedParticipantIds() const;
    std::vector<int> selectedSquadIds() const;
    bool ask(const QString& caption, const QString& text);

    // The design's state.
    int currentDisciplinID = 0;
    int currentAgeClassID = 0;
    int maxParticipantsPerHeat = INT_MAX;
    bool isLocked = false;
    bool confirmedAutoOverwrite = false;
    int curListVersion = -1;
    TSquadScheduleMap squadScheduleMap;

    std::vector<TDisciplineInfo> disciplines_; // one per combo entry
    quint32 lastListRequest_ = 0;
    int statusDisciplinID_ = 0; // whose timing export the status line reports
    THeatTreeModel tree_;
    std::unique_ptr<TRecordListModel<proto::SquadType>> squads_;
    std::unique_ptr<TDiscListRoad> road_;

    QMenuBar* MainMenu1 = nullptr;
    QMenu* AutoEinteilung1 = nullptr;
    QAction* Sperren1 = nullptr;
    QAction* Entsperren1 = nullptr;
    QMenu* Liste1 = nullptr;
    QAction* Drucken1 = nullptr;
    QAction* NachAnlagensortiertdrucken1 = nullptr;
    QMenu* Zeitmessung1 = nullptr;
    QAction* Wettkampflistesenden1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QTreeView* TreeView1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button5 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QTreeView* ListView2 = nullptr;
    QPushButton* Button3 = nullptr;
    QLabel* Label3 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* NeuerLaufGruppe1 = nullptr;
    QAction* Leistungenerfassen1 = nullptr;
    QMenu* LaufGruppedrucken = nullptr;
    QAction* Anzeigen1 = nullptr;
    QAction* Entfernen1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* RiegeAnzeigen1 = nullptr;
    QAction* RiegeEntfernen1 = nullptr;
    QAction* RiegenPassenderAltersklassen1 = nullptr;
};

} // namespace tvp
