#pragma once
// "Cup-Wertungen": the server's cups and the competitions they span. Cups are created, renamed
// and removed here, and competitions dragged onto them from the server's list; the other cup
// windows hear of every change.

#include "core/services/ScoringServices.h"
#include "core/ui/TVPForm.h"
#include "scoring/CupRequests.h"

#include <QListWidget>
#include <QTreeWidget>

#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSpinBox;

namespace tvp {

inline const QString kCupCompetitionIdsMimeType = QStringLiteral("application/x-tvp-cup-competition-ids");

// The server's competitions; a drag carries the selected ids in list order.
class TCupCompetitionList : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;
    std::vector<int> selectedIds() const;

protected:
    QStringList mimeTypes() const override { return {kCupCompetitionIdsMimeType}; }
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
};

// The cup tree; takes competition drags on a cup or one of its competitions.
class TCupTree : public QTreeWidget {
    Q_OBJECT
public:
    using QTreeWidget::QTreeWidget;
    // Whether a drop at the node may go on, and the drop itself.
    std::function<bool(QTreeWidgetItem*)> acceptsDrop;
    std::function<void(QTreeWidgetItem*)> dropped;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool accepts(const QDropEvent* event);
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
    QTreeWidgetItem* firstNodeOfCup(int cupId) const;
    void openPopup(const QPoint& pos);
    bool canDropOn(QTreeWidgetItem* node) const;
    void dropOn(QTreeWidgetItem* node);
    void afterRemoval();

    TRequestRoad<TCupRequest, TCupResponse> road_;
    int currentCupId = 0;
    std::vector<proto::CupType> cups_; // as the tree shows them
    bool loading_ = false;
};

} // namespace tvp
