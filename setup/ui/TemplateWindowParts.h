#pragma once
// What the four template windows share: the export windows' parameter list (ticked rows stay
// parameters, F2 renames) and the import windows' parameter mapping with its context menu.

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
class QTreeWidget;
class QWidget;

namespace tvp {

class TWindowContext;

// ---- the export windows' parameter list ----------------------------------------------------------

// Columns "Exportname", "Aktueller Wert", "Originalname" with check boxes; only the export name edits.
QTreeWidget* makeExportParameterList(QWidget* parent);
// Fills the list with the names the tree uses, ticked, valued from the parameter window; a name it
// cannot value gets 0 and a message under caption.
void setGlobalVariablesToListView(TWindowContext& context, QTreeWidget& list, const QStringList& names, int cupId,
                                  const QString& caption);
std::vector<TExportParameterRow> exportParameterRowsOf(const QTreeWidget& list);

// ---- the import windows' parameter mapping -------------------------------------------------------

class TParameterUIMapping : public QObject {
public:
    // referenceList may be null (the results import); the popup gets the three entries.
    TParameterUIMapping(TWindowContext& context, QTreeWidget* listView, QTreeWidget* referenceList, QGroupBox* groupBox,
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
    QTreeWidget* FListView;
    QTreeWidget* FReferenceListView;
    QGroupBox* FGroupBox;
    QWidget* FParentForm;
    int FCupId;
    TParameterMappingRows rows_;
};

// The right-aligned button pair of every template window: okText (objectName okName), "Abbrechen".
QHBoxLayout* makeButtonRow(QWidget* parent, const QString& okText, const QString& okName, QPushButton*& ok,
                           QPushButton*& cancel);

// Opens popup at pos of list's viewport after prepare ran; keyboard menus open at the current row.
void attachContextMenu(QTreeWidget* list, QMenu* popup, std::function<void(QTreeWidget*)> prepare);

} // namespace tvp
