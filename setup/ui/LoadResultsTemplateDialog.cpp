#include "setup/ui/LoadResultsTemplateDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/services/OrganisationServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowRegistry.h"
#include "setup/ui/TemplateWindowParts.h"

#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kCaption = QStringLiteral("Gesamtwertungsvorlage importieren");
const QString kLoadWait = QStringLiteral("Lade Gesamtwertungsvorlage");
const QString kImportWait = QStringLiteral("Importiere Gesamtwertungsvorlage");
const QString kFilter = QStringLiteral("Gesamtwertungsvorlagen (*.qrt)");
const QString kFormatError = QStringLiteral("Ungültiges Format der Gesamtwertungsvorlage: ");
constexpr int kIdRole = Qt::UserRole;

QString connectionText(const QString& label, int id)
{
    return label + QStringLiteral(" (") + QString::number(-id) + QStringLiteral(")");
}

} // namespace

TLoadResultsTemplateForm::TLoadResultsTemplateForm(TWindowContext& context)
    : TLoadTemplateForm(context, kCaption),
      road_(context, resImportRequests(), this,
            [this](std::unique_ptr<TResImportResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            })
{
    setMinimumSize(567, 500);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(makeFileRow());

    makeParamGroup(outer);

    QVBoxLayout* refs = makeReferenceGroup(outer, QStringLiteral("Referenzen zu Disziplinen"));
    refs->addWidget(new QLabel(QStringLiteral("Sie können hier die Vorlage direkt mit Disziplinauswertungen verbinden. "
                                              "(Drag & Drop aus Disziplinfenster)"),
                               ReferenceGroupBox));
    refs->addWidget(
        new QLabel(QStringLiteral("Nicht verbundene Eingänge werden nicht importiert."), ReferenceGroupBox));
    InterfaceTreeView = new QTreeWidget(ReferenceGroupBox);
    InterfaceTreeView->setObjectName(QStringLiteral("InterfaceTreeView"));
    InterfaceTreeView->setHeaderHidden(true);
    InterfaceTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    acceptNodeDrops(InterfaceTreeView);
    refs->addWidget(InterfaceTreeView);

    makeButtons(outer);
    makeParamMapping(nullptr);

    InterfacePopupMenu = new QMenu(this);
    InterfacePopupMenu->setObjectName(QStringLiteral("InterfacePopupMenu"));
    Entfernen1 = InterfacePopupMenu->addAction(QStringLiteral("Entfernen"));
    Entfernen1->setObjectName(QStringLiteral("Entfernen1"));
    attachContextMenu(InterfaceTreeView, InterfacePopupMenu, [this](QTreeWidget* list) {
        QTreeWidgetItem* item = list->currentItem();
        Entfernen1->setEnabled(item && item->isSelected() && item->parent());
    });

    connect(Entfernen1, &QAction::triggered, this, [this] { guarded([this] { Entfernen1Click(); }); });
}

TLoadResultsTemplateForm::~TLoadResultsTemplateForm() = default;

bool TLoadResultsTemplateForm::ShowTemplateLoadDialog(ITemplateDiscWindow& window)
{
    if (!openTemplate(window, kFilter, kLoadWait))
        return false;
    show();
    return true;
}

bool TLoadResultsTemplateForm::ImportTemplate(const QString& fileName)
{
    FresultsTemplate.reset();
    InterfaceTreeView->clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        showError(kFormatError + file.errorString());
        return false;
    }
    TTemplateRead<TResultsTemplate> read = LoadResultsFromStream(file.readAll());
    if (!read.error.isEmpty())
        showError(read.error);
    if (read.fatal)
        return false;
    // A wrong root leaves both sections empty: its message is followed by the first of these.
    if (!read.templ.topLevelItems) {
        showError(kFormatError + QStringLiteral("\"Inputs\"-Sektion nicht gefunden."));
        return false;
    }
    if (!read.templ.params) {
        showError(kFormatError + QStringLiteral("\"GlobalParameters\"-Sektion nicht gefunden."));
        return false;
    }
    FresultsTemplate = std::make_unique<TResultsTemplate>(std::move(read.templ));
    paramUIMapper->loadParams(FresultsTemplate->params->Parameters);
    for (const proto::TExportAggregatorTreeNodeType& node : FresultsTemplate->topLevelItems->Aggregators) {
        auto* item = new QTreeWidgetItem(InterfaceTreeView, {node.name});
        item->setData(0, kIdRole, node.ID);
    }
    autoConnect();
    return true;
}

void TLoadResultsTemplateForm::autoConnect()
{
    if (!callingDiscWindow)
        return;
    for (int i = 0; i < InterfaceTreeView->topLevelItemCount(); ++i) {
        QTreeWidgetItem* input = InterfaceTreeView->topLevelItem(i);
        for (const TUiAggregator* node : callingDiscWindow->getDiscReferences(input->text(0)))
            addConnection(input, node->ID(), node->getDisplayName());
    }
}

void TLoadResultsTemplateForm::addConnection(QTreeWidgetItem* input, int id, const QString& label)
{
    for (int c = 0; c < input->childCount(); ++c)
        if (input->child(c)->data(0, kIdRole).toInt() == id)
            return;
    auto* child = new QTreeWidgetItem(input, {connectionText(label, id)});
    child->setData(0, kIdRole, id);
    input->setExpanded(true);
}

bool TLoadResultsTemplateForm::InterfaceDrop(QTreeWidgetItem* target, const TAggDragObject& dragged)
{
    if (!target || dragged.Id == 0)
        return false;
    addConnection(target->parent() ? target->parent() : target, dragged.Id, dragged.name);
    return true;
}

bool TLoadResultsTemplateForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == InterfaceTreeView->viewport() &&
        filterNodeDrag(
            event, false, [this](const QPoint& pos) { return InterfaceTreeView->itemAt(pos) != nullptr; },
            [this](const QPoint& pos) { return InterfaceDrop(InterfaceTreeView->itemAt(pos), aggDragObject()); }))
        return true;
    return TLoadTemplateForm::eventFilter(watched, event);
}

void TLoadResultsTemplateForm::Entfernen1Click()
{
    QTreeWidgetItem* item = InterfaceTreeView->currentItem();
    if (item && item->parent())
        delete item;
}

void TLoadResultsTemplateForm::ImportButtonClick()
{
    if (!FresultsTemplate)
        return;
    std::vector<TTopLevelConnections> connections;
    for (int i = 0; i < InterfaceTreeView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* input = InterfaceTreeView->topLevelItem(i);
        if (input->childCount() == 0)
            continue;
        TTopLevelConnections& c = connections.emplace_back();
        c.topLevelId = input->data(0, kIdRole).toInt();
        c.originalName = input->text(0);
        for (int k = 0; k < input->childCount(); ++k)
            c.connections.push_back(input->child(k)->data(0, kIdRole).toInt());
    }
    std::vector<proto::GlobalParametersInfoType> newParams;
    paramUIMapper->rows().AddNewGlobalParameters(newParams);
    std::unique_ptr<TResImportRequest> request =
        resImportRequest(*FresultsTemplate, paramUIMapper->rows(), newParams, std::move(connections),
                         QFileInfo(FileNameEdit->text()).fileName(), context().competition().getCompetitionId(false));
    setImporting(true, kImportWait);
    road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite);
}

void TLoadResultsTemplateForm::RequestFinished(std::unique_ptr<TResImportResponse> response,
                                               const TRequestOutcome& outcome)
{
    setImporting(false, kImportWait);
    if (!outcome.ok()) {
        reportFailure(outcome, response != nullptr, response ? resImportErrorText(outcome) : QString(),
                      road_.requestName(outcome.command));
        return;
    }
    if (!response || TImportRequestType(outcome.command) != TImportRequestType::rt_import)
        return;
    importDone(response->Warnings, std::nullopt);
}

void TLoadResultsTemplateForm::hideEvent(QHideEvent* event)
{
    TLoadTemplateForm::hideEvent(event);
    InterfaceTreeView->clear();
    FresultsTemplate.reset();
}

} // namespace tvp
