#pragma once
// The age-class window: the age classes of the current competition with their fee and team rules,
// and an editor for one of them.

#include "core/lists/ListSorting.h"
#include "core/lists/RecordListModel.h"
#include "core/services/ParticipantForms.h"
#include "core/ui/TVPForm.h"
#include "participants/AgeClassRequests.h"

#include <QLocale>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeView;

namespace tvp {

class TDragListView;
class TUpDown;

class TAgeClassForm : public TTVPForm, public IAgeClassForm {
    Q_OBJECT
public:
    explicit TAgeClassForm(TWindowContext& context);
    ~TAgeClassForm() override;

    // IAgeClassForm
    int getSelected() const override { return currentAgeClassId; }
    std::optional<proto::AgeClassType> getAgeClass(int ageClassId) const override;

    void unload() override;

    // The menu and button actions, public for the windows and tests that trigger them.
    void Button1Click(); // "Änderung speichern"
    // keptOwn: the fields the user chose to save over another desk's change (TAgeRequest).
    void saveChange(unsigned keptOwn);
    void Button2Click(); // "Als neue Altersklasse hinzufügen"
    void Entfernen1Click();

    const TRecordListModel<proto::AgeClassType>& ageClasses() const { return model_; }

protected:
    void reloadData() override;
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override;

private:
    void buildWindow();
    void RequestFinished(std::unique_ptr<TAgeResponse> response, const TRequestOutcome& outcome);
    void fillList(std::vector<proto::AgeClassType> ageClasses);
    void reloadDependentWindows();
    void checkCurrentAgeClass();
    void LoadItem();
    void takeServerChanges(const proto::AgeClassType& stored);
    proto::AgeClassInfoType editedAgeClass() const;
    void EnableButtons();
    void ListView1Change();
    void selectRowOf(int ageClassId);
    int selectedAgeClassId() const;
    const proto::AgeClassType* currentAgeClass() const;
    TAgeClassEditor editor() const;
    void minimumStepped();
    void updateMaximum();
    void editorChanged();

    QLocale locale_;
    TRequestRoad<TAgeRequest, TAgeResponse> road_;
    TRecordListModel<proto::AgeClassType> model_;
    TSortedListModel sorted_;
    int currentAgeClassId = 0;
    bool suppressLoadItem = false;
    // The editor's age class as loaded, or as last taken from the server.
    proto::AgeClassInfoType loaded_;
    bool reselecting_ = false;

    TDragListView* ListView1;
    QGroupBox* GroupBox1;
    QLineEdit* NameEdit;
    QLineEdit* PriceEdit;
    TUpDown* MinUpDown;
    TUpDown* MaxUpDown;
    TUpDown* GenderMixUpDown;
    TUpDown* MaleUpDown;
    TUpDown* FemaleUpDown;
    QLabel* IdLabel;
    QPushButton* Button1;
    QPushButton* Button2;
    QMenu* PopupMenu1;
    QAction* Entfernen1;
};

} // namespace tvp
