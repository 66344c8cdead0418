#pragma once
// "Urkunden / Ergebniszusammenstellungen": the result compilations of the competition, composed by
// dragging results onto a compilation, saved, removed and handed to the data view.

#include "core/lists/RecordListModel.h"
#include "core/lists/ListSorting.h"
#include "core/ui/TVPForm.h"
#include "scoring/CertRequests.h"

#include <QTreeView>

#include <functional>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace tvp {

// The compilation's rows: a drop target for the available results and for its own rows.
class TCertDataListView : public QTreeView {
public:
    explicit TCertDataListView(QWidget* parent = nullptr);

    std::function<bool(const QMimeData* data)> acceptsDrop;
    // row: the row under the drop point, -1 below the last.
    std::function<void(const QMimeData* data, int row)> dropped;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void takeDrag(QDragMoveEvent* event);
};

class TCertForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TCertForm(TWindowContext& context);
    ~TCertForm() override;

    void unload() override;
    int currentCertId() const { return CurrentCertId; }
    std::size_t pendingRequests() const { return road_.pending(); }
    const TCertItemListModel& availableItems() const { return available_; }
    const TCertItemListModel& templateItems() const { return onTemplate_; }

    QTreeView* ListView1 = nullptr; // available data
    TCertDataListView* ListView2 = nullptr;
    QTreeView* ListView3 = nullptr; // templates
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr; // "Vorlage speichern"
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr; // "Als neue Vorlage speichern"
    QPushButton* CheckResultsButton = nullptr;
    QMenu* PopupMenu1 = nullptr; // templates
    QMenu* PopupMenu2 = nullptr; // the compilation's rows
    QAction* Entfernen1 = nullptr;
    QAction* Entfernen2 = nullptr;
    QAction* NeueVorlage1 = nullptr;

protected:
    // componentName: the window's name in the drags of its lists.
    TCertForm(TWindowContext& context, const QString& componentName);

    void reloadData() override;
    bool checkItemChanged(const QString& part) override;
    void dirtyDataChangeCallback(bool& changed, const QString& part) override;
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    virtual void LoadCertTemplates();
    virtual void CreateCert();
    virtual void LoadCertAggs();
    // The data of the compilation in the data view; testData only for the competition's.
    virtual void showData(bool testData);
    virtual bool isCupWindow() const { return false; }

    void loadTemplates(int cupId);
    void createCert(int cupId);
    void loadAggs(TCertRequestType type, int cupId);
    void openDataView(bool testData, bool cupMode, int cupId);

private:
    void buildLayout();
    void buildMenus();
    void RequestFinished(std::unique_ptr<TCertResponse> response, const TRequestOutcome& outcome);
    void fillAvailable(TCertResponse& response);
    void fillTemplates(const TCertResponse& response);
    void LoadCertTemplate(const TCertificate* certificate);
    std::unique_ptr<TCertRequest> prepareModReq(bool showError);
    const TCertificate* currentTemplate() const;
    int selectedTemplateRow() const;
    void selectTemplateRow(int row);
    void chooseTemplate();
    void dropOnTemplate(const QMimeData* data, int row);
    void removeTemplateRow();
    void newTemplate();
    void Button1Click();
    void removeTemplate();
    void checkResults();
    void closeResultCheck();
    std::shared_ptr<const TAnalyseTreeInputs> takeTreeInputs(int cupId) const;
    void fitColumns(QTreeView& view);

    TCertRoad road_;
    TCertItemListModel available_;
    TSortedListModel sortedAvailable_;
    TCertItemListModel onTemplate_;
    TRecordListModel<TCertificate> templates_;
    int CurrentCertId = 0;
    // Failed template loads in a row: the first reloads everything, the next one only reports.
    int certListFailures_ = 0;
    QString availableDrag_, templateDrag_;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
};

} // namespace tvp
