#pragma once
// What both template export windows are made of: the file row with "Ändern", the parameter list
// whose ticked rows stay parameters, the interface group, "Speichern"/"Abbrechen" and the export
// request that writes the file.

#include "core/ui/TVPForm.h"
#include "setup/TemplateFiles.h"

#include <vector>

class QFormLayout;
class QGroupBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QTreeView;
class QVBoxLayout;

namespace tvp {

class TExportParameterModel;

class TSaveTemplateForm : public TTVPForm {
    Q_OBJECT
public:
    QString resolveParam(const QString& name) const;
    std::size_t pendingRequests() const { return road_.pending(); }

    void ChangeButtonClick(); // "Ändern"
    void CancelButtonClick(); // "Abbrechen"

    QLineEdit* FileNameEdit;
    QPushButton* ChangeButton;
    QGroupBox* ParamGroupBox;
    QTreeView* ParamListView;
    TExportParameterModel* ParamListModel = nullptr;
    QGroupBox* InterfaceGroupBox;
    QPushButton* SaveButton;
    QPushButton* CancelButton;

protected:
    TSaveTemplateForm(TWindowContext& context,
                      const TRequestTable<TTemplateExportRequest, TTemplateExportResponse>& table,
                      const QString& caption, const QString& waitText);

    // The file row goes into form; the parameter group gets title above the two explaining lines.
    QFormLayout* makeFileRow();
    void makeParamGroup(QVBoxLayout* outer, const QString& title);
    // The group the caller fills with its interface list.
    QVBoxLayout* makeInterfaceGroup(QVBoxLayout* outer);
    void makeButtons(QVBoxLayout* outer);

    // Asks for the file, starting at start; false (file name kept) when cancelled.
    bool chooseFile(const QString& start, const QString& filter, const QString& suffix);
    virtual bool runSaveDialog() = 0;
    virtual void SaveButtonClick() = 0;
    void sendExport(std::unique_ptr<TTemplateExportRequest> request);
    // Widgets besides the common ones that stay locked while the file is written.
    std::vector<QWidget*> lockedWhileSaving_;

    void reloadData() override {}
    void hideEvent(QHideEvent* event) override;

    TRequestRoad<TTemplateExportRequest, TTemplateExportResponse> road_;

private:
    void setControlsEnabled(bool enabled);
    void RequestFinished(const TRequestOutcome& outcome);

    QString caption_;
    QString waitText_;
};

} // namespace tvp
