#pragma once
// "Plausibilitätsprüfung der Ergebnisse - Übersicht": what the server finds wrong with the results
// behind a set of result providers. It shows itself only when there is something to see; a double
// click leads to the athlete window or to the result entry at the spot to correct.

#include "core/lists/ListSorting.h"
#include "core/lists/RecordListModel.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/TVPForm.h"
#include "results/ResultCheckRequests.h"

#include <memory>

class QGroupBox;
class QLabel;
class QPushButton;
class QTreeView;

namespace tvp {

class TVerticalScroll;

// A report list of the check windows: whole rows, sorted by a click on a column, columns fitted.
QTreeView* makeCheckList(QWidget* parent, const char* name);

class TResultCheckForm : public TTVPForm, public IResultCheckForm {
    Q_OBJECT
public:
    explicit TResultCheckForm(TWindowContext& context);
    ~TResultCheckForm() override;

    void checkWarnings(const std::vector<int>& resProvIds, bool showOkMessage) override;

    std::size_t pendingRequests() const { return road_->pending(); }

protected:
    void reloadData() override;

private:
    void buildControls();
    void RequestFinished(std::unique_ptr<TResultCheckResponse> response, const TRequestOutcome& outcome);
    void clearLists();
    void fitColumns();
    void ListView1DblClick(const QModelIndex& index);
    void ListView2DblClick(const QModelIndex& index);

    std::vector<int> FresProvIds;
    bool FshowOkMessage = false;
    bool waitShown_ = false;
    std::unique_ptr<TResultCheckRoad> road_;
    TRecordListModel<TAthleteCheckEntry> athletes_;
    TRecordListModel<TWarningListItem> warnings_;
    TSortedListModel sortedAthletes_;
    TSortedListModel sortedWarnings_;

    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    QTreeView* ListView1;
    QTreeView* ListView2;
    QLabel* Panel1;
    QLabel* Panel2;
    QPushButton* Button1;
    TVerticalScroll* content_ = nullptr;
};

} // namespace tvp
