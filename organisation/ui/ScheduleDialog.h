#pragma once
// The schedule window ("Zeitplan"): one column per squad, each cell a facility of a discipline with
// a start time, edited in place; saving, the completeness check, the CSV exports and the
// running-order document.

#include "core/services/OrganisationServices.h"
#include "core/services/ScoringServices.h"
#include "core/ui/TVPForm.h"
#include "organisation/ScheduleGrid.h"
#include "organisation/ScheduleRequests.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTableView;

namespace tvp {

class TRespelledNames;

class TScheduleForm : public TTVPForm, public IScheduleEditing {
    Q_OBJECT
public:
    explicit TScheduleForm(TWindowContext& context);
    ~TScheduleForm() override;

    void unload() override;
    bool isEditing() const override;

    const TScheduleGrid& grid() const { return grid_; }
    // Without messages it stops at the first incomplete column; with them each gap is a warning.
    bool checkCompleteness(bool showMessages);
    bool checkColCompleteness(int col, bool showMessages);
    int getColForSquad(int squadId) const { return grid_.getColForSquad(squadId); }
    int getSquadIDbyCol(int col) const { return grid_.getSquadIDbyCol(col); }

    // The running-order document.
    void updateScheduleMenus(int competitionId, const QString& path, TScheduleDocType docType);
    void docPathChange(TDocPathStatus status, const QString& path, int competitionId, int extra);
    QString getCurrentDataFile() const;
    // "als csv pro Riege" (false) and "als csv pro Team" (true).
    void generateSchedule(bool perTeam);

protected:
    void reloadData() override;
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RequestFinished(std::unique_ptr<TScheduleResponse> response, const TRequestOutcome& outcome);
    void fillAgeClasses(const proto::getAgeClassesResponse1& ageClasses);
    void fillGrid(TScheduleResponse& response);
    void ComboBox3Change();
    void SaveButtonClick();
    void checkCompletenessClick();
    void showEditor(int col, int row);
    void hideEditor();
    // Enter, Space or "+" in the time field.
    void commitEditor(int key);
    // The combo's entry or the time field changed on a stored item.
    void applyToStoredItem();
    const proto::PlaceOfDisciplineType* chosenPlace() const;
    void moveCursor(int col, int row);
    bool handleEditorKey(QObject* watched, QKeyEvent* key);
    void addWarnings(const QStringList& messages, const QString& caption);
    // Names the data file holds otherwise than stored, told once for the file.
    void reportRespelled(const TRespelledNames& respelled, const QString& path, const QString& caption);
    bool askToSave(const QString& question);
    void Ablaufplaneditierendrucken1Click();
    void Ablaufplanvorlageeinrichten1Click();
    void Ablaufplanvorlageverwerfen1Click();
    ITeamScheduleDocSetupForm* docSetup() const;
    int competitionId() const;

    TRequestRoad<TScheduleRequest, TScheduleResponse> road_;
    TScheduleGrid grid_;

    int currentAgeClassFilterId = 0;
    QString currentAgeClassFilterName;
    QString loadedAgeClassFilterName;
    std::vector<proto::PlaceOfDisciplineType> disciplinePlaces;
    QString FScheduleDocPath;
    TScheduleDocType FScheduleDocType = TScheduleDocType::sd_NONE;

    QComboBox* ComboBox3 = nullptr; // age-class filter
    QCheckBox* CheckBox1 = nullptr;
    QTableView* StringGrid1 = nullptr;
    QFrame* EditPanel = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLineEdit* StartTimeEdit = nullptr;
    QPushButton* SaveButton = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QAction* Ablaufplaneditierendrucken1 = nullptr;
    QAction* Ablaufplanvorlageeinrichten1 = nullptr;
    QAction* Ablaufplanvorlageverwerfen1 = nullptr;

    // The cell the editor stands on, and the places its combo offers (entry i + 1).
    int editCol_ = -1;
    int editRow_ = -1;
    std::vector<proto::PlaceOfDisciplineType> offered_;
    bool hasSquads_ = false;
    bool filling_ = false;
    QString lastExportFile_;
};

} // namespace tvp
