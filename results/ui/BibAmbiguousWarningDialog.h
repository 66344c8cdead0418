#pragma once
// "Startnummernzuordnung nicht eindeutig": participants with several bibs whose results of one
// attempt differ, as the server reports them; a double click leads to the result entry.

#include "core/lists/ListSorting.h"
#include "core/lists/RecordListModel.h"
#include "core/services/ResultCaptureServices.h"
#include "core/ui/TVPForm.h"
#include "results/ResultCheckRequests.h"

class QPushButton;
class QTreeView;

namespace tvp {

class TBibAmbiguousWarningForm : public TTVPForm, public IBibAmbiguousWarningForm {
    Q_OBJECT
public:
    explicit TBibAmbiguousWarningForm(TWindowContext& context);

    void showWarning(const std::vector<proto::AmbiguousResultType>& conflicts) override;

protected:
    void reloadData() override {}

private:
    void ListView1DblClick(const QModelIndex& index);

    TRecordListModel<TBibConflictEntry> conflicts_;
    TSortedListModel sorted_;
    QTreeView* ListView1;
    QPushButton* Button1;
};

} // namespace tvp
