#pragma once
// "Gesamtwertungsvorlage importieren": a .qrt file becomes overall scorings of the current
// competition. Each input of the template is connected to disciplines or scoring nodes, found by
// its interface name in the discipline window or dragged from there.

#include "setup/ui/LoadTemplateForm.h"

#include <memory>

class QAction;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QModelIndex;
class QTreeView;

namespace tvp {

class TInterfaceTreeModel;

class TLoadResultsTemplateForm : public TLoadTemplateForm {
    Q_OBJECT
public:
    explicit TLoadResultsTemplateForm(TWindowContext& context);
    ~TLoadResultsTemplateForm() override;

    bool ShowTemplateLoadDialog(ITemplateDiscWindow& window);
    bool ImportTemplate(const QString& fileName) override;
    std::size_t pendingRequests() const { return road_.pending(); }

    void ImportButtonClick() override;
    void Entfernen1Click();
    // A scoring node dropped on an input (or one of its rows); false when refused.
    bool InterfaceDrop(const QModelIndex& target, const TAggDragObject& dragged);

    QTreeView* InterfaceTreeView;
    TInterfaceTreeModel* InterfaceTreeModel;
    QMenu* InterfacePopupMenu;
    QAction* Entfernen1;

protected:
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void autoConnect();
    void addConnection(int input, int id, const QString& label);
    void RequestFinished(std::unique_ptr<TResImportResponse> response, const TRequestOutcome& outcome);

    TRequestRoad<TResImportRequest, TResImportResponse> road_;
    std::unique_ptr<TResultsTemplate> FresultsTemplate;
};

} // namespace tvp
