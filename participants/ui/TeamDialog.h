#pragma once
// The team window: the teams of the current competition, filtered by age class and by not yet
// being placed in a team discipline, an editor for one team, and athletes dropped onto a team.

#include "core/lists/ListSorting.h"
#include "core/lists/RecordListModel.h"
#include "core/print/PrintUtils.h"
#include "core/services/ParticipantForms.h"
#include "core/ui/TVPForm.h"
#include "core/ui/WindowCatalogue.h"
#include "participants/TeamRequests.h"

class QAction;
class QComboBox;
class QDropEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QModelIndex;
class QPushButton;

namespace tvp {

class TDragListView;

class TTeamForm : public TTVPForm, public ITeamForm {
    Q_OBJECT
public:
    explicit TTeamForm(TWindowContext& context);
    ~TTeamForm() override;

    // ITeamForm
    int getSelected() const override;
    std::vector<int> getSelectedIds() const override;
    std::vector<proto::TeamType> getSelectedTeams() const override;
    void showDisc(int disciplineId, int ageClassId) override;
    void discParticipantsUpdated(int disciplineId) override;

    void unload() override;

    // The menu and button actions, public for the windows and tests that trigger them.
    void Button1Click(); // "Änderung speichern"
    void Button2Click(); // "Als neues Team hinzufügen"
    void Entfernen1Click();
    void Teammitgliederanzeigen1Click();
    void AgeClassButtonClick(); // "Altersklassen..."
    void ClubButtonClick();     // "Vereine..."
    void Suchen1Click();
    void exportCsv(bool openAfterwards);
    void TeamRiegenbersicht1Click();
    // Athletes of the athlete window dropped onto a row.
    void dropAthletes(const QModelIndex& row);

    // The teams in the list's current order.
    std::vector<proto::TeamType> teamsInListOrder() const;
    const TFilterPrintStrings& filterPrintStrings() const { return filterPrintString; }

protected:
    void reloadData() override;
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override;

private:
    void buildWindow();
    void buildMenus();
    void RequestFinished(std::unique_ptr<TTeamResponse> response, const TRequestOutcome& outcome);
    void fillWindow(TTeamResponse& response);
    void checkCurrentTeam();
    void LoadItem();
    void takeServerChanges(const proto::TeamType& team);
    void EnableButtons();
    void ListView1Change();
    void filterChanged(QComboBox& filter, int& filterId);
    void selectRowOf(int teamId);
    const proto::TeamType* teamOf(int teamId) const;
    bool acceptsAthletes(const QDropEvent& event) const;
    void setListEnabled(bool enabled);
    void refreshAll();
    void showModally(TWindowId window, QComboBox& field, int& fieldId);

    TRequestRoad<TTeamRequest, TTeamResponse> road_;
    TRecordListModel<proto::TeamType> model_;
    TSortedListModel sorted_;
    int currentTeamId = 0;
    int currentClubId = 0;
    int currentAgeClassID = 0;
    // The editor's team as loaded, or as last taken from the server.
    TTeamFields loaded_;
    int currentDisciplinFilterId = 0;
    int currentAgeClassFilterId = 0;
    TFilterPrintStrings filterPrintString;
    bool suppressLoadItem = false;
    bool reselecting_ = false;

    QMenuBar* MainMenu1;
    TDragListView* ListView1;
    QLabel* CountLabel;
    QGroupBox* FilterGroup;
    QComboBox* AgeClassFilterCombo;
    QComboBox* DisciplineFilterCombo;
    QGroupBox* GroupBox1;
    QLineEdit* NameEdit;
    QComboBox* AgeClassCombo;
    QPushButton* AgeClassButton;
    QComboBox* ClubCombo;
    QPushButton* ClubButton;
    QLabel* IdLabel;
    QPushButton* Button1;
    QPushButton* Button2;
    QMenu* PopupMenu1;
    QAction* Teammitgliederanzeigen1;
    QAction* Entfernen1;
};

} // namespace tvp
