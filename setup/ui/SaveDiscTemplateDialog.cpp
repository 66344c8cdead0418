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
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tvp {

namespace {

const QString kCaption = QStringLiteral("Disziplinvorlage speichern");
const QString kExportCaption = QStringLiteral("Disziplinvorlage exportieren");
const QString kFilter = QStringLiteral("Disziplinvorlagen (*.qdt)");
constexpr int kIdRole = Qt::UserRole;
constexpr int kDefaultRefsRole = Qt::UserRole + 1;

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
    InterfaceTreeView = new QTreeWidget(InterfaceGroupBox);
    InterfaceTreeView->setObjectName(QStringLiteral("InterfaceTreeView"));
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
    attachContextMenu(InterfaceTreeView, InterfacePopupMenu, [this](QTreeWidget*) { InterfacePopupOpening(); });

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
    setGlobalVariablesToListView(context(), *ParamListView, tree.getLocalUsedParams(), 0, kExportCaption);
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
    InterfaceTreeView->clear();
    if (!FCurAggTree)
        return;
    for (int i = 0; i < FCurAggTree->getAggregatorCount(); ++i) {
        const TUiAggregator* node = FCurAggTree->getAggregator(i);
        if (node->getType() != TAggregatorType::ag_DiscInternal || node->getName().isEmpty())
            continue;
        auto* item = new QTreeWidgetItem(InterfaceTreeView, {node->getName()});
        item->setData(0, kIdRole, node->ID());
        QStringList defaults;
        for (const proto::TExternalReference& ref : node->getExternalReferences()) {
            defaults << ref.refLabel;
            auto* child = new QTreeWidgetItem(item, {ref.refLabel});
            child->setData(0, kIdRole, ref.id);
            child->setFlags(child->flags() | Qt::ItemIsEditable);
        }
        item->setData(0, kDefaultRefsRole, defaults);
        item->setExpanded(true);
    }
}

std::vector<TDiscInterfaceNode> TSaveDiscTemplateForm::interfaces() const
{
    std::vector<TDiscInterfaceNode> out;
    for (int i = 0; i < InterfaceTreeView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = InterfaceTreeView->topLevelItem(i);
        TDiscInterfaceNode& node = out.emplace_back();
        node.id = item->data(0, kIdRole).toInt();
        for (int c = 0; c < item->childCount(); ++c)
            node.interfaces.push_back({item->child(c)->text(0), item->child(c)->data(0, kIdRole).toInt()});
    }
    return out;
}

void TSaveDiscTemplateForm::InterfacePopupOpening()
{
    for (QAction* a : {Schnittstelleumbenennen1, Schnittstelleentfernen1, NeueSchnittstelledefinieren1,
                       BestehendeSchnittstellen1->menuAction()})
        a->setEnabled(false);
    BestehendeSchnittstellen1->clear();
    QTreeWidgetItem* item = InterfaceTreeView->currentItem();
    if (!item)
        return;
    if (item->parent()) {
        Schnittstelleumbenennen1->setEnabled(true);
        Schnittstelleentfernen1->setEnabled(true);
        return;
    }
    NeueSchnittstelledefinieren1->setEnabled(true);
    QStringList taken;
    for (int c = 0; c < item->childCount(); ++c)
        taken << item->child(c)->text(0);
    for (const QString& label : item->data(0, kDefaultRefsRole).toStringList()) {
        if (taken.contains(label))
            continue;
        QAction* entry = BestehendeSchnittstellen1->addAction(label);
        connect(entry, &QAction::triggered, this, [this, label] { guarded([&] { addExistingInterface(label); }); });
    }
    BestehendeSchnittstellen1->menuAction()->setEnabled(!BestehendeSchnittstellen1->isEmpty());
}

void TSaveDiscTemplateForm::Schnittstelleumbenennen1Click()
{
    QTreeWidgetItem* item = InterfaceTreeView->currentItem();
    if (item && item->parent())
        InterfaceTreeView->editItem(item, 0);
}

void TSaveDiscTemplateForm::Schnittstelleentfernen1Click()
{
    QTreeWidgetItem* item = InterfaceTreeView->currentItem();
    if (item && item->parent())
        delete item;
}

void TSaveDiscTemplateForm::NeueSchnittstelledefinieren1Click()
{
    QTreeWidgetItem* node = InterfaceTreeView->currentItem();
    if (!node || node->parent())
        return;
    auto* child = new QTreeWidgetItem(node, {QStringLiteral("Neue Schnittstelle")});
    child->setData(0, kIdRole, 0);
    child->setFlags(child->flags() | Qt::ItemIsEditable);
    node->setExpanded(true);
    InterfaceTreeView->setCurrentItem(child);
    InterfaceTreeView->editItem(child, 0);
}

void TSaveDiscTemplateForm::addExistingInterface(const QString& label)
{
    QTreeWidgetItem* node = InterfaceTreeView->currentItem();
    if (!node || node->parent())
        return;
    // Re-added: a new interface, no longer tied to the node it led into.
    auto* child = new QTreeWidgetItem(node, {label});
    child->setData(0, kIdRole, 0);
    child->setFlags(child->flags() | Qt::ItemIsEditable);
    node->setExpanded(true);
}

void TSaveDiscTemplateForm::SaveButtonClick()
{
    if (!FCurAggTree || FileNameEdit->text().isEmpty())
        return;
    std::unique_ptr<TTemplateExportRequest> request;
    try {
        request = discTemplateExport(*FCurAggTree, NameEdit->text(), exportParameterRowsOf(*ParamListView),
                                     interfaces(), FileNameEdit->text());
    } catch (const TvpError& e) {
        context().messages().AddException(0, {}, e.message(), kExportCaption, this);
        return;
    }
    sendExport(std::move(request));
}

} // namespace tvp
