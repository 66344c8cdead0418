#pragma once
// "Cup-Ergebnismodellierung": the scorings of a chosen cup. A node dragged from a discipline window
// onto the empty list becomes a cup scoring; dropped on a row it becomes that scoring's source.

#include "core/ui/TVPForm.h"
#include "scoring/CupResultModelRequests.h"

#include <QTreeView>

#include <functional>

class QAction;
class QComboBox;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace tvp {

// The list: takes scoring-node drags on a row or on its empty part.
class TCupAggListView : public QTreeView {
    Q_OBJECT
public:
    using QTreeView::QTreeView;
    // row -1: the empty part of the list.
    std::function<bool(int row)> acceptsDrop;
    std::function<void(int row)> dropped;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool accepts(const QDropEvent* event) const;
    int rowAt(const QDropEvent* event) const;
};

class TCupResultModelForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TCupResultModelForm(TWindowContext& context);
    ~TCupResultModelForm() override;

    void unload() override;
    std::size_t pendingRequests() const { return road_.pending(); }
    int currentCup() const { return curCupId; }
    const TCupAggListModel& rows() const { return list_; }

    void ComboBox1Change();
    void Button1Click();                     // "Disziplinen anzeigen"
    void InDisziplinfensteranzeigen1Click(); // popup
    void AggregatorausCupentfernen1Click();  // popup
    void updatePopup();

    QPlainTextEdit* Memo1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    TCupAggListView* ListView1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* InDisziplinfensteranzeigen1 = nullptr;
    QAction* AggregatorausCupentfernen1 = nullptr;

protected:
    void reloadData() override;
    void FormShow() override;

private:
    void RequestFinished(std::unique_ptr<TCupAggResponse> response, const TRequestOutcome& outcome);
    void fillCups(const std::vector<proto::CupType>& cups);
    void fillList(const TCupAggResponse& response);
    void afterChange(const TCupAggResponse& response);
    bool canDropOn(int row) const;
    void dropOn(int row);
    const TCupAggRow* selectedRow() const;

    TRequestRoad<TCupAggRequest, TCupAggResponse> road_;
    TCupAggListModel list_;
    int curCupId = 0;
};

} // namespace tvp
