#pragma once
// What the four template windows share: the export windows' parameter list (ticked rows stay
// parameters, F2 renames) and the import windows' parameter mapping with its context menu.

#include "setup/TemplateListModels.h"
#include "setup/TemplateManagement.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QGroupBox;
class QHBoxLayout;
class QMenu;
class QPushButton;
class QTreeView;
class QWidget;

namespace tvp {

class TWindowContext;

// ---- the export windows' parameter list ----------------------------------------------------------

// Columns "Exportname", "Aktueller Wert", "Originalname" with check boxes over a new model; only the
// export name edits (F2).
QTreeView* makeExportParameterList(QWidget* parent, TExportParameterModel*& model);
// Fills the list with the names the tree uses, ticked, valued from the parameter window; a name it
// cannot value gets 0 and a message under caption.
void setGlobalVariablesToListView(TWindowContext& context, QTreeView& list, TExportParameterModel& model,
                                  const QStringList& names, int cupId, const QString& caption);
// Fits the columns to what they show now.
void autoSizeColumns(QTreeView& list);

// ---- the import windows' parameter mapping -------------------------------------------------------

class TParameterUIMapping : public QObject {
public:
    // referenceList may be null (the results import); the popup gets the three entries.
    TParameterUIMapping(TWindowContext& context, QTreeView* listView, QTreeView* referenceList, QGroupBox* groupBox,
                        QMenu* popup, int cupId);

    TParameterMappingRows& rows() { return rows_; }
    const TParameterMappingRows& rows() const { return rows_; }

    void loadParams(const std::vector<TExportGlobalParameter>& params);
    // The reference rows of the discipline import, from the template's tree.
    void loadReferences(const proto::TExportAggregatorTreeNodeType* root);
    void RenderParameterMapping();
    void renderReferences();
    void PopulatePopUpMenu();
    void EnablePopUpItems();

    void BestehendemParameterzuordnen1Click(const QString& name);
    void NamefrneuenParameter1Click();
    void Wertfestlegen1Click();

    QMenu* FBestehendemParameterzuordnen = nullptr;
    QAction* FWertfestlegen = nullptr;
    QAction* FNamefrneuenParameter = nullptr;

private:
    int selectedRow() const;

    TWindowContext& context_;
    QTreeView* FListView;
    QTreeView* FReferenceListView;
    TMappingRowsModel* paramModel_;
    TMappingRowsModel* referenceModel_ = nullptr;
    QGroupBox* FGroupBox;
    QWidget* FParentForm;
    int FCupId;
    TParameterMappingRows rows_;
};

// The right-aligned button pair of every template window: okText (objectName okName), "Abbrechen".
QHBoxLayout* makeButtonRow(QWidget* parent, const QString& okText, const QString& okName, QPushButton*& ok,
                           QPushButton*& cancel);

// Opens popup at pos of list's viewport after prepare ran; keyboard menus open at the current row.
void attachContextMenu(QTreeView* list, QMenu* popup, std::function<void()> prepare);

} // namespace tvp
