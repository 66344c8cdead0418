#include "setup/ui/LoadResultsTemplateDialog.h"

#include "core/connection/CurrentCompetition.h"
#include "core/connection/SlotGuard.h"
#include "core/services/OrganisationServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/ExceptionDialog.h"
#include "core/ui/WindowContext.h"
#include "core/ui/WindowFit.h"
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
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kCaption = QStringLiteral("Gesamtwertungsvorlage importieren");
const QString kLoadWait = QStringLiteral("Lade Gesamtwertungsvorlage");
const QString kImportWait = QStringLiteral("Importiere Gesamtwertungsvorlage");
const QString kFilter = QStringLiteral("Gesamtwertungsvorlagen (*.qrt)");
const QString kFormatError = QStringLiteral("Ungültiges Format der Gesamtwertungsvorlage: ");

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
    InterfaceTreeView = new QTreeView(ReferenceGroupBox);
    InterfaceTreeView->setObjectName(QStringLiteral("InterfaceTreeView"));
    InterfaceTreeModel = new TInterfaceTreeModel(false, InterfaceTreeView);
    InterfaceTreeView->setModel(InterfaceTreeModel);
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
    attachContextMenu(InterfaceTreeView, InterfacePopupMenu, [this] {
        const QModelIndex item = InterfaceTreeView->currentIndex();
        Entfernen1->setEnabled(InterfaceTreeModel->isInterface(item) &&
                               InterfaceTreeView->selectionModel()->isSelected(item));
    });

    connect(Entfernen1, &QAction::triggered, this, [this] { guarded([this] { Entfernen1Click(); }); });
    fitToTexts(*this);
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
    InterfaceTreeModel->setNodes({});
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
    std::vector<TInterfaceTreeModel::Node> inputs;
    for (const proto::TExportAggregatorTreeNodeType& node : FresultsTemplate->topLevelItems->Aggregators)
        inputs.push_back({node.ID, node.name, {}, {}});
    InterfaceTreeModel->setNodes(std::move(inputs));
    autoConnect();
    return true;
}

void TLoadResultsTemplateForm::autoConnect()
{
    if (!callingDiscWindow)
        return;
    for (int i = 0; i < InterfaceTreeModel->rowCount(); ++i) {
        const QString name = InterfaceTreeModel->nodes()[std::size_t(i)].name;
        for (const TUiAggregator* node : callingDiscWindow->getDiscReferences(name))
            addConnection(i, node->ID(), node->getDisplayName());
    }
}

void TLoadResultsTemplateForm::addConnection(int input, int id, const QString& label)
{
    InterfaceTreeModel->addInterface(input, connectionText(label, id), id, true);
    InterfaceTreeView->expand(InterfaceTreeModel->index(input, 0));
}

bool TLoadResultsTemplateForm::InterfaceDrop(const QModelIndex& target, const TAggDragObject& dragged)
{
    if (!target.isValid() || dragged.Id == 0)
        return false;
    addConnection(InterfaceTreeModel->nodeRow(target), dragged.Id, dragged.name);
    return true;
}

bool TLoadResultsTemplateForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == InterfaceTreeView->viewport() &&
        filterNodeDrag(
            event, false, [this](const QPoint& pos) { return InterfaceTreeView->indexAt(pos).isValid(); },
            [this](const QPoint& pos) { return InterfaceDrop(InterfaceTreeView->indexAt(pos), aggDragObject()); }))
        return true;
    return TLoadTemplateForm::eventFilter(watched, event);
}

void TLoadResultsTemplateForm::Entfernen1Click()
{
    InterfaceTreeModel->removeInterface(InterfaceTreeView->currentIndex());
}

void TLoadResultsTemplateForm::ImportButtonClick()
{
    if (!FresultsTemplate)
        return;
    std::vector<TTopLevelConnections> connections;
    for (const TInterfaceTreeModel::Node& input : InterfaceTreeModel->nodes()) {
        if (input.interfaces.empty())
            continue;
        TTopLevelConnections& c = connections.emplace_back();
        c.topLevelId = input.id;
        c.originalName = input.name;
        for (const TInterfaceItem& connected : input.interfaces)
            c.connections.push_back(connected.data);
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
    InterfaceTreeModel->setNodes({});
    FresultsTemplate.reset();
}

} // namespace tvp
