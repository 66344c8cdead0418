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
    : TTVPForm(context),
      road_(context, resImportRequests(), this,
            [this](std::unique_ptr<TResImportResponse> r, const TRequestOutcome& o) {
                guarded([&] { RequestFinished(std::move(r), o); });
            })
{
    setWindowTitle(kCaption);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setMinimumSize(567, 500);
    auto* outer = new QVBoxLayout(this);

    auto* form = new QFormLayout;
    FileNameEdit = new QLineEdit(this);
    FileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
    FileNameEdit->setReadOnly(true);
    form->addRow(QStringLiteral("Dateiname:"), FileNameEdit);
    outer->addLayout(form);

    ParamGroupBox =
        new QGroupBox(QStringLiteral("Die folgenden globalen Parameter werden in der Vorlage verwendet"), this);
    ParamGroupBox->setObjectName(QStringLiteral("ParamGroupBox"));
    auto* params = new QVBoxLayout(ParamGroupBox);
    params->addWidget(new QLabel(QStringLiteral("Wählen Sie, ob die Parameter bestehenden Parametern zugeordnet "
                                                "werden sollen."),
                                 ParamGroupBox));
    params->addWidget(new QLabel(QStringLiteral("Andernfalls werden neue global Parameter erzeugt,"), ParamGroupBox));
    ParamListView = new QTreeWidget(ParamGroupBox);
    ParamListView->setObjectName(QStringLiteral("ParamListView"));
    params->addWidget(ParamListView);
    outer->addWidget(ParamGroupBox, 1);

    ReferenceGroupBox = new QGroupBox(QStringLiteral("Referenzen zu Disziplinen"), this);
    ReferenceGroupBox->setObjectName(QStringLiteral("ReferenceGroupBox"));
    auto* refs = new QVBoxLayout(ReferenceGroupBox);
    refs->addWidget(new QLabel(QStringLiteral("Sie können hier die Vorlage direkt mit Disziplinauswertungen verbinden. "
                                              "(Drag & Drop aus Disziplinfenster)"),
                               ReferenceGroupBox));
    refs->addWidget(
        new QLabel(QStringLiteral("Nicht verbundene Eingänge werden nicht importiert."), ReferenceGroupBox));
    InterfaceTreeView = new QTreeWidget(ReferenceGroupBox);
    InterfaceTreeView->setObjectName(QStringLiteral("InterfaceTreeView"));
    InterfaceTreeView->setHeaderHidden(true);
    InterfaceTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    InterfaceTreeView->setAcceptDrops(true);
    InterfaceTreeView->viewport()->setAcceptDrops(true);
    InterfaceTreeView->viewport()->installEventFilter(this);
    refs->addWidget(InterfaceTreeView);
    outer->addWidget(ReferenceGroupBox, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ImportButton = new QPushButton(QStringLiteral("Importieren"), this);
    ImportButton->setObjectName(QStringLiteral("ImportButton"));
    CancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    buttons->addWidget(ImportButton);
    buttons->addWidget(CancelButton);
    outer->addLayout(buttons);

    ParamPopupMenu = new QMenu(this);
    ParamPopupMenu->setObjectName(QStringLiteral("ParamPopupMenu"));
    paramUIMapper = new TParameterUIMapping(context, ParamListView, nullptr, ParamGroupBox, ParamPopupMenu, 0);

    InterfacePopupMenu = new QMenu(this);
    InterfacePopupMenu->setObjectName(QStringLiteral("InterfacePopupMenu"));
    Entfernen1 = InterfacePopupMenu->addAction(QStringLiteral("Entfernen"));
    Entfernen1->setObjectName(QStringLiteral("Entfernen1"));
    attachContextMenu(InterfaceTreeView, InterfacePopupMenu, [this](QTreeWidget* list) {
        QTreeWidgetItem* item = list->currentItem();
        Entfernen1->setEnabled(item && item->isSelected() && item->parent());
    });

    connect(ImportButton, &QPushButton::clicked, this, [this] { guarded([this] { ImportButtonClick(); }); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { guarded([this] { CancelButtonClick(); }); });
    connect(Entfernen1, &QAction::triggered, this, [this] { guarded([this] { Entfernen1Click(); }); });
}

TLoadResultsTemplateForm::~TLoadResultsTemplateForm() = default;

bool TLoadResultsTemplateForm::ShowTemplateLoadDialog(ITemplateDiscWindow& window)
{
    hide();
    callingDiscWindow = &window;
    FileNameEdit->clear();
    const QString file = context().dialogs().getOpenFileName(this, kCaption, getTemplatePath(), kFilter);
    if (file.isEmpty())
        return false;
    FileNameEdit->setText(file);
    context().waitTexts().showWait(kLoadWait, this);
    bool read = false;
    guarded([&] { read = ImportTemplate(file); });
    context().waitTexts().closeWait(kLoadWait);
    if (!read) {
        FileNameEdit->clear();
        return false;
    }
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
    if (watched != InterfaceTreeView->viewport())
        return TTVPForm::eventFilter(watched, event);
    const auto carriesNode = [](QDropEvent* e) {
        return e->mimeData()->hasFormat(QString::fromLatin1(kAggregatorMimeType)) && aggDragObject().Id != 0;
    };
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        const bool onNode = event->type() == QEvent::DragEnter || InterfaceTreeView->itemAt(drag->position().toPoint());
        if (carriesNode(drag) && onNode)
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        bool taken = false;
        if (carriesNode(drop))
            guarded(
                [&] { taken = InterfaceDrop(InterfaceTreeView->itemAt(drop->position().toPoint()), aggDragObject()); });
        taken ? drop->acceptProposedAction() : drop->ignore();
        return true;
    }
    default: return TTVPForm::eventFilter(watched, event);
    }
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
    ImportButton->setEnabled(false);
    CancelButton->setEnabled(false);
    setEnabled(false);
    context().waitTexts().showWait(kImportWait, this);
    road_.AddRequest(std::move(request), TTransactionMode::tm_readwrite);
}

void TLoadResultsTemplateForm::RequestFinished(std::unique_ptr<TResImportResponse> response,
                                               const TRequestOutcome& outcome)
{
    ImportButton->setEnabled(true);
    CancelButton->setEnabled(true);
    setEnabled(true);
    context().waitTexts().closeWait(kImportWait);
    if (!outcome.ok()) {
        if (!response) {
            context().messages().AddException(outcome.errorId, outcome.parameters, outcome.error,
                                              QStringLiteral("Kommunikationsfehler"), this);
            return;
        }
        context().messages().AddException(outcome.errorId, outcome.parameters, resImportErrorText(outcome),
                                          road_.requestName(outcome.command), this);
        return;
    }
    if (!response || TImportRequestType(outcome.command) != TImportRequestType::rt_import)
        return;
    if (auto* discs = context().windows().find<IDisciplineWindows>())
        discs->reloadDisciplinForms(false);
    if (auto* messages = context().windows().get<TExceptionForm>(TWindowId::ExceptionForm))
        for (const proto::MixedAgeClassesWarningType& w : response->Warnings)
            messages->handleMixedAgeClassWarnings(&w, this);
    hide();
}

void TLoadResultsTemplateForm::CancelButtonClick()
{
    hide();
}

void TLoadResultsTemplateForm::showError(const QString& text)
{
    context().messages().AddException(0, {}, text, kCaption, this);
}

void TLoadResultsTemplateForm::hideEvent(QHideEvent* event)
{
    TTVPForm::hideEvent(event);
    InterfaceTreeView->clear();
    FresultsTemplate.reset();
    FileNameEdit->clear();
}

} // namespace tvp
