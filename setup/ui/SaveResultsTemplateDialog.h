#pragma once
// "Gesamtwertungsvorlage speichern": the chosen overall scorings, down to but not including the
// disciplines, as a .qrt file; each top-level node gets the interface name disciplines connect to.

#include "core/ui/TVPForm.h"
#include "setup/TemplateFiles.h"

#include <memory>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tvp {

class TAggregatorTree;
class TUiAggregator;

class TSaveResultsTemplateForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TSaveResultsTemplateForm(TWindowContext& context);
    ~TSaveResultsTemplateForm() override;

    // Modal; the tree is freed when the window returns.
    void ShowTemplateSaveDialog(const std::vector<int>& topLevelIds, const std::vector<int>& allIds,
                                std::unique_ptr<TAggregatorTree> tree);
    QString resolveParam(const QString& name) const;
    std::size_t pendingRequests() const { return road_.pending(); }

    void ChangeButtonClick();
    void SaveButtonClick();
    void CancelButtonClick();

    QLineEdit* FileNameEdit;
    QPushButton* ChangeButton;
    QGroupBox* ParamGroupBox;
    QTreeWidget* ParamListView;
    QGroupBox* InterfaceGroupBox;
    QTreeWidget* InterfaceListView;
    QPushButton* SaveButton;
    QPushButton* CancelButton;

protected:
    void reloadData() override {}
    void hideEvent(QHideEvent* event) override;

private:
    bool runSaveDialog();
    void setControlsEnabled(bool enabled);
    void RequestFinished(std::unique_ptr<TTemplateExportResponse> response, const TRequestOutcome& outcome);

    TRequestRoad<TTemplateExportRequest, TTemplateExportResponse> road_;
    std::unique_ptr<TAggregatorTree> tree_;
    std::vector<const TUiAggregator*> FtopLevelAggs;
    std::vector<const TUiAggregator*> FaggPlainList;
    int FCupID = 0;
};

} // namespace tvp
