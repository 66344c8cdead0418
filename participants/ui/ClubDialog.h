#pragma once
// The club window: the clubs of the competition, their editor, assigning athletes and teams by
// drag and drop, the club overview, the CSV export and the receipt data for the Word receipts.

#include "core/lists/ListSorting.h"
#include "core/lists/RecordListModel.h"
#include "core/services/ParticipantForms.h"
#include "core/services/ScoringServices.h"
#include "core/ui/TVPForm.h"
#include "participants/ClubRequests.h"
#include "participants/ReceiptData.h"
#include "participants/ui/ParticipantWindowInterfaces.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QGroupBox;

namespace tvp {

class TDragListView;

class TClubForm : public TTVPForm, public IClubForm {
    Q_OBJECT
public:
    explicit TClubForm(TWindowContext& context);
    ~TClubForm() override;

    // IClubForm
    int getSelected() const override { return currentClubId; }
    std::vector<int> getSelectedIds() const override;
    void updateBillingMenus(int competitionId, const QString& path) override;
    QString getCurrentDatafile() const override;

    void unload() override;

    // The receipt setup window's report of its document path.
    void docPathChange(TDocPathStatus status, const QString& path, int competitionId);

    // The receipt table last built (its rows are the data file).
    const TBillingTableModel& billingExport() const { return BillingExportListView; }

protected:
    void reloadData() override;
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override;

private:
    void RequestFinished(std::unique_ptr<TClubResponse> response, const TRequestOutcome& outcome);
    void fillList(proto::getClubsResponse1 clubs);
    void checkCurrentClub();
    void LoadItem();
    void takeServerChanges(const proto::ClubType& club);
    void EnableButtons();
    void ListView1SelectItem();
    void selectRowOf(int clubId);
    void createBilling(const proto::getClubBillingResponse1& billing, const QString& path);

    void Button1Click(); // "Änderung speichern"
    // keptOwn: the fields the user chose to save over another desk's change (TClubRequest).
    void saveChange(unsigned keptOwn);
    void Button2Click(); // "Als neuen Verein/Organisation anlegen"
    void Entfernen1Click();
    void exportList(bool openAfterwards);
    void printOverview();
    void Suchen1Click();
    void Quittungendruckeneditieren1Click();
    void Quittungsvorlageverwerfen1Click();

    // Drops of athletes or teams onto a club row.
    bool acceptsDrop(const QDropEvent& event, std::vector<int>* ids, TClubRequestType* type) const;
    void dropOnClub(const QDropEvent& event, int sourceRow);

    const proto::ClubType* clubById(int clubId) const;
    int sourceRowOf(int clubId) const;
    TClubInfo editorInfo() const;
    int competitionId() const;

    TRequestRoad<TClubRequest, TClubResponse> road_;
    TRecordListModel<proto::ClubType> clubs_;
    TSortedListModel sorted_;
    TBillingTableModel BillingExportListView;

    TDragListView* ListView1 = nullptr;
    QLabel* Label1 = nullptr; // the count
    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;      // name
    QLineEdit* Edit2 = nullptr;      // remark
    QPlainTextEdit* Memo1 = nullptr; // e-mail and billing address
    QLabel* Label5 = nullptr;        // the id
    QPushButton* Button1 = nullptr;  // "Änderung speichern"
    QPushButton* Button2 = nullptr;  // "Als neuen Verein/Organisation anlegen"
    QMenu* PopupMenu1 = nullptr;
    QAction* Entfernen1 = nullptr;
    QAction* Quittungendruckeneditieren1 = nullptr;
    QAction* Quittungsvorlageeinrichten1 = nullptr;
    QAction* Quittungsvorlageverwerfen1 = nullptr;

    int currentClubId = 0;
    bool suppressLoadItem = false;
    QString FBillingDocPath;
    // A create on its way: the editor keeps what was typed until the answer.
    bool createPending_ = false;
    // The editor's club as loaded, or as last taken from the server.
    TClubInfo loaded_;
};

} // namespace tvp
