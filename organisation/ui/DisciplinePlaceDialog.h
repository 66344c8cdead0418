#pragma once
// The facility window ("Wettkampfanlagen"): the facilities of the competition with the disciplines
// that can take place there, their editor, deleting several at once, and the CSV export.

#include "core/lists/ListSorting.h"
#include "core/ui/TVPForm.h"
#include "organisation/DisciplinePlaceRequests.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeView;

namespace tvp {

class TDisciplinePlaceForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TDisciplinePlaceForm(TWindowContext& context);
    ~TDisciplinePlaceForm() override;

    void unload() override;
    int currentFacility() const { return currentDPId; }

protected:
    void reloadData() override;
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override;

private:
    void RequestFinished(std::unique_ptr<TDPResponse> response, const TRequestOutcome& outcome);
    void setDisciplines(std::vector<proto::DisciplinType> disciplines);
    void fillList(proto::getDisciplinePlacesResponse places);
    void checkCurrentDP();
    void selectRowOf(int dpId);
    void LoadItem();
    void updateButtons();
    void ListView1SelectItem();
    void ComboBox1Change();
    std::vector<int> checkedDisciplineIds() const;
    const proto::DisciplinePlaceType* placeById(int dpId) const;
    void setEditorEnabled(bool enabled);

    void Button1Click(); // "Als neue Anlage hinzufügen"
    void Button2Click(); // "Änderung speichern"
    void Entfernen1Click();
    void exportList(bool openAfterwards);

    TRequestRoad<TDPRequest, TDPResponse> road_;
    TDisciplinePlaceListModel places_;
    TSortedListModel sorted_;
    TPlaceDisciplineModel disciplines_;
    TSortedListModel sortedDisciplines_;

    QComboBox* ComboBox1 = nullptr; // discipline filter
    QTreeView* ListView1 = nullptr; // facilities
    QGroupBox* GroupBox2 = nullptr; // "Wettkampfanlage"
    QLineEdit* Edit1 = nullptr;     // name
    QLineEdit* Edit2 = nullptr;     // remark
    QLabel* Label4 = nullptr;       // the id
    QTreeView* ListView2 = nullptr; // disciplines with check boxes
    QPushButton* Button1 = nullptr; // "Als neue Anlage hinzufügen"
    QPushButton* Button2 = nullptr; // "Änderung speichern"
    QMenu* PopupMenu1 = nullptr;
    QAction* Entfernen1 = nullptr;

    int currentDPId = 0;
    int currentDisciplinFilterId = 0;
    bool suppressSelect_ = false;
    // A create on its way: Enter or a click meanwhile sends nothing more.
    bool createPending_ = false;
    // A refused create: the next load keeps what was typed.
    bool keepEditor_ = false;
};

} // namespace tvp
