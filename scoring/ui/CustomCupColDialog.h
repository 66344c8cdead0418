#pragma once
// The custom columns of one cup and item kind: created, renamed in place, reordered by dragging
// one row onto another, and deleted.

#include "core/services/ScoringServices.h"
#include "core/ui/TVPForm.h"
#include "scoring/CustomCupColRequests.h"

#include <QTreeWidget>

#include <functional>

class QAction;
class QMenu;

namespace tvp {

// Takes only its own rows, dropped onto a row; the window decides what the drop means.
class TColListView : public QTreeWidget {
public:
    explicit TColListView(QWidget* parent = nullptr);

    std::function<void(QTreeWidgetItem* target)> OnDropRow;
    // An edit that was confirmed, with the text as typed.
    std::function<void(QTreeWidgetItem* item, const QString& text)> OnEdited;

protected:
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
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
    void ListView1Edited(QTreeWidgetItem* item, const QString& text);
    void ListView1DragDrop(QTreeWidgetItem* target);
    void fillList(const std::vector<proto::CustomColumnType>& cols);
    void writeColumn(int colId, const QString& name, int orderIndex);
    std::unique_ptr<TColRequest> makeRequest(TColRequestType type) const;

    TRequestRoad<TColRequest, TColResponse> road_;
    int FcupID = 0;
    proto::CupItemType FType = proto::CupItemType::Athlete;
};

} // namespace tvp
