#include "setup/ui/SaveDiscTemplateDialog.h"

#include "core/connection/SlotGuard.h"
#include "core/results/tvpUtils.h"
#include "core/services/CompetitionSetupServices.h"
#include "core/ui/Dialogs.h"
#include "core/ui/WindowContext.h"
#include "setup/ui/TemplateWindowParts.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kCaption = QStringLiteral("Disziplinvorlage speichern");
const QString kExportCaption = QStringLiteral("Disziplinvorlage exportieren");
const QString kFilter = QStringLiteral("Disziplinvorlagen (*.qdt)");

QLabel* addLabel(QVBoxLayout* layout, const QString& text)
{
    auto* label = new QLabel(text);
    layout->addWidget(label);
    return label;
}

} // namespace

TSaveDiscTemplateForm::TSaveDiscTemplateForm(TWindowContext& context)
    : TSaveTemplateForm(context, discTemplateExportRequests(), kCaption, QStringLiteral("Exportiere Disziplin"))
{
    auto* outer = new QVBoxLayout(this);

    QFormLayout* form = makeFileRow();
    NameEdit = new QLineEdit(this);
    NameEdit->setObjectName(QStringLiteral("NameEdit"));
    form->addRow(QStringLiteral("Name:"), NameEdit);
    outer->addLayout(form);
    lockedWhileSaving_ = {NameEdit};

    makeParamGroup(outer, QStringLiteral("Die folgenden globalen Parameter werden in dieser Disziplin verwendet"));

    QVBoxLayout* interfaces = makeInterfaceGroup(outer);
    addLabel(interfaces, QStringLiteral("Wählen Sie die externen Schnittstellen der Auswertungsknoten"));
    addLabel(interfaces, QStringLiteral("(Es werden nur benannte Knoten angezeigt)"));
    InterfaceTreeView = new QTreeView(InterfaceGroupBox);
    InterfaceTreeView->setObjectName(QStringLiteral("InterfaceTreeView"));
    InterfaceTreeModel = new TInterfaceTreeModel(true, InterfaceTreeView);
    InterfaceTreeView->setModel(InterfaceTreeModel);
    InterfaceTreeView->setHeaderHidden(true);
    InterfaceTreeView->setEditTriggers(QAbstractItemView::EditKeyPressed);
    interfaces->addWidget(InterfaceTreeView);

    for (const QString& line :
         {QStringLiteral("Dies speichert die aktuelle Disziplin und alle zugehörigen (gelb gefärbten) "
                         "Ergebnisauswertungen als Vorlage für andere "),
          QStringLiteral("Veranstaltungen ab."),
          QStringLiteral("Gesamtauswertungen über mehrere Disziplinen (blau gefärbt) können separat abgespeichert "
                         "werden.")})
        outer->addWidget(new QLabel(line, this));

    makeButtons(outer);

    InterfacePopupMenu = new QMenu(this);
    InterfacePopupMenu->setObjectName(QStringLiteral("InterfacePopupMenu"));
    Schnittstelleumbenennen1 = InterfacePopupMenu->addAction(QStringLiteral("Schnittstelle umbenennen"));
    Schnittstelleumbenennen1->setObjectName(QStringLiteral("Schnittstelleumbenennen1"));
    Schnittstelleentfernen1 = InterfacePopupMenu->addAction(QStringLiteral("Schnittstelle entfernen"));
    Schnittstelleentfernen1->setObjectName(QStringLiteral("Schnittstelleentfernen1"));
    NeueSchnittstelledefinieren1 = InterfacePopupMenu->addAction(QStringLiteral("Neue Schnittstelle definieren..."));
    NeueSchnittstelledefinieren1->setObjectName(QStringLiteral("NeueSchnittstelledefinieren1"));
    BestehendeSchnittstellen1 = InterfacePopupMenu->addMenu(QStringLiteral("Bestehende Schnittstellen"));
    BestehendeSchnittstellen1->setObjectName(QStringLiteral("BestehendeSchnittstellen1"));
    attachContextMenu(InterfaceTreeView, InterfacePopupMenu, [this] { InterfacePopupOpening(); });

    connect(Schnittstelleumbenennen1, &QAction::triggered, this,
            [this] { guarded([this] { Schnittstelleumbenennen1Click(); }); });
    connect(Schnittstelleentfernen1, &QAction::triggered, this,
            [this] { guarded([this] { Schnittstelleentfernen1Click(); }); });
    connect(NeueSchnittstelledefinieren1, &QAction::triggered, this,
            [this] { guarded([this] { NeueSchnittstelledefinieren1Click(); }); });
}

TSaveDiscTemplateForm::~TSaveDiscTemplateForm() = default;

void TSaveDiscTemplateForm::ShowTemplateSaveDialog(TAggregatorTree& tree)
{
    FileNameEdit->clear();
    FCurAggTree = &tree;
    if (!runSaveDialog()) {
        FCurAggTree = nullptr;
        return;
    }
    const TDisciplineInfo* disc = tree.CurDiscInfo();
    NameEdit->setText(disc ? disc->name : QString());
    setGlobalVariablesToListView(context(), *ParamListView, *ParamListModel, tree.getLocalUsedParams(), 0,
                                 kExportCaption);
    fillInterfaceTree();
    context().dialogs().execModal(*this);
    FCurAggTree = nullptr;
}

bool TSaveDiscTemplateForm::runSaveDialog()
{
    QString start = getTemplatePath();
    const TDisciplineInfo* disc = FCurAggTree ? FCurAggTree->CurDiscInfo() : nullptr;
    if (disc && !disc->name.isEmpty())
        start += QLatin1Char('/') + fileNameSaveChars(disc->name) + QStringLiteral(".qdt");
    return chooseFile(start, kFilter, QStringLiteral("qdt"));
}

void TSaveDiscTemplateForm::fillInterfaceTree()
{
    std::vector<TInterfaceTreeModel::Node> nodes;
    for (int i = 0; FCurAggTree && i < FCurAggTree->getAggregatorCount(); ++i) {
        const TUiAggregator* node = FCurAggTree->getAggregator(i);
        if (node->getType() != TAggregatorType::ag_DiscInternal || node->getName().isEmpty())
            continue;
        TInterfaceTreeModel::Node& row = nodes.emplace_back();
        row.id = node->ID();
        row.name = node->getName();
        for (const proto::TExternalReference& ref : node->getExternalReferences()) {
            row.defaultRefs << ref.refLabel;
            row.interfaces.push_back({ref.refLabel, ref.id});
        }
    }
    InterfaceTreeModel->setNodes(std::move(nodes));
    InterfaceTreeView->expandAll();
}

std::vector<TDiscInterfaceNode> TSaveDiscTemplateForm::interfaces() const
{
    return InterfaceTreeModel->interfaces();
}

void TSaveDiscTemplateForm::InterfacePopupOpening()
{
    for (QAction* a : {Schnittstelleumbenennen1, Schnittstelleentfernen1, NeueSchnittstelledefinieren1,
                       BestehendeSchnittstellen1->menuAction()})
        a->setEnabled(false);
    BestehendeSchnittstellen1->clear();
    const QModelIndex item = InterfaceTreeView->currentIndex();
    if (!item.isValid())
        return;
    if (InterfaceTreeModel->isInterface(item)) {
        Schnittstelleumbenennen1->setEnabled(true);
        Schnittstelleentfernen1->setEnabled(true);
        return;
    }
    NeueSchnittstelledefinieren1->setEnabled(true);
    const TInterfaceTreeModel::Node& node = InterfaceTreeModel->nodes()[std::size_t(item.row())];
    QStringList taken;
    for (const TInterfaceItem& existing : node.interfaces)
        taken << existing.text;
    for (const QString& label : node.defaultRefs) {
        if (taken.contains(label))
            continue;
        QAction* entry = BestehendeSchnittstellen1->addAction(label);
        connect(entry, &QAction::triggered, this, [this, label] { guarded([&] { addExistingInterface(label); }); });
    }
    BestehendeSchnittstellen1->menuAction()->setEnabled(!BestehendeSchnittstellen1->isEmpty());
}

void TSaveDiscTemplateForm::Schnittstelleumbenennen1Click()
{
    const QModelIndex item = InterfaceTreeView->currentIndex();
    if (InterfaceTreeModel->isInterface(item))
        InterfaceTreeView->edit(item);
}

void TSaveDiscTemplateForm::Schnittstelleentfernen1Click()
{
    InterfaceTreeModel->removeInterface(InterfaceTreeView->currentIndex());
}

void TSaveDiscTemplateForm::NeueSchnittstelledefinieren1Click()
{
    const QModelIndex node = InterfaceTreeView->currentIndex();
    if (!node.isValid() || InterfaceTreeModel->isInterface(node))
        return;
    const QModelIndex child = InterfaceTreeModel->addInterface(node.row(), QStringLiteral("Neue Schnittstelle"), 0);
    InterfaceTreeView->expand(node);
    InterfaceTreeView->setCurrentIndex(child);
    InterfaceTreeView->edit(child);
}

void TSaveDiscTemplateForm::addExistingInterface(const QString& label)
{
    const QModelIndex node = InterfaceTreeView->currentIndex();
    if (!node.isValid() || InterfaceTreeModel->isInterface(node))
        return;
    // Re-added: a new interface, no longer tied to the node it led into.
    InterfaceTreeModel->addInterface(node.row(), label, 0);
    InterfaceTreeView->expand(node);
}

void TSaveDiscTemplateForm::SaveButtonClick()
{
    if (!FCurAggTree || FileNameEdit->text().isEmpty())
        return;
    std::unique_ptr<TTemplateExportRequest> request;
    try {
        request = discTemplateExport(*FCurAggTree, NameEdit->text(), ParamListModel->rows(), interfaces(),
                                     FileNameEdit->text());
    } catch (const TvpError& e) {
        context().messages().AddException(0, {}, e.message(), kExportCaption, this);
        return;
    }
    sendExport(std::move(request));
}

} // namespace tvp
