#pragma once
// "Disziplinvorlage speichern": the current discipline with its own scoring nodes as a .qdt file.
// The user names the template, ticks the parameters that stay parameters and names the interfaces
// through which the named nodes feed overall scorings outside the template.

#include "core/ui/TVPForm.h"
#include "setup/TemplateFiles.h"

class QAction;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tvp {

class TAggregatorTree;

class TSaveDiscTemplateForm : public TTVPForm {
    Q_OBJECT
public:
    explicit TSaveDiscTemplateForm(TWindowContext& context);
    ~TSaveDiscTemplateForm() override;

    // Modal; the caller keeps the tree, which must outlive the call.
    void ShowTemplateSaveDialog(TAggregatorTree& tree);
    QString resolveParam(const QString& name) const;
    std::size_t pendingRequests() const { return road_.pending(); }

    void ChangeButtonClick(); // "Ändern"
    void SaveButtonClick();   // "Speichern"
    void CancelButtonClick(); // "Abbrechen"
    void InterfacePopupOpening();
    void Schnittstelleumbenennen1Click();
    void Schnittstelleentfernen1Click();
    void NeueSchnittstelledefinieren1Click();
    void addExistingInterface(const QString& label);

    // The interfaces as listed: per named node its id and its interface rows.
    std::vector<TDiscInterfaceNode> interfaces() const;

    QLineEdit* FileNameEdit;
    QPushButton* ChangeButton;
    QLineEdit* NameEdit;
    QGroupBox* ParamGroupBox;
    QTreeWidget* ParamListView;
    QGroupBox* InterfaceGroupBox;
    QTreeWidget* InterfaceTreeView;
    QPushButton* SaveButton;
    QPushButton* CancelButton;
    QMenu* InterfacePopupMenu;
    QAction* Schnittstelleumbenennen1;
    QAction* Schnittstelleentfernen1;
    QAction* NeueSchnittstelledefinieren1;
    QMenu* BestehendeSchnittstellen1;

protected:
    void reloadData() override {}
    void hideEvent(QHideEvent* event) override;

private:
    bool runSaveDialog();
    void fillInterfaceTree();
    void setControlsEnabled(bool enabled);
    void RequestFinished(std::unique_ptr<TTemplateExportResponse> response, const TRequestOutcome& outcome);

    TRequestRoad<TTemplateExportRequest, TTemplateExportResponse> road_;
    TAggregatorTree* FCurAggTree = nullptr;
};

} // namespace tvp
