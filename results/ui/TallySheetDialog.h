#pragma once
// "Strichlistenerfassung": the zone counts of one participant's attempt, typed or from a scanned
// tally sheet, stored as the attempt's points with the counts beside them, and the protocol of a
// stored sheet.

#include "core/services/ResultCaptureServices.h"
#include "core/ui/EntryGrid.h"
#include "core/ui/TVPForm.h"
#include "results/TallySheetRequests.h"

#include <QStyledItemDelegate>
#include <QTimer>

#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QMenuBar;
class QPushButton;

namespace tvp {

// The count column's editor takes Enter as "next zone" after keeping the text.
class TTallyGrid : public TEntryGrid {
    Q_OBJECT
public:
    explicit TTallyGrid(QWidget* parent = nullptr);

signals:
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class TTallyGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TTallyGridDelegate(TTallyGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
    // Every key reaches the cell at once, so the sum and the save button follow the typing.
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    TTallyGrid* grid_;
};

class TTallySheetForm : public TTVPForm, public ITallySheetForm, public IKeyCommands {
    Q_OBJECT
public:
    explicit TTallySheetForm(TWindowContext& context);
    ~TTallySheetForm() override;

    void ShowTallyDialog(int discId, int athleteOrTeamId, int attempt) override;
    void ShowTallyBarcodeDialog(int discBarcodeId, int athleteOrTeamBarcodeId, int attempt, int version);
    void unload() override;

    // The dispatcher's handler: takes "T" codes and reads them in Timer1.
    bool OnBarcode(const QString& code);
    bool hotKeyCallback(int key) override;

    // The sum, or minus the row of the first cell that is no count.
    qint64 refreshTotalSum();
    void saveData();
    void printClick();

    const TTallyGridModel& grid() const { return grid_; }
    std::size_t pendingRequests() const { return road_ ? road_->pending() : 0; }

protected:
    void reloadData() override { reload(false); }
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override { reloadData(); }

private:
    void buildControls();
    void reload(bool forPrint);
    void RequestFinished(std::unique_ptr<TTallySheetResponse> response, const TRequestOutcome& outcome);
    void loaded(const TTallySheetResponse& response);
    // Asks for the printer, as the answer to action, and prints the sheet shown then.
    void printProtocol(const TTallySheetResponse& response, const TUserAction& action);
    void printSheet(int stored);
    void setTallyList(const QString& tallyList);
    void cellsEdited();
    void showDirtyState(bool changed);
    void setSheetShown(bool shown);
    void selectionChanged(bool attemptBox);
    void gridEnter();
    void reportInvalidRow(int row);
    void Timer1Timer();
    const TTallyParticipant* currentParticipant() const;

    std::unique_ptr<TTallySheetRoad> road_;
    TTallyGridModel grid_;
    std::vector<TTallyParticipant> participants_;
    QString disciplineName_;
    int disciplineBarcode_ = 0;
    int listVersion_ = 0;
    bool loading_ = false;

    int currentDiscId = 0;
    int currentAthleteOrTeamId = 0;
    int currentAttempt = 0;
    int currentDiscBarcodeId = 0;
    int currentAthleteOrTeamBarcodeId = 0;
    bool isTeamDisc = false;
    int currentVersion = kTallyNoVersion;
    QString barcode;
    QString FTallyString;
    bool pointsStored_ = false; // the shown participant and attempt have points stored
    // The sheet whose counts the grid holds. Counts typed and not saved stay over a reload of that
    // same sheet (another window stored) while the sheet is still there.
    struct TTypedSheet {
        int discId = 0;
        int participantId = 0;
        int attempt = 0;
        bool operator==(const TTypedSheet&) const = default;
    };
    TTypedSheet shownSheet_;
    std::optional<TTypedSheet> typedSheet_;
    QTimer Timer1;

    QMenuBar* MainMenu1;
    QAction* Protokoll1;
    QLabel* Label1;
    QComboBox* ComboBox1; // attempt
    QComboBox* ComboBox2; // participant
    TTallyGrid* StringGrid1;
    QLabel* Label2; // the sum
    QPushButton* Button1;
};

} // namespace tvp
