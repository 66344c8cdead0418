#pragma once
// "Gesamtwertungsvorlage speichern": the chosen overall scorings, down to but not including the
// disciplines, as a .qrt file; each top-level node gets the interface name disciplines connect to.

#include "setup/ui/SaveTemplateForm.h"

#include <memory>

class QTreeView;

namespace tvp {

class TResultsInterfaceModel;

class TAggregatorTree;
class TUiAggregator;

class TSaveResultsTemplateForm : public TSaveTemplateForm {
    Q_OBJECT
public:
    explicit TSaveResultsTemplateForm(TWindowContext& context);
    ~TSaveResultsTemplateForm() override;

    // Modal; the tree is freed when the window returns.
    void ShowTemplateSaveDialog(const std::vector<int>& topLevelIds, const std::vector<int>& allIds,
                                std::unique_ptr<TAggregatorTree> tree);

    void SaveButtonClick() override;

    QTreeView* InterfaceListView;
    TResultsInterfaceModel* InterfaceListModel;

protected:
    bool runSaveDialog() override;

private:
    std::unique_ptr<TAggregatorTree> tree_;
    std::vector<const TUiAggregator*> FtopLevelAggs;
    std::vector<const TUiAggregator*> FaggPlainList;
    int FCupID = 0;
};

} // namespace tvp
