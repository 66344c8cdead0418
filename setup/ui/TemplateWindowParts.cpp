#include "setup/ui/TemplateWindowParts.h"

#include "core/connection/SlotGuard.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "setup/GlobalParameterRequests.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeView>

namespace tvp {

namespace {

enum ExportColumn { colExportName = 0, colCurrentValue = 1, colOriginalName = 2 };

// F2 renames the export name only; value and original name come from the competition.
class ExportNameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return index.column() == colExportName ? QStyledItemDelegate::createEditor(parent, option, index) : nullptr;
    }
};

IGlobalParameterForm* parameterForm(TWindowContext& context)
{
    return context.windows().find<IGlobalParameterForm>();
}

} // namespace

// ---- the export windows' parameter list ----------------------------------------------------------

QTreeView* makeExportParameterList(QWidget* parent, TExportParameterModel*& model)
{
    auto* list = new QTreeView(parent);
    model = new TExportParameterModel(list);
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::EditKeyPressed);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setItemDelegate(new ExportNameDelegate(list));
    return list;
}

void setGlobalVariablesToListView(TWindowContext& context, QTreeView& list, TExportParameterModel& model,
                                  const QStringList& names, int cupId, const QString& caption)
{
    model.setRows({});
    IGlobalParameterForm* parameters = parameterForm(context);
    QStringList unresolved;
    std::vector<TExportParameterRow> rows = exportParameterRows(
        names,
        [&](const QString& name) -> std::optional<double> {
            return parameters ? parameters->resolveParameter(name, cupId) : std::nullopt;
        },
        cupId, &unresolved);
    for (const QString& name : unresolved)
        context.messages().AddException(0, {}, unresolvableParameterText(name), caption, list.window());
    model.setRows(std::move(rows));
    autoSizeColumns(list);
}

void autoSizeColumns(QTreeView& list)
{
    // QHeaderView's own recompute of its ResizeToContents sections is a protected slot.
    QMetaObject::invokeMethod(list.header(), "resizeSections", Qt::DirectConnection);
}

// ---- the import windows' parameter mapping -------------------------------------------------------

TParameterUIMapping::TParameterUIMapping(TWindowContext& context, QTreeView* listView, QTreeView* referenceList,
                                         QGroupBox* groupBox, QMenu* popup, int cupId)
    : QObject(listView),
      context_(context),
      FListView(listView),
      FReferenceListView(referenceList),
      FGroupBox(groupBox),
      FParentForm(listView->window()),
      FCupId(cupId),
      rows_(
          [this](const QString& name) {
              IGlobalParameterForm* p = parameterForm(context_);
              return p && p->paramExists(name, FCupId);
          },
          [this](const QString& name) -> std::optional<double> {
              IGlobalParameterForm* p = parameterForm(context_);
              return p ? p->resolveParameter(name, FCupId) : std::nullopt;
          })
{
    paramModel_ = new TMappingRowsModel(rows_, TMappingRowsModel::Rows::Parameters, FListView);
    FListView->setModel(paramModel_);
    FListView->setRootIsDecorated(false);
    FListView->setSelectionMode(QAbstractItemView::SingleSelection);
    FListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FListView->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (FReferenceListView) {
        referenceModel_ = new TMappingRowsModel(rows_, TMappingRowsModel::Rows::References, FReferenceListView);
        FReferenceListView->setModel(referenceModel_);
        FReferenceListView->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    }

    FBestehendemParameterzuordnen = popup->addMenu(QStringLiteral("Bestehendem Parameter zuordnen"));
    FBestehendemParameterzuordnen->setObjectName(QStringLiteral("BestehendemParameterzuordnen1"));
    FWertfestlegen = popup->addAction(QStringLiteral("Wert festlegen..."));
    FWertfestlegen->setObjectName(QStringLiteral("Wertfestlegen1"));
    FNamefrneuenParameter = popup->addAction(QStringLiteral("Name für neuen Parameter festlegen..."));
    FNamefrneuenParameter->setObjectName(QStringLiteral("NamefrneuenParameter1"));
    connect(FWertfestlegen, &QAction::triggered, this, [this] { guarded([this] { Wertfestlegen1Click(); }); });
    connect(FNamefrneuenParameter, &QAction::triggered, this,
            [this] { guarded([this] { NamefrneuenParameter1Click(); }); });
    attachContextMenu(FListView, popup, [this] {
        PopulatePopUpMenu();
        EnablePopUpItems();
    });
}

void TParameterUIMapping::loadParams(const std::vector<TExportGlobalParameter>& params)
{
    FGroupBox->setVisible(!params.empty());
    rows_.loadParams(params);
    paramModel_->reload();
    RenderParameterMapping();
    autoSizeColumns(*FListView);
}

void TParameterUIMapping::loadReferences(const proto::TExportAggregatorTreeNodeType* root)
{
    if (!FReferenceListView)
        return;
    rows_.loadReferences(root);
    referenceModel_->reload();
    autoSizeColumns(*FReferenceListView);
}

void TParameterUIMapping::RenderParameterMapping()
{
    rows_.RenderParameterMapping();
    paramModel_->refresh();
}

void TParameterUIMapping::renderReferences()
{
    if (!FReferenceListView)
        return;
    referenceModel_->refresh();
    autoSizeColumns(*FReferenceListView);
}

void TParameterUIMapping::PopulatePopUpMenu()
{
    FBestehendemParameterzuordnen->clear();
    IGlobalParameterForm* parameters = parameterForm(context_);
    const QStringList names = parameters ? parameters->getParameterNames(FCupId) : QStringList();
    for (const QString& name : names) {
        QAction* entry = FBestehendemParameterzuordnen->addAction(name);
        connect(entry, &QAction::triggered, this,
                [this, name] { guarded([&] { BestehendemParameterzuordnen1Click(name); }); });
    }
    FBestehendemParameterzuordnen->setEnabled(!names.isEmpty());
}

void TParameterUIMapping::EnablePopUpItems()
{
    const int row = selectedRow();
    const bool selected = row >= 0;
    FBestehendemParameterzuordnen->menuAction()->setEnabled(selected && !FBestehendemParameterzuordnen->isEmpty());
    FNamefrneuenParameter->setEnabled(selected);
    FWertfestlegen->setEnabled(selected && !rows_.parameters()[std::size_t(row)].mapping.mapped);
}

void TParameterUIMapping::BestehendemParameterzuordnen1Click(const QString& name)
{
    const int row = selectedRow();
    if (row < 0)
        return;
    rows_.mapToExisting(row, name);
    RenderParameterMapping();
}

void TParameterUIMapping::NamefrneuenParameter1Click()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const QString proposal = rows_.parameters()[std::size_t(row)].caption;
    const std::optional<QString> name =
        context_.dialogs().getText(FParentForm, QStringLiteral("Neuer globaler Parameter"),
                                   QStringLiteral("Name für neuen Parameter: "), proposal);
    rows_.setNewName(row, name.value_or(proposal));
    RenderParameterMapping();
}

void TParameterUIMapping::Wertfestlegen1Click()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    const QString caption = QStringLiteral("Wert für Parameter festlegen");
    const std::optional<QString> text = context_.dialogs().getText(FParentForm, caption, QStringLiteral("Wert:"),
                                                                   paramModel_->index(row, 2).data().toString());
    if (!text)
        return;
    if (const std::optional<double> value = parseParameterValue(*text, QLocale()))
        rows_.setValue(row, *value);
    else
        context_.dialogs().messageBox(FParentForm, caption, QStringLiteral("Ungültige Zahl"), TMsgKind::Error,
                                      TMsgButtons::Ok, TMsgAnswer::Ok);
    RenderParameterMapping();
}

int TParameterUIMapping::selectedRow() const
{
    const QModelIndex current = FListView->currentIndex();
    if (!current.isValid() || !FListView->selectionModel()->isRowSelected(current.row(), current.parent()))
        return -1;
    return current.row() < int(rows_.parameters().size()) ? current.row() : -1;
}

QHBoxLayout* makeButtonRow(QWidget* parent, const QString& okText, const QString& okName, QPushButton*& ok,
                           QPushButton*& cancel)
{
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok = new QPushButton(okText, parent);
    ok->setObjectName(okName);
    cancel = new QPushButton(QStringLiteral("Abbrechen"), parent);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    return buttons;
}

void attachContextMenu(QTreeView* list, QMenu* popup, std::function<void()> prepare)
{
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QWidget::customContextMenuRequested, popup,
                     [list, popup, prepare = std::move(prepare)](const QPoint& pos) {
                         guarded([&] {
                             // The row under the mouse becomes the selected one.
                             const QModelIndex at = list->indexAt(pos);
                             if (at.isValid())
                                 list->setCurrentIndex(at);
                             prepare();
                             popup->popup(list->viewport()->mapToGlobal(pos));
                         });
                     });
}

} // namespace tvp
