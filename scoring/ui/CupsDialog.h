#pragma once
// "Cup-Wertungen": the server's cups and the competitions they span. Cups are created, renamed
// and removed here, and competitions dragged onto them from the server's list; the other cup
// windows hear of every change.

#include "core/services/ScoringServices.h"
#include "core/ui/TVPForm.h"
#include "scoring/CupListModels.h"
#include "scoring/CupRequests.h"

#include <QListView>
#include <QTreeView>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;

namespace tvp {

// The server's competitions; a drag carries the selected ids in list order.
class TCupCompetitionList : public QListView {
    Q_OBJECT
public:
    using QListView::QListView;
    std::vector<int> selectedIds() const;
};

// The cup tree; takes competition drags on a cup or one of its competitions.
class TCupTree : public QTreeView {
    Q_OBJECT
public:
    using QTreeView::QTreeView;

signals:
    void competitionsDropped(int cupId, const std::vector<int>& competitionIds);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The cup the drop goes to, with the competitions it carries; none when refused.
    std::optional<int> targetCup(const QDropEvent* event) const;
};

class TCupsForm : public TTVPForm, public ICupsForm {
    Q_OBJECT
public:
    explicit TCupsForm(TWindowContext& context);
    ~TCupsForm() override;

    // ICupsForm
    void ReloadCupWindows() override;
    QString getCupName() override;

    void unload() override;
    std::size_t pendingRequests() const { return road_.pending(); }
    int currentCup() const { return currentCupId; }

    void TreeClick();
    void AddButtonClick();     // "Als neuen Cup hinzufügen"
    void SaveButtonClick();    // "Änderung speichern"
    void Entfernen1Click();    // popup "Entfernen"
    void CertButtonClick();    // "Ergebnisse/Urkunden..."
    void ColumnsButtonClick(); // "Benutzerdefinierte Spalten anlegen"
    void ParamButtonClick();   // "Cup-Parameter"

    TCupTree* TreeView1 = nullptr;
    TCupCompetitionList* ListBox1 = nullptr;
    QLineEdit* EditName = nullptr;
    QLabel* LabelID = nullptr;
    QLabel* LabelMinTeam = nullptr;
    QLabel* LabelMinAthlete = nullptr;
    QSpinBox* UpDownMinTeam = nullptr;
    QSpinBox* UpDownMinAthlete = nullptr;
    QPushButton* ButtonParameter = nullptr;
    QPushButton* ButtonColumns = nullptr;
    QPushButton* ButtonCert = nullptr;
    QPushButton* ButtonAdd = nullptr;
    QPushButton* ButtonSave = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Entfernen1 = nullptr;

protected:
    void reloadData() override;
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override;

private:
    void RequestFinished(std::unique_ptr<TCupResponse> response, const TRequestOutcome& outcome);
    void handleFailure(std::unique_ptr<TCupResponse> response, const TRequestOutcome& outcome);
    void closeWaits();
    void fillLists(TCupResponse& response);
    void LoadItem();
    void EnableButtons();
    TCupGroupValues groupValues() const;
    const proto::CupType* shownCup() const;
    void openPopup(const QPoint& pos);
    void dropOn(int cupId, const std::vector<int>& competitionIds);
    void afterRemoval();

    TRequestRoad<TCupRequest, TCupResponse> road_;
    int currentCupId = 0;
    TCupTreeModel cupTree_;
    TCupCompetitionListModel competitions_;
    bool loading_ = false;
};

} // namespace tvp
