#pragma once
// "Rangfolge erfassen": bibs typed rank by rank into one attempt of a rank discipline. Enter stores
// the row at once; the context menu inserts or deletes a rank and shifts the following ones.

#include "core/services/ResultCaptureServices.h"
#include "core/ui/EntryGrid.h"
#include "core/ui/TVPForm.h"
#include "results/BibOrderRequests.h"

#include <QPointer>
#include <QStyledItemDelegate>

#include <deque>
#include <map>
#include <memory>

class QAction;
class QLabel;
class QMenu;

namespace tvp {

// The grid: Enter on a "Startnr." cell, in its editor or not, takes the typed text and reports it.
class TBibOrderGrid : public TEntryGrid {
    Q_OBJECT
public:
    explicit TBibOrderGrid(QWidget* parent = nullptr);
    void openEditor();
    // The open cell editor, null when none.
    QWidget* editorWidget() const { return editor_; }
    void setEditorWidget(QWidget* editor) { editor_ = editor; }
    bool isEditing() const { return state() == EditingState; }
    // The open editor's text goes into the model.
    void commitEditor();

signals:
    void enterKey();
    // The user changed the open editor's text.
    void editorEdited();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<QWidget> editor_;
};

class TAquireBibOrderForm : public TTVPForm, public IAquireBibOrderForm {
    Q_OBJECT
public:
    explicit TAquireBibOrderForm(TWindowContext& context);
    ~TAquireBibOrderForm() override;

    void showDialog(int discId, int attempt) override;
    void unload() override;

    // For tests and benchmarks.
    std::size_t pendingRequests() const;
    const TRankList& rankList() const { return RankList; }
    TBibOrderGrid* grid() const { return StringGrid1; }

protected:
    void reloadData() override;
    // Bibs typed and not stored.
    bool checkItemChanged(const QString& part) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void RequestFinished(std::unique_ptr<TAqBibOrderResponse> response, const TRequestOutcome& outcome);
    void requestFailed(const TAqBibOrderResponse* response, const TRequestOutcome& outcome,
                       const TAqBibOrderRequest* sent);
    void loadFinished(const TAqBibOrderResponse& response);
    void storeFinished(const TAqBibOrderResponse& response);
    void StringGrid1KeyDown();
    void storeResultAsync(int row, const std::vector<int>& newBibs);
    // The window's requests leave in the order asked for, a store or shift alone: a load reads
    // what the stores before it wrote, and a store clears the bibs its rank holds when it leaves.
    void queueRequest(std::unique_ptr<TAqBibOrderRequest> request, TTransactionMode mode);
    void sendNext();
    void showPopup(const QPoint& pos);
    void shiftClick(bool insert);
    void disableGrid();
    void refreshOthers();
    void selectRow(int row);
    // Puts the kept bibs back on the rows of their ranks; false when some rank has no row and the
    // user chose to keep what was shown.
    bool restoreTyped(const std::vector<TRankListModel::TTypedRow>& kept);
    // The user agreed to lose typed bibs the next load has no rank for: it asks no more.
    bool dropUnfitting_ = false;
    // A row the server did not store stays typed on its rank, red with the reason, to be corrected
    // or sent again; the message names rank and bibs.
    void keepRefused(const TAqBibOrderRequest& sent, const TRequestOutcome& outcome);

    TAqBibOrderRoad road_;
    int currentDiscId = 0;
    bool teamDisc = false;
    int attempt = 0;
    TRankList RankList;
    TRankListModel model_{RankList};
    int SelectedRow = 0; // row of the last right click, from 1; 0 = none
    int loadedDiscId_ = 0;
    int loadedAttempt_ = 0;
    struct TQueued {
        std::unique_ptr<TAqBibOrderRequest> request;
        TTransactionMode mode = TTransactionMode::tm_None;
    };
    std::deque<TQueued> queue_;
    // Copies of those on their way, for their failures.
    std::map<quint32, std::unique_ptr<TAqBibOrderRequest>> inFlight_;
    quint32 latestLoad_ = 0; // the load whose answer is shown; 0 when none is under way

    QLabel* Label1;
    QLabel* Label2;
    TBibOrderGrid* StringGrid1;
    QMenu* PopupMenu1;
    QAction* Rangdarubereinfugen1;
    QAction* Rangloschen1;
};

} // namespace tvp
