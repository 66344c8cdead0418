#pragma once
// The athlete register of the current competition: the filtered list of all athletes, an editor
// for one athlete, and the entry to bulk bibs, blank barcodes, the athlete printouts, CSV export
// and the team-composition check.

#include "core/connection/RequestRoad.h"
#include "core/lists/ListSorting.h"
#include "core/lists/RecordListModel.h"
#include "core/print/PrintUtils.h"
#include "core/services/ParticipantForms.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowCatalogue.h"
#include "core/ui/WindowTools.h"
#include "participants/AthleteRequests.h"

class QAction;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QTreeView;

namespace tvp {

// Selects the first entry of a filter or editor box whose id equals id and fires the box's change
// handler (its activated signal); false when no entry has it.

// The mime type of dragged athlete rows: the AthleteIDs, one per line. Targets may read it or ask
// the window for getSelectedIds.
inline const QString kAthleteIdsMimeType = QStringLiteral("application/x-tvp-athlete-ids");

// The athlete list: the records with their columns, dragged to other windows by id.
class TAthleteListModel : public TRecordListModel<proto::AthleteType> {
public:
    TAthleteListModel();
    QStringList mimeTypes() const override { return {kWindowDragMime, kAthleteIdsMimeType}; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
};

// Sees every key press of the program first, for keys that work in every window.
class TKeyHook : public QObject {
public:
    // onKey answers true when it took the key.
    explicit TKeyHook(std::function<bool(QKeyEvent&)> onKey);
    ~TKeyHook() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool(QKeyEvent&)> onKey_;
};

class TAthleteForm : public TTVPForm, public IAthleteForm {
    Q_OBJECT
public:
    // The part whose unsaved changes are asked about (also the question's caption).
    inline static const QString kEditorPart = QStringLiteral("Athletendaten");
    inline static const QString kCaption = QStringLiteral("Athleten");

    explicit TAthleteForm(TWindowContext& context);
    ~TAthleteForm() override;

    // ---- IAthleteForm ----
    void showAthlete(int athleteId, int teamId) override;
    void showTeamMembers(int teamId) override;
    void showDisc(int disciplineId, int ageClassId) override;
    void discParticipantsUpdated(int disciplineId) override;
    std::vector<int> getSelectedIds() const override;
    std::optional<proto::AthleteType> getCachedAthleteByID(int athleteId) const override;
    std::optional<proto::AthleteType> getCachedAthlete(int barcode) const override;
    void selectAthlete(int athleteId) override;
    void createNewAthleteWithBarcode(int barcodeId) override;
    void checkParticipantContraints(bool showMessageIfNoWarning) override;
    void openSearch() override;

    void unload() override;

    // The finished function of every request (public for the benchmark).
    void RequestFinished(std::unique_ptr<TAthleteResponse> response, const TRequestOutcome& outcome);

    // The list as shown (sorted) and its records.
    const TSortedListModel& listModel() const { return sorted_; }
    const TAthleteListModel& athletes() const { return athletes_; }
    int currentAthlete() const { return currentAthleteId; }
    const TFilterPrintStrings& printFilter() const { return filterPrintString; }
    TRequestRoad<TAthleteRequest, TAthleteResponse>& road() { return road_; }

    // Menu entries and buttons, as the user triggers them.
    void Button1Click(); // "Änderung speichern"
    void Button2Click(); // "Als neuen Athleten anlegen"
    void Entfernen1Click();
    void VorundNachnametauschen1Click();
    void Suchen1Click();
    void exportCsv(bool open);
    void printOverview(bool teamPerPage);

protected:
    void reloadData() override;
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void buildMenus();
    QComboBox* box(const char* name);
    QLineEdit* edit(const char* name, int maxLength = 0);

    // Filling after a load.
    void fillList(TAthleteResponse& response);
    void fillBoxes(const TAthleteResponse& response);
    void setFilterString(const std::vector<proto::AthleteType>& athletes);

    // The editor.
    void LoadItem();
    void showEditor(const TAthleteEditor& shown);
    void takeServerChanges(const proto::AthleteType& athlete);
    void EnableButtons();
    TAthleteEditor editorValues() const;
    std::optional<TAthleteInfo> getAthleteRequestFromUI(bool strict);
    void writeBackNames(const TAthleteInfo& info);
    const proto::AthleteType* listedAthlete(int athleteId) const;
    void editorChanged();

    // The list.
    void ListView1Click();
    void checkCurrentAthlete();
    int rowOf(int athleteId) const; // a row of the sorted list, -1 when none
    const proto::AthleteType* athleteAt(int sortedRow) const;
    std::vector<int> selectedSortedRows() const;
    void selectRow(int sortedRow);
    void updatePopup();

    // Filters and editor boxes.
    void teamFilterChange();
    void ageClassFilterChange();
    void disciplineFilterChange();
    void showAgeClassFilter(bool visible);

    void showModalChooser(TWindowId window, QComboBox* target, bool team);
    void openFinder();
    bool handleF11();
    void reloadDependents();
    // Deleted by this window: gone from the list and the editor at once.
    void athleteDeleted(int athleteId);
    void handleRefusal(std::unique_ptr<TAthleteResponse> response, const TRequestOutcome& outcome);

    TRequestRoad<TAthleteRequest, TAthleteResponse> road_;
    std::unique_ptr<TKeyHook> f11_;
    TAthleteListModel athletes_;
    TSortedListModel sorted_;

    // The design's window state.
    int currentTeamId = 0;
    int currentAgeClassFilterId = 0;
    int currentTeamFilterId = 0;
    int currentDisciplinFilterId = 0;
    int currentAthleteId = 0;
    int currentClubId = 0;
    bool suppressLoadItem = false;
    TFilterPrintStrings filterPrintString;
    // The editor shows a new athlete already: a reload must not raise the proposed bib again.
    bool editorShowsNew_ = false;
    // The editor's athlete as loaded, or as last taken from the server.
    TAthleteEditor loaded_;

    QMenuBar* MainMenu1;
    QMenu* PopupMenu1;
    QAction* Leistungenzuordnen1;
    QAction* Startnummernvergeben1;
    QAction* VorundNachnametauschen1;
    QAction* Entfernen1;
    QTreeView* ListView1;
    QLabel* LabelCount;
    QGroupBox* GroupBox1;
    QLineEdit* EditGivenName;
    QLineEdit* EditSurName;
    QLineEdit* EditBibs;
    QComboBox* ComboBoxTeam;
    QPushButton* ButtonTeams;
    QLineEdit* EditYear;
    QComboBox* ComboBoxGender;
    QComboBox* ComboBoxClub;
    QPushButton* ButtonClubs;
    QLineEdit* EditBarcode;
    QLabel* LabelId;
    QPushButton* Button1;
    QPushButton* Button2;
    QComboBox* ComboBoxTeamFilter;
    QComboBox* ComboBoxAgeClassFilter;
    QLabel* LabelAgeClassByTeam;
    QComboBox* ComboBoxDisciplineFilter;
};

} // namespace tvp
