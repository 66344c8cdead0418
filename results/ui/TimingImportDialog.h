#pragma once
// "Zeitmessungsdaten importieren": the runs received from the timing program, newest first; a double
// click stores a run in the discipline with its timing number and opens the result entry on its heat.

#include "core/lists/RecordListModel.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/TVPForm.h"
#include "results/TimingConnector.h"
#include "results/TimingImportRequests.h"

#include <QSet>

class QTreeView;

namespace tvp {

class TTimingImportForm : public TTVPForm, public ITimingImportForm {
    Q_OBJECT
public:
    explicit TTimingImportForm(TWindowContext& context);

    void UpdateItems() override;
    void ListView1DblClick();

    int pendingRequests() const { return pending_; }
    const TRecordListModel<TTimingImportHeat>& runs() const { return runs_; }

protected:
    void reloadData() override { UpdateItems(); }
    void FormShow() override;

private:
    void RequestFinished(std::unique_ptr<TTimingImportResponse> response, const TRequestOutcome& outcome);
    void report(const QString& text);
    void fitColumns();
    ITimingSettingsForm* settings() const;
    QString exchangeDir() const;

    TRequestRoad<TTimingImportRequest, TTimingImportResponse> road_;
    TimingConnector connector_;
    TRecordListModel<TTimingImportHeat> runs_;
    QSet<QString> reportedUnreadable_; // named once until the file reads again
    int pending_ = 0;
    QTreeView* ListView1;
};

} // namespace tvp
