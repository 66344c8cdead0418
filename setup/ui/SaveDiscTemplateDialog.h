#pragma once
// "Disziplinvorlage speichern": the current discipline with its own scoring nodes as a .qdt file.
// The user names the template, ticks the parameters that stay parameters and names the interfaces
// through which the named nodes feed overall scorings outside the template.

#include "setup/ui/SaveTemplateForm.h"

class QAction;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeView;

namespace tvp {

class TAggregatorTree;
class TInterfaceTreeModel;

class TSaveDiscTemplateForm : public TSaveTemplateForm {
    Q_OBJECT
public:
    explicit TSaveDiscTemplateForm(TWindowContext& context);
    ~TSaveDiscTemplateForm() override;

    // Modal; the caller keeps the tree, which must outlive the call.
    void ShowTemplateSaveDialog(TAggregatorTree& tree);

    void SaveButtonClick() override; // "Speichern"
    void InterfacePopupOpening();
    void Schnittstelleumbenennen1Click();
    void Schnittstelleentfernen1Click();
    void NeueSchnittstelledefinieren1Click();
    void addExistingInterface(const QString& label);

    // The interfaces as listed: per named node its id and its interface rows.
    std::vector<TDiscInterfaceNode> interfaces() const;

    QLineEdit* NameEdit;
    QTreeView* InterfaceTreeView;
    TInterfaceTreeModel* InterfaceTreeModel;
    QMenu* InterfacePopupMenu;
    QAction* Schnittstelleumbenennen1;
    QAction* Schnittstelleentfernen1;
    QAction* NeueSchnittstelledefinieren1;
    QMenu* BestehendeSchnittstellen1;

protected:
    bool runSaveDialog() override;

private:
    void fillInterfaceTree();

    TAggregatorTree* FCurAggTree = nullptr;
};

} // namespace tvp
