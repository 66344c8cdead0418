#pragma once
// The squads window: the squads of the competition, the editor of one squad with its teams, teams
// dragged in from the team window or between squads, squads reordered by dragging with Ctrl held,
// deleting, assigning the marked squads to the disciplines of their age class, and the CSV export.

#include "core/lists/ListSorting.h"
#include "core/lists/RecordListModel.h"
#include "core/services/ParticipantForms.h"
#include "core/ui/TVPForm.h"
#include "participants/SquadRequests.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;
class QTreeView;

namespace tvp {

class TDragListView;

class TSquadForm : public TTVPForm, public ISquadForm {
    Q_OBJECT
public:
    explicit TSquadForm(TWindowContext& context);
    ~TSquadForm() override;

    // ISquadForm
    std::vector<int> getSelectedIds() const override;
    std::vector<proto::TeamType> getSelectedTeams() const override;
    void showSquad(int squadId) override;
    void showDisc(int discId, int ageClassId) override;
    void discSquadsUpdated(int discId) override;

    void unload() override;

    int getCurrentSquadId() const { return currentSquadId; }
    int getCurrentAgeClassId() const { return currentAgeClassId; }
    bool isTeamAgeMismatchConfirmed() const { return teamAgeMissmatchConfirmed; }

protected:
    void reloadData() override;
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RequestFinished(std::unique_ptr<TSquadResponse> response, const TRequestOutcome& outcome);
    void fillList(TSquadResponse& response);
    void fillCombos(const TSquadResponse& response);
    void LoadItem();
    void takeServerChanges(const proto::SquadType& squad);
    void EnableButtons();
    void enableEditor(bool enabled);
    void ListView1SelectItem();
    void selectRowOf(int squadId);
    void setAgeCombo(int ageClassId);
    void ComboBox1Change(int index);
    void filterChanged(QComboBox* combo, int& filterId);
    int getTeamsAgeClassID() const;
    TSquadEditor editor() const;
    void setEditorTeams(std::vector<proto::TeamType> teams);

    void Button1Click(); // "Als neue Riege hinzufügen"
    void Button2Click(); // "Änderung speichern"
    void Button3Click(); // "Altersklassen..."
    void Entfernen1Click();
    void Entfernen2Click();
    void assignToDisciplines();
    void NeueRiege1Click();
    void exportList(bool openAfterwards);

    // Drops onto the team list and onto the squad list.
    std::vector<proto::TeamType> draggedTeams(const QDropEvent& event) const;
    void dropTeamsOnTeamList(std::vector<proto::TeamType> dropped, int row);
    bool squadListAccepts(const QDropEvent& event) const;
    void dropOnSquadList(const QDropEvent& event, int sourceRow);

    const proto::SquadType* squadById(int squadId) const;
    int sourceRowOf(int squadId) const;

    TRequestRoad<TSquadRequest, TSquadResponse> road_;
    TRecordListModel<proto::SquadType> squads_;
    TSortedListModel sorted_;
    TRecordListModel<proto::TeamType> teams_;

    TDragListView* ListView1 = nullptr; // the squads
    QTreeView* ListView2 = nullptr;     // the teams of the squad in the editor
    QGroupBox* GroupBox1 = nullptr;     // the editor
    QLabel* Label1 = nullptr;           // the id
    QLineEdit* Edit1 = nullptr;         // own name
    QSpinBox* UpDown1 = nullptr;        // order index
    QLabel* Label3 = nullptr;           // the order index or "anfügen"
    QComboBox* ComboBox1 = nullptr;     // the editor's age class
    QComboBox* ComboBox2 = nullptr;     // age-class filter
    QComboBox* ComboBox3 = nullptr;     // discipline filter ("Nicht eingeteilt:")
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;

    int currentSquadId = 0;
    int currentAgeClassId = 0;
    int currentAgeClassFilterId = 0;
    int currentDisciplinFilterId = 0;
    int currentTeamID = 0;
    bool teamAgeMissmatchConfirmed = false;
    bool suppressLoadItem_ = false;
    int previousAgeComboIndex_ = 0;
    // The squad whose data the editor was loaded with, 0 for a new one, and the server's values it
    // last took: what differs from them is the user's.
    int editorSquadId_ = 0;
    TSquadEditor loaded_;
    // The age class a new squad's editor started with (kept from the last choice).
    int newSquadAgeClassId_ = 0;
    // The same own names of squads, as last told to the user (until the competition changes).
    QStringList reportedDuplicates_;
};

} // namespace tvp
