#include "setup/ui/TemplateWindowParts.h"

#include "core/connection/SlotGuard.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ListViewHelpers.h"
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
#include <QTreeWidget>

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

QTreeWidget* makeExportParameterList(QWidget* parent)
{
    auto* list = new QTreeWidget(parent);
    list->setColumnCount(3);
    list->setHeaderLabels(
        {QStringLiteral("Exportname"), QStringLiteral("Aktueller Wert"), QStringLiteral("Originalname")});
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::EditKeyPressed);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setItemDelegate(new ExportNameDelegate(list));
    return list;
}

void setGlobalVariablesToListView(TWindowContext& context, QTreeWidget& list, const QStringList& names, int cupId,
                                  const QString& caption)
{
    list.clear();
    IGlobalParameterForm* parameters = parameterForm(context);
    QStringList unresolved;
    const std::vector<TExportParameterRow> rows = exportParameterRows(
        names,
        [&](const QString& name) -> std::optional<double> {
            return parameters ? parameters->resolveParameter(name, cupId) : std::nullopt;
        },
        cupId, &unresolved);
    for (const QString& name : unresolved)
        context.messages().AddException(0, {}, unresolvableParameterText(name), caption, list.window());
    for (const TExportParameterRow& row : rows) {
        auto* item = new QTreeWidgetItem(&list, {row.exportName, row.currentValue, row.originalName});
        // Only the export name is the user's to change (F2).
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
        item->setCheckState(colExportName, Qt::Checked);
    }
    autoSizeListView(list);
}

std::vector<TExportParameterRow> exportParameterRowsOf(const QTreeWidget& list)
{
    std::vector<TExportParameterRow> rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list.topLevelItem(i);
        rows.push_back({item->checkState(colExportName) == Qt::Checked, item->text(colExportName),
                        item->text(colCurrentValue), item->text(colOriginalName)});
    }
    return rows;
}

// ---- the import windows' parameter mapping -------------------------------------------------------

TParameterUIMapping::TParameterUIMapping(TWindowContext& context, QTreeWidget* listView, QTreeWidget* referenceList,
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
    FListView->setColumnCount(3);
    FListView->setHeaderLabels(
        {QStringLiteral("Parametername in Vorlage"), QStringLiteral("Zuordnung"), QStringLiteral("Wert")});
    FListView->setRootIsDecorated(false);
    FListView->setSelectionMode(QAbstractItemView::SingleSelection);
    FListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FListView->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (FReferenceListView)
        FReferenceListView->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    FBestehendemParameterzuordnen = popup->addMenu(QStringLiteral("Bestehendem Parameter zuordnen"));
    FBestehendemParameterzuordnen->setObjectName(QStringLiteral("BestehendemParameterzuordnen1"));
    FWertfestlegen = popup->addAction(QStringLiteral("Wert festlegen..."));
    FWertfestlegen->setObjectName(QStringLiteral("Wertfestlegen1"));
    FNamefrneuenParameter = popup->addAction(QStringLiteral("Name für neuen Parameter festlegen..."));
    FNamefrneuenParameter->setObjectName(QStringLiteral("NamefrneuenParameter1"));
    connect(FWertfestlegen, &QAction::triggered, this, [this] { guarded([this] { Wertfestlegen1Click(); }); });
    connect(FNamefrneuenParameter, &QAction::triggered, this,
            [this] { guarded([this] { NamefrneuenParameter1Click(); }); });
    attachContextMenu(FListView, popup, [this](QTreeWidget*) {
        PopulatePopUpMenu();
        EnablePopUpItems();
    });
}

void TParameterUIMapping::loadParams(const std::vector<TExportGlobalParameter>& params)
{
    FListView->clear();
    FGroupBox->setVisible(!params.empty());
    rows_.loadParams(params);
    for (const TParameterMappingRows::ParameterRow& row : rows_.parameters())
        new QTreeWidgetItem(FListView, {row.caption, QString(), QString()});
    RenderParameterMapping();
    autoSizeListView(*FListView);
}

void TParameterUIMapping::loadReferences(const proto::TExportAggregatorTreeNodeType* root)
{
    if (!FReferenceListView)
        return;
    FReferenceListView->clear();
    rows_.loadReferences(root);
    for (const TParameterMappingRows::ReferenceRow& row : rows_.references())
        new QTreeWidgetItem(FReferenceListView, {row.caption, QString()});
    autoSizeListView(*FReferenceListView);
}

void TParameterUIMapping::RenderParameterMapping()
{
    rows_.RenderParameterMapping();
    const std::vector<TParameterMappingRows::ParameterRow>& rows = rows_.parameters();
    for (int i = 0; i < FListView->topLevelItemCount() && i < int(rows.size()); ++i) {
        QTreeWidgetItem* item = FListView->topLevelItem(i);
        item->setText(1, TParameterMappingRows::mappingText(rows[std::size_t(i)].mapping));
        item->setText(2, formatParameterValue(rows[std::size_t(i)].mapping.value, QLocale()));
    }
}

void TParameterUIMapping::renderReferences()
{
    if (!FReferenceListView)
        return;
    const std::vector<TParameterMappingRows::ReferenceRow>& refs = rows_.references();
    for (int i = 0; i < FReferenceListView->topLevelItemCount() && i < int(refs.size()); ++i)
        FReferenceListView->topLevelItem(i)->setText(1, TParameterMappingRows::referenceText(refs[std::size_t(i)]));
    autoSizeListView(*FReferenceListView);
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
                                                                   FListView->topLevelItem(row)->text(2));
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
    QTreeWidgetItem* item = FListView->currentItem();
    if (!item || !item->isSelected())
        return -1;
    const int row = FListView->indexOfTopLevelItem(item);
    return row < int(rows_.parameters().size()) ? row : -1;
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

void attachContextMenu(QTreeWidget* list, QMenu* popup, std::function<void(QTreeWidget*)> prepare)
{
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(list, &QWidget::customContextMenuRequested, popup,
                     [list, popup, prepare = std::move(prepare)](const QPoint& pos) {
                         guarded([&] {
                             // The row under the mouse becomes the selected one.
                             if (QTreeWidgetItem* item = list->itemAt(pos))
                                 list->setCurrentItem(item);
                             prepare(list);
                             popup->popup(list->viewport()->mapToGlobal(pos));
                         });
                     });
}

} // namespace tvp
