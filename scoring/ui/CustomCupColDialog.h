#pragma once
// The custom columns of one cup and item kind: created, renamed in place, reordered by dragging
// one row onto another, and deleted.

#include "core/services/ScoringServices.h"
#include "core/ui/TVPForm.h"
#include "scoring/CustomColumnListModel.h"
#include "scoring/CustomCupColRequests.h"

#include <QTreeView>

class QAction;
class QMenu;

namespace tvp {

// Takes only its own rows, dropped onto a row; the window decides what the drop means.
class TColListView : public QTreeView {
    Q_OBJECT
public:
    explicit TColListView(QWidget* parent = nullptr);

signals:
    // The current row was dropped onto the row target.
    void rowDropped(int target);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool acceptsDrop(const QDropEvent* event) const;
};

class TCustomCupColForm : public TTVPForm, public ICustomCupColForm {
    Q_OBJECT
public:
    explicit TCustomCupColForm(TWindowContext& context);

    // ICustomCupColForm
    void showCustomCupColForm(int cupId, proto::CupItemType kind) override;

    void unload() override;
    void RequestFinished(std::unique_ptr<TColResponse> response, const TRequestOutcome& outcome);
    std::size_t pendingRequests() const { return road_.pending(); }

    TColListView* ListView1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* NewColumn1 = nullptr;
    QAction* DeleteColumn1 = nullptr;

protected:
    void reloadData() override;
    void FormShow() override;

private:
    void NewColumnClick();
    void DeleteColumnClick();
    void ListView1Edited(int row, const QString& text);
    void ListView1DragDrop(int target);
    void fillList(const std::vector<proto::CustomColumnType>& cols);
    void writeColumn(int colId, const QString& name, int orderIndex);
    std::unique_ptr<TColRequest> makeRequest(TColRequestType type) const;

    // The list's own: it goes with the list, never before it.
    TCustomColumnListModel* columns_ = nullptr;
    TRequestRoad<TColRequest, TColResponse> road_;
    int FcupID = 0;
    proto::CupItemType FType = proto::CupItemType::Athlete;
};

} // namespace tvp
