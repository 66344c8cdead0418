#pragma once
// "Cup-Altersklassen zuordnen", "Cup-Teams zuordnen", "Cup-Athleten zuordnen": the items of one
// cup, completed above and pending below, each with the competition entries the server mapped
// onto it. Entries are dragged onto the right item or detached, items renamed and marked done.

#include "core/ui/TVPForm.h"
#include "scoring/CupItemsRequests.h"

#include <QTreeView>

#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace tvp {

// A compare list: expands a cup item on a click in the marker column, a double click or the
// arrow keys, sorts on a header click, and takes drags of competition rows onto a cup item row.
class TCompareListView : public QTreeView {
    Q_OBJECT
public:
    explicit TCompareListView(QWidget* parent = nullptr);
    TCompareListModel* compareModel() const;
    // Root and child of the row under the point; false on no row.
    bool rowAt(const QPoint& pos, int& root, int& child) const;

signals:
    void entriesDropped(const std::vector<int>& entryIds, int cupItemId);
    void itemClicked();
    void popupRequested(const QPoint& pos);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    int dropTarget(const QDropEvent* event, std::vector<int>* ids) const;
};

class TCupItemsForm : public TTVPForm {
    Q_OBJECT
public:
    TCupItemsForm(TWindowContext& context, proto::CupItemType kind);
    ~TCupItemsForm() override;

    void initForm(const QString& caption, proto::CupItemType kind);
    void setFilter(int cupId, TComparatorType comparator, int count, int ageClassId, int teamId);
    void unload() override;
    std::size_t pendingRequests() const { return road_.pending(); }
    proto::CupItemType kind() const { return FTyp; }
    int currentCup() const { return curCupID; }
    int currentItem() const { return curItemID; }

    void SaveButtonClick();
    void Search1Click(); // "Suchen", Ctrl+F
    void exportCsv(bool cupOnly, bool open);

    QComboBox* ComboBoxCup = nullptr;
    QComboBox* ComboBoxCompare = nullptr;
    QLabel* LabelCount = nullptr;
    QSpinBox* UpDownCount = nullptr;
    QLabel* LabelAgeClass = nullptr;
    QComboBox* ComboBoxAgeClass = nullptr;
    QLabel* LabelTeam = nullptr;
    QComboBox* ComboBoxTeam = nullptr;
    TCompareListView* ListView1 = nullptr; // completed
    TCompareListView* ListView2 = nullptr; // pending
    QLabel* LabelCompleted = nullptr;
    QLabel* LabelPending = nullptr;
    QGroupBox* GroupBoxItem = nullptr;
    QLabel* LabelID = nullptr;
    QLineEdit* EditName = nullptr;      // age classes and teams
    QLineEdit* EditGivenName = nullptr; // athletes
    QLineEdit* EditSurName = nullptr;
    QComboBox* ComboBoxGender = nullptr;
    QLineEdit* EditYear = nullptr;
    QTableWidget* ValueListEditor1 = nullptr;
    QPushButton* ButtonSave = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QAction* ImportColumns1 = nullptr;
    QAction* ExportCupOnly1 = nullptr;
    QAction* ExportCupOnlyOpen1 = nullptr;
    QAction* ExportFull1 = nullptr;
    QAction* ExportFullOpen1 = nullptr;
    QAction* Search1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* MarkPending1 = nullptr;
    QAction* RemoveEntry1 = nullptr;
    QAction* ShowTeamAthletes1 = nullptr;
    QAction* MarkCompleted2 = nullptr;
    QAction* MarkAllCompleted2 = nullptr;
    QAction* FlipNames2 = nullptr;
    QAction* RemoveEntry2 = nullptr;
    QAction* ShowTeamAthletes2 = nullptr;

protected:
    void reloadData() override { reload(false); }
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override;

private:
    struct ViewState {
        TCompareListSortInfo sortInfo1, sortInfo2;
        std::vector<int> expanded;
        int scrollpos1 = 0, scrollpos2 = 0;
    };

    void buildLayout();
    void buildMenus();
    void reload(bool smallreload);
    void RequestFinished(std::unique_ptr<TCupItemResponse> response, const TRequestOutcome& outcome);
    void handleFailure(std::unique_ptr<TCupItemResponse> response, const TRequestOutcome& outcome);
    void fillCups(const std::vector<proto::CupType>& cups);
    bool fillFilters(const TCupItemResponse& response);
    void fillLists(std::unique_ptr<TCupItemResponse> response);
    ViewState takeViewState() const;
    void setLists(std::unique_ptr<TCompareListModel> completed, std::unique_ptr<TCompareListModel> pending);
    void applyFilter();
    void updateCountLabels();
    void showLists(bool shown);
    void afterChange();

    void cupChosen();
    void ageFilterChosen();
    void teamFilterChosen();
    void listClicked(TCompareListView* list);
    void openPopup(TCompareListView* list, QMenu* menu, int popupId, const QPoint& pos);
    void loadItem(int itemId);
    void selectItemRow(int itemId);
    TCupAthleteEditor athleteEditor() const;
    void sendIds(TCupItemRequestType type, std::vector<int> ids, bool completed = false);
    std::vector<int> selectedIds(TCompareListView* list, bool& allChildren, bool& allRoots) const;
    TCompareListView* popupList() const;
    void removeEntries();
    void markCompletion(bool completed);
    void markAllCompleted();
    void flipNames();
    void showTeamAthletes();
    void entriesDropped(const std::vector<int>& ids, int cupItemId);

    TRequestRoad<TCupItemRequest, TCupItemResponse> road_;
    int curCupID = 0;
    int curItemID = 0;
    int curAgeFilterID = 0;
    int curTeamFilterID = 0;
    proto::CupItemType FTyp;
    TCupItemRequestType FgetReqType;
    std::unique_ptr<TCompareListModel> FCompletedListView;
    std::unique_ptr<TCompareListModel> FPendingListView;
    std::unique_ptr<TCupItemResponse> items_; // the records behind the rows
    std::vector<proto::CustomColumnType> customCols_;
    bool listsBuilt_ = false;
    bool loading_ = false;
};

} // namespace tvp
